// Byte-string search, replace, delete, trim and copy operations. Positions
// are 1-based; 0 means "not found". Every operation accepts empty strings and
// out-of-range positions or counts, and none of them fails.
#ifndef QUILLON_TEXT_BYTE_STRING_H_
#define QUILLON_TEXT_BYTE_STRING_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace quillon {

// Position of the first occurrence of `pattern` in `text` that begins at or
// after `start`, comparing bytes exactly. 0 when there is none, when either
// string is empty, or when the pattern no longer fits from `start` on.
std::size_t FindText(std::string_view pattern, std::string_view text,
                     std::size_t start);

// As FindText, but two bytes match when their upper-case forms under the
// Windows-1251 case table are equal.
std::size_t FindTextIgnoreCase(std::string_view pattern, std::string_view text,
                               std::size_t start);

// Position of the last occurrence of `pattern` in `text`, exact bytes; 0 when
// there is none or either string is empty.
std::size_t FindLastText(std::string_view pattern, std::string_view text);

// A copy of `text` with every non-overlapping occurrence of `find`, searched
// left to right, replaced. Replacement bytes are never searched again. An
// empty `find` leaves the text unchanged.
std::string ReplaceAll(std::string_view text, std::string_view find,
                       std::string_view replacement);

// Removes `count` bytes from position `index` on. Nothing happens when count
// is 0 or less or index lies outside 1..size; a range past the end keeps only
// the first index - 1 bytes.
void DeleteRange(std::string& text, std::int64_t index, std::int64_t count);

// Removes every leading and trailing byte of code 0 to 32.
void TrimText(std::string& text);
std::string_view TrimmedView(std::string_view text);

// Up to `count` bytes of `text` from position `index` on. An index below 1
// counts as 1 (the count is not reduced for it); empty when the text is
// empty, index is beyond the end or count is 0 or less.
std::string CopyRange(std::string_view text, std::int64_t index,
                      std::int64_t count);

// Inserts `insertion` into `text` before position `index`; an index below 1
// counts as 1, one beyond the end appends.
void InsertText(std::string& text, std::string_view insertion,
                std::int64_t index);

// Signed decimal digits, "-" first for negative numbers.
std::string DecimalText(std::int64_t value);

}  // namespace quillon

#endif  // QUILLON_TEXT_BYTE_STRING_H_
