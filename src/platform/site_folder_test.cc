#include "platform/site_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "platform/fake_file_system.h"
#include "text/failure.h"

namespace quillon {
namespace {

class SiteFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs_.AddFile("index.htm", "home");
    fs_.AddFile("Docs/Guide.HTM", "guide");
    fs_.AddFile("Docs/guide.htm", "lower guide");
    fs_.AddFile("Docs/Caf\xC3\x89.html", "utf-8 name");
    fs_.AddFile("docs2/a*b?.htm", "odd name");
    fs_.AddFolder("Docs/Empty");
    fs_.AddOther("pipe.htm");
    fs_.AddFile("data/file", "x");
  }
  FakeFileSystem fs_;
};

TEST_F(SiteFolderTest, MatchesNamesWithoutRegardToCase) {
  SiteFolder site(fs_);
  struct Case {
    const char* path;
    bool file;
    const char* real;
  } cases[] = {
      {"index.htm", true, "index.htm"},
      {"INDEX.HTM", true, "index.htm"},
      {"docs\\guide.htm", true, "Docs/guide.htm"},  // exact byte match wins
      {"Docs\\guide.htm", true, "Docs/guide.htm"},
      {"Docs\\Guide.HTM", true, "Docs/Guide.HTM"},
      {"docs\\GUIDE.HTM", true, "Docs/Guide.HTM"},
      {"docs\\gUide.htm", true, "Docs/Guide.HTM"},  // else first in byte order
      {"DOCS\\caf\xC3\x89.html", true, "Docs/Caf\xC3\x89.html"},
      {"docs\\caf\xC3\xA9.html", false, ""},  // UTF-8 letters are not folded
      {".\\docs\\.\\guide.htm", true, "Docs/guide.htm"},
      {"docs\\empty\\..\\guide.htm", true, "Docs/guide.htm"},
      {"nowhere\\..\\index.htm", true, "index.htm"},  // folders need not exist
      {"..\\..\\index.htm", true, "index.htm"},       // never above the root
      {"docs\\\\guide.htm", true, "Docs/guide.htm"},  // empty components
      {"docs2\\a*b?.htm", true, "docs2/a*b?.htm"},    // no wildcards
      {"docs2\\a*b*.htm", false, ""},
      {"docs2\\*", false, ""},
      {"docs", false, ""},          // a folder is no file
      {"docs\\empty", false, ""},
      {"pipe.htm", false, ""},      // neither file nor folder
      {"data\\file\\", false, ""},  // a final backslash names nothing
      {"", false, ""},
      {"index.htm\\x", false, ""},  // a file is no folder
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.file, site.FileExists(c.path)) << c.path;
    const auto real = site.RealFilePath(c.path);
    EXPECT_EQ(c.file, real.has_value()) << c.path;
    if (real) {
      EXPECT_EQ(c.real, *real) << c.path;
    }
    // Only a path spelled as on disk is said to be so.
    std::string slashed = c.path;
    std::replace(slashed.begin(), slashed.end(), '\\', '/');
    EXPECT_EQ(c.file && slashed == c.real, site.Classify(c.path).exact_file)
        << c.path;
  }
}

TEST_F(SiteFolderTest, FolderTest) {
  SiteFolder site(fs_);
  EXPECT_TRUE(site.FolderExists(""));  // the site folder itself
  EXPECT_TRUE(site.FolderExists("docs"));
  EXPECT_TRUE(site.FolderExists("docs\\"));
  EXPECT_TRUE(site.FolderExists("DOCS\\EMPTY"));
  EXPECT_FALSE(site.FolderExists("docs\\\\"));
  EXPECT_FALSE(site.FolderExists("index.htm"));
  EXPECT_FALSE(site.FolderExists("nothing"));
}

TEST_F(SiteFolderTest, LongPathsNameNothing) {
  const std::string name(255, 'x');
  fs_.AddFile("d/" + name, "x");
  fs_.AddFile("ddd/" + name, "x");
  fs_.AddFile("dddd/" + name, "x");
  SiteFolder site(fs_);
  EXPECT_TRUE(site.FileExists("d\\" + name));     // 257 bytes
  EXPECT_TRUE(site.FileExists("ddd\\" + name));   // 259 bytes
  EXPECT_FALSE(site.FileExists("dddd\\" + name)); // 260 bytes
  EXPECT_FALSE(site.FileExists("d\\.\\.\\" + name));  // 261 bytes as written
}

TEST_F(SiteFolderTest, NulBytesNameNothing) {
  SiteFolder site(fs_);
  EXPECT_FALSE(site.FileExists(std::string("index.htm\0", 10)));
  EXPECT_FALSE(site.FileExists(std::string("in\0dex.htm", 10)));
}

TEST_F(SiteFolderTest, ListsEachFolderOnce) {
  SiteFolder site(fs_);
  for (int i = 0; i < 3; ++i) {
    site.FileExists("docs\\guide.htm");
    site.FileExists("Docs\\missing.htm");
    site.FolderExists("docs\\empty");
    site.FileExists("nowhere\\x.htm");
    site.FileExists("docs\\EMPTY\\x.htm");
  }
  EXPECT_EQ((std::vector<std::string>{"", "Docs", "Docs/Empty"}), fs_.list_log());
}

TEST_F(SiteFolderTest, ReadPageNamesTheFileAsFoundOnDisk) {
  SiteFolder site(fs_);
  EXPECT_EQ("guide", site.ReadPage("DOCS\\Guide.htm"));
  EXPECT_EQ((std::vector<std::string>{"Docs/Guide.HTM"}), fs_.read_log());
  fs_.FailRead("Docs/guide.htm", 13);
  try {
    site.ReadPage("docs\\guide.htm");
    ADD_FAILURE() << "no failure";
  } catch (const Failure& f) {
    EXPECT_EQ(FailureKind::kInOutError, f.kind());
    EXPECT_EQ("File access denied", f.message());
    EXPECT_EQ("Docs/guide.htm", f.file());
  }
  try {
    site.ReadPage("docs\\gone.htm");
    ADD_FAILURE() << "no failure";
  } catch (const Failure& f) {
    EXPECT_EQ("File not found", f.message());
    EXPECT_EQ("docs/gone.htm", f.file());
  }
}

TEST_F(SiteFolderTest, ModificationTimeComesFromTheRead) {
  fs_.AddFile("page.htm", "p", 1000);
  SiteFolder site(fs_);
  site.ReadPage("page.htm");
  fs_.FailStat("page.htm");  // no stat is needed after the read
  EXPECT_EQ(1000, site.ModificationTime("PAGE.htm"));
  EXPECT_EQ(FakeFileSystem::kDefaultTime, site.ModificationTime("index.htm"));
  fs_.FailStat("docs2/a*b?.htm");
  EXPECT_EQ(std::nullopt, site.ModificationTime("docs2\\a*b?.htm"));
  EXPECT_EQ(std::nullopt, site.ModificationTime("missing.htm"));
}

}  // namespace
}  // namespace quillon
