#include "crawl/page_loader.h"

#include <cstring>

#include "text/byte_string.h"

namespace quillon {
namespace {

constexpr char kCtrlZ = 26;

// Calls `line(begin, end)` for each line of `bytes` (line ends excluded, lone
// CRs still inside) and `line_end()` after each, up to the end of the text.
template <typename Line, typename LineEnd>
void ForEachLine(std::string_view bytes, Line line, LineEnd line_end) {
  const char* p = bytes.data();
  const char* const end = p + bytes.size();
  while (p < end && *p != kCtrlZ) {
    const char* lf = static_cast<const char*>(std::memchr(p, '\n', end - p));
    const char* stop = lf ? lf : end;
    line(p, stop);
    line_end();
    p = lf ? lf + 1 : end;
  }
}

// Appends [begin, end) without its CRs (a CR right before the LF is part of
// the line end, any other is dropped).
void AppendWithoutCr(std::string& out, const char* begin, const char* end) {
  while (begin < end) {
    const char* cr =
        static_cast<const char*>(std::memchr(begin, '\r', end - begin));
    const char* stop = cr ? cr : end;
    out.append(begin, stop);
    begin = cr ? cr + 1 : end;
  }
}

}  // namespace

std::string LoadPageText(std::string_view bytes, std::string_view line_end) {
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 16);
  ForEachLine(
      bytes,
      [&](const char* b, const char* e) { AppendWithoutCr(out, b, e); },
      [&] { out.append(line_end); });
  TrimText(out);
  return out;
}

std::string_view LoadPageTextWithBlanks(char* data, std::size_t size) {
  if (size == 0) return {};  // `data` may be null then
  // The text ends at a Ctrl-Z that begins a line.
  for (const char* z = static_cast<const char*>(std::memchr(data, kCtrlZ, size));
       z != nullptr;
       z = static_cast<const char*>(
           std::memchr(z + 1, kCtrlZ, size - (z + 1 - data)))) {
    if (z == data || z[-1] == '\n') {
      size = static_cast<std::size_t>(z - data);
      break;
    }
  }
  if (std::memchr(data, '\r', size) == nullptr) {
    // Without CRs each line end becomes a blank where it stands: one
    // pass the compiler can vectorise, not a search per line.
    for (std::size_t i = 0; i < size; ++i) {
      data[i] = data[i] == '\n' ? ' ' : data[i];
    }
    return TrimmedView(std::string_view(data, size));
  }
  // Writing never gets ahead of reading: a line end of one or two bytes
  // becomes one blank and dropped CRs shrink the text.
  char* const base = data;
  std::size_t w = 0;
  ForEachLine(
      std::string_view(data, size),
      [&](const char* b, const char* e) {
        while (b < e) {
          const char* cr =
              static_cast<const char*>(std::memchr(b, '\r', e - b));
          const char* stop = cr ? cr : e;
          const auto n = static_cast<std::size_t>(stop - b);
          if (base + w != b) std::memmove(base + w, b, n);
          w += n;
          b = cr ? cr + 1 : e;
        }
      },
      [&] {
        // Only the end of the last line, with no LF behind it, can find no
        // room; it would be trimmed anyway.
        if (w < size) base[w++] = ' ';
      });
  return TrimmedView(std::string_view(data, w));
}

void LoadPageTextWithBlanks(std::string& bytes) {
  bytes = std::string(LoadPageTextWithBlanks(bytes.data(), bytes.size()));
}

std::string ReadPageText(SiteFolder& site, std::string_view path) {
  return LoadPageText(site.ReadPage(path), "\r\n");
}

}  // namespace quillon
