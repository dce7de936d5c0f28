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

PageReadAhead::PageReadAhead(FileSystem& fs)
    : fs_(fs), thread_([this] { Work(); }) {}

PageReadAhead::~PageReadAhead() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_.store(true);
  }
  wake_.notify_all();
  thread_.join();
}

void PageReadAhead::Post(const std::string& real_path,
                         std::string_view page_path) {
  Slot& slot = slots_[posted_ % kSlots];
  slot.real_path = real_path;
  slot.page_path.assign(page_path);
  ++posted_;
  // Sequentially consistent, as the test of sleeping_ after it must not be
  // ordered before it: the thread sets sleeping_ and then tests published_,
  // so one of the two sides always sees the other.
  published_.store(posted_);
  if (sleeping_.load()) {
    std::lock_guard<std::mutex> lock(mutex_);
    wake_.notify_all();
  }
}

const ParsedPage& PageReadAhead::Oldest() {
  for (int spins = 0; !OldestReady(); ++spins) {
    if (spins < 4096) {
      Pause();
    } else {
      std::this_thread::yield();
    }
  }
  return slots_[released_ % kSlots].page;
}

void PageReadAhead::Work() {
  std::uint32_t next = 0;
  for (;;) {
    // A page takes a few microseconds, less than putting a thread to sleep
    // and waking it, so the thread spins briefly before it blocks.
    for (int spins = 0; spins < 20000; ++spins) {
      if (published_.load(std::memory_order_acquire) != next || stop_.load()) {
        break;
      }
      Pause();
    }
    if (published_.load(std::memory_order_acquire) == next) {
      std::unique_lock<std::mutex> lock(mutex_);
      sleeping_.store(true);
      while (!stop_.load() && published_.load() == next) {
        wake_.wait_for(lock, std::chrono::milliseconds(5));
      }
      sleeping_.store(false);
    }
    if (stop_.load()) return;
    // The crawl does not touch this slot again until it is released, nor
    // post into it before then.
    Slot& slot = slots_[next % kSlots];
    ParsePage(fs_, slot.real_path, slot.page_path, buffer_, reader_, slot.page);
    ++next;
    done_.store(next, std::memory_order_release);
  }
}

}  // namespace quillon
