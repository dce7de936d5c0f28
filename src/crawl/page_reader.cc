#include "crawl/page_reader.h"

#include <chrono>

#include "crawl/page_loader.h"
#include "crawl/page_scanner.h"

namespace quillon {

void ParsePage(FileSystem& fs, const std::string& real_path,
               std::string_view page_path, ReadBuffer& buffer,
               HrefReader& reader, ParsedPage& out) {
  out.records.clear();
  out.failure = nullptr;
  try {
    out.mtime = fs.ReadFile(real_path, buffer);
    const std::string_view text =
        LoadPageTextWithBlanks(buffer.data(), buffer.size());
    ForEachAnchorHref(text, [&](std::string_view href) {
      std::string_view target;
      const HrefKind kind = reader.Read(href, page_path, &target);
      if (kind == HrefKind::kSelf) return;
      const auto length = static_cast<std::uint32_t>(target.size());
      out.records += static_cast<char>(kind);
      out.records.append(reinterpret_cast<const char*>(&length), sizeof length);
      out.records.append(target);
    });
  } catch (...) {
    out.failure = std::current_exception();
  }
}

namespace {

inline void Pause() {
#if defined(__x86_64__) || defined(__i386__)
  __builtin_ia32_pause();
#endif
}

}  // namespace

PagePrefetcher::PagePrefetcher(FileSystem& fs)
    : fs_(fs), thread_([this] { Work(); }) {}

PagePrefetcher::~PagePrefetcher() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_.store(true);
  }
  wake_.notify_all();
  thread_.join();
}

void PagePrefetcher::Post(const std::string& real_path,
                          std::string_view page_path) {
  if (outstanding_) return;
  real_path_ = real_path;
  page_path_.assign(page_path);
  outstanding_ = true;
  // Sequentially consistent, as the test of sleeping_ after it must not be
  // ordered before it: the thread sets sleeping_ and then tests state_, so
  // one of the two sides always sees the other.
  state_.store(kRequested);
  if (sleeping_.load()) {
    std::lock_guard<std::mutex> lock(mutex_);
    wake_.notify_all();
  }
}

bool PagePrefetcher::Holds(std::string_view page_path) const {
  return outstanding_ && page_path_ == page_path;
}

const ParsedPage& PagePrefetcher::Take() {
  for (int spins = 0; state_.load(std::memory_order_acquire) != kDone;
       ++spins) {
    if (spins < 4096) {
      Pause();
    } else {
      std::this_thread::yield();
    }
  }
  state_.store(kIdle, std::memory_order_relaxed);
  outstanding_ = false;
  const int taken = filling_;
  filling_ = 1 - filling_;
  return pages_[taken];
}

void PagePrefetcher::Work() {
  for (;;) {
    for (int spins = 0; spins < 20000; ++spins) {
      if (state_.load(std::memory_order_acquire) == kRequested ||
          stop_.load()) {
        break;
      }
      Pause();
    }
    if (state_.load(std::memory_order_acquire) != kRequested) {
      std::unique_lock<std::mutex> lock(mutex_);
      sleeping_.store(true);
      while (!stop_.load() && state_.load() != kRequested) {
        wake_.wait_for(lock, std::chrono::milliseconds(5));
      }
      sleeping_.store(false);
    }
    if (stop_.load()) return;
    // The crawl does not touch the request or this page until kDone.
    ParsePage(fs_, real_path_, page_path_, buffer_, reader_, pages_[filling_]);
    state_.store(kDone, std::memory_order_release);
  }
}

}  // namespace quillon
