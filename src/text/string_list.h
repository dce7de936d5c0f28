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
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace quillon {

// Orders case-folded strings. SortKey returns a byte string whose plain byte
// order is the wanted order of the folded inputs; keys of different inputs
// must differ (a total order), so that equality means equal folded forms.
class Collation {
 public:
  virtual ~Collation() = default;
  virtual std::string SortKey(std::string_view folded) const = 0;
};

// Plain byte order of the folded forms.
class ByteOrderCollation final : public Collation {
 public:
  std::string SortKey(std::string_view folded) const override {
    return std::string(folded);
  }
};

class StringList {
 public:
  // `collation` must outlive the list.
  explicit StringList(const Collation& collation);
  StringList(const StringList&) = delete;
  StringList& operator=(const StringList&) = delete;

  std::int64_t Count() const;
  // Fails with ListError "List index out of bounds (%d)".
  const std::string& Get(std::int64_t index) const;
  // Both fail with ListError: an index out of range, or a sorted list
  // ("Operation not allowed on sorted list"). Insert takes 0..Count().
  void Replace(std::int64_t index, std::string item);
  void Insert(std::int64_t index, std::string item);

  // Unsorted: appends. Sorted: inserts at the item's place in ascending order,
  // unless an equal item is present, in which case nothing changes (the item
  // stored first stays as it was written).
  void Add(std::string item);

  // Unsorted: the index of the first equal item. Sorted: the index that the
  // binary search lands on. -1 when no item is equal.
  std::int64_t IndexOf(std::string_view item) const;

  bool sorted() const { return sorted_; }
  // On: the items are sorted first, then the flag is set. Off: only the flag
  // is cleared; the order stays.
  void SetSorted(bool on);

  // Every item followed by CR LF, the way the list is saved to a file.
  std::string SavedText() const;
  // Appends the saved text to `out`, with `prefix` before every item.
  void AppendSavedText(std::string& out, std::string_view prefix = {}) const;

  // Frees every item; the list is empty afterwards.
  void Clear();

 private:
  std::string KeyOf(std::string_view item) const;
  void Materialize() const;
  void CheckIndex(std::int64_t index, std::int64_t limit) const;

  const Collation& collation_;
  bool sorted_ = false;
  // Unsorted items, in order. While sorted the items live in `by_key_`, and
  // `items_` is a cache of their order built when an index is asked for.
  mutable std::vector<std::string> items_;
  mutable bool items_current_ = true;
  std::multimap<std::string, std::string> by_key_;
  // Index from folded item to the first unsorted index holding it; built on
  // the first IndexOf and kept up to date by Add. Invalid after Replace and
  // Insert until the next IndexOf.
  mutable std::vector<std::uint32_t> slots_;
  mutable std::vector<std::uint64_t> slot_hash_;
  mutable std::size_t indexed_ = 0;
  mutable bool index_valid_ = false;
  void IndexFrom(std::size_t from) const;
  void IndexOne(std::size_t i, std::uint64_t hash) const;
};

}  // namespace quillon

#endif  // QUILLON_TEXT_STRING_LIST_H_
