// The text loader's line rules on arbitrary bytes: every line end of the
// result is CR LF, nothing at either end is a byte of code 0 to 32, and the
// scanner's in-place load is the result with its line ends as blanks.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "crawl/page_loader.h"
#include "fuzz/fuzz_check.h"
#include "text/byte_string.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::string text = quillon::LoadPageText(bytes, "\r\n");
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') FUZZ_CHECK(i + 1 < text.size() && text[i + 1] == '\n');
    if (text[i] == '\n') FUZZ_CHECK(i > 0 && text[i - 1] == '\r');
  }
  if (!text.empty()) {
    FUZZ_CHECK(static_cast<unsigned char>(text.front()) > 32);
    FUZZ_CHECK(static_cast<unsigned char>(text.back()) > 32);
  }
  FUZZ_CHECK(text.size() <= bytes.size() * 2);
  std::string in_place(bytes);
  quillon::LoadPageTextWithBlanks(in_place);
  std::string blanks = quillon::ReplaceAll(text, "\r\n", " ");
  blanks = quillon::ReplaceAll(blanks, "\n\r", " ");
  blanks = quillon::ReplaceAll(blanks, "\r", " ");
  blanks = quillon::ReplaceAll(blanks, "\n", " ");
  FUZZ_CHECK(in_place == blanks);
  return 0;
}
