#include "text/arena.h"

#include <cstring>

namespace quillon {

std::string_view Arena::Store(std::string_view s) {
  if (s.empty()) return {};
  if (s.size() > left_) {
    // A string larger than a block gets a block of its own.
    const std::size_t size = s.size() > kBlock ? s.size() : kBlock;
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
}

}  // namespace quillon
