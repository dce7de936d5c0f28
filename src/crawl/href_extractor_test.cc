#include "crawl/href_extractor.h"

#include <gtest/gtest.h>

#include <string>

namespace quillon {
namespace {

TEST(HrefExtractor, EveryRowOfTheTable) {
  struct Case {
    std::string tag, expected;
  } cases[] = {
      {"<a href=\"page.htm\">", "page.htm"},
      {"<A HREF='page.htm'>", "page.htm"},
      {"<a href=page.htm>", "page.htm"},
      {"<a href=page.htm target=_blank>", "page.htm"},
      {"<a class=\"nav\" href=\"docs/page.htm\">", "docs/page.htm"},
      {"<a id=\"x\" href=page.htm>", "page.htm"},
      {"<a  href=\"x.htm\">", "x.htm"},
      {"<a href = \"x.htm\">", ""},
      {"<a href= \"x.htm\">", ""},
      {"<a href=\"\">", ""},
      {"<a href=>", ""},
      {"<a name=\"top\">", ""},
      {"<a href=\"my page.htm\">", "my page.htm"},
      {"<a href=\"x.htm>", ""},
      {"<a href=\"a>", ""},  // the page scanner cuts <a href="a>b.htm"> here
      {"<a href=\"page.htm#top\">", "page.htm#top"},
      {"<a href=page.htm", ""},
      {"<a href=\"page.htm\"", "page.htm"},
      {"<a href=", ""},
      {"<a title=\"see href=x\" href=\"y\">", "x\""},
      {"<a href='it\"s.htm'>", "it\"s.htm"},
      {"<a href=\"&amp;%20\">", "&amp;%20"},  // nothing is decoded
      {"<a hReF=\"\xC0\xFF.htm\">", "\xC0\xFF.htm"},
      {"", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.expected, ExtractHref(c.tag)) << c.tag;
  }
}

}  // namespace
}  // namespace quillon
