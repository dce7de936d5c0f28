// The file-system primitives the program needs, behind an interface so that
// tests can run the crawl and the output on an in-memory site.
//
// Paths given to a FileSystem are real paths relative to the site folder, as
// found on disk, with "/" separators ("" is the site folder itself). They are
// built from directory listings only, never from link text.
#ifndef QUILLON_PLATFORM_FILE_SYSTEM_H_
#define QUILLON_PLATFORM_FILE_SYSTEM_H_

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quillon {

enum class EntryKind {
  kFile,    // a regular file, or a symbolic link to one
  kFolder,  // a folder, or a symbolic link to one
  kOther,   // anything else: FIFO, socket, device, broken or looping link
};

struct DirEntry {
  std::string name;
  EntryKind kind;
};

// A whole file read into memory, with the modification time taken from the
// same open file (seconds since the epoch).
struct FileContents {
  std::string bytes;
  std::int64_t mtime = 0;
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // The entries of folder `dir`, without "." and "..", in any order; nullopt
  // when it cannot be listed. Symbolic links are followed to find the kind.
  virtual std::optional<std::vector<DirEntry>> ListFolder(
      const std::string& dir) = 0;

  // Reads a regular file whole. Throws Failure kInOutError, naming the file.
  virtual FileContents ReadFile(const std::string& path) = 0;

  // Modification time in seconds since the epoch; nullopt when the file
  // cannot be stat'ed.
  virtual std::optional<std::int64_t> ModificationTime(
      const std::string& path) = 0;

  // Writes `bytes` to a new temporary file in the site folder next to
  // `target` and flushes it to disk; returns the temporary file's name.
  // Throws kFileCreateError "Cannot create file <target>" when the target is
  // a folder or read-only or no temporary file can be created, and
  // kStreamWriteError "Stream write error" when the write stops short (the
  // temporary file is then removed).
  virtual std::string WriteTemporary(const std::string& target,
                                     const std::string& bytes) = 0;

  // Renames `from` over `to`, atomically. Throws kFileCreateError.
  virtual void Rename(const std::string& from, const std::string& to) = 0;

  // Removes a file; false when it could not be removed.
  virtual bool Remove(const std::string& path) = 0;
};

// The real file system under `root`, which must be a folder.
std::unique_ptr<FileSystem> NewPosixFileSystem(const std::string& root);

// True when `path` names a folder (following symbolic links).
bool IsFolder(const std::string& path);

}  // namespace quillon

#endif  // QUILLON_PLATFORM_FILE_SYSTEM_H_
