#include "text/string_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "text/case_table.h"
#include "text/failure.h"
#include "text/string_list_testing.h"

namespace quillon {
namespace {

// Expects `f` to throw ListError with `message`.
template <typename F>
void ExpectListError(const std::string& message, F f) {
  try {
    f();
    ADD_FAILURE() << "no failure, expected " << message;
  } catch (const Failure& failure) {
    EXPECT_EQ(FailureKind::kListError, failure.kind());
    EXPECT_EQ(message, failure.message());
  }
}

class StringListTest : public ::testing::Test {
 protected:
  ByteOrderCollation collation_;
};

TEST_F(StringListTest, UnsortedAppendsAndKeepsDuplicates) {
  StringList list(collation_);
  for (const char* s : {"b", "a", "B", "b"}) list.Add(s);
  EXPECT_EQ((std::vector<std::string>{"b", "a", "B", "b"}), ListItems(list));
  EXPECT_EQ(0, list.IndexOf("b"));
  EXPECT_EQ(0, list.IndexOf("B"));  // letter case ignored, first one found
  EXPECT_EQ(1, list.IndexOf("A"));
  EXPECT_EQ(-1, list.IndexOf("c"));
  list.Add("C");
  EXPECT_EQ(4, list.IndexOf("c"));  // the index follows later additions
}

TEST_F(StringListTest, SortedAddInsertsInOrderAndIgnoresEqualItems) {
  StringList list(collation_);
  list.SetSorted(true);
  for (const char* s : {"news\\b.htm", "Apple", "zebra", "apple", "NEWS\\B.HTM",
                        "", "http://X", "http://x"}) {
    list.Add(s);
  }
  // The item stored first stays as it was written.
  EXPECT_EQ((std::vector<std::string>{"", "Apple", "http://X", "news\\b.htm",
                                      "zebra"}),
            ListItems(list));
  EXPECT_EQ(1, list.IndexOf("APPLE"));
  EXPECT_EQ(0, list.IndexOf(""));
  EXPECT_EQ(-1, list.IndexOf("b"));
  EXPECT_EQ("\r\nApple\r\nhttp://X\r\nnews\\b.htm\r\nzebra\r\n", list.SavedText());
}

TEST_F(StringListTest, SortedOrderFoldsCaseBeforeComparing) {
  StringList list(collation_);
  list.SetSorted(true);
  for (const char* s : {"b", "A", "_", "a_", "\xC0"}) list.Add(s);
  // Folded: "b", "a", "_", "a_", "\xE0": byte order of the folded forms.
  EXPECT_EQ((std::vector<std::string>{"_", "A", "a_", "b", "\xC0"}),
            ListItems(list));
}

TEST_F(StringListTest, SortingOnSortsSortingOffKeepsOrder) {
  StringList list(collation_);
  for (const char* s : {"c", "a", "b", "A"}) list.Add(s);
  list.SetSorted(true);
  EXPECT_EQ((std::vector<std::string>{"a", "A", "b", "c"}), ListItems(list));
  list.Add("B");  // equal to "b": nothing added
  EXPECT_EQ(4, list.Count());
  list.SetSorted(false);
  list.Add("a");
  EXPECT_EQ((std::vector<std::string>{"a", "A", "b", "c", "a"}), ListItems(list));
}

TEST_F(StringListTest, SortedIndexOfFollowsTheBinarySearch) {
  StringList list(collation_);
  for (const char* s : {"a", "b", "B", "b", "c"}) list.Add(s);
  list.SetSorted(true);
  // Items a b B b c: the search looks at index 2 first and stops there.
  EXPECT_EQ(2, list.IndexOf("b"));
  EXPECT_EQ(0, list.IndexOf("A"));
  EXPECT_EQ(4, list.IndexOf("c"));
}

TEST_F(StringListTest, MisuseFailsWithListError) {
  StringList list(collation_);
  list.Add("a");
  ExpectListError("List index out of bounds (1)", [&] { list.Get(1); });
  ExpectListError("List index out of bounds (-1)", [&] { list.Get(-1); });
  ExpectListError("List index out of bounds (2)", [&] { list.Insert(2, "x"); });
  list.Insert(1, "b");
  list.Replace(0, "z");
  EXPECT_EQ((std::vector<std::string>{"z", "b"}), ListItems(list));
  EXPECT_EQ(1, list.IndexOf("B"));
  EXPECT_EQ(-1, list.IndexOf("a"));  // the replaced item is gone
  list.SetSorted(true);
  ExpectListError("Operation not allowed on sorted list",
                  [&] { list.Replace(0, "x"); });
  ExpectListError("Operation not allowed on sorted list",
                  [&] { list.Insert(0, "x"); });
}

TEST_F(StringListTest, SavedText) {
  StringList list(collation_);
  EXPECT_EQ("", list.SavedText());
  list.Add("a");
  list.Add("");
  list.Add("\xFF");
  EXPECT_EQ("a\r\n\r\n\xFF\r\n", list.SavedText());
  std::string marked;
  list.AppendSavedText(marked, "404 > ");
  EXPECT_EQ("404 > a\r\n404 > \r\n404 > \xFF\r\n", marked);
}

TEST_F(StringListTest, ManyItemsStayIndexed) {
  StringList list(collation_);
  for (int i = 0; i < 5000; ++i) list.Add("Page" + std::to_string(i) + ".htm");
  for (int i = 0; i < 5000; i += 499) {
    EXPECT_EQ(i, list.IndexOf("page" + std::to_string(i) + ".HTM"));
  }
  EXPECT_EQ(-1, list.IndexOf("page5000.htm"));
}

// A collation under which "b" sorts before "a", to show that the list takes
// its order from the collation and its equality from the folded bytes.
class ReversedCollation final : public Collation {
 public:
  std::string SortKey(std::string_view folded) const override {
    std::string key(folded);
    for (char& c : key) c = static_cast<char>(255 - static_cast<unsigned char>(c));
    return key;
  }
};

TEST(StringList, OrderComesFromTheCollation) {
  ReversedCollation reversed;
  StringList list(reversed);
  list.SetSorted(true);
  for (const char* s : {"a", "c", "B", "b"}) list.Add(s);
  EXPECT_EQ((std::vector<std::string>{"c", "B", "a"}), ListItems(list));
}

// Many additions, merged in rounds, with equal items (in other letter case)
// arriving in later rounds and a read in between: the list must come out as
// if each item had been inserted on its own.
TEST(StringList, SortedAdditionsInRoundsMatchInsertingOneByOne) {
  ByteOrderCollation bytes;
  ReversedCollation reversed;
  for (const Collation* collation : {static_cast<const Collation*>(&bytes),
                                     static_cast<const Collation*>(&reversed)}) {
    StringList list(*collation);
    list.SetSorted(true);
    std::map<std::string, std::string> first;  // folded -> as first added
    for (int i = 0; i < 30000; ++i) {
      const std::string item =
          (i % 3 == 0 ? "Page" : "page") + std::to_string(i * 7919 % 12000);
      list.Add(item);
      first.emplace(LowerCaseText(item), item);
      if (i == 10000) {
        EXPECT_EQ(static_cast<std::int64_t>(first.size()), list.Count());
      }
    }
    std::vector<std::pair<std::string, std::string>> expected;
    for (const auto& [folded, item] : first) {
      expected.emplace_back(collation->SortKey(folded), item);
    }
    std::sort(expected.begin(), expected.end());
    std::vector<std::string> items;
    for (const auto& e : expected) items.push_back(e.second);
    EXPECT_EQ(items, ListItems(list));
  }
}

}  // namespace
}  // namespace quillon
