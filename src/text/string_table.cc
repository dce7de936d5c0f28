#include "text/string_table.h"

#include <cstring>

namespace quillon {

StringTable::StringTable() : slots_(64, 0), slot_hash_(64, 0) {}

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
  slot_hash_.assign(64, 0);
}

std::int64_t StringTable::Find(std::string_view s) const {
  const std::uint64_t h = Hash(s);
  const std::size_t mask = slots_.size() - 1;
  const auto tag = static_cast<std::uint32_t>(h >> 32);
  for (std::size_t i = h & mask; slots_[i] != 0; i = (i + 1) & mask) {
    if (slot_hash_[i] == tag && Get(slots_[i] - 1) == s) return slots_[i] - 1;
  }
  return -1;
}

std::uint32_t StringTable::Intern(std::string_view s, bool* added) {
  const std::uint64_t h = Hash(s);
  const std::size_t mask = slots_.size() - 1;
  const auto tag = static_cast<std::uint32_t>(h >> 32);
  std::size_t i = h & mask;
  for (; slots_[i] != 0; i = (i + 1) & mask) {
    if (slot_hash_[i] == tag && Get(slots_[i] - 1) == s) {
      if (added) *added = false;
      return slots_[i] - 1;
    }
  }
  const std::uint32_t id = size();
  items_.push_back(arena_.StoreCounted(s));
  slots_[i] = id + 1;
  slot_hash_[i] = tag;
  if (added) *added = true;
  if (size() * 4 > slots_.size() * 3) Grow();
  return id;
}

void StringTable::Grow() {
  std::vector<std::uint32_t> slots(slots_.size() * 2, 0);
  std::vector<std::uint32_t> hashes(slots.size(), 0);
  const std::size_t mask = slots.size() - 1;
  for (std::uint32_t id = 0; id < size(); ++id) {
    const std::uint64_t h = Hash(Get(id));
    std::size_t i = h & mask;
    while (slots[i] != 0) i = (i + 1) & mask;
    slots[i] = id + 1;
    hashes[i] = static_cast<std::uint32_t>(h >> 32);
  }
  slots_.swap(slots);
  slot_hash_.swap(hashes);
}

}  // namespace quillon
