#include "platform/site_folder.h"

#include <algorithm>
#include <utility>

#include "text/case_table.h"
#include "text/failure.h"

namespace quillon {
namespace {

constexpr std::size_t kMaxPathBytes = 259;

// The components of a path after the textual ".." and "." rules.
std::vector<std::string_view> Components(std::string_view path) {
  std::vector<std::string_view> parts;
  std::size_t begin = 0;
  while (begin <= path.size()) {
    std::size_t end = path.find('\\', begin);
    if (end == std::string_view::npos) end = path.size();
    const std::string_view part = path.substr(begin, end - begin);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    begin = end + 1;
  }
  return parts;
}

}  // namespace

SiteFolder::SiteFolder(FileSystem& fs) : fs_(fs) {}

SiteFolder::Folder* SiteFolder::GetFolder(const std::string& real_path) {
  auto it = folders_.find(real_path);
  if (it != folders_.end()) return it->second.get();
  std::unique_ptr<Folder> folder;
  if (auto listed = fs_.ListFolder(real_path)) {
    folder = std::make_unique<Folder>();
    std::sort(listed->begin(), listed->end(),
              [](const DirEntry& a, const DirEntry& b) {
                return a.name < b.name;
              });
    folder->entries.reserve(listed->size());
    for (auto& e : *listed) {
      // A name holding a backslash can never be reached by a path.
      if (e.name.find('\\') != std::string::npos) continue;
      folder->entries.push_back({std::move(e.name), e.kind, std::nullopt});
    }
    for (std::uint32_t i = 0; i < folder->entries.size(); ++i) {
      folder->by_fold[LowerCaseText(folder->entries[i].name)].push_back(i);
    }
  }
  // A folder that cannot be listed is remembered as holding nothing.
  Folder* result = folder.get();
  folders_.emplace(real_path, std::move(folder));
  return result;
}

std::optional<SiteFolder::Found> SiteFolder::Find(std::string_view path,
                                                  EntryKind want) {
  if (path.size() > kMaxPathBytes) return std::nullopt;
  const std::vector<std::string_view> parts = Components(path);
  Found found;
  if (parts.empty()) {
    if (want != EntryKind::kFolder) return std::nullopt;
    return found;
  }
  for (std::size_t i = 0; i < parts.size(); ++i) {
    const EntryKind kind = i + 1 < parts.size() ? EntryKind::kFolder : want;
    Folder* folder = GetFolder(found.real_path);
    if (folder == nullptr) return std::nullopt;
    auto it = folder->by_fold.find(LowerCaseText(parts[i]));
    if (it == folder->by_fold.end()) return std::nullopt;
    Entry* match = nullptr;
    for (std::uint32_t index : it->second) {
      Entry& e = folder->entries[index];
      if (e.kind != kind) continue;
      if (e.name == parts[i]) {
        match = &e;
        break;
      }
      if (match == nullptr) match = &e;
    }
    if (match == nullptr) return std::nullopt;
    if (!found.real_path.empty()) found.real_path += '/';
    found.real_path += match->name;
    found.entry = match;
  }
  return found;
}

bool SiteFolder::FileExists(std::string_view path) {
  if (path.empty() || path.back() == '\\') return false;
  return Find(path, EntryKind::kFile).has_value();
}

bool SiteFolder::FolderExists(std::string_view path) {
  if (!path.empty() && path.back() == '\\') path.remove_suffix(1);
  if (!path.empty() && path.back() == '\\') return false;
  return Find(path, EntryKind::kFolder).has_value();
}

std::optional<std::string> SiteFolder::RealFilePath(std::string_view path) {
  if (path.empty() || path.back() == '\\') return std::nullopt;
  auto found = Find(path, EntryKind::kFile);
  if (!found) return std::nullopt;
  return std::move(found->real_path);
}

std::string SiteFolder::ReadPage(std::string_view path) {
  std::optional<Found> found;
  if (!path.empty() && path.back() != '\\') found = Find(path, EntryKind::kFile);
  if (!found) {
    std::string shown(path);
    std::replace(shown.begin(), shown.end(), '\\', '/');
    throw Failure(FailureKind::kInOutError, "File not found", shown);
  }
  FileContents contents = fs_.ReadFile(found->real_path);
  found->entry->mtime = contents.mtime;
  return std::move(contents.bytes);
}

std::optional<std::int64_t> SiteFolder::ModificationTime(std::string_view path) {
  std::optional<Found> found;
  if (!path.empty() && path.back() != '\\') found = Find(path, EntryKind::kFile);
  if (!found) return std::nullopt;
  if (found->entry->mtime) return found->entry->mtime;
  auto mtime = fs_.ModificationTime(found->real_path);
  found->entry->mtime = mtime;
  return mtime;
}

}  // namespace quillon
