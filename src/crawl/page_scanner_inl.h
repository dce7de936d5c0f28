// Template definitions for page_scanner.h.
#ifndef QUILLON_CRAWL_PAGE_SCANNER_INL_H_
#define QUILLON_CRAWL_PAGE_SCANNER_INL_H_

#include <cstring>
#include <vector>

#include "crawl/href_extractor.h"
#include "text/case_table.h"

namespace quillon {
namespace internal {

constexpr std::string_view kRefreshText = "<meta HTTP-EQUIV=\"Refresh\"";

// True when the refresh text starts at `p` (letter case ignored); `left` is
// the number of bytes from `p` to the end of the text.
inline bool RefreshTextAt(const char* p, std::size_t left) {
  if (left < kRefreshText.size()) return false;
  for (std::size_t i = 1; i < kRefreshText.size(); ++i) {
    if (UpperCaseByte(static_cast<unsigned char>(p[i])) !=
        UpperCaseByte(static_cast<unsigned char>(kRefreshText[i]))) {
      return false;
    }
  }
  return true;
}

}  // namespace internal

template <typename Sink>
void ForEachAnchorHref(std::string_view text, Sink sink) {
  // One pass over every "<" serves both searches: the refresh text, which
  // may stand anywhere (even inside a tag), and the anchors, which are only
  // looked for from the end of the previous anchor's tag on. The hrefs are
  // handed out only once the whole page is known to be no refresh page.
  std::vector<std::string_view> hrefs;
  hrefs.reserve(32);
  const char* const begin = text.data();
  const char* const end = begin + text.size();
  const char* p = begin;
  const char* resume = begin;  // anchors count from here on
  bool open_tag_to_end = false;
  while (p < end) {
    const char* lt = static_cast<const char*>(std::memchr(p, '<', end - p));
    if (lt == nullptr) break;
    const auto left = static_cast<std::size_t>(end - lt);
    if (left > 1 && (lt[1] == 'm' || lt[1] == 'M') &&
        internal::RefreshTextAt(lt, left)) {
      return;
    }
    // An anchor starts with "<", "a" in either case and a blank (only those
    // bytes match them under the case table).
    if (!open_tag_to_end && lt >= resume && left >= 3 &&
        (lt[1] == 'a' || lt[1] == 'A') && lt[2] == ' ') {
      // The tag runs to its first ">", or to the end of the text; the next
      // anchor is searched from that ">", so an "<a " inside the tag is not
      // taken as an anchor of its own.
      const char* gt = static_cast<const char*>(std::memchr(lt, '>', left));
      const char* tag_end = gt ? gt + 1 : end;
      hrefs.push_back(ExtractHref(std::string_view(lt, tag_end - lt)));
      if (gt == nullptr) {
        open_tag_to_end = true;
      } else {
        resume = gt;
      }
    }
    p = lt + 1;
  }
  for (const std::string_view href : hrefs) sink(href);
}

}  // namespace quillon

#endif  // QUILLON_CRAWL_PAGE_SCANNER_INL_H_
