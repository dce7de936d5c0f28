// Quillon.ini on arbitrary bytes: the base address is empty or a web address
// ending in "/"; the change frequency is never empty.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "crawl/page_loader.h"
#include "fuzz/fuzz_check.h"
#include "run/config.h"
#include "text/byte_string.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const quillon::SiteSettings settings =
      quillon::ParseConfiguration(quillon::LoadPageText(bytes, "\r\n"));
  const std::string& base = settings.base_address;
  if (!base.empty()) {
    FUZZ_CHECK(base.back() == '/');
    FUZZ_CHECK(quillon::FindTextIgnoreCase("http://", base, 1) == 1 ||
               quillon::FindTextIgnoreCase("https://", base, 1) == 1);
    FUZZ_CHECK(base.find("\r\n") == std::string::npos);
  } else {
    FUZZ_CHECK(!settings.warnings.empty());
  }
  FUZZ_CHECK(!settings.change_frequency.empty());
  return 0;
}
