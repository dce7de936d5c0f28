// The crawler: reads a page, walks its anchor tags in order, and sorts each
// target into external link, missing target, new page or other file; every
// new page is recorded and scanned at once, before the current page's next
// anchor (depth first).
#ifndef QUILLON_CRAWL_PAGE_SCANNER_H_
#define QUILLON_CRAWL_PAGE_SCANNER_H_

#include <cstdint>
#include <optional>
#include <string>
#include <vector>
#include <string_view>

#include "crawl/link_target.h"
#include "platform/site_folder.h"
#include "text/string_list.h"

namespace quillon {

// Calls `sink(target)` for each anchor of one page's text, in order, with
// `text` as the scanner sees it (line breaks already blanks). A page that
// holds the refresh text `<meta HTTP-EQUIV="Refresh"` (letter case ignored)
// gives none.
template <typename Sink>
void ForEachAnchorHref(std::string_view text, Sink sink);

// Crawls from `start_page`. Each new page is appended lower-cased to
// `page_list` before it is scanned; external links and lower-cased missing
// targets are added to `link_list`. A page already in `page_list` (letter case
// ignored) is not scanned again. The crawl nests as deep as the site's links
// go without using the call stack. Throws Failure kInOutError when a page
// cannot be read.
//
// When `page_times` is given it ends with one item per `page_list` entry:
// the modification time of the file that was read for that page (for an
// entry the list held before, the start page's when it is that page, else
// nothing). The lower-cased entry may name another file on a file system
// that tells letter case apart, or none.
void ScanPage(SiteFolder& site, const std::string& start_page,
              StringList& page_list, StringList& link_list,
              std::vector<std::optional<std::int64_t>>* page_times = nullptr);

}  // namespace quillon

#include "crawl/page_scanner_inl.h"

#endif  // QUILLON_CRAWL_PAGE_SCANNER_H_
