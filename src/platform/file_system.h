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
#include <string_view>
#include <vector>

namespace quillon {

enum class EntryKind : unsigned char {
  kFile,    // a regular file, or a symbolic link to one
  kFolder,  // a folder, or a symbolic link to one
  kOther,   // anything else: FIFO, socket, device, broken or looping link
};

struct DirEntry {
  std::string name;
  EntryKind kind;
};

// A buffer that whole files are read into, reused from file to file so
// that a crawl allocates (and clears) memory only when a page is larger than
// any before it.
class ReadBuffer {
 public:
  char* data() { return data_.get(); }
  const char* data() const { return data_.get(); }
  std::size_t size() const { return size_; }
  std::size_t capacity() const { return capacity_; }
  std::string_view view() const { return {data_.get(), size_}; }
  // Makes room for `n` bytes, keeping the first size() bytes.
  void Reserve(std::size_t n);
  void set_size(std::size_t n) { size_ = n; }

 private:
  std::unique_ptr<char[]> data_;
  std::size_t capacity_ = 0;
  std::size_t size_ = 0;
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // The entries of folder `dir`, without "." and "..", in any order; nullopt
  // when it cannot be listed. Symbolic links are followed to find the kind.
  virtual std::optional<std::vector<DirEntry>> ListFolder(
      const std::string& dir) = 0;

  // Reads a regular file whole into `buffer` and returns its modification
  // time (seconds since the epoch), taken from the same open file. Throws
  // Failure kInOutError, naming the file. The crawl calls it from two
  // threads at once, and while it lists folders.
  virtual std::int64_t ReadFile(const std::string& path, ReadBuffer& buffer) = 0;

  // Modification time in seconds since the epoch; nullopt when the file
  // cannot be stat'ed.
  virtual std::optional<std::int64_t> ModificationTime(
      const std::string& path) = 0;

  // Writes `pieces`, one after the other, to a new temporary file in the site folder next to
  // `target` and flushes it to disk; returns the temporary file's name.
  // Throws kFileCreateError "Cannot create file <target>" when the target is
  // a folder or read-only or no temporary file can be created, and
  // kStreamWriteError "Stream write error" when the write stops short (the
  // temporary file is then removed). Two files may be written at once.
  virtual std::string WriteTemporary(const std::string& target,
                                     const std::vector<std::string>& pieces) = 0;

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
