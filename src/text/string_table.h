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
  std::uint32_t Intern(std::string_view s, bool* added = nullptr) {
    return Intern(s, Hash(s), added);
  }
  // The same with `hash` = Hash(s), made beforehand.
  std::uint32_t Intern(std::string_view s, std::uint64_t hash, bool* added);
  // The id of `s`, or -1 when it is not in the table.
  std::int64_t Find(std::string_view s) const;

  static std::uint64_t Hash(std::string_view s);
  // A lookup of a string with this hash goes to the table, then to the
  // string list, then to the string: each step may miss the cache. Callers
  // with many lookups at hand warm them step by step (1, 2, 3), all of them
  // at each step, so that the misses overlap.
  void Prefetch(std::uint64_t hash, int step) const;
  // The id a lookup of this hash would try first, or -1 (a cheap guess,
  // for warming what the caller keeps by id).
  std::int64_t FirstCandidate(std::uint64_t hash) const;

  std::string_view Get(std::uint32_t id) const { return Arena::Counted(items_[id]); }
  std::uint32_t size() const { return static_cast<std::uint32_t>(items_.size()); }
  // Frees every string; the table is empty afterwards.
  void Clear();

 private:
  void Grow();

  Arena arena_;
  std::vector<const char*> items_;  // counted strings in arena_
  // A slot holds the high half of the hash above id + 1 (0 is empty).
  std::vector<std::uint64_t> slots_;
};

}  // namespace quillon

#endif  // QUILLON_TEXT_STRING_TABLE_H_
