#include "text/byte_string.h"

#include <cstring>

#include "text/case_table.h"

namespace quillon {

std::size_t FindText(std::string_view pattern, std::string_view text,
                     std::size_t start) {
  if (pattern.empty() || text.empty() || start < 1) return 0;
  if (start > text.size() || pattern.size() > text.size() - (start - 1)) {
    return 0;
  }
  const std::size_t at = text.find(pattern, start - 1);
  return at == std::string_view::npos ? 0 : at + 1;
}

std::size_t FindTextIgnoreCase(std::string_view pattern, std::string_view text,
                               std::size_t start) {
  if (pattern.empty() || text.empty() || start < 1) return 0;
  if (start > text.size() || pattern.size() > text.size() - (start - 1)) {
    return 0;
  }
  const auto* data = reinterpret_cast<const unsigned char*>(text.data());
  const auto* pat = reinterpret_cast<const unsigned char*>(pattern.data());
  const std::size_t last = text.size() - pattern.size();  // 0-based
  const std::size_t none = last + 1;
  auto find_from = [&](unsigned char c, std::size_t from) {
    const auto* p = static_cast<const unsigned char*>(
        std::memchr(data + from, c, last - from + 1));
    return p ? static_cast<std::size_t>(p - data) : none;
  };
  // The case table pairs each upper-case byte with exactly one lower-case
  // byte, so a match begins with one of these two bytes; memchr finds the
  // candidates far faster than a compare at every position. The next
  // position of each is kept, so no stretch of text is searched twice.
  const unsigned char first_upper = UpperCaseByte(pat[0]);
  const unsigned char first_lower = LowerCaseByte(pat[0]);
  const bool caseless = first_upper == first_lower;
  std::size_t i = start - 1;
  std::size_t next_upper = find_from(first_upper, i);
  std::size_t next_lower = caseless ? none : find_from(first_lower, i);
  for (;;) {
    if (next_upper < i) next_upper = find_from(first_upper, i);
    if (next_lower < i) next_lower = find_from(first_lower, i);
    i = next_upper < next_lower ? next_upper : next_lower;
    if (i == none) return 0;
    std::size_t k = 1;
    while (k < pattern.size() &&
           UpperCaseByte(data[i + k]) == UpperCaseByte(pat[k])) {
      ++k;
    }
    if (k == pattern.size()) return i + 1;
    if (++i > last) return 0;
  }
}

std::size_t FindLastText(std::string_view pattern, std::string_view text) {
  if (pattern.empty() || text.empty()) return 0;
  const std::size_t at = text.rfind(pattern);
  return at == std::string_view::npos ? 0 : at + 1;
}

std::string ReplaceAll(std::string_view text, std::string_view find,
                       std::string_view replacement) {
  if (find.empty()) return std::string(text);
  std::string out;
  out.reserve(text.size());
  std::size_t from = 0;
  for (;;) {
    const std::size_t at = text.find(find, from);
    if (at == std::string_view::npos) break;
    out.append(text, from, at - from);
    out.append(replacement);
    from = at + find.size();
  }
  out.append(text, from, std::string_view::npos);
  return out;
}

void DeleteRange(std::string& text, std::int64_t index, std::int64_t count) {
  const auto size = static_cast<std::int64_t>(text.size());
  if (count <= 0 || index < 1 || index > size) return;
  if (count >= size - index + 1) {
    text.resize(static_cast<std::size_t>(index - 1));
  } else {
    text.erase(static_cast<std::size_t>(index - 1),
               static_cast<std::size_t>(count));
  }
}

std::string_view TrimmedView(std::string_view text) {
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && static_cast<unsigned char>(text[begin]) <= 32) ++begin;
  while (end > begin && static_cast<unsigned char>(text[end - 1]) <= 32) --end;
  return text.substr(begin, end - begin);
}

void TrimText(std::string& text) {
  const std::string_view kept = TrimmedView(text);
  const auto begin = static_cast<std::size_t>(kept.data() - text.data());
  text.resize(begin + kept.size());
  text.erase(0, begin);
}

std::string CopyRange(std::string_view text, std::int64_t index,
                      std::int64_t count) {
  const auto size = static_cast<std::int64_t>(text.size());
  if (index < 1) index = 1;
  if (text.empty() || index > size || count <= 0) return {};
  const std::int64_t available = size - index + 1;
  const std::int64_t n = count < available ? count : available;
  return std::string(text.substr(static_cast<std::size_t>(index - 1),
                                 static_cast<std::size_t>(n)));
}

void InsertText(std::string& text, std::string_view insertion,
                std::int64_t index) {
  const auto size = static_cast<std::int64_t>(text.size());
  if (index < 1) index = 1;
  if (index > size) {
    text.append(insertion);
  } else {
    text.insert(static_cast<std::size_t>(index - 1), insertion);
  }
}

std::string DecimalText(std::int64_t value) { return std::to_string(value); }

}  // namespace quillon
