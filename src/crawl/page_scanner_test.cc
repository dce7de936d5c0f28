#include "crawl/page_scanner.h"

#include <gtest/gtest.h>

#include <cctype>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "crawl/page_loader.h"
#include "crawl/page_reader.h"
#include "platform/fake_file_system.h"
#include "text/case_table.h"
#include "text/failure.h"
#include "text/string_list_testing.h"

namespace quillon {
namespace {

std::vector<std::string> Hrefs(const std::string& text) {
  std::vector<std::string> hrefs;
  ForEachAnchorHref(text, [&](std::string_view h) { hrefs.emplace_back(h); });
  return hrefs;
}

TEST(AnchorWalk, FindsAnchorsAsTheScannerSeesThem) {
  struct Case {
    std::string text;
    std::vector<std::string> hrefs;
  } cases[] = {
      {"<a href=a.htm><A HREF=b.htm>", {"a.htm", "b.htm"}},
      {"<a\thref=a.htm><a>x</a><abbr href=x>", {}},  // tab, ">" or more letters
      {"<a href=\"x\" <a href=y>", {"x"}},        // "<a " inside a tag is skipped
      {"<a href=\"a>b.htm\">", {""}},             // the tag ends at the first ">"
      {"x <a href=\"tail.htm\"", {"tail.htm"}},   // no ">" up to the end
      {"<a name=top><a href=#x>", {"", "#x"}},
      {"<meta HTTP-EQUIV=\"Refresh\" content=\"0\"><a href=x>", {}},
      {"<a href=x><META http-equiv=\"refresh\">", {}},  // anywhere on the page
      {"<meta  HTTP-EQUIV=\"Refresh\"><a href=x>", {"x"}},  // two blanks
      {"<meta HTTP-EQUIV='Refresh'><a href=x>", {"x"}},
      {"<meta name=x HTTP-EQUIV=\"Refresh\"><a href=x>", {"x"}},
      {"<a ", {""}},
      {"", {}},
  };
  for (const auto& c : cases) EXPECT_EQ(c.hrefs, Hrefs(c.text)) << c.text;
}

class PageScannerTest : public ::testing::Test {
 protected:
  // Crawls from index.htm as the run does: the start page is the first page.
  void Crawl(const std::string& start = "index.htm") {
    pages_.Add(start);
    ScanPage(site_, start, pages_, links_);
  }
  FakeFileSystem fs_;
  SiteFolder site_{fs_};
  ByteOrderCollation collation_;
  StringList pages_{collation_};
  StringList links_{collation_};
  void SetUp() override { links_.SetSorted(true); }
};

TEST_F(PageScannerTest, CrawlOrderIsDepthFirst) {
  fs_.AddFile("index.htm", "<a href=a.htm> <a href=b.htm>");
  fs_.AddFile("a.htm", "<a href=index.htm>");
  fs_.AddFile("b.htm", "");
  Crawl();
  EXPECT_EQ((std::vector<std::string>{"index.htm", "a.htm", "b.htm"}), ListItems(pages_));
  EXPECT_EQ((std::vector<std::string>{"index.htm", "a.htm", "b.htm"}), fs_.read_log());
}

TEST_F(PageScannerTest, NestedPagesAreScannedBeforeTheNextAnchor) {
  fs_.AddFile("index.htm", "<a href=a.htm><a href=c.htm><a href=HTTP://Z>");
  fs_.AddFile("a.htm", "<a href=b.htm><a href=http://z>");
  fs_.AddFile("b.htm", "<a href=c.htm>");
  fs_.AddFile("c.htm", "<a href=a.htm>");
  Crawl();
  EXPECT_EQ((std::vector<std::string>{"index.htm", "a.htm", "b.htm", "c.htm"}),
            ListItems(pages_));
  // The external link met first is the one kept.
  EXPECT_EQ((std::vector<std::string>{"http://z"}), ListItems(links_));
}

TEST_F(PageScannerTest, ListsWhatTheLinksFind) {
  fs_.AddFile("index.htm",
              "<a href=\"Docs/Guide.htm\">\r\n<a\r\nhref=\"#top\">"
              "<a href=\"page.php?id=1\"><a href=\"https://example.com/x#y\">"
              "<a href=\"Missing.HTM\"><a href=\"missing.htm\">"
              "<a href=\"picture.png\"><a href=\"UPPER.HTM\">");
  fs_.AddFile("Docs/guide.htm", "<a href=\"#top\"> <a href=\"../../../x.htm\">"
                                "<a href=\"sub/../..page.htm\">");
  fs_.AddFile("page.php", "");
  fs_.AddFile("picture.png", "");
  fs_.AddFile("upper.htm", "");
  fs_.AddFile("x.htm", "");
  Crawl();
  EXPECT_EQ((std::vector<std::string>{"index.htm", "docs\\guide.htm", "x.htm",
                                      "page.php"}),
            ListItems(pages_));
  EXPECT_EQ((std::vector<std::string>{"docs\\..page.htm", "https://example.com/x",
                                      "missing.htm"}),
            ListItems(links_));
  // The page is read under the path as linked; the list holds it lower-cased.
  EXPECT_EQ("Docs/guide.htm", fs_.read_log()[1]);
}

TEST_F(PageScannerTest, SameFileUnderTwoSpellingsIsOnePage) {
  fs_.AddFile("index.htm", "<a href=Page.htm><a href=./page.htm><a href=PAGE.htm>");
  fs_.AddFile("page.htm", "<a href=index.htm>");
  Crawl();
  EXPECT_EQ((std::vector<std::string>{"index.htm", "page.htm"}), ListItems(pages_));
  EXPECT_EQ(2u, fs_.read_log().size());
}

TEST_F(PageScannerTest, RefreshPageStaysButGivesNothing) {
  fs_.AddFile("index.htm", "<a href=r.htm>");
  fs_.AddFile("r.htm", "<meta HTTP-EQUIV=\"Refresh\" content=\"0; url=x.htm\">\n"
                       "<a href=x.htm>");
  fs_.AddFile("x.htm", "");
  Crawl();
  EXPECT_EQ((std::vector<std::string>{"index.htm", "r.htm"}), ListItems(pages_));
}

// Pages are read ahead under the first spelling met in whatever order the
// reading takes; the crawl must still read each page under the spelling
// that its depth-first walk meets first. Here the two spellings lead to
// different folders.
TEST_F(PageScannerTest, APageIsReadUnderTheSpellingTheWalkMeetsFirst) {
  fs_.AddFile("index.htm", "<a href=a.htm><a href=docs/b.htm>");
  fs_.AddFile("a.htm", "<a href=Docs/b.htm>");
  fs_.AddFile("Docs/b.htm", "<a href=upper.htm>", 1000);
  fs_.AddFile("docs/b.htm", "<a href=lower.htm>", 2000);
  fs_.AddFile("Docs/upper.htm", "", 3000);
  fs_.AddFile("docs/lower.htm", "", 4000);
  pages_.Add("index.htm");
  std::vector<std::optional<std::int64_t>> times;
  ScanPage(site_, "index.htm", pages_, links_, &times);
  EXPECT_EQ((std::vector<std::string>{"index.htm", "a.htm", "docs\\b.htm",
                                      "docs\\upper.htm"}),
            ListItems(pages_));
  EXPECT_EQ((std::vector<std::optional<std::int64_t>>{
                FakeFileSystem::kDefaultTime, FakeFileSystem::kDefaultTime, 1000,
                3000}),
            times);
  EXPECT_TRUE(ListItems(links_).empty());
}

TEST_F(PageScannerTest, SpecialFilesAndFoldersAreNeverRead) {
  fs_.AddFile("index.htm", "<a href=fifo.htm><a href=dir.htm><a href=dir.htm/>");
  fs_.AddOther("fifo.htm");
  fs_.AddFolder("dir.htm");
  Crawl();
  EXPECT_EQ((std::vector<std::string>{"index.htm"}), fs_.read_log());
  EXPECT_EQ((std::vector<std::string>{"dir.htm", "dir.htm\\", "fifo.htm"}),
            ListItems(links_));
}

TEST_F(PageScannerTest, AnUnreadablePageEndsTheCrawl) {
  fs_.AddFile("index.htm", "<a href=a.htm>");
  fs_.AddFile("a.htm", "");
  fs_.FailRead("a.htm", 13);
  try {
    Crawl();
    ADD_FAILURE() << "no failure";
  } catch (const Failure& f) {
    EXPECT_EQ(FailureKind::kInOutError, f.kind());
    EXPECT_EQ("a.htm", f.file());
  }
}

TEST_F(PageScannerTest, BinaryAndBrokenPagesAreData) {
  std::string binary;
  for (int i = 0; i < 4096; ++i) binary += static_cast<char>((i * 7919) & 0xFF);
  fs_.AddFile("index.htm", binary + "<a href=\"x\0y.htm\">" + std::string(1, '\0') +
                               "<a href=\"never closed" + std::string(100000, 'q'));
  Crawl();
  EXPECT_EQ(1, pages_.Count());
}

// The crawl as the plain recursive reading of its rule: read a page, take
// its anchors in order, record each link, and enter each new page at once.
class ReferenceCrawl {
 public:
  ReferenceCrawl(FileSystem& fs, StringList& pages, StringList& links)
      : site_(fs), sorter_(site_), pages_(pages), links_(links) {}

  void Run(const std::string& start) {
    pages_.Add(start);
    visited_.insert(LowerCaseText(start));
    Visit(start);
  }
  const std::vector<std::optional<std::int64_t>>& times() const { return times_; }

 private:
  void Visit(const std::string& path) {
    ReadBuffer buffer;
    times_.push_back(site_.fs().ReadFile(*site_.RealFilePath(path), buffer));
    std::string text(buffer.view());
    std::vector<std::string> hrefs;
    ForEachAnchorHref(LoadPageTextWithBlanks(text.data(), text.size()),
                      [&](std::string_view href) { hrefs.emplace_back(href); });
    for (const std::string& href : hrefs) {
      const Target target = sorter_.Sort(href, path);
      if (target.kind == TargetKind::kExternal ||
          target.kind == TargetKind::kMissing) {
        links_.Add(target.text);
      } else if (target.kind == TargetKind::kPage &&
                 visited_.insert(LowerCaseText(target.text)).second) {
        pages_.Add(LowerCaseText(target.text));
        Visit(target.text);
      }
    }
  }

  SiteFolder site_;
  TargetSorter sorter_;
  StringList& pages_;
  StringList& links_;
  std::set<std::string> visited_;
  std::vector<std::optional<std::int64_t>> times_;
};

// A random site with folders that differ only in letter case, links in
// every form and letter case, and enough pages for the reading thread to
// take part: the crawl must list exactly what the plain crawl lists.
TEST(PageScanner, MatchesThePlainDepthFirstCrawlOnRandomSites) {
  const char* folders[] = {"", "Docs/", "docs/", "sub/Deep/"};
  const char* extensions[] = {".htm", ".html", ".php", ".png"};
  for (unsigned seed = 1; seed <= 6; ++seed) {
    std::mt19937 random(seed);
    const auto pick = [&](int n) { return static_cast<int>(random() % n); };
    // Letter case changed here and there, but not in the extension, which
    // must match exactly for a page.
    const auto flip_case = [&](std::string s) {
      const std::size_t dot = s.rfind('.');
      for (std::size_t i = 0; i < s.size() && i < dot; ++i) {
        const auto c = static_cast<unsigned char>(s[i]);
        if (pick(4) == 0) s[i] = static_cast<char>(std::isupper(c) ? std::tolower(c) : std::toupper(c));
      }
      return s;
    };
    constexpr int kPages = 400;
    std::vector<std::string> names;
    for (int i = 0; i < kPages; ++i) {
      names.push_back(std::string(folders[pick(4)]) + (pick(3) == 0 ? "P" : "p") +
                      std::to_string(i) + extensions[pick(4)]);
    }
    // The same names in both folders: which one a link reaches depends on
    // the spelling it is read under.
    for (int i = 0; i < 40; ++i) {
      names.push_back("Docs/q" + std::to_string(i) + ".htm");
      names.push_back("docs/q" + std::to_string(i) + ".htm");
    }
    names.push_back("index.htm");
    names.push_back("docs/index.html");
    FakeFileSystem fs;
    for (const std::string& name : names) {
      std::string page;
      const std::string folder = name.substr(0, name.rfind('/') + 1);
      for (int n = name == "index.htm" ? 40 : 2 + pick(8); n > 0; --n) {
        const std::string& other = names[pick(static_cast<int>(names.size()))];
        switch (pick(9)) {
          case 0:
          case 1:
          case 2: page += "<a href=\"/" + flip_case(other) + "\">"; break;
          case 3: page += "<a href=\"../" + other + "#f\">"; break;
          case 4: page += "<a href=\"" + flip_case("HTTP://Ex.com/") + std::to_string(pick(30)) + "\">"; break;
          case 5: page += "<a href=\"gone" + std::to_string(pick(30)) + ".htm\">"; break;
          case 6: page += "<a href=\"" + flip_case("docs/") + "\">"; break;
          default: {
            // Relative to the page's own folder, which may hold no such file.
            const std::size_t slash = other.rfind('/');
            page += "<a href=\"" + flip_case(other.substr(slash + 1)) + "?q\">";
          }
        }
      }
      fs.AddFile(name, page, 1000 + pick(5));
    }
    ByteOrderCollation collation;
    StringList pages(collation), links(collation);
    StringList expected_pages(collation), expected_links(collation);
    links.SetSorted(true);
    expected_links.SetSorted(true);
    ReferenceCrawl reference(fs, expected_pages, expected_links);
    reference.Run("index.htm");
    SiteFolder site(fs);
    pages.Add("index.htm");
    std::vector<std::optional<std::int64_t>> times;
    ScanPage(site, "index.htm", pages, links, &times);
    ASSERT_GT(pages.Count(), 40) << seed;  // the reading thread took part
    EXPECT_EQ(ListItems(expected_pages), ListItems(pages)) << seed;
    EXPECT_EQ(ListItems(expected_links), ListItems(links)) << seed;
    EXPECT_EQ(reference.times(), times) << seed;
  }
}

std::string Numbered(const char* prefix, int i, const char* suffix) {
  std::string s(prefix);
  s.append(std::to_string(i)).append(suffix);
  return s;
}

TEST_F(PageScannerTest, ADeepChainDoesNotNestOnTheCallStack) {
  constexpr int kPages = 1000000;
  fs_.AddFile("index.htm", "<a href=\"p1.htm\">");
  for (int i = 1; i < kPages; ++i) {
    std::string page = Numbered("<a href=\"p", i + 1, ".htm\">");
    page.append(Numbered("<a href=x", i % 3, ">"));
    fs_.AddFile(Numbered("p", i, ".htm"), std::move(page));
  }
  Crawl();
  ASSERT_EQ(kPages, pages_.Count());
  EXPECT_EQ("p999999.htm", pages_.Get(kPages - 1));
  EXPECT_EQ((std::vector<std::string>{"p1000000.htm", "x0", "x1", "x2"}),
            ListItems(links_));
}

}  // namespace
}  // namespace quillon

namespace quillon {
namespace {

TEST(PageReadAhead, HandsBackPagesInTheOrderPostedAndKeepsFailures) {
  FakeFileSystem fs;
  fs.AddFile("docs/a.htm", "<a href=\"b.htm#x\"> <a href=\"http://e/\">");
  fs.AddFile("c.htm", "<a href=d.htm>");
  fs.AddFile("bad.htm", "");
  fs.FailRead("bad.htm", 5);
  PageReadAhead ahead(fs);
  const auto records = [](const ParsedPage& page) {
    std::vector<std::string> out;
    page.ForEachRecord([&](HrefKind kind, std::string_view text) {
      out.push_back(std::to_string(static_cast<int>(kind)) + std::string(text));
    });
    return out;
  };
  // Many rounds, the ring sometimes full and sometimes nearly empty: a lost
  // wake-up between the two threads would hang here.
  std::uint32_t posted = 0;
  for (int round = 0; round < 2000; ++round) {
    const std::uint32_t wanted = 1 + round % 3 * 8;
    while (ahead.HasRoom() && ahead.in_flight() < wanted) {
      if (posted++ % 2 == 0) {
        ahead.Post("docs/a.htm", "docs\\a.htm");
      } else {
        ahead.Post("c.htm", "c.htm");
      }
    }
    const std::vector<std::string> expected =
        (posted - ahead.in_flight()) % 2 == 0
            ? std::vector<std::string>{"2docs\\b.htm", "1http://e/"}
            : std::vector<std::string>{"2d.htm"};
    ASSERT_EQ(expected, records(ahead.Oldest()));
    ahead.Release();
  }
  while (ahead.in_flight() > 0) {
    ahead.Oldest();
    ahead.Release();
  }
  ahead.Post("bad.htm", "bad.htm");
  const ParsedPage& bad = ahead.Oldest();
  ASSERT_TRUE(bad.failure != nullptr);
  EXPECT_THROW(std::rethrow_exception(bad.failure), Failure);
}

}  // namespace
}  // namespace quillon
