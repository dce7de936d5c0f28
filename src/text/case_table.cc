#include "text/case_table.h"

#include <array>

namespace quillon {
namespace {

struct CaseTables {
  std::array<unsigned char, 256> upper;
  std::array<unsigned char, 256> lower;
};

constexpr CaseTables MakeTables() {
  CaseTables t{};
  for (int i = 0; i < 256; ++i) {
    t.upper[i] = static_cast<unsigned char>(i);
    t.lower[i] = static_cast<unsigned char>(i);
  }
  auto pair = [&t](int up, int low) {
    t.upper[low] = static_cast<unsigned char>(up);
    t.lower[up] = static_cast<unsigned char>(low);
  };
  for (int c = 'A'; c <= 'Z'; ++c) pair(c, c + 0x20);
  for (int c = 0xC0; c <= 0xDF; ++c) pair(c, c + 0x20);
  constexpr int kPairs[][2] = {
      {0x80, 0x90}, {0x81, 0x83}, {0x8A, 0x9A}, {0x8C, 0x9C}, {0x8D, 0x9D},
      {0x8E, 0x9E}, {0x8F, 0x9F}, {0xA1, 0xA2}, {0xA3, 0xBC}, {0xA5, 0xB4},
      {0xA8, 0xB8}, {0xAA, 0xBA}, {0xAF, 0xBF}, {0xB2, 0xB3}, {0xBD, 0xBE}};
  for (const auto& p : kPairs) pair(p[0], p[1]);
  return t;
}

constexpr CaseTables kTables = MakeTables();

bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

}  // namespace

unsigned char UpperCaseByte(unsigned char c) { return kTables.upper[c]; }
unsigned char LowerCaseByte(unsigned char c) { return kTables.lower[c]; }

std::size_t Utf8SequenceLength(std::string_view text, std::size_t pos) {
  const std::size_t left = text.size() - pos;
  const auto b = [&](std::size_t i) {
    return static_cast<unsigned char>(text[pos + i]);
  };
  const unsigned char c = b(0);
  if (c < 0xC2 || c > 0xF4) return 0;
  if (c < 0xE0) return (left >= 2 && IsContinuation(b(1))) ? 2 : 0;
  if (left < 3 || !IsContinuation(b(2))) return 0;
  const unsigned char c1 = b(1);
  if (c < 0xF0) {
    // E0 needs A0..BF (no overlong form), ED needs 80..9F (no surrogates).
    const unsigned char lo = c == 0xE0 ? 0xA0 : 0x80;
    const unsigned char hi = c == 0xED ? 0x9F : 0xBF;
    return (c1 >= lo && c1 <= hi) ? 3 : 0;
  }
  if (left < 4 || !IsContinuation(b(3))) return 0;
  // F0 needs 90..BF (no overlong form), F4 needs 80..8F (up to U+10FFFF).
  const unsigned char lo = c == 0xF0 ? 0x90 : 0x80;
  const unsigned char hi = c == 0xF4 ? 0x8F : 0xBF;
  return (c1 >= lo && c1 <= hi) ? 4 : 0;
}

std::string LowerCaseText(std::string_view text) {
  std::string out(text);
  for (std::size_t i = 0; i < out.size();) {
    const auto c = static_cast<unsigned char>(out[i]);
    if (c >= 0xC2) {
      if (const std::size_t n = Utf8SequenceLength(text, i); n != 0) {
        i += n;
        continue;
      }
    }
    out[i] = static_cast<char>(kTables.lower[c]);
    ++i;
  }
  return out;
}

bool IsLowerCase(std::string_view text) {
  FoldCursor cursor(text);
  for (const char c : text) {
    if (cursor.Next() != static_cast<unsigned char>(c)) return false;
  }
  return true;
}

std::uint64_t FoldedHash(std::string_view text) {
  std::uint64_t h = 0xcbf29ce484222325ull;
  for (FoldCursor c(text); !c.done();) h = (h ^ c.Next()) * 0x100000001b3ull;
  return h ^ (h >> 29);
}

int CompareFolded(std::string_view a, std::string_view b) {
  FoldCursor x(a);
  FoldCursor y(b);
  while (!x.done() && !y.done()) {
    const unsigned char p = x.Next();
    const unsigned char q = y.Next();
    if (p != q) return p < q ? -1 : 1;
  }
  if (x.done() && y.done()) return 0;
  return x.done() ? -1 : 1;
}

}  // namespace quillon
