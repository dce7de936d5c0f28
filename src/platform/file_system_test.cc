// One contract for both file systems, then what only the real one can show.
#include "platform/file_system.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "platform/fake_file_system.h"
#include "platform/output_writer.h"
#include "platform/site_folder.h"
#include "text/failure.h"

namespace quillon {
namespace {

namespace stdfs = std::filesystem;

// A fresh temporary folder, removed with everything in it.
class ScopedTempDir {
 public:
  ScopedTempDir() {
    std::string pattern =
        (stdfs::temp_directory_path() / "quillon-test-XXXXXX").string();
    path_ = ::mkdtemp(pattern.data());
  }
  ~ScopedTempDir() {
    std::error_code ec;
    stdfs::permissions(path_, stdfs::perms::owner_all,
                       stdfs::perm_options::add, ec);
    stdfs::remove_all(path_, ec);
  }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void Spit(const std::string& path, const std::string& bytes) {
  stdfs::create_directories(stdfs::path(path).parent_path());
  std::ofstream(path, std::ios::binary) << bytes;
}

// Each implementation with a way to put a file in place beforehand.
struct FakeEnv {
  FakeFileSystem fake;
  FileSystem& fs() { return fake; }
  void Put(const std::string& path, const std::string& bytes) {
    fake.AddFile(path, bytes, 1000);
  }
  std::string Get(const std::string& path) { return fake.Contents(path); }
  bool Has(const std::string& path) { return fake.Has(path); }
};

struct PosixEnv {
  ScopedTempDir dir;
  std::unique_ptr<FileSystem> posix = NewPosixFileSystem(dir.path());
  FileSystem& fs() { return *posix; }
  void Put(const std::string& path, const std::string& bytes) {
    Spit(dir.path() + "/" + path, bytes);
    const struct timespec times[2] = {{1000, 0}, {1000, 0}};
    ::utimensat(AT_FDCWD, (dir.path() + "/" + path).c_str(), times, 0);
  }
  std::string Get(const std::string& path) { return Slurp(dir.path() + "/" + path); }
  bool Has(const std::string& path) { return stdfs::exists(dir.path() + "/" + path); }
};

template <typename Env>
class FileSystemContract : public ::testing::Test {
 protected:
  Env env_;
};
using Envs = ::testing::Types<FakeEnv, PosixEnv>;
TYPED_TEST_SUITE(FileSystemContract, Envs);

TYPED_TEST(FileSystemContract, ListsReadsAndStats) {
  auto& env = this->env_;
  env.Put("Page.htm", "a\r\nb");
  env.Put("Sub/x.html", "");
  auto entries = env.fs().ListFolder("");
  ASSERT_TRUE(entries.has_value());
  std::sort(entries->begin(), entries->end(),
            [](const DirEntry& a, const DirEntry& b) { return a.name < b.name; });
  ASSERT_EQ(2u, entries->size());
  EXPECT_EQ("Page.htm", (*entries)[0].name);
  EXPECT_EQ(EntryKind::kFile, (*entries)[0].kind);
  EXPECT_EQ("Sub", (*entries)[1].name);
  EXPECT_EQ(EntryKind::kFolder, (*entries)[1].kind);
  EXPECT_FALSE(env.fs().ListFolder("Nothing").has_value());

  ReadBuffer buffer;
  EXPECT_EQ(1000, env.fs().ReadFile("Page.htm", buffer));
  EXPECT_EQ("a\r\nb", buffer.view());
  env.Put("Empty.htm", "");
  env.fs().ReadFile("Empty.htm", buffer);  // the buffer is reused
  EXPECT_EQ("", buffer.view());
  EXPECT_EQ(1000, env.fs().ModificationTime("Page.htm"));
  EXPECT_EQ(std::nullopt, env.fs().ModificationTime("gone.htm"));
}

TYPED_TEST(FileSystemContract, AMissingFileIsNotFound) {
  try {
    ReadBuffer buffer;
    this->env_.fs().ReadFile("gone.htm", buffer);
    ADD_FAILURE() << "no failure";
  } catch (const Failure& f) {
    EXPECT_EQ(FailureKind::kInOutError, f.kind());
    EXPECT_EQ("File not found", f.message());
    EXPECT_EQ("gone.htm", f.file());
  }
}

TYPED_TEST(FileSystemContract, OutputsReplaceTheirTargetsTogether) {
  auto& env = this->env_;
  env.Put("sitemap.xml", "old xml");
  WriteOutputFiles(env.fs(), {{"sitemap.xml", "new xml"}, {"sitemap.txt", "new txt"}});
  EXPECT_EQ("new xml", env.Get("sitemap.xml"));
  EXPECT_EQ("new txt", env.Get("sitemap.txt"));
  auto entries = env.fs().ListFolder("");
  EXPECT_EQ(2u, entries->size());  // no temporary file left behind
}

TYPED_TEST(FileSystemContract, AFailureBeforeTheRenamesKeepsEveryOldOutput) {
  auto& env = this->env_;
  env.Put("sitemap.xml", "old xml");
  env.Put("sitemap.txt", "old txt");
  EXPECT_THROW(WriteOutputFiles(env.fs(),
                                {{"sitemap.xml", "new xml"},
                                 {"sitemap.txt", "new txt"}},
                                [] {
                                  throw Failure(FailureKind::kStreamWriteError,
                                                "Stream write error");
                                }),
               Failure);
  EXPECT_EQ("old xml", env.Get("sitemap.xml"));
  EXPECT_EQ("old txt", env.Get("sitemap.txt"));
  EXPECT_EQ(2u, env.fs().ListFolder("")->size());
}

TYPED_TEST(FileSystemContract, AFolderCannotBeReplaced) {
  auto& env = this->env_;
  env.Put("sitemap.txt/inner", "x");
  env.Put("sitemap.xml", "old xml");
  try {
    WriteOutputFiles(env.fs(), {{"sitemap.xml", "new"}, {"sitemap.txt", "new"}});
    ADD_FAILURE() << "no failure";
  } catch (const Failure& f) {
    EXPECT_EQ(FailureKind::kFileCreateError, f.kind());
    EXPECT_EQ("Cannot create file sitemap.txt", f.message());
  }
  EXPECT_EQ("old xml", env.Get("sitemap.xml"));  // the first stays old too
  EXPECT_EQ(2u, env.fs().ListFolder("")->size());
}

// The files are written on two threads; the failure reported is still the
// one the first failing file gives, and no file of the others is left.
TYPED_TEST(FileSystemContract, TheFirstFileThatFailsIsTheOneReported) {
  auto& env = this->env_;
  env.Put("sitemap-2.xml/inner", "x");
  env.Put("sitemap.txt/inner", "x");
  env.Put("sitemap.xml", "old xml");
  // Large enough for the second thread to be used.
  const std::string large(1 << 20, 'x');
  for (int round = 0; round < 20; ++round) {
    try {
      std::vector<OutputFile> files;
      files.emplace_back("sitemap-1.xml", large);
      files.emplace_back("sitemap-2.xml", "2");
      files.emplace_back("sitemap-3.xml", large);
      files.emplace_back("sitemap.xml", "index");
      files.emplace_back("sitemap.txt", "report");
      WriteOutputFiles(env.fs(), files);
      ADD_FAILURE() << "no failure";
    } catch (const Failure& f) {
      EXPECT_EQ("Cannot create file sitemap-2.xml", f.message());
    }
    EXPECT_EQ("old xml", env.Get("sitemap.xml"));
    EXPECT_EQ(3u, env.fs().ListFolder("")->size());
  }
}

class PosixFileSystemTest : public ::testing::Test {
 protected:
  std::string At(const std::string& name) { return dir_.path() + "/" + name; }
  ScopedTempDir dir_;
  std::unique_ptr<FileSystem> fs_ = NewPosixFileSystem(dir_.path());
};

EntryKind KindOf(FileSystem& fs, const std::string& dir, const std::string& name) {
  const auto entries = fs.ListFolder(dir);
  for (const DirEntry& e : *entries) {
    if (e.name == name) return e.kind;
  }
  ADD_FAILURE() << name << " not listed";
  return EntryKind::kOther;
}

TEST_F(PosixFileSystemTest, SpecialFilesAndLinksAreKnownByWhatTheyLeadTo) {
  Spit(At("page.htm"), "p");
  stdfs::create_directory(At("sub"));
  ASSERT_EQ(0, ::mkfifo(At("fifo.htm").c_str(), 0644));
  stdfs::create_symlink("page.htm", At("link.htm"));
  stdfs::create_directory_symlink("sub", At("linkdir"));
  stdfs::create_symlink("loop.htm", At("loop.htm"));
  stdfs::create_symlink("missing.htm", At("dangling.htm"));
  stdfs::create_directory_symlink("..", At("sub/up"));     // a loop inside
  ScopedTempDir outside;
  Spit(outside.path() + "/secret.htm", "secret");
  stdfs::create_symlink(outside.path() + "/secret.htm", At("out.htm"));
  stdfs::create_directory_symlink(outside.path(), At("outdir"));
  stdfs::create_directory_symlink("..", At("parent"));     // leaves the site

  EXPECT_EQ(EntryKind::kOther, KindOf(*fs_, "", "fifo.htm"));
  EXPECT_EQ(EntryKind::kFile, KindOf(*fs_, "", "link.htm"));
  EXPECT_EQ(EntryKind::kFolder, KindOf(*fs_, "", "linkdir"));
  EXPECT_EQ(EntryKind::kOther, KindOf(*fs_, "", "loop.htm"));
  EXPECT_EQ(EntryKind::kOther, KindOf(*fs_, "", "dangling.htm"));
  EXPECT_EQ(EntryKind::kFolder, KindOf(*fs_, "sub", "up"));
  EXPECT_EQ(EntryKind::kOther, KindOf(*fs_, "", "out.htm"));
  EXPECT_EQ(EntryKind::kOther, KindOf(*fs_, "", "outdir"));
  EXPECT_EQ(EntryKind::kOther, KindOf(*fs_, "", "parent"));

  SiteFolder site(*fs_);
  EXPECT_TRUE(site.FileExists("sub\\up\\sub\\up\\page.htm"));
  EXPECT_FALSE(site.FileExists("fifo.htm"));
  EXPECT_FALSE(site.FileExists("parent\\secret.htm"));
}

TEST_F(PosixFileSystemTest, AFifoThatTakesAPagesPlaceIsNotWaitedFor) {
  ASSERT_EQ(0, ::mkfifo(At("page.htm").c_str(), 0644));
  try {
    ReadBuffer buffer;
    fs_->ReadFile("page.htm", buffer);
    ADD_FAILURE() << "no failure";
  } catch (const Failure& f) {
    EXPECT_EQ(FailureKind::kInOutError, f.kind());
    EXPECT_EQ("I/O error 22", f.message());
  }
}

TEST_F(PosixFileSystemTest, ReadErrorsNameTheirCause) {
  stdfs::create_directory(At("dir.htm"));
  try {
    ReadBuffer buffer;
    fs_->ReadFile("dir.htm", buffer);
    ADD_FAILURE() << "no failure";
  } catch (const Failure& f) {
    EXPECT_EQ("File access denied", f.message());
  }
  Spit(At("file"), "x");
  try {
    ReadBuffer buffer;
    fs_->ReadFile("file/x.htm", buffer);
    ADD_FAILURE() << "no failure";
  } catch (const Failure& f) {
    EXPECT_EQ("Invalid filename", f.message());
  }
  if (::geteuid() != 0) {
    Spit(At("locked.htm"), "x");
    ::chmod(At("locked.htm").c_str(), 0);
    try {
      ReadBuffer buffer;
      fs_->ReadFile("locked.htm", buffer);
      ADD_FAILURE() << "no failure";
    } catch (const Failure& f) {
      EXPECT_EQ("File access denied", f.message());
      EXPECT_EQ("locked.htm", f.file());
    }
  }
}

TEST_F(PosixFileSystemTest, AReadOnlyOutputIsLeftAlone) {
  Spit(At("sitemap.xml"), "old");
  ::chmod(At("sitemap.xml").c_str(), 0444);
  try {
    WriteOutputFiles(*fs_, {{"sitemap.xml", "new"}});
    ADD_FAILURE() << "no failure";
  } catch (const Failure& f) {
    EXPECT_EQ(FailureKind::kFileCreateError, f.kind());
    EXPECT_EQ("Cannot create file sitemap.xml", f.message());
  }
  EXPECT_EQ("old", Slurp(At("sitemap.xml")));
}

TEST_F(PosixFileSystemTest, NewOutputsArePublishable) {
  WriteOutputFiles(*fs_, {{"sitemap.xml", "new"}});
  const mode_t mask = ::umask(022);
  ::umask(mask);
  struct stat st;
  ASSERT_EQ(0, ::stat(At("sitemap.xml").c_str(), &st));
  EXPECT_EQ(0666 & ~mask, st.st_mode & 0777);
}

}  // namespace
}  // namespace quillon
