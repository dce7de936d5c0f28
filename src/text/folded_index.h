// Groups strings by their case-folded form without storing that form: a flat
// open-addressing table of values (ids, indexes) whose strings the caller
// keeps, compared by folding on the fly. The first value inserted for a
// folded form stands for the whole group.
#ifndef QUILLON_TEXT_FOLDED_INDEX_H_
#define QUILLON_TEXT_FOLDED_INDEX_H_

#include <cstdint>
#include <string_view>
#include <vector>

#include "text/case_table.h"

namespace quillon {

class FoldedIndex {
 public:
  // `text_of(value)` must give the string of every value inserted so far.
  //
  // The value stored for the folded form of `text`, or -1.
  template <typename TextOf>
  std::int64_t Find(std::string_view text, TextOf text_of) const {
    if (slots_.empty()) return -1;
    const std::uint64_t h = FoldedHash(text);
    const auto tag = static_cast<std::uint32_t>(h >> 32);
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t s = h & mask; slots_[s] != 0; s = (s + 1) & mask) {
      if (tags_[s] == tag && CompareFolded(text_of(slots_[s] - 1), text) == 0) {
        return slots_[s] - 1;
      }
    }
    return -1;
  }

  // The value stored for the folded form of `text`; stores `value` for it
  // first when there is none (then `*inserted` is true).
  template <typename TextOf>
  std::uint32_t FindOrInsert(std::string_view text, std::uint32_t value,
                             TextOf text_of, bool* inserted = nullptr) {
    if (slots_.empty()) Resize(16, text_of);
    const std::uint64_t h = FoldedHash(text);
    const auto tag = static_cast<std::uint32_t>(h >> 32);
    const std::size_t mask = slots_.size() - 1;
    std::size_t s = h & mask;
    for (; slots_[s] != 0; s = (s + 1) & mask) {
      if (tags_[s] == tag && CompareFolded(text_of(slots_[s] - 1), text) == 0) {
        if (inserted) *inserted = false;
        return slots_[s] - 1;
      }
    }
    slots_[s] = value + 1;
    tags_[s] = tag;
    if (inserted) *inserted = true;
    if (++size_ * 2 > slots_.size()) Resize(slots_.size() * 2, text_of);
    return value;
  }

  // Room for `n` groups without growing.
  template <typename TextOf>
  void Reserve(std::size_t n, TextOf text_of) {
    std::size_t capacity = 16;
    while (capacity < n * 2) capacity *= 2;
    if (capacity > slots_.size()) Resize(capacity, text_of);
  }

  void Clear() {
    std::vector<std::uint32_t>().swap(slots_);
    std::vector<std::uint32_t>().swap(tags_);
    size_ = 0;
  }

 private:
  template <typename TextOf>
  void Resize(std::size_t capacity, TextOf text_of) {
    std::vector<std::uint32_t> slots(capacity, 0);
    std::vector<std::uint32_t> tags(capacity, 0);
    const std::size_t mask = capacity - 1;
    for (const std::uint32_t slot : slots_) {
      if (slot == 0) continue;
      const std::uint64_t h = FoldedHash(text_of(slot - 1));
      std::size_t t = h & mask;
      while (slots[t] != 0) t = (t + 1) & mask;
      slots[t] = slot;
      tags[t] = static_cast<std::uint32_t>(h >> 32);
    }
    slots_.swap(slots);
    tags_.swap(tags);
  }

  std::vector<std::uint32_t> slots_;  // value + 1; 0 is empty
  std::vector<std::uint32_t> tags_;   // high bits of the folded hash
  std::size_t size_ = 0;
};

}  // namespace quillon

#endif  // QUILLON_TEXT_FOLDED_INDEX_H_
