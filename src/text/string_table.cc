#include "text/string_table.h"

#include <cstring>

namespace quillon {

namespace {

constexpr std::uint64_t kIdMask = 0xFFFFFFFFull;

inline void Warm(const void* p) { __builtin_prefetch(p); }

}  // namespace

StringTable::StringTable() : slots_(64, 0) {}

std::uint64_t StringTable::Hash(std::string_view s) {
  // FNV-1a over 8-byte words, then a final mix: fast for short paths and
  // good enough for an open-addressing table.
  std::uint64_t h = 0xcbf29ce484222325ull ^ s.size();
  std::size_t i = 0;
  for (; i + 8 <= s.size(); i += 8) {
    std::uint64_t w;
    std::memcpy(&w, s.data() + i, 8);
    h = (h ^ w) * 0x100000001b3ull;
    h ^= h >> 29;
  }
  for (; i < s.size(); ++i) {
    h = (h ^ static_cast<unsigned char>(s[i])) * 0x100000001b3ull;
  }
  h ^= h >> 32;
  h *= 0xd6e8feb86659fd93ull;
  h ^= h >> 32;
  return h;
}

void StringTable::Clear() {
  arena_.Clear();
  std::vector<const char*>().swap(items_);
  slots_.assign(64, 0);
}

std::int64_t StringTable::Find(std::string_view s) const {
  const std::uint64_t h = Hash(s);
  const std::size_t mask = slots_.size() - 1;
  const std::uint64_t tag = h & ~kIdMask;
  for (std::size_t i = h & mask; slots_[i] != 0; i = (i + 1) & mask) {
    const std::uint32_t id = static_cast<std::uint32_t>(slots_[i] & kIdMask) - 1;
    if ((slots_[i] & ~kIdMask) == tag && Get(id) == s) return id;
  }
  return -1;
}

std::int64_t StringTable::FirstCandidate(std::uint64_t hash) const {
  const std::uint64_t slot = slots_[hash & (slots_.size() - 1)];
  if (slot == 0 || (slot & ~kIdMask) != (hash & ~kIdMask)) return -1;
  return static_cast<std::int64_t>(slot & kIdMask) - 1;
}

void StringTable::Prefetch(std::uint64_t hash, int step) const {
  if (step == 1) {
    Warm(&slots_[hash & (slots_.size() - 1)]);
    return;
  }
  const std::int64_t id = FirstCandidate(hash);
  if (id < 0) return;
  if (step == 2) {
    Warm(&items_[static_cast<std::size_t>(id)]);
  } else {
    Warm(items_[static_cast<std::size_t>(id)]);
  }
}

std::uint32_t StringTable::Intern(std::string_view s, std::uint64_t h,
                                  bool* added) {
  const std::size_t mask = slots_.size() - 1;
  const std::uint64_t tag = h & ~kIdMask;
  std::size_t i = h & mask;
  for (; slots_[i] != 0; i = (i + 1) & mask) {
    const std::uint32_t id = static_cast<std::uint32_t>(slots_[i] & kIdMask) - 1;
    if ((slots_[i] & ~kIdMask) == tag && Get(id) == s) {
      if (added) *added = false;
      return id;
    }
  }
  const std::uint32_t id = size();
  items_.push_back(arena_.StoreCounted(s));
  slots_[i] = tag | (id + 1);
  if (added) *added = true;
  if (size() * 4 > slots_.size() * 3) Grow();
  return id;
}

void StringTable::Grow() {
  std::vector<std::uint64_t> slots(slots_.size() * 2, 0);
  const std::size_t mask = slots.size() - 1;
  for (std::uint32_t id = 0; id < size(); ++id) {
    const std::uint64_t h = Hash(Get(id));
    std::size_t i = h & mask;
    while (slots[i] != 0) i = (i + 1) & mask;
    slots[i] = (h & ~kIdMask) | (id + 1);
  }
  slots_.swap(slots);
}

}  // namespace quillon
