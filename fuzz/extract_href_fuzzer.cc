// ExtractHref on arbitrary tag bytes: the value lies inside the tag, and is
// only ever found behind a " href=".
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "crawl/href_extractor.h"
#include "fuzz/fuzz_check.h"
#include "text/byte_string.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view tag(reinterpret_cast<const char*>(data), size);
  const std::string_view href = quillon::ExtractHref(tag);
  if (!href.empty()) {
    FUZZ_CHECK(href.data() >= tag.data() &&
               href.data() + href.size() <= tag.data() + tag.size());
    const std::size_t at = quillon::FindTextIgnoreCase(" href=", tag, 1);
    FUZZ_CHECK(at != 0);
    FUZZ_CHECK(href.data() >= tag.data() + at - 1 + 6);
  }
  return 0;
}
