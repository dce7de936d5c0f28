#include "run/sitemap_writer.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/fake_file_system.h"
#include "text/failure.h"

namespace quillon {
namespace {

TEST(SitemapWriter, HeaderIsTheDesignedSixLines) {
  EXPECT_EQ(279u, kSitemapHeader.size());
  EXPECT_EQ(292u, kSitemapHeader.size() + 2 + kSitemapClosing.size() + 2);
}

TEST(SitemapWriter, TimeStamps) {
  struct Case {
    LocalTime time;
    std::string expected;
  } cases[] = {
      {{2024, 5, 1, 9, 7, 5, 7200}, "2024-05-01T09:07:04+02:00"},
      {{2024, 12, 31, 23, 59, 59, -18000}, "2024-12-31T23:59:58-05:00"},
      {{1970, 1, 1, 0, 0, 0, 0}, "1970-01-01T00:00:00+00:00"},
      {{1900, 1, 1, 0, 0, 0, 1172}, "1900-01-01T00:00:00+00:19"},
      {{999, 1, 1, 0, 0, 0, 19800}, "0999-01-01T00:00:00+05:30"},
      {{12345, 1, 1, 0, 0, 0, -34200}, "12345-01-01T00:00:00-09:30"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.expected, FormatTimeStamp(c.time));
}

TEST(SitemapWriter, FileStampFailsForAFileWithoutTime) {
  FakeFileSystem fs;
  fs.AddFile("Page.htm", "", 0);
  SiteFolder site(fs);
  EXPECT_EQ(25u, FileStamp(site, "page.htm").size());
  fs.FailStat("Page.htm");
  SiteFolder again(fs);
  try {
    FileStamp(again, "page.htm");
    ADD_FAILURE() << "no failure";
  } catch (const Failure& f) {
    EXPECT_EQ(FailureKind::kConvertError, f.kind());
    EXPECT_EQ("Invalid argument to date encode", f.message());
    EXPECT_EQ("Page.htm", f.file());
  }
}

TEST(SitemapWriter, Locations) {
  struct Case {
    std::string base, path, expected;
  } cases[] = {
      {"http://mysite/", "docs/guide.htm", "http://mysite/docs/guide.htm"},
      {"http://mysite/", "my page.htm", "http://mysite/my%20page.htm"},
      {"http://mysite/", "a%20b.htm", "http://mysite/a%20b.htm"},  // "%" stays
      {"http://mysite/", "q?x#y.htm", "http://mysite/q%3Fx%23y.htm"},
      {"http://my site/?#", "", "http://my%20site/?#"},  // only in the path
      {"http://mysite/", "caf\xC3\xA9.htm", "http://mysite/caf%C3%A9.htm"},
      {"http://mysite/", "\xEF\xF0.htm", "http://mysite/%EF%F0.htm"},
      {"", "\"<>\\^`{|}\x7F\x01.htm", "%22%3C%3E%5C%5E%60%7B%7C%7D%7F%01.htm"},
      {"", "a&b'c.htm", "a&b'c.htm"},  // left to the XML escaping
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.expected, EncodeLocation(c.base, c.path)) << c.path;
  }
  EXPECT_EQ("a&amp;b&apos;c&quot;&lt;&gt;", EscapeXml("a&b'c\"<>"));
}

TEST(SitemapWriter, Entries) {
  const std::string stamp = "2024-05-01T09:07:04+02:00";
  EXPECT_EQ(
      "<url>\r\n<loc>http://mysite/</loc>\r\n<lastmod>" + stamp +
          "</lastmod>\r\n<changefreq>weekly</changefreq>\r\n"
          "<priority>1.0</priority>\r\n</url>",
      BuildSitemapEntry("http://mysite/", "weekly", "index.htm", stamp));
  EXPECT_EQ(
      "<url>\r\n<loc>mysitedocs/a&amp;b.htm</loc>\r\n<lastmod>" + stamp +
          "</lastmod>\r\n<changefreq>daily\r\nmonthly</changefreq>\r\n"
          "<priority>0.5</priority>\r\n</url>",
      BuildSitemapEntry("mysite", "daily\r\nmonthly", "docs\\a&b.htm", stamp));
  // Only the three root names, exactly, are root index pages.
  for (const char* path : {"docs\\index.htm", "INDEX.HTM", "index.html5"}) {
    EXPECT_NE(std::string::npos,
              BuildSitemapEntry("b/", "weekly", path, stamp).find("0.5"))
        << path;
  }
  // Backslashes become slashes everywhere; changefreq stays valid XML text.
  EXPECT_EQ(
      "<url>\r\n<loc>http://a/b/</loc>\r\n<lastmod>" + stamp +
          "</lastmod>\r\n<changefreq>x/y\xEF\xBF\xBD\xEF\xBF\xBD&lt;</changefreq>\r\n"
          "<priority>1.0</priority>\r\n</url>",
      BuildSitemapEntry("http://a\\b\\", "x\\y\x01\xE9<", "index.php", stamp));
}

// One maker, many pages: nothing of one entry may leak into the next.
TEST(SitemapWriter, AMakerReusedGivesEachEntryAsBuiltAlone) {
  const char* base = "http://my site/&\\";
  const char* frequency = "we<ek>ly";
  SitemapEntryMaker maker(base, frequency);
  const char* pages[][2] = {
      {"docs\\a very long name & more?x#y.htm", "2024-05-01T09:07:04+02:00"},
      {"index.htm", "2001-01-01T00:00:00+00:00"},
      {"b.htm", "x"},
      {"caf\xC3\xA9.php", "2024-05-01T09:07:04+02:00"},
  };
  for (int round = 0; round < 2; ++round) {
    for (const auto& page : pages) {
      EXPECT_EQ(BuildSitemapEntry(base, frequency, page[0], page[1]),
                maker.Entry(page[0], page[1]))
          << page[0];
    }
  }
}

TEST(SitemapWriter, OneFileWhenEverythingFits) {
  SitemapBuilder builder("http://mysite/", {});
  builder.AddEntry("<url>e</url>");
  const auto files = builder.Finish();
  ASSERT_EQ(1u, files.size());
  EXPECT_EQ("sitemap.xml", files[0].name);
  EXPECT_EQ(std::string(kSitemapHeader) + "\r\n<url>e</url>\r\n</urlset>\r\n",
            files[0].bytes.Joined());
}

TEST(SitemapWriter, SplitsOnTheEntryLimit) {
  SitemapBuilder builder("http://my site/", {2, 1 << 20});
  for (const char* e : {"e1", "e2", "e3", "e4", "e5"}) builder.AddEntry(e);
  const auto files = builder.Finish();
  ASSERT_EQ(4u, files.size());
  EXPECT_EQ("sitemap-1.xml", files[0].name);
  EXPECT_EQ(std::string(kSitemapHeader) + "\r\ne1\r\ne2\r\n</urlset>\r\n",
            files[0].bytes.Joined());
  EXPECT_EQ(std::string(kSitemapHeader) + "\r\ne5\r\n</urlset>\r\n",
            files[2].bytes.Joined());
  EXPECT_EQ("sitemap.xml", files[3].name);
  EXPECT_EQ(
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<sitemapindex\r\n"
      "xmlns=\"http://www.sitemaps.org/schemas/sitemap/0.9\"\r\n"
      "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\"\r\n"
      "xsi:schemaLocation=\"http://www.sitemaps.org/schemas/sitemap/0.9\r\n"
      "http://www.sitemaps.org/schemas/sitemap/0.9/siteindex.xsd\">\r\n"
      "<sitemap>\r\n<loc>http://my%20site/sitemap-1.xml</loc>\r\n</sitemap>\r\n"
      "<sitemap>\r\n<loc>http://my%20site/sitemap-2.xml</loc>\r\n</sitemap>\r\n"
      "<sitemap>\r\n<loc>http://my%20site/sitemap-3.xml</loc>\r\n</sitemap>\r\n"
      "</sitemapindex>\r\n",
      files[3].bytes.Joined());
}

TEST(SitemapWriter, SplitsOnTheByteLimit) {
  const std::size_t empty = kSitemapHeader.size() + 2 + kSitemapClosing.size() + 2;
  // Room for exactly two entries of 8 bytes (10 with their line end).
  SitemapBuilder builder("", {100, empty + 20});
  for (const char* e : {"entry-01", "entry-02", "entry-03"}) builder.AddEntry(e);
  const auto files = builder.Finish();
  ASSERT_EQ(3u, files.size());
  EXPECT_EQ(empty + 20, files[0].bytes.Joined().size());
  EXPECT_EQ(empty + 10, files[1].bytes.Joined().size());
  EXPECT_NE(std::string::npos, files[2].bytes.Joined().find("<loc>sitemap-2.xml</loc>"));
}

TEST(SitemapWriter, StaleNumberedFiles) {
  const std::vector<DirEntry> names = {
      {"sitemap-1.xml", EntryKind::kFile},  {"sitemap-3.xml", EntryKind::kFile},
      {"sitemap-12.xml", EntryKind::kFile}, {"sitemap-03.xml", EntryKind::kFile},
      {"sitemap-x.xml", EntryKind::kFile},  {"Sitemap-5.xml", EntryKind::kFile},
      {"sitemap-4.xml", EntryKind::kFolder}, {"sitemap-.xml", EntryKind::kFile},
  };
  EXPECT_EQ((std::vector<std::string>{"sitemap-3.xml", "sitemap-12.xml"}),
            StaleSitemapNames(names, 2));
  EXPECT_EQ(3u, StaleSitemapNames(names, 0).size());
}

}  // namespace
}  // namespace quillon
