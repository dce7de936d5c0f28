// The reading of an href against a page path, on arbitrary bytes: a local
// target resolves to a path with no empty, "." or ".." segment that never
// starts with a separator; an external link is never empty.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "crawl/link_target.h"
#include "fuzz/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::size_t split = data[0] % (size);
  const std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
  const std::string_view page_bytes = rest.substr(0, split);
  const std::string_view href = rest.substr(split < rest.size() ? split : rest.size());
  // A page path as the crawl makes them: already resolved, without a final
  // separator.
  std::string page = quillon::ResolveTargetPath("", page_bytes);
  if (!page.empty() && page.back() == '\\') page.pop_back();
  quillon::HrefReader reader;
  std::string_view text;
  const quillon::HrefKind kind = reader.Read(href, page, &text);
  if (kind == quillon::HrefKind::kExternal) FUZZ_CHECK(!text.empty());
  if (kind == quillon::HrefKind::kLocal) {
    FUZZ_CHECK(text.empty() || text.front() != '\\');
    FUZZ_CHECK(text.find('/') == std::string_view::npos);
    std::string_view path = text;
    if (!path.empty() && path.back() == '\\') path.remove_suffix(1);
    std::size_t begin = 0;
    while (!path.empty() && begin <= path.size()) {
      std::size_t end = path.find('\\', begin);
      if (end == std::string_view::npos) end = path.size();
      const std::string_view segment = path.substr(begin, end - begin);
      FUZZ_CHECK(!segment.empty() && segment != "." && segment != "..");
      begin = end + 1;
    }
    // Resolving the result again from the site folder changes nothing.
    FUZZ_CHECK(quillon::ResolveTargetPath("", text) == text);
  }
  return 0;
}
