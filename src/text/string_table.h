// Interns byte strings: each distinct string gets a dense id, 0, 1, 2, ...
// in the order first seen. The bytes live in one arena and the index is a
// flat open-addressing table, so that a crawl of hundreds of thousands of
// paths costs a few allocations rather than one per string.
#ifndef QUILLON_TEXT_STRING_TABLE_H_
#define QUILLON_TEXT_STRING_TABLE_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "text/arena.h"

namespace quillon {

class StringTable {
 public:
  StringTable();

  // The id of `s`, adding it when new; `*added` tells which.
  std::uint32_t Intern(std::string_view s, bool* added = nullptr);
  // The id of `s`, or -1 when it is not in the table.
  std::int64_t Find(std::string_view s) const;

  std::string_view Get(std::uint32_t id) const { return Arena::Counted(items_[id]); }
  std::uint32_t size() const { return static_cast<std::uint32_t>(items_.size()); }
  // Frees every string; the table is empty afterwards.
  void Clear();

 private:
  static std::uint64_t Hash(std::string_view s);
  void Grow();

  Arena arena_;
  std::vector<const char*> items_;  // counted strings in arena_
  // Slots hold id + 1 (0 is empty) and the low bits of the hash.
  std::vector<std::uint32_t> slots_;
  std::vector<std::uint32_t> slot_hash_;
};

}  // namespace quillon

#endif  // QUILLON_TEXT_STRING_TABLE_H_
