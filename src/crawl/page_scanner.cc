#include "crawl/page_scanner.h"

#include <cstdint>
#include <cstring>
#include <exception>
#include <optional>
#include <vector>

#include "crawl/page_loader.h"
#include "crawl/page_reader.h"
#include "text/case_table.h"
#include "platform/file_system.h"

namespace quillon {
namespace {

// The targets of pages still being scanned live on one stack, five bytes
// each: a kind and an id. That is all the rest of a page's scan needs once
// its text is gone. The site does not change during the run, so a target
// can be sorted as soon as its page is read; only the visited test of a page
// and the duplicate test of a link depend on the moment, and are made when
// the target's turn comes.
class TargetStack {
 public:
  static constexpr std::size_t kRecord = 5;

  std::size_t size() const { return bytes_.size(); }
  void Truncate(std::size_t size) { bytes_.resize(size); }

  void Push(SortedTarget target) {
    const std::size_t at = bytes_.size();
    bytes_.resize(at + kRecord);
    bytes_[at] = static_cast<unsigned char>(target.kind);
    std::memcpy(&bytes_[at + 1], &target.id, sizeof target.id);
  }

  SortedTarget At(std::size_t at) const {
    SortedTarget target;
    target.kind = static_cast<TargetKind>(bytes_[at]);
    std::memcpy(&target.id, &bytes_[at + 1], sizeof target.id);
    return target;
  }

 private:
  std::vector<unsigned char> bytes_;
};

// One flag per key, growing with the keys.
class KeyFlags {
 public:
  bool Test(std::uint32_t key) const { return key < flags_.size() && flags_[key]; }
  void Set(std::uint32_t key) {
    if (key >= flags_.size()) flags_.resize(key + 1 + flags_.size() / 2, false);
    flags_[key] = true;
  }

 private:
  std::vector<bool> flags_;
};

}  // namespace

void ScanPage(SiteFolder& site, const std::string& start_page,
              StringList& page_list, StringList& link_list,
              std::vector<std::optional<std::int64_t>>* page_times) {
  std::vector<std::optional<std::int64_t>> unused_times;
  std::vector<std::optional<std::int64_t>>& times =
      page_times != nullptr ? *page_times : unused_times;
  times.assign(static_cast<std::size_t>(page_list.Count()), std::nullopt);
  TargetSorter sorter(site);
  // What the lists hold already counts as visited and recorded.
  KeyFlags visited;
  KeyFlags recorded;
  std::optional<std::size_t> start_entry;
  const std::uint32_t start_key = sorter.PageKeyOf(start_page);
  for (std::int64_t i = 0; i < page_list.Count(); ++i) {
    const std::uint32_t key = sorter.PageKeyOf(page_list.Get(i));
    if (key == start_key && !start_entry) start_entry = static_cast<std::size_t>(i);
    visited.Set(key);
  }
  for (std::int64_t i = 0; i < link_list.Count(); ++i) {
    recorded.Set(sorter.LinkKeyOf(link_list.Get(i)));
  }
  // Links are put in the list when the crawl is over, in the order in which
  // they were first met: the list comes out the same, and its items do not
  // share memory with the crawl's tables while the crawl needs them.
  std::vector<std::uint32_t> recorded_links;

  // Reading a page and its hrefs needs only the file, so a second thread
  // does it for the page the crawl will enter next (the first page a page
  // links to that is not yet visited) while the crawl sorts the rest of the
  // current page's targets. It is started once the site proves larger than
  // a few pages.
  constexpr int kPagesBeforeThread = 32;
  int pages_read = 0;
  std::optional<PagePrefetcher> prefetcher;
  std::optional<SiteFolder::PageFile> prefetched_file;
  ParsedPage parsed_here;
  ReadBuffer buffer;
  HrefReader reader;

  TargetStack stack;
  // Reads page `path` and pushes the targets that matter for the lists. A
  // page already visited and a link already recorded stay so, so they are
  // left out at once.
  // Returns the page's modification time.
  auto push_targets = [&](const std::string& path) -> std::int64_t {
    const ParsedPage* parsed = nullptr;
    if (++pages_read == kPagesBeforeThread) prefetcher.emplace(site.fs());
    if (prefetcher && prefetcher->Holds(path)) {
      parsed = &prefetcher->Take();
      if (!parsed->failure) {
        site.RememberModificationTime(*prefetched_file, parsed->mtime);
      }
    } else {
      // A page asked for ahead that is not this one is of no use now.
      if (prefetcher && prefetcher->outstanding()) prefetcher->Take();
      const SiteFolder::PageFile file = site.PageToRead(path);
      ParsePage(site.fs(), file.real_path(), path, buffer, reader,
                parsed_here);
      if (!parsed_here.failure) {
        site.RememberModificationTime(file, parsed_here.mtime);
      }
      parsed = &parsed_here;
    }
    if (parsed->failure) std::rethrow_exception(parsed->failure);
    const std::int64_t mtime = parsed->mtime;
    bool posted = false;
    parsed->ForEachRecord([&](HrefKind kind, std::string_view text) {
      const SortedTarget target = sorter.SortRead(kind, text);
      switch (target.kind) {
        case TargetKind::kExternal:
        case TargetKind::kMissing:
          if (!recorded.Test(sorter.LinkKey(target.id))) stack.Push(target);
          break;
        case TargetKind::kPage:
          if (visited.Test(sorter.PageKey(target.id))) break;
          stack.Push(target);
          if (!posted && prefetcher) {
            posted = true;
            prefetched_file = site.FindPage(sorter.PagePath(target.id));
            if (prefetched_file) {
              prefetcher->Post(prefetched_file->real_path(),
                               sorter.PagePath(target.id));
            }
          }
          break;
        case TargetKind::kSelf:
        case TargetKind::kFile:
          break;
      }
    });
    return mtime;
  };

  struct Frame {
    std::size_t begin;
    std::size_t cursor;
  };
  std::vector<Frame> frames;
  const std::int64_t start_time = push_targets(start_page);
  if (start_entry) times[*start_entry] = start_time;
  frames.push_back({0, 0});
  std::string path;
  while (!frames.empty()) {
    Frame& frame = frames.back();
    if (frame.cursor == stack.size()) {
      stack.Truncate(frame.begin);
      frames.pop_back();
      continue;
    }
    const SortedTarget target = stack.At(frame.cursor);
    frame.cursor += TargetStack::kRecord;
    if (target.kind != TargetKind::kPage) {
      const std::uint32_t key = sorter.LinkKey(target.id);
      if (!recorded.Test(key)) {
        recorded.Set(key);
        recorded_links.push_back(target.id);
      }
      continue;
    }
    const std::uint32_t key = sorter.PageKey(target.id);
    if (visited.Test(key)) continue;
    visited.Set(key);
    page_list.Add(sorter.PageEntry(key));
    // Copied: the sorter's tables grow while this page is scanned.
    path.assign(sorter.PagePath(target.id));
    const std::size_t begin = stack.size();
    times.push_back(push_targets(path));
    frames.push_back({begin, begin});
  }
  sorter.ReleaseAllButLinks();
  for (const std::uint32_t link : recorded_links) {
    link_list.Add(sorter.LinkText(link));
  }
}

}  // namespace quillon
