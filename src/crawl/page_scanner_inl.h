// Template definitions for page_scanner.h.
#ifndef QUILLON_CRAWL_PAGE_SCANNER_INL_H_
#define QUILLON_CRAWL_PAGE_SCANNER_INL_H_

#include <cstring>

#include "crawl/href_extractor.h"
#include "text/byte_string.h"

namespace quillon {

inline bool IsRefreshPage(std::string_view text) {
  return FindTextIgnoreCase("<meta HTTP-EQUIV=\"Refresh\"", text, 1) != 0;
}

template <typename Sink>
void ForEachAnchorHref(std::string_view text, Sink sink) {
  if (IsRefreshPage(text)) return;
  const char* const begin = text.data();
  const char* const end = begin + text.size();
  const char* p = begin;
  // An anchor starts with "<", "a" in either case and a blank. memchr finds
  // each "<"; only "a"/"A" and the blank match those under the case table.
  while (end - p >= 3) {
    const char* lt =
        static_cast<const char*>(std::memchr(p, '<', (end - p) - 2));
    if (lt == nullptr) return;
    if ((lt[1] != 'a' && lt[1] != 'A') || lt[2] != ' ') {
      p = lt + 1;
      continue;
    }
    // The tag runs to its first ">", or to the end of the text; the next
    // anchor is searched from that ">", so an "<a " inside the tag is not
    // taken as one of its own.
    const char* gt =
        static_cast<const char*>(std::memchr(lt, '>', end - lt));
    const char* tag_end = gt ? gt + 1 : end;
    sink(ExtractHref(std::string_view(lt, tag_end - lt)));
    if (gt == nullptr) return;
    p = gt;
  }
}

}  // namespace quillon

#endif  // QUILLON_CRAWL_PAGE_SCANNER_INL_H_
