// Takes the link target out of one anchor tag.
#ifndef QUILLON_CRAWL_HREF_EXTRACTOR_H_
#define QUILLON_CRAWL_HREF_EXTRACTOR_H_

#include <string_view>

namespace quillon {

// The value of the first " href=" attribute (a blank, "href" in any letter
// case, "=") of `tag`, which runs from "<a " up to and including its first
// ">", or to the end of the page. A value in double quotes or apostrophes ends
// at the next such quote; a bare value ends at the first blank, or at the
// first ">" when there is no blank. Nothing is decoded. Every case in which
// the value cannot be delimited gives the empty string. Cannot fail; the
// result points into `tag`.
std::string_view ExtractHref(std::string_view tag);

}  // namespace quillon

#endif  // QUILLON_CRAWL_HREF_EXTRACTOR_H_
