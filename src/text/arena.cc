#include "text/arena.h"

#include <algorithm>
#include <cstring>

namespace quillon {

std::string_view Arena::Store(std::string_view s) {
  if (s.empty()) return {};
  if (s.size() > left_) {
    // Blocks grow from 4 KB to kBlock, so that small sites stay small; a
    // string larger than a block gets a block of its own.
    next_block_ = next_block_ == 0 ? 4096 : std::min(next_block_ * 2, kBlock);
    const std::size_t size = std::max(s.size(), next_block_);
    blocks_.emplace_back(new char[size]);
    next_ = blocks_.back().get();
    left_ = size;
  }
  std::memcpy(next_, s.data(), s.size());
  const std::string_view stored(next_, s.size());
  next_ += s.size();
  left_ -= s.size();
  return stored;
}

void Arena::Clear() {
  std::vector<std::unique_ptr<char[]>>().swap(blocks_);
  next_ = nullptr;
  left_ = 0;
  next_block_ = 0;
}

}  // namespace quillon
