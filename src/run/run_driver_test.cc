#include "run/run_driver.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

#include "platform/fake_file_system.h"
#include "text/failure.h"

namespace quillon {
namespace {

// Time stamps are local time; the tests fix the zone.
class RunDriverTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ::setenv("TZ", "UTC0", 1);
    ::tzset();
  }
  RunOutcome Run() {
    RunOptions options;
    options.executable_path = "/home/ann/mysite/quillon";
    options.limits = limits_;
    options.warn = [this](const std::string& w) { warnings_.push_back(w); };
    return RunSite(fs_, collation_, options);
  }
  std::string Entry(const std::string& loc, const std::string& priority,
                    const std::string& frequency = "weekly") {
    return "<url>\r\n<loc>" + loc +
           "</loc>\r\n<lastmod>2024-05-01T09:07:04+00:00</lastmod>\r\n"
           "<changefreq>" + frequency + "</changefreq>\r\n<priority>" +
           priority + "</priority>\r\n</url>\r\n";
  }
  std::string Sitemap(const std::string& entries) {
    return std::string(kSitemapHeader) + "\r\n" + entries + "</urlset>\r\n";
  }
  FakeFileSystem fs_;
  ByteOrderCollation collation_;
  SitemapLimits limits_;
  std::vector<std::string> warnings_;
};

constexpr std::int64_t kStamp = 1714554425;  // 2024-05-01 09:07:05 UTC

std::size_t CountOf(const std::string& text, const std::string& part) {
  std::size_t n = 0;
  for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

TEST_F(RunDriverTest, OnePageSite) {
  fs_.AddFile("index.htm", "<p>alone</p>", kStamp);
  const RunOutcome outcome = Run();
  EXPECT_TRUE(outcome.wrote);
  EXPECT_EQ("http://mysite/", outcome.base_address);  // from the program's folder
  EXPECT_EQ(1, outcome.pages);
  EXPECT_EQ("http://mysite/\rPages: 1", CompletionText(outcome));
  EXPECT_EQ(Sitemap(Entry("http://mysite/", "1.0")), fs_.Contents("sitemap.xml"));
  EXPECT_EQ("\r\n\r\nindex.htm\r\n", fs_.Contents("sitemap.txt"));
}

TEST_F(RunDriverTest, RootAndFolderIndexPagesWithTheirLinks) {
  fs_.AddFile("Quillon.ini", "example.org\r\ndaily\r\n");
  fs_.AddFile("index.html",
              "<a href=\"docs/\">d</a> <a href=\"https://x.org/\">x</a>", kStamp);
  fs_.AddFile("docs/index.htm", "<a href=\"../index.html\"> <a href=gone.htm>",
              kStamp);
  Run();
  EXPECT_EQ(Sitemap(Entry("http://example.org/", "1.0", "daily") +
                    Entry("http://example.org/docs/index.htm", "0.5", "daily")),
            fs_.Contents("sitemap.xml"));
  EXPECT_EQ("404 > docs\\gone.htm\r\n404 > https://x.org/\r\n\r\n\r\n"
            "index.html\r\ndocs\\index.htm\r\n",
            fs_.Contents("sitemap.txt"));
  EXPECT_TRUE(warnings_.empty());
}

// A site large enough for the links to be sorted on a second thread, and
// the output files written on two: the report is as on a small site.
TEST_F(RunDriverTest, ALargeSiteGivesTheReportAsASmallOneDoes) {
  constexpr int kPages = 1500;
  std::string index;
  std::string pages;
  for (int i = 0; i < kPages; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "p%04d.htm", i);
    index += std::string("<a href=") + name + ">";
    pages += std::string(name) + "\r\n";
    const std::string n = std::to_string(i % 5);
    fs_.AddFile(name,
                "<a href=HTTP://X/" + n + "><a href=http://x/" + n +
                    "><a href=GONE" + std::to_string(i % 7) + ".htm>",
                kStamp);
  }
  fs_.AddFile("index.htm", index, kStamp);
  EXPECT_EQ(kPages + 1, Run().pages);
  std::string report;
  for (int i = 0; i < 7; ++i) report += "404 > gone" + std::to_string(i) + ".htm\r\n";
  // Of the spellings of one link, the one met first stays.
  for (int i = 0; i < 5; ++i) report += "404 > HTTP://X/" + std::to_string(i) + "\r\n";
  EXPECT_EQ(report + "\r\n\r\nindex.htm\r\n" + pages, fs_.Contents("sitemap.txt"));
  EXPECT_EQ(static_cast<std::size_t>(kPages + 1),
            CountOf(fs_.Contents("sitemap.xml"), "<url>"));
}

TEST_F(RunDriverTest, EmptyBaseAddress) {
  fs_.AddFile("Quillon.ini", " \r\n");
  fs_.AddFile("index.htm", "<a href=\"A B.htm\">", kStamp);
  fs_.AddFile("a b.htm", "", kStamp);
  const RunOutcome outcome = Run();
  EXPECT_EQ(Sitemap(Entry("", "1.0") + Entry("a%20b.htm", "0.5")),
            fs_.Contents("sitemap.xml"));
  EXPECT_EQ("\r\n\r\nindex.htm\r\na b.htm\r\n", fs_.Contents("sitemap.txt"));
  EXPECT_EQ(1u, warnings_.size());
  EXPECT_EQ("\rPages: 2", CompletionText(outcome));
}

TEST_F(RunDriverTest, BaseAddressWithABackslash) {
  fs_.AddFile("Quillon.ini", "http://host\\site/\r\nweekly");
  fs_.AddFile("index.php", "<a href=\"sub\\p.htm\">", kStamp);
  fs_.AddFile("sub/p.htm", "", kStamp);
  const RunOutcome outcome = Run();
  EXPECT_EQ(Sitemap(Entry("http://host/site/", "1.0") +
                    Entry("http://host/site/sub/p.htm", "0.5")),
            fs_.Contents("sitemap.xml"));
  EXPECT_EQ("http://host\\site/\rPages: 2", CompletionText(outcome));
}

TEST_F(RunDriverTest, TwoRootIndexPages) {
  fs_.AddFile("index.htm", "<a href=index.html>", kStamp);
  fs_.AddFile("index.html", "", kStamp);
  Run();
  EXPECT_EQ(Sitemap(Entry("http://mysite/", "1.0") + Entry("http://mysite/", "1.0")),
            fs_.Contents("sitemap.xml"));
}

// Found by fuzzing: with folders "Docs" and "docs", a page read as
// Docs\b.html is listed as docs\b.html, which names no file; its time stamp
// must come from the file that was read, not fail the run.
TEST_F(RunDriverTest, FoldersThatDifferOnlyInLetterCaseKeepTheirStamps) {
  fs_.AddFile("index.htm", "<a href=\"Docs/b.html\"><a href=\"docs/c.htm\">", kStamp);
  fs_.AddFile("Docs/b.html", "", kStamp + 3600);
  fs_.AddFile("docs/c.htm", "", kStamp);
  EXPECT_EQ(3, Run().pages);
  EXPECT_NE(std::string::npos,
            fs_.Contents("sitemap.xml").find("<loc>http://mysite/docs/b.html</loc>\r\n"
                                             "<lastmod>2024-05-01T10:07:04+00:00<"));
}

TEST_F(RunDriverTest, NoStartPageIsAQuietEnd) {
  fs_.AddFile("Quillon.ini", "\r\nsometimes");  // would warn twice
  fs_.AddFolder("index.htm");
  fs_.AddFile("page.htm", "");
  fs_.AddFile("sitemap.xml", "old");
  const RunOutcome outcome = Run();
  EXPECT_FALSE(outcome.wrote);
  EXPECT_TRUE(warnings_.empty());
  EXPECT_EQ("old", fs_.Contents("sitemap.xml"));
  EXPECT_FALSE(fs_.Has("sitemap.txt"));
}

TEST_F(RunDriverTest, AFolderNamedIndexHtmIsPassedOver) {
  fs_.AddFolder("index.htm");
  fs_.AddFile("index.html", "", kStamp);
  EXPECT_EQ(1, Run().pages);
  EXPECT_EQ("\r\n\r\nindex.html\r\n", fs_.Contents("sitemap.txt"));
}

TEST_F(RunDriverTest, FailuresLeaveTheEarlierOutputs) {
  struct Case {
    const char* what;
    void (*arrange)(FakeFileSystem&);
    FailureKind kind;
    const char* file;
  } cases[] = {
      {"unreadable page", [](FakeFileSystem& fs) { fs.FailRead("a.htm", 13); },
       FailureKind::kInOutError, "a.htm"},
      {"page gone between listing and reading",
       [](FakeFileSystem& fs) { fs.FailRead("b.htm", ENOENT); },
       FailureKind::kInOutError, "b.htm"},
      {"unreadable configuration",
       [](FakeFileSystem& fs) {
         fs.AddFile("Quillon.ini", "x");
         fs.FailRead("Quillon.ini", 5);
       },
       FailureKind::kInOutError, "Quillon.ini"},
      {"page without time",
       [](FakeFileSystem& fs) {
         fs.AddFile("b.htm", "", std::numeric_limits<std::int64_t>::max());
       },
       FailureKind::kConvertError, "b.htm"},
      {"sitemap.txt cannot be created",
       [](FakeFileSystem& fs) { fs.FailCreate("sitemap.txt"); },
       FailureKind::kFileCreateError, "sitemap.txt"},
      {"sitemap.xml write stops short",
       [](FakeFileSystem& fs) { fs.FailWrite("sitemap.xml"); },
       FailureKind::kStreamWriteError, "sitemap.xml"},
  };
  for (const auto& c : cases) {
    FakeFileSystem fs;
    fs.AddFile("index.htm", "<a href=a.htm><a href=b.htm>");
    fs.AddFile("a.htm", "");
    fs.AddFile("b.htm", "");
    fs.AddFile("sitemap.xml", "old xml");
    fs.AddFile("sitemap.txt", "old txt");
    c.arrange(fs);
    RunOptions options;
    try {
      RunSite(fs, collation_, options);
      ADD_FAILURE() << c.what << ": no failure";
    } catch (const Failure& f) {
      EXPECT_EQ(c.kind, f.kind()) << c.what;
      EXPECT_EQ(c.file, f.file()) << c.what;
    }
    EXPECT_EQ("old xml", fs.Contents("sitemap.xml")) << c.what;
    EXPECT_EQ("old txt", fs.Contents("sitemap.txt")) << c.what;
    EXPECT_EQ(fs.Has("Quillon.ini") ? 6u : 5u, fs.ListFolder("")->size())
        << c.what << ": a temporary file was left";
  }
}

TEST_F(RunDriverTest, LargeSitesGetNumberedFilesAndStaleOnesGo) {
  fs_.AddFile("index.htm", "<a href=a.htm><a href=b.htm><a href=c.htm>", kStamp);
  for (const char* p : {"a.htm", "b.htm", "c.htm"}) fs_.AddFile(p, "", kStamp);
  fs_.AddFile("sitemap-3.xml", "stale");
  fs_.AddFile("sitemap-7.xml", "stale");
  limits_.max_entries = 2;
  EXPECT_EQ(4, Run().pages);
  EXPECT_EQ(Sitemap(Entry("http://mysite/", "1.0") + Entry("http://mysite/a.htm", "0.5")),
            fs_.Contents("sitemap-1.xml"));
  EXPECT_EQ(Sitemap(Entry("http://mysite/b.htm", "0.5") +
                    Entry("http://mysite/c.htm", "0.5")),
            fs_.Contents("sitemap-2.xml"));
  EXPECT_NE(std::string::npos, fs_.Contents("sitemap.xml").find("<sitemapindex"));
  EXPECT_FALSE(fs_.Has("sitemap-3.xml"));
  EXPECT_FALSE(fs_.Has("sitemap-7.xml"));

  limits_ = SitemapLimits();  // everything fits again: no numbered file stays
  Run();
  EXPECT_FALSE(fs_.Has("sitemap-1.xml"));
  EXPECT_FALSE(fs_.Has("sitemap-2.xml"));
  EXPECT_NE(std::string::npos, fs_.Contents("sitemap.xml").find("<urlset"));
}

}  // namespace
}  // namespace quillon
