// Reading a page and its hrefs, the part of the crawl that needs nothing but
// the file: it can run on a second thread, one page ahead of the crawl.
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

// A second thread that parses one page at a time, asked for ahead of need.
class PagePrefetcher {
 public:
  // `fs` must outlive this object; its ReadFile must be safe to call while
  // the crawl lists folders.
  explicit PagePrefetcher(FileSystem& fs);
  ~PagePrefetcher();
  PagePrefetcher(const PagePrefetcher&) = delete;
  PagePrefetcher& operator=(const PagePrefetcher&) = delete;

  // Starts parsing a page. Ignored while a page is still outstanding.
  void Post(const std::string& real_path, std::string_view page_path);
  // True when the outstanding page is `page_path`.
  bool Holds(std::string_view page_path) const;
  bool outstanding() const { return outstanding_; }
  // Waits for the outstanding page and hands it over; it stays valid until
  // the next page after it has been taken.
  const ParsedPage& Take();

 private:
  void Work();

  // A page takes a few microseconds, less than putting a thread to sleep
  // and waking it, so both sides spin briefly before they block.
  enum State : int { kIdle, kRequested, kDone };
  FileSystem& fs_;
  std::atomic<int> state_{kIdle};
  std::atomic<bool> stop_{false};
  std::atomic<bool> sleeping_{false};
  std::mutex mutex_;
  std::condition_variable wake_;
  bool outstanding_ = false;
  std::string real_path_;
  std::string page_path_;
  // The thread fills one while the crawl reads the other.
  ParsedPage pages_[2];
  int filling_ = 0;
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
