// The string list shared by the crawl and the output: an ordered sequence of
// byte strings with 0-based indexes and a sorted flag.
//
// Items compare by a Collation applied to their case-folded forms: two items
// are equal exactly when their folded forms are equal byte for byte. While the
// list is sorted it keeps its items in ascending order and ignores an added
// item equal to one already present.
#ifndef QUILLON_TEXT_STRING_LIST_H_
#define QUILLON_TEXT_STRING_LIST_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "text/arena.h"
#include "text/folded_index.h"

namespace quillon {

// Orders case-folded strings. SortKey returns a byte string whose plain byte
// order is the wanted order of the folded inputs; keys of different inputs
// must differ (a total order), so that equality means equal folded forms.
class Collation {
 public:
  virtual ~Collation() = default;
  virtual std::string SortKey(std::string_view folded) const = 0;
  // True when the order is plain byte order of the folded forms, so that
  // no key needs to be made.
  virtual bool IsByteOrder() const { return false; }
};

// Plain byte order of the folded forms.
class ByteOrderCollation final : public Collation {
 public:
  std::string SortKey(std::string_view folded) const override {
    return std::string(folded);
  }
  bool IsByteOrder() const override { return true; }
};

class StringList {
 public:
  // `collation` must outlive the list.
  explicit StringList(const Collation& collation);
  StringList(const StringList&) = delete;
  StringList& operator=(const StringList&) = delete;

  std::int64_t Count() const;
  // Fails with ListError "List index out of bounds (%d)". The view is valid
  // until the list is next changed.
  std::string_view Get(std::int64_t index) const;
  // Both fail with ListError: an index out of range, or a sorted list
  // ("Operation not allowed on sorted list"). Insert takes 0..Count().
  void Replace(std::int64_t index, std::string_view item);
  void Insert(std::int64_t index, std::string_view item);

  // Unsorted: appends. Sorted: inserts at the item's place in ascending order,
  // unless an equal item is present, in which case nothing changes (the item
  // stored first stays as it was written).
  void Add(std::string_view item);
  // Adds each item as Add does, in order; a sorted list merges them in one
  // round, on the next access.
  void AddAll(const std::vector<std::string_view>& items);

  // Unsorted: the index of the first equal item. Sorted: the index that the
  // binary search lands on. -1 when no item is equal.
  std::int64_t IndexOf(std::string_view item) const;

  bool sorted() const { return sorted_; }
  // On: the items are sorted first (equal items keep their order), then the
  // flag is set. Off: only the flag is cleared; the order stays.
  void SetSorted(bool on);

  // Every item followed by CR LF, the way the list is saved to a file.
  std::string SavedText() const;
  // Appends the saved text to `out`, with `prefix` before every item.
  void AppendSavedText(std::string& out, std::string_view prefix = {}) const;

  // Frees every item; the list is empty afterwards.
  void Clear();

 private:
  // Items live in one arena, by id; `order_` lists the ids in list order.
  std::uint32_t Store(std::string_view item);
  std::string_view Item(std::uint32_t id) const;
  std::string_view Key(std::uint32_t id) const;
  // Makes the sort keys of every stored item (not needed in byte order).
  void EnsureKeys();
  bool Less(std::uint32_t a, std::uint32_t b) const;
  int CompareWith(std::uint32_t id, std::string_view item,
                  std::string_view key) const;
  void CheckIndex(std::int64_t index, std::int64_t limit) const;
  // Sorted: merges the items added since the last ordered access.
  void Settle() const;
  // The equality index of an unsorted list: folded form -> the index of the
  // first item with it.
  void BuildIndex() const;

  const Collation& collation_;
  const bool byte_order_;
  bool sorted_ = false;
  Arena arena_;
  std::vector<const char*> items_;       // by id, counted strings
  Arena key_arena_;                      // sort keys when not byte order
  std::vector<std::string_view> keys_;   // by id
  mutable std::vector<std::uint32_t> order_;
  // Sorted: items added since the last ordered access, not yet tested for
  // duplicates.
  mutable std::vector<std::uint32_t> pending_;
  mutable FoldedIndex index_;
  mutable bool index_valid_ = false;
};

}  // namespace quillon

#endif  // QUILLON_TEXT_STRING_LIST_H_
