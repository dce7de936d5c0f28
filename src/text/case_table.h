// The fixed Windows-1251 case table, and the case fold used for paths and
// list items. Both are independent of the locale.
#ifndef QUILLON_TEXT_CASE_TABLE_H_
#define QUILLON_TEXT_CASE_TABLE_H_

#include <cstdint>
#include <string>
#include <string_view>

namespace quillon {

// Upper- and lower-case forms of a byte under the Windows-1251 case table:
// A-Z/a-z, 0xC0-0xDF/0xE0-0xFF and 15 further pairs, 73 pairs in all. Every
// other byte maps to itself.
unsigned char UpperCaseByte(unsigned char c);
unsigned char LowerCaseByte(unsigned char c);

// Length of the well-formed UTF-8 sequence of two to four bytes (RFC 3629:
// no overlong forms, no surrogates, nothing above U+10FFFF) that starts at
// `pos`, or 0 when none starts there.
std::size_t Utf8SequenceLength(std::string_view text, std::size_t pos);

// A copy of `text` with every byte lowered by the case table, except the bytes
// of well-formed multi-byte UTF-8 sequences, which stay as they are (mapping
// them one by one would corrupt UTF-8 names). This is also the case fold that
// decides equality of list items and of file names. Cannot fail.
std::string LowerCaseText(std::string_view text);

// True when `text` is unchanged by LowerCaseText.
bool IsLowerCase(std::string_view text);

// Yields the bytes of LowerCaseText(text) one at a time, without building
// the string.
class FoldCursor {
 public:
  explicit FoldCursor(std::string_view text) : text_(text) {}
  bool done() const { return pos_ == text_.size(); }
  unsigned char Next() {
    const auto c = static_cast<unsigned char>(text_[pos_]);
    if (in_sequence_ == 0 && c >= 0xC2) {
      in_sequence_ = Utf8SequenceLength(text_, pos_);
    }
    ++pos_;
    if (in_sequence_ > 0) {
      --in_sequence_;
      return c;
    }
    return LowerCaseByte(c);
  }

 private:
  std::string_view text_;
  std::size_t pos_ = 0;
  std::size_t in_sequence_ = 0;
};

// A hash of the folded form of `text`.
std::uint64_t FoldedHash(std::string_view text);

// Byte order of the folded forms of `a` and `b`: negative, 0 or positive.
int CompareFolded(std::string_view a, std::string_view b);

}  // namespace quillon

#endif  // QUILLON_TEXT_CASE_TABLE_H_
