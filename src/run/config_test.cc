#include "run/config.h"

#include <gtest/gtest.h>

namespace quillon {
namespace {

TEST(Config, BaseAddressAndChangeFrequency) {
  struct Case {
    std::string text;  // as loaded: lines joined by CR LF, trimmed
    std::string base, frequency;
    std::size_t warnings;
  } cases[] = {
      {"mysite", "http://mysite/", "weekly", 0},
      {"http://mysite/", "http://mysite/", "weekly", 0},
      {"https://mysite", "https://mysite/", "weekly", 0},
      {"mysite\r\ndaily", "http://mysite/", "daily", 0},
      {"HTTP://MYSITE/\r\ndaily", "HTTP://MYSITE/", "daily", 0},
      {"hTTpS://mysite\r\ndaily", "hTTpS://mysite/", "daily", 0},
      {"http://mysite\r\ndaily", "http://mysite/", "daily", 0},
      {"mysite\r\ndaily\r\nmonthly", "http://mysite/", "daily\r\nmonthly", 1},
      {"mysite\r\n\r\ndaily", "http://mysite/", "\r\ndaily", 1},
      {"mysite \t\r\nweekly", "http://mysite/", "weekly", 0},
      {"my site/docs", "http://my site/docs/", "weekly", 0},
      {"", "", "weekly", 1},
      {"mysite\r\nsometimes", "http://mysite/", "sometimes", 1},
      {"mysite\r\nDaily", "http://mysite/", "Daily", 1},
  };
  for (const auto& c : cases) {
    const SiteSettings s = ParseConfiguration(c.text);
    EXPECT_EQ(c.base, s.base_address) << c.text;
    EXPECT_EQ(c.frequency, s.change_frequency) << c.text;
    EXPECT_EQ(c.warnings, s.warnings.size()) << c.text;
  }
  const SiteSettings odd = ParseConfiguration("x\r\nsometimes");
  ASSERT_EQ(1u, odd.warnings.size());
  EXPECT_NE(std::string::npos, odd.warnings[0].find("\"sometimes\""));
}

TEST(Config, DefaultBaseAddressFromTheProgramsFolder) {
  struct Case {
    std::string exe, base;
  } cases[] = {
      {"/home/ann/mysite/quillon", "http://mysite/"},
      {"/opt/my site/quillon", "http://my/"},
      {"/work/mysite (old)/quillon", "http://mysite/"},
      {"/quillon", "http:///"},
      {"", "http:///"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.base, DefaultBaseAddress(c.exe)) << c.exe;
  }
}

}  // namespace
}  // namespace quillon
