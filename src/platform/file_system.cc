#include "platform/file_system.h"

#include <cstring>

namespace quillon {

void ReadBuffer::Reserve(std::size_t n) {
  if (n <= capacity_) return;
  // Uninitialised on purpose: the bytes are about to be read over.
  std::unique_ptr<char[]> grown(new char[n]);
  if (size_ > 0) std::memcpy(grown.get(), data_.get(), size_);
  data_ = std::move(grown);
  capacity_ = n;
}

}  // namespace quillon
