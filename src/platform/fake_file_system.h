// An in-memory FileSystem for tests: files with contents and time stamps,
// folders implied by the files' paths, a log of every read and listing, and
// switches that make a chosen file fail.
#ifndef QUILLON_PLATFORM_FAKE_FILE_SYSTEM_H_
#define QUILLON_PLATFORM_FAKE_FILE_SYSTEM_H_

#include <cstdint>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace quillon {

class FakeFileSystem final : public FileSystem {
 public:
  static constexpr std::int64_t kDefaultTime = 1714554424;  // 2024-05-01

  // Paths use "/" separators and are relative to the site folder.
  void AddFile(const std::string& path, std::string bytes,
               std::int64_t mtime = kDefaultTime);
  void AddFolder(const std::string& path);
  // Something that is neither a file nor a folder (a FIFO, say).
  void AddOther(const std::string& path);

  // Reading `path` fails with the message of this errno.
  void FailRead(const std::string& path, int error) { read_errors_[path] = error; }
  // Stat'ing `path` fails.
  void FailStat(const std::string& path) { stat_failures_.insert(path); }
  // Writing `target` fails: "create" refuses the file, "write" stops short.
  void FailCreate(const std::string& target) { create_failures_.insert(target); }
  void FailWrite(const std::string& target) { write_failures_.insert(target); }

  bool Has(const std::string& path) const { return nodes_.count(path) != 0; }
  const std::string& Contents(const std::string& path) const;

  const std::vector<std::string>& read_log() const { return read_log_; }
  const std::vector<std::string>& list_log() const { return list_log_; }

  std::optional<std::vector<DirEntry>> ListFolder(const std::string& dir) override;
  std::int64_t ReadFile(const std::string& path, ReadBuffer& buffer) override;
  std::optional<std::int64_t> ModificationTime(const std::string& path) override;
  std::string WriteTemporary(const std::string& target,
                             const std::vector<std::string>& pieces) override;
  void Rename(const std::string& from, const std::string& to) override;
  bool Remove(const std::string& path) override;

 private:
  struct Node {
    EntryKind kind;
    std::string bytes;
    std::int64_t mtime;
  };
  void AddParents(const std::string& path);

  std::map<std::string, Node> nodes_;
  std::map<std::string, int> read_errors_;
  std::set<std::string> stat_failures_;
  std::set<std::string> create_failures_;
  std::set<std::string> write_failures_;
  std::vector<std::string> read_log_;
  std::vector<std::string> list_log_;
  int temp_counter_ = 0;
  // The crawl reads pages on two threads while it lists folders, and the
  // output files are written on two threads.
  std::mutex mutex_;
};

}  // namespace quillon

#endif  // QUILLON_PLATFORM_FAKE_FILE_SYSTEM_H_
