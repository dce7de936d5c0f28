#include "text/string_table.h"

#include <gtest/gtest.h>

#include <string>

namespace quillon {
namespace {

TEST(StringTable, GivesDenseIdsInOrderFirstSeen) {
  StringTable table;
  bool added = false;
  EXPECT_EQ(0u, table.Intern("b", &added));
  EXPECT_TRUE(added);
  EXPECT_EQ(1u, table.Intern("", &added));
  EXPECT_EQ(0u, table.Intern("b", &added));
  EXPECT_FALSE(added);
  EXPECT_EQ(2u, table.Intern("B"));  // exact bytes
  EXPECT_EQ(3u, table.Intern(std::string("a\0b", 3)));
  EXPECT_EQ(std::string("a\0b", 3), table.Get(3));
  EXPECT_EQ("", table.Get(1));
  EXPECT_EQ(2, table.Find("B"));
  EXPECT_EQ(-1, table.Find("a"));
}

TEST(StringTable, KeepsEveryStringThroughGrowth) {
  StringTable table;
  for (int i = 0; i < 100000; ++i) table.Intern("docs\\page" + std::to_string(i));
  EXPECT_EQ(100000u, table.size());
  for (int i = 0; i < 100000; i += 997) {
    EXPECT_EQ(i, table.Find("docs\\page" + std::to_string(i)));
    EXPECT_EQ("docs\\page" + std::to_string(i), table.Get(i));
  }
}

}  // namespace
}  // namespace quillon
