#include "text/string_list.h"

#include <algorithm>

#include "text/byte_string.h"
#include "text/case_table.h"
#include "text/failure.h"

namespace quillon {
namespace {

[[noreturn]] void IndexOutOfBounds(std::int64_t index) {
  throw Failure(FailureKind::kListError,
                "List index out of bounds (" + DecimalText(index) + ")");
}

[[noreturn]] void SortedListRefuses() {
  throw Failure(FailureKind::kListError,
                "Operation not allowed on sorted list");
}

}  // namespace

StringList::StringList(const Collation& collation)
    : collation_(collation),
      byte_order_(collation.IsByteOrder()) {}

std::uint32_t StringList::Store(std::string_view item) {
  const auto id = static_cast<std::uint32_t>(items_.size());
  items_.push_back(arena_.StoreCounted(item));
  return id;
}

std::string_view StringList::Item(std::uint32_t id) const {
  return Arena::Counted(items_[id]);
}

void StringList::EnsureKeys() {
  if (byte_order_) return;
  while (keys_.size() < items_.size()) {
    const auto id = static_cast<std::uint32_t>(keys_.size());
    keys_.push_back(key_arena_.Store(collation_.SortKey(LowerCaseText(Item(id)))));
  }
}

std::string_view StringList::Key(std::uint32_t id) const { return keys_[id]; }

bool StringList::Less(std::uint32_t a, std::uint32_t b) const {
  if (byte_order_) return CompareFolded(Item(a), Item(b)) < 0;
  return Key(a) < Key(b);
}

int StringList::CompareWith(std::uint32_t id, std::string_view item,
                            std::string_view key) const {
  if (byte_order_) return CompareFolded(Item(id), item);
  return Key(id).compare(key);
}

std::int64_t StringList::Count() const {
  Settle();
  return static_cast<std::int64_t>(order_.size());
}

void StringList::CheckIndex(std::int64_t index, std::int64_t limit) const {
  if (index < 0 || index >= limit) IndexOutOfBounds(index);
}

void StringList::Settle() const {
  if (pending_.empty()) return;
  auto less = [this](std::uint32_t a, std::uint32_t b) { return Less(a, b); };
  // Of equal added items only the first one counts (ids grow with time, so
  // a stable sort keeps it first), and none that equals an item present.
  const bool deduplicated = byte_order_ && pending_.size() > 64;
  if (deduplicated) {
    // Folding once per item, not once per comparison, pays off here; an
    // item that folds to itself (most do) is its own folded form.
    Arena folded_arena;
    std::vector<std::pair<const char*, std::uint32_t>> folded;
    folded.reserve(pending_.size());
    for (const std::uint32_t id : pending_) {
      const std::string_view item = Item(id);
      if (IsLowerCase(item)) {
        folded.emplace_back(items_[id], id);
      } else {
        folded.emplace_back(folded_arena.StoreCounted(LowerCaseText(item)), id);
      }
    }
    std::stable_sort(folded.begin(), folded.end(), [](const auto& a, const auto& b) {
      return Arena::Counted(a.first) < Arena::Counted(b.first);
    });
    // Equal neighbours are dropped here, on the folded forms at hand.
    std::size_t n = 0;
    for (std::size_t i = 0; i < folded.size(); ++i) {
      if (i > 0 && Arena::Counted(folded[i].first) ==
                       Arena::Counted(folded[i - 1].first)) {
        continue;
      }
      pending_[n++] = folded[i].second;
    }
    pending_.resize(n);
  } else {
    std::stable_sort(pending_.begin(), pending_.end(), less);
  }
  // One pass over both sorted runs: an added item equal to the neighbour
  // before it, or to an item present, is dropped; the others go where the
  // binary search of a sorted insert would have put them.
  std::vector<std::uint32_t> merged;
  merged.reserve(order_.size() + pending_.size());
  std::size_t i = 0;
  for (std::size_t j = 0; j < pending_.size(); ++j) {
    const std::uint32_t id = pending_[j];
    if (!deduplicated && j > 0 && !less(pending_[j - 1], id)) continue;
    while (i < order_.size() && less(order_[i], id)) merged.push_back(order_[i++]);
    if (i < order_.size() && !less(id, order_[i])) continue;
    merged.push_back(id);
  }
  merged.insert(merged.end(), order_.begin() + static_cast<std::ptrdiff_t>(i),
                order_.end());
  order_.swap(merged);
  pending_.clear();
}

std::string_view StringList::Get(std::int64_t index) const {
  CheckIndex(index, Count());
  Settle();
  return Item(order_[static_cast<std::size_t>(index)]);
}

void StringList::Replace(std::int64_t index, std::string_view item) {
  if (sorted_) SortedListRefuses();
  CheckIndex(index, Count());
  order_[static_cast<std::size_t>(index)] = Store(item);
  index_valid_ = false;
}

void StringList::Insert(std::int64_t index, std::string_view item) {
  if (sorted_) SortedListRefuses();
  CheckIndex(index, Count() + 1);
  order_.insert(order_.begin() + index, Store(item));
  index_valid_ = false;
}

void StringList::Add(std::string_view item) {
  if (!sorted_) {
    order_.push_back(Store(item));
    if (index_valid_) {
      index_.FindOrInsert(item, static_cast<std::uint32_t>(order_.size() - 1),
                          [this](std::uint32_t index) { return Item(order_[index]); });
    }
    return;
  }
  // The duplicate test is made when the added items are merged (Settle):
  // of equal items the one stored first stays, as if each had been tested
  // on its own. Merging in rounds keeps repeated additions of equal items
  // from piling up.
  pending_.push_back(Store(item));
  EnsureKeys();
  if (pending_.size() >= 4096 && pending_.size() >= order_.size()) Settle();
}

void StringList::AddAll(const std::vector<std::string_view>& items) {
  if (!sorted_) {
    for (const std::string_view item : items) Add(item);
    return;
  }
  for (const std::string_view item : items) pending_.push_back(Store(item));
  EnsureKeys();
}

void StringList::BuildIndex() const {
  const auto text_of = [this](std::uint32_t index) { return Item(order_[index]); };
  index_.Clear();
  index_.Reserve(order_.size(), text_of);
  for (std::size_t i = 0; i < order_.size(); ++i) {
    // Of equal items the first keeps its index.
    index_.FindOrInsert(Item(order_[i]), static_cast<std::uint32_t>(i), text_of);
  }
  index_valid_ = true;
}

std::int64_t StringList::IndexOf(std::string_view item) const {
  if (!sorted_) {
    if (!index_valid_) BuildIndex();
    return index_.Find(item, [this](std::uint32_t index) { return Item(order_[index]); });
  }
  // The binary search of the sorted list, step for step: with equal items
  // present it lands on the one it meets first.
  Settle();
  const std::string key =
      byte_order_ ? std::string() : collation_.SortKey(LowerCaseText(item));
  std::int64_t low = 0;
  std::int64_t high = Count() - 1;
  while (low <= high) {
    const std::int64_t middle = (low + high) / 2;
    const int order = CompareWith(order_[middle], item, key);
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
    EnsureKeys();
    std::stable_sort(order_.begin(), order_.end(),
                     [this](std::uint32_t a, std::uint32_t b) {
                       return Less(a, b);
                     });
  } else {
    Settle();
  }
  sorted_ = on;
  index_valid_ = false;
  index_.Clear();
}

void StringList::AppendSavedText(std::string& out,
                                 std::string_view prefix) const {
  Settle();
  for (const std::uint32_t id : order_) {
    out.append(prefix);
    out.append(Item(id));
    out.append("\r\n");
  }
}

std::string StringList::SavedText() const {
  std::string out;
  AppendSavedText(out);
  return out;
}

void StringList::Clear() {
  arena_.Clear();
  std::vector<const char*>().swap(items_);
  key_arena_.Clear();
  std::vector<std::string_view>().swap(keys_);
  std::vector<std::uint32_t>().swap(order_);
  std::vector<std::uint32_t>().swap(pending_);
  index_.Clear();
  index_valid_ = false;
}

}  // namespace quillon
