#include "platform/fake_file_system.h"

#include <cerrno>
#include <cstring>
#include <mutex>
#include <stdexcept>

#include "text/failure.h"

namespace quillon {

void FakeFileSystem::AddParents(const std::string& path) {
  for (std::size_t slash = path.find('/'); slash != std::string::npos;
       slash = path.find('/', slash + 1)) {
    nodes_.insert({path.substr(0, slash), {EntryKind::kFolder, {}, kDefaultTime}});
  }
}

void FakeFileSystem::AddFile(const std::string& path, std::string bytes,
                             std::int64_t mtime) {
  AddParents(path);
  nodes_[path] = {EntryKind::kFile, std::move(bytes), mtime};
}

void FakeFileSystem::AddFolder(const std::string& path) {
  AddParents(path);
  nodes_[path] = {EntryKind::kFolder, {}, kDefaultTime};
}

void FakeFileSystem::AddOther(const std::string& path) {
  AddParents(path);
  nodes_[path] = {EntryKind::kOther, {}, kDefaultTime};
}

const std::string& FakeFileSystem::Contents(const std::string& path) const {
  auto it = nodes_.find(path);
  if (it == nodes_.end()) throw std::out_of_range("no file " + path);
  return it->second.bytes;
}

std::optional<std::vector<DirEntry>> FakeFileSystem::ListFolder(
    const std::string& dir) {
  std::lock_guard<std::mutex> lock(mutex_);
  list_log_.push_back(dir);
  if (!dir.empty()) {
    auto it = nodes_.find(dir);
    if (it == nodes_.end() || it->second.kind != EntryKind::kFolder) {
      return std::nullopt;
    }
  }
  const std::string prefix = dir.empty() ? "" : dir + "/";
  std::vector<DirEntry> entries;
  for (auto it = nodes_.lower_bound(prefix);
       it != nodes_.end() && it->first.compare(0, prefix.size(), prefix) == 0;
       ++it) {
    const std::string rest = it->first.substr(prefix.size());
    if (rest.empty() || rest.find('/') != std::string::npos) continue;
    entries.push_back({rest, it->second.kind});
  }
  return entries;
}

std::int64_t FakeFileSystem::ReadFile(const std::string& path,
                                      ReadBuffer& buffer) {
  std::lock_guard<std::mutex> lock(mutex_);
  read_log_.push_back(path);
  auto error = read_errors_.find(path);
  auto it = nodes_.find(path);
  if (error == read_errors_.end() && it == nodes_.end()) {
    error = read_errors_.emplace(path, ENOENT).first;
  }
  if (error != read_errors_.end()) {
    const int e = error->second;
    std::string message = e == ENOENT   ? "File not found"
                          : e == EACCES ? "File access denied"
                                        : "I/O error " + std::to_string(e);
    throw Failure(FailureKind::kInOutError, message, path);
  }
  const std::string& bytes = it->second.bytes;
  buffer.set_size(0);
  buffer.Reserve(bytes.size());
  if (!bytes.empty()) std::memcpy(buffer.data(), bytes.data(), bytes.size());
  buffer.set_size(bytes.size());
  return it->second.mtime;
}

std::optional<std::int64_t> FakeFileSystem::ModificationTime(
    const std::string& path) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = nodes_.find(path);
  if (it == nodes_.end() || stat_failures_.count(path)) return std::nullopt;
  return it->second.mtime;
}

std::string FakeFileSystem::WriteTemporary(
    const std::string& target, const std::vector<std::string>& pieces) {
  std::string bytes;
  for (const auto& p : pieces) bytes += p;
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = nodes_.find(target);
  if (create_failures_.count(target) ||
      (it != nodes_.end() && it->second.kind == EntryKind::kFolder)) {
    throw Failure(FailureKind::kFileCreateError, "Cannot create file " + target,
                  target);
  }
  if (write_failures_.count(target)) {
    throw Failure(FailureKind::kStreamWriteError, "Stream write error", target);
  }
  const std::string temp = "." + target + ".tmp" + std::to_string(++temp_counter_);
  nodes_[temp] = {EntryKind::kFile, bytes, kDefaultTime};
  return temp;
}

void FakeFileSystem::Rename(const std::string& from, const std::string& to) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = nodes_.find(from);
  if (it == nodes_.end()) {
    throw Failure(FailureKind::kFileCreateError, "Cannot create file " + to, to);
  }
  Node node = std::move(it->second);
  nodes_.erase(it);
  nodes_[to] = std::move(node);
}

bool FakeFileSystem::Remove(const std::string& path) {
  std::lock_guard<std::mutex> lock(mutex_);
  return nodes_.erase(path) != 0;
}

}  // namespace quillon
