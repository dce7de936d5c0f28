#include "platform/site_folder.h"

#include <algorithm>
#include <limits>
#include <utility>

#include "text/case_table.h"
#include "text/failure.h"

namespace quillon {
namespace {

constexpr std::size_t kMaxPathBytes = 259;
constexpr std::uint32_t kNone = std::numeric_limits<std::uint32_t>::max();

// The components of a path after the textual ".." and "." rules.
void Components(std::string_view path, std::vector<std::string_view>& parts) {
  parts.clear();
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
}

void AppendComponent(std::string& real, std::string_view name) {
  if (!real.empty()) real += '/';
  real.append(name);
}

}  // namespace

SiteFolder::SiteFolder(FileSystem& fs) : fs_(fs) {}

SiteFolder::~SiteFolder() = default;

SiteFolder::Folder* SiteFolder::Listed(Entry* entry, const std::string& real) {
  if (entry->folder) return entry->folder.get();
  entry->folder = std::make_unique<Folder>();
  Folder& folder = *entry->folder;
  auto listed = fs_.ListFolder(real);
  if (!listed) return &folder;  // remembered as holding nothing
  std::sort(listed->begin(), listed->end(),
            [](const DirEntry& a, const DirEntry& b) { return a.name < b.name; });
  folder.entries.reserve(listed->size());
  for (auto& e : *listed) {
    // A name holding a backslash can never be reached by a path.
    if (e.name.find('\\') != std::string::npos) continue;
    folder.entries.push_back({folder.names.StoreCounted(e.name), e.kind, false, 0, nullptr});
  }
  listed.reset();
  const auto name_of = [&folder](std::uint32_t i) { return folder.entries[i].name(); };
  folder.folds.Reserve(folder.entries.size(), name_of);
  folder.next.assign(folder.entries.size(), kNone);
  // Entries come in byte order, so each group is chained in byte order.
  std::vector<std::uint32_t> last(folder.entries.size(), kNone);  // by first
  for (std::uint32_t i = 0; i < folder.entries.size(); ++i) {
    bool inserted = false;
    const std::uint32_t first =
        folder.folds.FindOrInsert(folder.entries[i].name(), i, name_of, &inserted);
    if (!inserted) folder.next[last[first]] = i;
    last[first] = i;
  }
  return &folder;
}

SiteFolder::Entry* SiteFolder::Match(Folder& folder, std::string_view name,
                                     EntryKind kind) {
  const std::int64_t first = folder.folds.Find(
      name, [&folder](std::uint32_t i) { return folder.entries[i].name(); });
  if (first < 0) return nullptr;
  Entry* match = nullptr;
  for (auto i = static_cast<std::uint32_t>(first); i != kNone; i = folder.next[i]) {
    Entry& e = folder.entries[i];
    if (e.kind != kind) continue;
    if (e.name() == name) return &e;  // an exact byte match wins
    if (match == nullptr) match = &e;
  }
  return match;
}

SiteFolder::Folder* SiteFolder::Parent(std::string_view path,
                                       std::string_view* last,
                                       std::string& real, bool* exact) {
  real.clear();
  if (path.size() > kMaxPathBytes) return nullptr;
  Components(path, parts_);
  Folder* folder = Listed(&root_, real);
  if (parts_.empty()) {
    *last = {};
    return folder;
  }
  // The components are the path's own only when nothing was dropped.
  if (exact) {
    *exact = parts_.size() ==
             1 + static_cast<std::size_t>(std::count(path.begin(), path.end(), '\\'));
  }
  for (std::size_t i = 0; i + 1 < parts_.size(); ++i) {
    Entry* e = Match(*folder, parts_[i], EntryKind::kFolder);
    if (e == nullptr) return nullptr;
    if (exact && e->name() != parts_[i]) *exact = false;
    AppendComponent(real, e->name());
    folder = Listed(e, real);
  }
  *last = parts_.back();
  return folder;
}

SiteFolder::Names SiteFolder::Classify(std::string_view path) {
  Names names;
  std::string_view folder_path = path;
  if (!folder_path.empty() && folder_path.back() == '\\') {
    folder_path.remove_suffix(1);
  }
  if (!folder_path.empty() && folder_path.back() == '\\') return names;
  std::string_view last;
  bool exact = false;
  Folder* parent = Parent(folder_path, &last, real_, &exact);
  if (parent == nullptr) return names;
  if (last.empty()) {
    names.folder = true;  // the site folder itself
    return names;
  }
  names.folder = Match(*parent, last, EntryKind::kFolder) != nullptr;
  if (folder_path.size() == path.size()) {
    const Entry* file = Match(*parent, last, EntryKind::kFile);
    names.file = file != nullptr;
    names.exact_file = file != nullptr && exact && file->name() == last;
  }
  return names;
}

bool SiteFolder::FileExists(std::string_view path) {
  return FindFile(path, real_) != nullptr;
}

bool SiteFolder::FolderExists(std::string_view path) {
  return Classify(path).folder;
}

SiteFolder::Entry* SiteFolder::FindFile(std::string_view path,
                                        std::string& real) {
  if (path.empty() || path.back() == '\\') return nullptr;
  std::string_view last;
  Folder* parent = Parent(path, &last, real);
  if (parent == nullptr || last.empty()) return nullptr;
  Entry* e = Match(*parent, last, EntryKind::kFile);
  if (e != nullptr) AppendComponent(real, e->name());
  return e;
}

std::optional<std::string> SiteFolder::RealFilePath(std::string_view path) {
  std::string real;
  if (FindFile(path, real) == nullptr) return std::nullopt;
  return real;
}

std::string SiteFolder::ReadPage(std::string_view path) {
  ReadBuffer buffer;
  ReadPage(path, buffer);
  return std::string(buffer.view());
}

std::optional<SiteFolder::PageFile> SiteFolder::FindPage(std::string_view path) {
  PageFile page;
  page.entry_ = FindFile(path, page.real_path_);
  if (page.entry_ == nullptr) return std::nullopt;
  return page;
}

void SiteFolder::RememberModificationTime(const PageFile& page,
                                          std::int64_t mtime) {
  page.entry_->mtime = mtime;
  page.entry_->has_mtime = true;
}

SiteFolder::PageFile SiteFolder::PageToRead(std::string_view path) {
  std::optional<PageFile> page = FindPage(path);
  if (!page) {
    std::string shown(path);
    std::replace(shown.begin(), shown.end(), '\\', '/');
    throw Failure(FailureKind::kInOutError, "File not found", shown);
  }
  return std::move(*page);
}

void SiteFolder::ReadPage(std::string_view path, ReadBuffer& buffer) {
  const PageFile page = PageToRead(path);
  RememberModificationTime(page, fs_.ReadFile(page.real_path(), buffer));
}

void SiteFolder::ForgetListings() { root_.folder.reset(); }

std::optional<std::int64_t> SiteFolder::ModificationTime(std::string_view path) {
  std::string& real = real_;
  Entry* e = FindFile(path, real);
  if (e == nullptr) return std::nullopt;
  if (!e->has_mtime) {
    const std::optional<std::int64_t> mtime = fs_.ModificationTime(real);
    if (!mtime) return std::nullopt;
    e->mtime = *mtime;
    e->has_mtime = true;
  }
  return e->mtime;
}

}  // namespace quillon
