#include "text/case_table.h"

#include <gtest/gtest.h>

namespace quillon {
namespace {

TEST(CaseTable, HasTheSeventyThreePairs) {
  int pairs = 0;
  for (int c = 0; c < 256; ++c) {
    const auto b = static_cast<unsigned char>(c);
    if (LowerCaseByte(b) != b) {
      ++pairs;
      EXPECT_EQ(b, UpperCaseByte(LowerCaseByte(b))) << c;
    }
  }
  EXPECT_EQ(73, pairs);
  EXPECT_EQ(0x90, LowerCaseByte(0x80));
  EXPECT_EQ(0x83, LowerCaseByte(0x81));
  EXPECT_EQ(0xBC, LowerCaseByte(0xA3));
  EXPECT_EQ(0xBE, LowerCaseByte(0xBD));
  EXPECT_EQ(0xFF, LowerCaseByte(0xDF));
  EXPECT_EQ(0xA9, LowerCaseByte(0xA9));
  EXPECT_EQ(0xD7, UpperCaseByte(0xF7));
}

TEST(CaseTable, LowerCaseTextLeavesUtf8Alone) {
  struct Case {
    std::string text, expected;
  } cases[] = {
      {"Docs\\Guide.HTM", "docs\\guide.htm"},
      {"Caf\xC3\x89.html", "caf\xC3\x89.html"},           // UTF-8 É stays
      {"\xD0\x9F\xD1\x80\xD0\xB8", "\xD0\x9F\xD1\x80\xD0\xB8"},  // UTF-8 При
      {"\xCF\xF0\xE8", "\xEF\xF0\xE8"},                   // Windows-1251 При
      {"\xC0\x80", "\xE0\x90"},          // overlong, so bytes of the table
      {"\xED\xA0\x80", "\xED\xA0\x90"},  // a surrogate is no UTF-8
      {"\xF4\x90\x80\x80", "\xF4\x90\x90\x90"},  // above U+10FFFF
      {"\xF0\x9F\x98\x80X", "\xF0\x9F\x98\x80x"},  // 4-byte sequence
      {"\xC3", "\xE3"},                  // cut short
      {"", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.expected, LowerCaseText(c.text)) << c.text;
    EXPECT_EQ(LowerCaseText(c.text), LowerCaseText(LowerCaseText(c.text)));
    EXPECT_EQ(c.expected == c.text, IsLowerCase(c.text)) << c.text;
    EXPECT_TRUE(IsLowerCase(c.expected)) << c.expected;
  }
}

TEST(CaseTable, Utf8SequenceLength) {
  EXPECT_EQ(2u, Utf8SequenceLength("\xC2\xA0", 0));
  EXPECT_EQ(0u, Utf8SequenceLength("\xC1\xBF", 0));
  EXPECT_EQ(3u, Utf8SequenceLength("\xE0\xA0\x80", 0));
  EXPECT_EQ(0u, Utf8SequenceLength("\xE0\x9F\x80", 0));
  EXPECT_EQ(3u, Utf8SequenceLength("\xED\x9F\xBF", 0));
  EXPECT_EQ(4u, Utf8SequenceLength("\xF4\x8F\xBF\xBF", 0));
  EXPECT_EQ(0u, Utf8SequenceLength("\xF5\x80\x80\x80", 0));
  EXPECT_EQ(0u, Utf8SequenceLength("a", 0));
}

}  // namespace
}  // namespace quillon
