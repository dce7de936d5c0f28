#include "text/byte_string.h"

#include <gtest/gtest.h>

namespace quillon {
namespace {

struct FindCase {
  std::string pattern;
  std::string text;
  std::size_t start;
  std::size_t expected;
};

TEST(ByteString, FindText) {
  const FindCase cases[] = {
      {"b", "abc", 1, 2},
      {"c", "abc", 1, 3},       // an occurrence ending on the last byte
      {"abc", "abc", 1, 1},
      {"abcd", "abc", 1, 0},    // longer than the text
      {"b", "abcb", 3, 4},      // from the start position on
      {"b", "abc", 3, 0},
      {"bc", "abc", 3, 0},      // no longer fits from the start
      {"b", "abc", 9, 0},       // start beyond the end
      {"", "abc", 1, 0},
      {"a", "", 1, 0},
      {"", "", 1, 0},
      {"B", "abc", 1, 0},       // exact case
      {"\xE9", "caf\xE9", 1, 4},
      {std::string("\0", 1), std::string("a\0b", 3), 1, 2},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.expected, FindText(c.pattern, c.text, c.start))
        << c.pattern << " in " << c.text << " from " << c.start;
  }
}

TEST(ByteString, FindTextIgnoreCase) {
  const FindCase cases[] = {
      {"<a ", "x<A y", 1, 2},
      {"HREF", "a href", 1, 3},
      {"\xC0", "x\xE0", 1, 2},   // Cyrillic pair of the case table
      {"\xE0", "x\xC0", 1, 2},
      {"\x80", "\x90", 1, 1},    // 0x80/0x90 pair
      {"\xA9", "\xB9", 1, 0},    // not a pair
      {"ab", "xAxaB", 1, 4},     // first candidate fails, second matches
      {"Ab", "aAAab", 2, 4},
      {"a", "AAA", 3, 3},
      {"a", "AAA", 4, 0},
      {"", "abc", 1, 0},
      {"a", "", 1, 0},
      {"http:", "mailto:x HTTP:", 1, 10},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.expected, FindTextIgnoreCase(c.pattern, c.text, c.start))
        << c.pattern << " in " << c.text << " from " << c.start;
  }
  // UTF-8 bytes are compared by the plain table here: 0xD0 and 0xF0 pair up.
  EXPECT_EQ(1u, FindTextIgnoreCase("\xD0\x91", "\xF0\x91", 1));
}

TEST(ByteString, FindLastText) {
  EXPECT_EQ(4u, FindLastText("\\", "a\\b\\c"));
  EXPECT_EQ(1u, FindLastText("a", "abc"));  // an occurrence at position 1
  EXPECT_EQ(0u, FindLastText("x", "abc"));
  EXPECT_EQ(0u, FindLastText("", "abc"));
  EXPECT_EQ(0u, FindLastText("a", ""));
  EXPECT_EQ(3u, FindLastText("aa", "aaaa"));
}

TEST(ByteString, ReplaceAll) {
  struct Case {
    std::string text, find, replacement, expected;
  } cases[] = {
      {"a\r\nb\r\n", "\r\n", " ", "a b "},
      {"aaa", "aa", "b", "ba"},        // no overlap, left to right
      {"ab", "a", "aa", "aab"},        // replacement bytes not searched again
      {"abc", "", "x", "abc"},
      {"abc", "x", "y", "abc"},
      {"", "a", "b", ""},
      {"\xFF\xFE", "\xFE", "\x80", "\xFF\x80"},
      {"a\\b\\", "\\", "/", "a/b/"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.expected, ReplaceAll(c.text, c.find, c.replacement)) << c.text;
  }
}

TEST(ByteString, DeleteRange) {
  struct Case {
    std::string text;
    std::int64_t index, count;
    std::string expected;
  } cases[] = {
      {"abcdef", 2, 3, "aef"},
      {"abcdef", 4, 3, "abc"},     // reaching the end
      {"abcdef", 4, 99, "abc"},    // passing the end
      {"abcdef", 1, 6, ""},
      {"abcdef", 0, 2, "abcdef"},  // index below 1
      {"abcdef", 7, 1, "abcdef"},  // index beyond the end
      {"abcdef", 2, 0, "abcdef"},
      {"abcdef", 2, -1, "abcdef"},
      {"", 1, 1, ""},
      {"\x80\xFF", 2, 1, "\x80"},
  };
  for (const auto& c : cases) {
    std::string s = c.text;
    DeleteRange(s, c.index, c.count);
    EXPECT_EQ(c.expected, s) << c.text << " " << c.index << " " << c.count;
  }
}

TEST(ByteString, TrimText) {
  struct Case {
    std::string text, expected;
  } cases[] = {
      {" \t\r\na b\r\n ", "a b"},
      {std::string("\0\x01x\x20", 4), "x"},
      {"\xA0x\xA0", "\xA0x\xA0"},  // 160 is text
      {"\x7F", "\x7F"},
      {" \t \r\n", ""},
      {"", ""},
      {"x", "x"},
  };
  for (const auto& c : cases) {
    std::string s = c.text;
    TrimText(s);
    EXPECT_EQ(c.expected, s);
    EXPECT_EQ(c.expected, TrimmedView(c.text));
  }
}

TEST(ByteString, CopyRange) {
  struct Case {
    std::string text;
    std::int64_t index, count;
    std::string expected;
  } cases[] = {
      {"abcdef", 2, 3, "bcd"},
      {"abcdef", 5, 9, "ef"},     // stops at the end
      {"abcdef", 0, 2, "ab"},     // index below 1 counts as 1
      {"abcdef", -5, 2, "ab"},    // ... and the count is not reduced
      {"abcdef", 7, 1, ""},
      {"abcdef", 1, 0, ""},
      {"abcdef", 1, -3, ""},
      {"", 1, 1, ""},
      {"\xC0\xE0", 2, 1, "\xE0"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.expected, CopyRange(c.text, c.index, c.count))
        << c.text << " " << c.index << " " << c.count;
  }
}

TEST(ByteString, InsertText) {
  struct Case {
    std::string text, insertion;
    std::int64_t index;
    std::string expected;
  } cases[] = {
      {"ac", "b", 2, "abc"},
      {"bc", "a", 1, "abc"},
      {"bc", "a", -4, "abc"},   // below 1 counts as 1
      {"ab", "c", 3, "abc"},    // beyond the end appends
      {"ab", "c", 99, "abc"},
      {"", "x", 1, "x"},
      {"ab", "", 2, "ab"},
  };
  for (const auto& c : cases) {
    std::string s = c.text;
    InsertText(s, c.insertion, c.index);
    EXPECT_EQ(c.expected, s);
  }
}

TEST(ByteString, DecimalText) {
  EXPECT_EQ("0", DecimalText(0));
  EXPECT_EQ("-1", DecimalText(-1));
  EXPECT_EQ("1234567", DecimalText(1234567));
}

}  // namespace
}  // namespace quillon
