// Reading a page and its hrefs, the part of the crawl that needs nothing but
// the file: it can run on a second thread, ahead of the crawl.
#ifndef QUILLON_CRAWL_PAGE_READER_H_
#define QUILLON_CRAWL_PAGE_READER_H_

#include <atomic>
#include <condition_variable>
#include <cstring>
#include <cstdint>
#include <exception>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

#include "crawl/link_target.h"
#include "platform/file_system.h"

namespace quillon {

// One page read: its time stamp and what its hrefs say, in order, as
// records of a kind byte, a 32-bit length and the text; or the failure that
// reading it raised.
struct ParsedPage {
  std::int64_t mtime = 0;
  std::string records;
  std::exception_ptr failure;

  // Calls `f(kind, text)` for each record.
  template <typename F>
  void ForEachRecord(F f) const;
};

// Reads the page at `real_path` (as on disk) whose crawl path is
// `page_path`, and reads its hrefs into `out`. Never throws: a failure is
// kept in `out`.
void ParsePage(FileSystem& fs, const std::string& real_path,
               std::string_view page_path, ReadBuffer& buffer,
               HrefReader& reader, ParsedPage& out);

// A second thread that reads and parses pages posted ahead of need, up to
// kSlots at a time, and hands them back in the order posted.
class PageReadAhead {
 public:
  static constexpr std::uint32_t kSlots = 16;

  // `fs` must outlive this object; its ReadFile must be safe to call from
  // two threads at once and while the crawl lists folders.
  explicit PageReadAhead(FileSystem& fs);
  ~PageReadAhead();
  PageReadAhead(const PageReadAhead&) = delete;
  PageReadAhead& operator=(const PageReadAhead&) = delete;

  // Pages posted and not yet released.
  std::uint32_t in_flight() const { return posted_ - released_; }
  bool HasRoom() const { return in_flight() < kSlots; }
  // The number the next page posted will have: pages are numbered 0, 1, 2,
  // ... in the order posted.
  std::uint32_t next_number() const { return posted_; }

  // Starts reading a page; needs HasRoom().
  void Post(const std::string& real_path, std::string_view page_path);
  // True when the oldest page not yet released has been parsed.
  bool OldestReady() const {
    return done_.load(std::memory_order_acquire) != released_;
  }
  // Waits for the oldest page not yet released; it stays valid until
  // Release.
  const ParsedPage& Oldest();
  // Hands the oldest page's slot back for another page.
  void Release() { ++released_; }

 private:
  void Work();

  struct Slot {
    std::string real_path;
    std::string page_path;
    ParsedPage page;
  };
  FileSystem& fs_;
  // Counts kept by the crawl's thread alone.
  std::uint32_t posted_ = 0;
  std::uint32_t released_ = 0;
  // Pages posted as the reading thread may see them, and pages parsed.
  std::atomic<std::uint32_t> published_{0};
  std::atomic<std::uint32_t> done_{0};
  std::atomic<bool> stop_{false};
  std::atomic<bool> sleeping_{false};
  std::mutex mutex_;
  std::condition_variable wake_;
  Slot slots_[kSlots];
  ReadBuffer buffer_;
  HrefReader reader_;
  std::thread thread_;
};

template <typename F>
void ParsedPage::ForEachRecord(F f) const {
  std::size_t at = 0;
  while (at < records.size()) {
    const auto kind = static_cast<HrefKind>(records[at]);
    std::uint32_t length;
    std::memcpy(&length, records.data() + at + 1, sizeof length);
    f(kind, std::string_view(records).substr(at + 1 + sizeof length, length));
    at += 1 + sizeof length + length;
  }
}

}  // namespace quillon

#endif  // QUILLON_CRAWL_PAGE_READER_H_
