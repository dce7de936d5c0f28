#include "crawl/page_scanner.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <deque>
#include <exception>
#include <limits>
#include <new>
#include <optional>
#include <vector>

#include "crawl/page_loader.h"
#include "crawl/page_reader.h"
#include "platform/file_system.h"
#include "text/arena.h"
#include "text/case_table.h"

namespace quillon {
namespace {

constexpr std::uint32_t kNoSpelling = std::numeric_limits<std::uint32_t>::max();

// A page's targets are kept four bytes each: the id, shifted up, and a low
// bit that tells a page (a spelling) from a link. That holds ids below 2^31,
// far more strings than the tables can hold in memory.
constexpr std::size_t kTargetBytes = 4;

void AppendTarget(std::string& out, SortedTarget target) {
  if (target.id >= (1u << 31)) throw std::bad_alloc();
  const std::uint32_t record =
      target.id << 1 | (target.kind == TargetKind::kPage ? 1u : 0u);
  out.append(reinterpret_cast<const char*>(&record), sizeof record);
}

// The id of the target at `p`; `*page` tells whether it is a page.
std::uint32_t TargetAt(const char* p, bool* page) {
  std::uint32_t record;
  std::memcpy(&record, p, sizeof record);
  *page = (record & 1) != 0;
  return record >> 1;
}

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

// The pages of a crawl, read and sorted. The site does not change during
// the run, so what a page links to does not depend on when it is read: the
// pages are read first, in whatever order keeps both threads busy, and the
// crawl then walks them depth first in memory. Only the visited test of a
// page and the duplicate test of a link depend on the moment; they are made
// in the walk.
class PageStore {
 public:
  PageStore(SiteFolder& site, TargetSorter& sorter)
      : site_(site), sorter_(sorter) {}

  // Reads every page that can be reached from `start` (a spelling) through
  // pages not in `skip`, each under the first spelling met.
  void ReadAll(std::uint32_t start, const KeyFlags& skip);

  // The page the crawl enters through `spelling`; read now when it has not
  // been read under that spelling. Returns its time stamp; throws the
  // failure of its read.
  std::int64_t Enter(std::uint32_t spelling);
  // The targets of a page entered, by its key.
  std::string_view Targets(std::uint32_t key) const {
    const Page& page = pages_[key];
    return {page.data + sizeof(std::int64_t), page.size - sizeof(std::int64_t)};
  }

  std::size_t pages_read() const { return pages_read_; }

 private:
  // Sorts the hrefs of a page read and keeps them; while reading ahead, new
  // pages it links to are queued.
  void Keep(std::uint32_t spelling, const ParsedPage& parsed);
  void KeepFailure(std::uint32_t spelling, std::exception_ptr failure);
  // Keeps the failure of a page whose file is not there.
  void KeepNotFound(std::uint32_t spelling);
  void ReadHere(std::uint32_t spelling);
  // The path on disk of the page file `spelling` names; false when none.
  bool FindRealPath(std::uint32_t spelling, std::string& real);

  // What is known of a page read, by key: the spelling it was read under,
  // and its time stamp followed by its targets that matter for the lists,
  // or the failure of its read.
  struct Page {
    const char* data = nullptr;  // null for a failed read
    std::uint32_t size = 0;      // of data, or the failure's index
    std::uint32_t spelling = kNoSpelling;
  };
  Page& PageOf(std::uint32_t key) {
    if (key >= pages_.size()) pages_.resize(key + 1 + pages_.size() / 2);
    return pages_[key];
  }

  SiteFolder& site_;
  TargetSorter& sorter_;
  std::vector<Page> pages_;  // by key
  std::size_t pages_read_ = 0;
  std::vector<std::exception_ptr> failures_;
  Arena targets_;
  std::string scratch_;
  struct Href {
    HrefKind kind;
    std::string_view text;
    std::uint64_t hash;
  };
  std::vector<Href> hrefs_;  // of the page being kept
  // Reading ahead: pages to read, by spelling, and the keys queued.
  bool queueing_ = false;
  std::deque<std::uint32_t> queue_;
  KeyFlags queued_;
  std::string real_path_;  // scratch
  ParsedPage parsed_here_;
  ReadBuffer buffer_;
  HrefReader reader_;
};

void PageStore::Keep(std::uint32_t spelling, const ParsedPage& parsed) {
  ++pages_read_;
  if (parsed.failure) {
    KeepFailure(spelling, parsed.failure);
    return;
  }
  scratch_.assign(reinterpret_cast<const char*>(&parsed.mtime),
                  sizeof parsed.mtime);
  // The lookups of a page go to tables far larger than the cache, so the
  // page's hrefs are looked up together: the tables are warmed for all of
  // them a step at a time, and their misses overlap, before any is sorted.
  hrefs_.clear();
  parsed.ForEachRecord([&](HrefKind kind, std::string_view text) {
    hrefs_.push_back({kind, text, StringTable::Hash(text)});
  });
  for (int step = 1; step <= 3; ++step) {
    for (const Href& href : hrefs_) sorter_.Prefetch(href.kind, href.hash, step);
  }
  for (const Href& href : hrefs_) {
    const SortedTarget target = sorter_.SortRead(href.kind, href.text, href.hash);
    switch (target.kind) {
      case TargetKind::kExternal:
      case TargetKind::kMissing:
        AppendTarget(scratch_, target);
        break;
      case TargetKind::kPage:
        AppendTarget(scratch_, target);
        if (queueing_) {
          const std::uint32_t key = sorter_.PageKey(target.id);
          if (!queued_.Test(key)) {
            queued_.Set(key);
            queue_.push_back(target.id);
          }
        }
        break;
      case TargetKind::kSelf:
      case TargetKind::kFile:
        break;
    }
  }
  Page& page = PageOf(sorter_.PageKey(spelling));
  page.spelling = spelling;
  if (scratch_.size() > std::numeric_limits<std::uint32_t>::max()) {
    throw std::bad_alloc();
  }
  page.data = targets_.Store(scratch_).data();
  page.size = static_cast<std::uint32_t>(scratch_.size());
}

void PageStore::KeepFailure(std::uint32_t spelling, std::exception_ptr failure) {
  failures_.push_back(std::move(failure));
  Page& page = PageOf(sorter_.PageKey(spelling));
  page.spelling = spelling;
  page.data = nullptr;
  page.size = static_cast<std::uint32_t>(failures_.size() - 1);
}

bool PageStore::FindRealPath(std::uint32_t spelling, std::string& real) {
  const std::string_view path = sorter_.PagePath(spelling);
  if (sorter_.SpelledAsOnDisk(spelling)) {
    real.assign(path);
    std::replace(real.begin(), real.end(), '\\', '/');
    return true;
  }
  const std::optional<SiteFolder::PageFile> file = site_.FindPage(path);
  if (!file) return false;
  real = file->real_path();
  return true;
}

void PageStore::KeepNotFound(std::uint32_t spelling) {
  try {
    site_.PageToRead(sorter_.PagePath(spelling));  // throws "File not found"
  } catch (...) {
    KeepFailure(spelling, std::current_exception());
  }
}

void PageStore::ReadHere(std::uint32_t spelling) {
  if (!FindRealPath(spelling, real_path_)) {
    KeepNotFound(spelling);
    return;
  }
  ParsePage(site_.fs(), real_path_, sorter_.PagePath(spelling), buffer_,
            reader_, parsed_here_);
  Keep(spelling, parsed_here_);
}

void PageStore::ReadAll(std::uint32_t start, const KeyFlags& skip) {
  queued_ = skip;
  queued_.Set(sorter_.PageKey(start));
  queue_.push_back(start);
  queueing_ = true;
  // A second thread reads and parses pages while this one sorts their
  // hrefs; when the thread has nothing ready, this one reads too. It is
  // started once the site proves larger than a few pages.
  constexpr int kPagesBeforeThread = 32;
  int pages_read = 0;
  std::optional<PageReadAhead> ahead;
  std::uint32_t posted[PageReadAhead::kSlots];  // spellings, by slot
  for (;;) {
    if (ahead) {
      // Keep the thread supplied, leaving a lone page to this thread.
      while (!queue_.empty() && ahead->HasRoom() &&
             (ahead->in_flight() > 0 || queue_.size() > 1)) {
        const std::uint32_t spelling = queue_.front();
        queue_.pop_front();
        if (!FindRealPath(spelling, real_path_)) {
          KeepNotFound(spelling);
          continue;
        }
        posted[ahead->next_number() % PageReadAhead::kSlots] = spelling;
        ahead->Post(real_path_, sorter_.PagePath(spelling));
      }
      if (ahead->in_flight() > 0 && (ahead->OldestReady() || queue_.empty())) {
        const ParsedPage& parsed = ahead->Oldest();
        Keep(posted[(ahead->next_number() - ahead->in_flight()) %
                    PageReadAhead::kSlots],
             parsed);
        ahead->Release();
        continue;
      }
    }
    if (queue_.empty()) break;
    const std::uint32_t spelling = queue_.front();
    queue_.pop_front();
    ReadHere(spelling);
    if (++pages_read == kPagesBeforeThread) ahead.emplace(site_.fs());
  }
  queueing_ = false;
  std::deque<std::uint32_t>().swap(queue_);
  queued_ = KeyFlags();
  pages_.shrink_to_fit();  // grown by halves; the walk adds few if any
}

std::int64_t PageStore::Enter(std::uint32_t spelling) {
  const std::uint32_t key = sorter_.PageKey(spelling);
  if (key >= pages_.size() || pages_[key].spelling != spelling) {
    // Not read ahead, or read under another spelling, which may resolve
    // its links against a folder of another letter case.
    ReadHere(spelling);
  }
  const Page& page = pages_[key];
  if (page.data == nullptr) std::rethrow_exception(failures_[page.size]);
  std::int64_t mtime;
  std::memcpy(&mtime, page.data, sizeof mtime);
  return mtime;
}

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
  const std::uint32_t start = sorter.PageSpelling(start_page);
  const std::uint32_t start_key = sorter.PageKey(start);
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

  {
    PageStore store(site, sorter);
    store.ReadAll(start, visited);
    // The walk enters each page read at most once and records each link at
    // most once: room for all of them, rather than doubling as they come.
    times.reserve(times.size() + store.pages_read());
    recorded_links.reserve(sorter.link_key_count());

    // The walk: each page's targets in order, a new page entered at once.
    // A frame is a page being walked, by key, and how far its targets are
    // taken; the walk nests as deep as the links go.
    struct Frame {
      std::uint32_t key;
      std::uint32_t at;
    };
    std::vector<Frame> frames;
    const auto enter = [&](std::uint32_t spelling) {
      const std::int64_t mtime = store.Enter(spelling);
      frames.push_back({sorter.PageKey(spelling), 0});
      return mtime;
    };
    const std::int64_t start_time = enter(start);
    if (start_entry) times[*start_entry] = start_time;
    while (!frames.empty()) {
      Frame& frame = frames.back();
      const std::string_view targets = store.Targets(frame.key);
      if (frame.at == targets.size()) {
        frames.pop_back();
        continue;
      }
      bool page = false;
      const std::uint32_t id = TargetAt(targets.data() + frame.at, &page);
      frame.at += kTargetBytes;
      if (!page) {
        const std::uint32_t key = sorter.LinkKey(id);
        if (!recorded.Test(key)) {
          recorded.Set(key);
          recorded_links.push_back(id);
        }
        continue;
      }
      const std::uint32_t key = sorter.PageKey(id);
      if (visited.Test(key)) continue;
      visited.Set(key);
      page_list.Add(sorter.PageEntry(key));
      times.push_back(enter(id));
    }
  }
  sorter.ReleaseAllButLinks();
  // Each link recorded has a folded form of its own, so they go in as one
  // round; the list sorts them when it is next read.
  std::vector<std::string_view> texts;
  texts.reserve(recorded_links.size());
  for (const std::uint32_t link : recorded_links) {
    texts.push_back(sorter.LinkText(link));
  }
  std::vector<std::uint32_t>().swap(recorded_links);
  link_list.AddAll(texts);
}

}  // namespace quillon
