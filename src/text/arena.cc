#include "text/arena.h"

#include <algorithm>
#include <cstring>

namespace quillon {

char* Arena::Allocate(std::size_t size) {
  if (size > left_) {
    // Blocks grow from 4 KB to kBlock, so that small sites stay small; a
    // string larger than a block gets a block of its own.
    next_block_ = next_block_ == 0 ? 4096 : std::min(next_block_ * 2, kBlock);
    const std::size_t block = std::max(size, next_block_);
    blocks_.emplace_back(new char[block]);
    next_ = blocks_.back().get();
    left_ = block;
  }
  char* const p = next_;
  next_ += size;
  left_ -= size;
  return p;
}

std::string_view Arena::Store(std::string_view s) {
  if (s.empty()) return {};
  char* const p = Allocate(s.size());
  std::memcpy(p, s.data(), s.size());
  return {p, s.size()};
}

// The length goes first, seven bits to a byte, low bits first; the high bit
// of a byte tells that another follows.
const char* Arena::StoreCounted(std::string_view s) {
  unsigned char count[10];
  std::size_t n = 0;
  std::size_t size = s.size();
  do {
    count[n] = static_cast<unsigned char>(size & 0x7F);
    size >>= 7;
    if (size != 0) count[n] |= 0x80;
    ++n;
  } while (size != 0);
  char* const p = Allocate(n + s.size());
  std::memcpy(p, count, n);
  if (!s.empty()) std::memcpy(p + n, s.data(), s.size());
  return p;
}

std::string_view Arena::CountedLong(const char* p) {
  std::size_t size = 0;
  int shift = 0;
  const auto* q = reinterpret_cast<const unsigned char*>(p);
  for (;; ++q, shift += 7) {
    size |= static_cast<std::size_t>(*q & 0x7F) << shift;
    if ((*q & 0x80) == 0) break;
  }
  return {reinterpret_cast<const char*>(q + 1), size};
}

void Arena::Clear() {
  std::vector<std::unique_ptr<char[]>>().swap(blocks_);
  next_ = nullptr;
  left_ = 0;
  next_block_ = 0;
}

}  // namespace quillon
