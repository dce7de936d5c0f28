#include "crawl/link_target.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/fake_file_system.h"

namespace quillon {
namespace {

TEST(LinkTarget, CharacterReferences) {
  struct Case {
    std::string value, expected;
  } cases[] = {
      {"a.php?x=1&amp;y=2", "a.php?x=1&y=2"},
      {"&lt;&gt;&quot;&apos;", "<>\"'"},
      {"&#45;&#x2D;&#X2d;", "---"},
      {"caf&#233;.html", "caf\xC3\xA9.html"},
      {"&#x1F600;", "\xF0\x9F\x98\x80"},
      {"&#x10FFFF;", "\xF4\x8F\xBF\xBF"},
      {"&#0;&#x0;", "&#0;&#x0;"},               // to 0: stays
      {"&#xD800;&#57343;", "&#xD800;&#57343;"},  // surrogates stay
      {"&#x110000;", "&#x110000;"},             // above U+10FFFF stays
      {"&#99999999999999999999;", "&#99999999999999999999;"},
      {"&#0000065;", "A"},
      {"&#45", "&#45"},                          // no final ";"
      {"&#;&#x;&#xG;", "&#;&#x;&#xG;"},
      {"&nbsp;&AMP;&copy", "&nbsp;&AMP;&copy"},  // other "&" stay
      {"&amp;amp;", "&amp;"},                    // decoded once
      {"&&amp;", "&&"},
      {"", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.expected, DecodeCharacterReferences(c.value)) << c.value;
  }
}

TEST(LinkTarget, FragmentAndQuery) {
  EXPECT_EQ("page.htm", StripFragment("page.htm#a#b"));
  EXPECT_EQ("", StripFragment("#top"));
  EXPECT_EQ("page.php", StripQuery("page.php?id=1?x"));
  EXPECT_EQ("", StripQuery("?x"));
}

TEST(LinkTarget, ExternalTargets) {
  const char* external[] = {
      "http://x",         "HTTPS://x",       "mailto:a@b",
      "ftp://x",          "redirect.php?to=http://x",
      "javascript:void(0)", "tel:+1",        "news:comp.lang",
      "about:blank",      "a+b.c-d:x",       "//cdn.example/x.js",
      "c:x",              "x/y?u=HtTpS:z",
  };
  for (const char* t : external) EXPECT_TRUE(IsExternalTarget(t)) << t;
  const char* local[] = {
      "page.htm", "/abs/page.htm", "./a:b", "1a:b", "-x:y", "a b:c",
      ":x", "docs/", "/", "\\\\host\\x", "",
  };
  for (const char* t : local) EXPECT_FALSE(IsExternalTarget(t)) << t;
}

TEST(LinkTarget, PercentEscapes) {
  struct Case {
    std::string value, expected;
  } cases[] = {
      {"Visual%20Studio.html", "Visual Studio.html"},
      {"operator%.html", "operator%.html"},
      {"%zz%4", "%zz%4"},
      {"%4a%4A", "JJ"},
      {"%2F%2e%2E", "/.."},
      {"%00", std::string("\0", 1)},
      {"%C3%A9", "\xC3\xA9"},
      {"%", "%"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.expected, DecodePercentEscapes(c.value)) << c.value;
  }
}

TEST(LinkTarget, ResolutionByPathSegments) {
  struct Case {
    std::string page, target, expected;
  } cases[] = {
      {"index.htm", "about.htm", "about.htm"},
      {"docs\\guide.htm", "intro.htm", "docs\\intro.htm"},
      {"docs\\guide.htm", "../index.htm", "index.htm"},
      {"docs\\api\\ref.htm", "../../a/b.htm", "a\\b.htm"},
      {"docs\\guide.htm", "/news/today.htm", "news\\today.htm"},
      {"docs\\guide.htm", "../../../x.htm", "x.htm"},
      {"docs\\guide.htm", "sub/../x.htm", "docs\\x.htm"},
      {"index.htm", "./page.htm", "page.htm"},
      {"index.htm", "..page.htm", "..page.htm"},
      {"docs\\guide.htm", "../", ""},
      {"docs\\guide.htm", "./", "docs\\"},
      {"docs\\guide.htm", "sub/", "docs\\sub\\"},
      {"docs\\guide.htm", "sub//x.htm", "docs\\sub\\x.htm"},
      {"docs\\guide.htm", "\\x.htm", "x.htm"},
      {"docs\\guide.htm", "//x.htm", "x.htm"},
      {"docs\\guide.htm", "..", ""},
      {"docs\\guide.htm", "...", "docs\\..."},
      {"docs\\guide.htm", "sub/../../../../etc/x.htm", "etc\\x.htm"},
      {"Docs\\Guide.htm", "A.HTM", "Docs\\A.HTM"},  // letter case as written
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.expected, ResolveTargetPath(c.page, c.target))
        << c.page << " + " << c.target;
  }
}

TEST(LinkTarget, PageExtensions) {
  for (const char* p : {"a.htm", "a.html", "a.php", "d.x\\a.htm", ".htm"}) {
    EXPECT_TRUE(HasPageExtension(p)) << p;
  }
  for (const char* p : {"a.HTM", "a.Html", "a.phtml", "a.htm\\b", "a", "a.htm:x",
                        "a.htm.bak", "a.xhtml"}) {
    EXPECT_FALSE(HasPageExtension(p)) << p;
  }
}

class TargetSorterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs_.AddFile("index.htm", "");
    fs_.AddFile("page.htm", "");
    fs_.AddFile("PAGE2.HTM", "");
    fs_.AddFile("logo.png", "");
    fs_.AddFile("docs/index.html", "");
    fs_.AddFile("docs/guide.htm", "");
    fs_.AddFile("docs/Visual Studio.html", "");
    fs_.AddFile("docs/a&b.htm", "");
    fs_.AddFile("docs/q?x.htm", "");
    fs_.AddFolder("empty");
    fs_.AddFile("shop/index.php", "");
  }
  Target Sort(const std::string& href, const std::string& page = "docs\\guide.htm") {
    return sorter_.Sort(href, page);
  }
  FakeFileSystem fs_;
  SiteFolder site_{fs_};
  TargetSorter sorter_{site_};
};

TEST_F(TargetSorterTest, SortsEachKind) {
  struct Case {
    std::string href;
    TargetKind kind;
    std::string text;
  } cases[] = {
      {"", TargetKind::kSelf, ""},
      {"#top", TargetKind::kSelf, ""},
      {"?x=1", TargetKind::kSelf, ""},
      {"  \t", TargetKind::kSelf, ""},
      {" guide.htm ", TargetKind::kPage, "docs\\guide.htm"},
      {"guide.htm#s1", TargetKind::kPage, "docs\\guide.htm"},
      {"guide.htm?v=2", TargetKind::kPage, "docs\\guide.htm"},
      {"Visual%20Studio.html", TargetKind::kPage, "docs\\Visual Studio.html"},
      {"a&amp;b.htm", TargetKind::kPage, "docs\\a&b.htm"},
      {"q%3Fx.htm", TargetKind::kPage, "docs\\q?x.htm"},
      {"./", TargetKind::kPage, "docs\\index.html"},
      {"../docs", TargetKind::kPage, "docs\\index.html"},
      {"../", TargetKind::kPage, "index.htm"},  // the root's index page
      {"/shop/", TargetKind::kPage, "shop\\index.php"},
      {"../empty/", TargetKind::kMissing, "empty\\"},
      {"../Empty", TargetKind::kMissing, "empty"},
      {"../logo.png", TargetKind::kFile, ""},
      {"../PAGE.HTM", TargetKind::kFile, ""},  // exists, but ".HTM" is no page
      {"../page2.htm", TargetKind::kPage, "page2.htm"},
      {"../Page2.htm", TargetKind::kPage, "Page2.htm"},  // as written
      {"Missing.HTM", TargetKind::kMissing, "docs\\missing.htm"},
      {"guide.htm/", TargetKind::kMissing, "docs\\guide.htm\\"},
      {"HTTP://Example.com/a#b", TargetKind::kExternal, "HTTP://Example.com/a"},
      {"javascript:void(0)", TargetKind::kExternal, "javascript:void(0)"},
      {"http&#58;//x", TargetKind::kExternal, "http://x"},
      {"//cdn/x", TargetKind::kExternal, "//cdn/x"},
      {"%68ttp:x.htm", TargetKind::kMissing, "docs\\http:x.htm"},
      {"sub/../../../../etc/passwd", TargetKind::kMissing, "etc\\passwd"},
  };
  for (const auto& c : cases) {
    const Target t = Sort(c.href);
    EXPECT_EQ(c.kind, t.kind) << c.href;
    EXPECT_EQ(c.text, t.text) << c.href;
  }
}

TEST_F(TargetSorterTest, FromTheRootPage) {
  EXPECT_EQ("", Sort("#top", "index.htm").text);
  EXPECT_EQ(TargetKind::kPage, Sort("./", "index.htm").kind);
  EXPECT_EQ("index.htm", Sort("./", "index.htm").text);
  EXPECT_EQ("docs\\guide.htm", Sort("docs/guide.htm", "index.htm").text);
}

}  // namespace
}  // namespace quillon
