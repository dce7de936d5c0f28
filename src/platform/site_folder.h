// The site as the crawl sees it: paths with backslash separators, matched
// against the folder's entries without regard to letter case.
//
// A path is split on backslashes; empty and "." components are dropped and a
// ".." component removes the one before it, never climbing above the site
// folder (the folders on the way need not exist). Each remaining component is
// matched against the entries of its folder under the case fold of the lists:
// an exact byte match wins, otherwise the first matching entry in byte order
// among those of the kind needed there (a folder for every component but the
// last). "*" and "?" are ordinary characters. The empty path, a path ending in
// a backslash and a path of more than 259 bytes name nothing. Each folder is
// listed at most once per SiteFolder.
#ifndef QUILLON_PLATFORM_SITE_FOLDER_H_
#define QUILLON_PLATFORM_SITE_FOLDER_H_

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"
#include "text/arena.h"
#include "text/folded_index.h"

namespace quillon {

class SiteFolder {
 public:
  // `fs` must outlive this object.
  explicit SiteFolder(FileSystem& fs);
  ~SiteFolder();
  SiteFolder(const SiteFolder&) = delete;
  SiteFolder& operator=(const SiteFolder&) = delete;

  FileSystem& fs() { return fs_; }

  // True when `path` names a regular file (or a symbolic link to one).
  bool FileExists(std::string_view path);

  // True when `path` names a folder; one final backslash is ignored, and the
  // empty path is the site folder itself.
  bool FolderExists(std::string_view path);

  // What `path` names, both tests at once: a folder (one final backslash
  // ignored), a regular file, or nothing.
  struct Names {
    bool folder = false;
    bool file = false;
    // A file found whose path on disk is `path` byte for byte, with "/"
    // for backslashes: every component matched its own spelling.
    bool exact_file = false;
  };
  Names Classify(std::string_view path);

  // The real path ("/" separators, as on disk) of the regular file that
  // `path` names, or nullopt.
  std::optional<std::string> RealFilePath(std::string_view path);

  // A page file found for reading, with its real path.
  class PageFile;
  std::optional<PageFile> FindPage(std::string_view path);
  // The same for a page that must be there: throws Failure kInOutError
  // "File not found" naming the path when it is not.
  PageFile PageToRead(std::string_view path);

  // Reads the page that `path` names into `buffer`. Throws Failure
  // kInOutError naming the file ("File not found" when there is none).
  void ReadPage(std::string_view path, ReadBuffer& buffer);
  std::string ReadPage(std::string_view path);

  // Frees the listings read so far; they are read again when needed.
  void ForgetListings();

  // The modification time of the file `path` names, from the read of the
  // page when there was one (and the listings not forgotten since); nullopt when the file cannot be found or
  // stat'ed.
  std::optional<std::int64_t> ModificationTime(std::string_view path);

 private:
  struct Folder;
  struct Entry {
    const char* counted_name;  // in the folder's arena
    EntryKind kind;
    bool has_mtime = false;
    std::int64_t mtime = 0;
    std::unique_ptr<Folder> folder;  // listed on first use
    std::string_view name() const { return Arena::Counted(counted_name); }
  };
  // A site may hold hundreds of thousands of entries, so a folder keeps its
  // names in one arena and finds them by a flat table of folded hashes.
  struct Folder {
    Arena names;
    std::vector<Entry> entries;  // in byte order of their names
    // Names by folded form (the first entry of each group), and the chain
    // of each group in byte order.
    FoldedIndex folds;
    std::vector<std::uint32_t> next;
  };

  // The folder that holds the last component of `path`, with that component
  // and the real path of the folder; null when a folder on the way is
  // missing. For the site folder itself `*last` is empty.
  Folder* Parent(std::string_view path, std::string_view* last,
                 std::string& real, bool* exact = nullptr);
  Folder* Listed(Entry* entry, const std::string& real);
  Entry* Match(Folder& folder, std::string_view name, EntryKind kind);
  Entry* FindFile(std::string_view path, std::string& real);
  void RememberModificationTime(const PageFile& page, std::int64_t mtime);

  FileSystem& fs_;

 public:
  class PageFile {
   public:
    const std::string& real_path() const { return real_path_; }

   private:
    friend class SiteFolder;
    std::string real_path_;
    Entry* entry_ = nullptr;
  };

 private:
  Entry root_{"\0", EntryKind::kFolder, false, 0, nullptr};
  std::string real_;    // scratch
  std::vector<std::string_view> parts_;  // scratch
};

}  // namespace quillon

#endif  // QUILLON_PLATFORM_SITE_FOLDER_H_
