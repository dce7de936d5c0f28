#include "text/string_list.h"

#include <algorithm>
#include <functional>
#include <numeric>
#include <utility>

#include "text/byte_string.h"
#include "text/case_table.h"
#include "text/failure.h"

namespace quillon {
namespace {

std::uint64_t HashOf(std::string_view folded) {
  return std::hash<std::string_view>{}(folded);
}

[[noreturn]] void IndexOutOfBounds(std::int64_t index) {
  throw Failure(FailureKind::kListError,
                "List index out of bounds (" + DecimalText(index) + ")");
}

[[noreturn]] void SortedListRefuses() {
  throw Failure(FailureKind::kListError,
                "Operation not allowed on sorted list");
}

}  // namespace

StringList::StringList(const Collation& collation) : collation_(collation) {}

std::string StringList::KeyOf(std::string_view item) const {
  return collation_.SortKey(LowerCaseText(item));
}

std::int64_t StringList::Count() const {
  return static_cast<std::int64_t>(sorted_ ? by_key_.size() : items_.size());
}

void StringList::CheckIndex(std::int64_t index, std::int64_t limit) const {
  if (index < 0 || index >= limit) IndexOutOfBounds(index);
}

void StringList::Materialize() const {
  if (items_current_) return;
  items_.clear();
  items_.reserve(by_key_.size());
  for (const auto& [key, item] : by_key_) items_.push_back(item);
  items_current_ = true;
}

const std::string& StringList::Get(std::int64_t index) const {
  CheckIndex(index, Count());
  Materialize();
  return items_[static_cast<std::size_t>(index)];
}

void StringList::Replace(std::int64_t index, std::string item) {
  if (sorted_) SortedListRefuses();
  CheckIndex(index, Count());
  items_[static_cast<std::size_t>(index)] = std::move(item);
  index_valid_ = false;
}

void StringList::Insert(std::int64_t index, std::string item) {
  if (sorted_) SortedListRefuses();
  CheckIndex(index, Count() + 1);
  items_.insert(items_.begin() + index, std::move(item));
  index_valid_ = false;
}

void StringList::Add(std::string item) {
  if (!sorted_) {
    items_.push_back(std::move(item));
    if (index_valid_) {
      IndexOne(items_.size() - 1, HashOf(LowerCaseText(items_.back())));
    }
    return;
  }
  std::string key = KeyOf(item);
  // Keys of different folded forms differ, so an equal key is an equal item:
  // exactly the case in which the binary search of the sorted list finds the
  // item and adds nothing. Otherwise the map puts it where that search would.
  if (by_key_.find(key) != by_key_.end()) return;
  by_key_.emplace(std::move(key), std::move(item));
  items_current_ = false;
}

void StringList::IndexOne(std::size_t i, std::uint64_t hash) const {
  const std::size_t mask = slots_.size() - 1;
  const std::string folded = LowerCaseText(items_[i]);
  for (std::size_t s = hash & mask;; s = (s + 1) & mask) {
    if (slots_[s] == 0) {
      slots_[s] = static_cast<std::uint32_t>(i + 1);
      slot_hash_[s] = hash;
      ++indexed_;
      break;
    }
    if (slot_hash_[s] == hash &&
        LowerCaseText(items_[slots_[s] - 1]) == folded) {
      return;  // an earlier item is equal and keeps the slot
    }
  }
  if (indexed_ * 2 > slots_.size()) {
    // Grow and index everything again, in order, so that the first of equal
    // items keeps the slot.
    IndexFrom(0);
  }
}

void StringList::IndexFrom(std::size_t from) const {
  if (from == 0) {
    std::size_t capacity = 16;
    while (capacity < items_.size() * 4) capacity *= 2;
    slots_.assign(capacity, 0);
    slot_hash_.assign(capacity, 0);
    indexed_ = 0;
  }
  for (std::size_t i = from; i < items_.size(); ++i) {
    IndexOne(i, HashOf(LowerCaseText(items_[i])));
  }
  index_valid_ = true;
}

std::int64_t StringList::IndexOf(std::string_view item) const {
  if (!sorted_) {
    if (!index_valid_) IndexFrom(0);
    const std::string folded = LowerCaseText(item);
    const std::uint64_t hash = HashOf(folded);
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t s = hash & mask; slots_[s] != 0; s = (s + 1) & mask) {
      if (slot_hash_[s] == hash &&
          LowerCaseText(items_[slots_[s] - 1]) == folded) {
        return slots_[s] - 1;
      }
    }
    return -1;
  }
  // The binary search of the sorted list, step for step: with equal items
  // present it lands on the one it meets first.
  Materialize();
  const std::string key = KeyOf(item);
  std::int64_t low = 0;
  std::int64_t high = Count() - 1;
  while (low <= high) {
    const std::int64_t middle = (low + high) / 2;
    const std::string middle_key = KeyOf(items_[middle]);
    const int order = middle_key.compare(key);
    if (order < 0) {
      low = middle + 1;
    } else {
      if (order == 0) return middle;
      high = middle - 1;
    }
  }
  return -1;
}

void StringList::SetSorted(bool on) {
  if (on == sorted_) return;
  if (on) {
    std::vector<std::string> keys;
    keys.reserve(items_.size());
    for (const auto& item : items_) keys.push_back(KeyOf(item));
    std::vector<std::size_t> order(items_.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) {
                       return keys[a] < keys[b];
                     });
    by_key_.clear();
    for (std::size_t i : order) {
      by_key_.emplace_hint(by_key_.end(), std::move(keys[i]),
                           std::move(items_[i]));
    }
    items_.clear();
    items_current_ = false;
  } else {
    Materialize();
    by_key_.clear();
  }
  index_valid_ = false;
  slots_.clear();
  slot_hash_.clear();
  sorted_ = on;
}

void StringList::AppendSavedText(std::string& out,
                                 std::string_view prefix) const {
  auto put = [&out, prefix](const std::string& item) {
    out.append(prefix);
    out.append(item);
    out.append("\r\n");
  };
  if (sorted_) {
    for (const auto& [key, item] : by_key_) put(item);
  } else {
    for (const auto& item : items_) put(item);
  }
}

std::string StringList::SavedText() const {
  std::string out;
  AppendSavedText(out);
  return out;
}

void StringList::Clear() {
  std::vector<std::string>().swap(items_);
  by_key_.clear();
  items_current_ = true;
  std::vector<std::uint32_t>().swap(slots_);
  std::vector<std::uint64_t>().swap(slot_hash_);
  index_valid_ = false;
  indexed_ = 0;
}

}  // namespace quillon
