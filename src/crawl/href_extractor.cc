#include "crawl/href_extractor.h"

#include "text/byte_string.h"

namespace quillon {

std::string_view ExtractHref(std::string_view tag) {
  const std::size_t at = FindTextIgnoreCase(" href=", tag, 1);
  if (at == 0) return {};
  std::string_view rest = tag.substr(at - 1 + 6);
  if (rest.empty()) return {};
  std::size_t close = 0;
  if (rest[0] == '"' || rest[0] == '\'') {
    const char quote = rest[0];
    rest.remove_prefix(1);
    close = FindText(std::string_view(&quote, 1), rest, 1);
  } else {
    close = FindText(" ", rest, 1);
    if (close == 0) close = FindText(">", rest, 1);
  }
  if (close == 0) return {};
  return rest.substr(0, close - 1);
}

}  // namespace quillon
