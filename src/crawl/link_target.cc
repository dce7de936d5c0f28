#include "crawl/link_target.h"

#include <cstdint>
#include <vector>

#include "text/byte_string.h"
#include "text/case_table.h"

namespace quillon {
namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool IsAsciiLetter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

void AppendUtf8(std::string& out, std::uint32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// Decodes the reference at the start of `s` (which begins with "&") into
// `out`; returns its length, or 0 when it is none to decode.
std::size_t DecodeOneReference(std::string_view s, std::string& out) {
  static constexpr struct {
    std::string_view name;
    char c;
  } kNamed[] = {{"&amp;", '&'},
                {"&lt;", '<'},
                {"&gt;", '>'},
                {"&quot;", '"'},
                {"&apos;", '\''}};
  for (const auto& named : kNamed) {
    if (s.substr(0, named.name.size()) == named.name) {
      out += named.c;
      return named.name.size();
    }
  }
  if (s.size() < 4 || s[1] != '#') return 0;
  std::size_t i = 2;
  const bool hex = s[i] == 'x' || s[i] == 'X';
  if (hex) ++i;
  const std::size_t digits_begin = i;
  std::uint32_t value = 0;
  bool too_large = false;
  for (; i < s.size(); ++i) {
    const int d = hex ? HexValue(s[i]) : (s[i] >= '0' && s[i] <= '9'
                                              ? s[i] - '0'
                                              : -1);
    if (d < 0) break;
    if (value > 0x10FFFF) {
      too_large = true;
    } else {
      value = value * (hex ? 16 : 10) + static_cast<std::uint32_t>(d);
    }
  }
  if (i == digits_begin || i >= s.size() || s[i] != ';') return 0;
  if (too_large || value == 0 || value > 0x10FFFF ||
      (value >= 0xD800 && value <= 0xDFFF)) {
    return 0;
  }
  AppendUtf8(out, value);
  return i + 1;
}

}  // namespace

std::string DecodeCharacterReferences(std::string_view value) {
  std::size_t amp = value.find('&');
  if (amp == std::string_view::npos) return std::string(value);
  std::string out(value.substr(0, amp));
  while (amp < value.size()) {
    const std::size_t n = DecodeOneReference(value.substr(amp), out);
    if (n == 0) {
      out += '&';
      ++amp;
    } else {
      amp += n;
    }
    const std::size_t next = value.find('&', amp);
    const std::size_t stop = next == std::string_view::npos ? value.size()
                                                            : next;
    out.append(value.substr(amp, stop - amp));
    amp = stop;
  }
  return out;
}

std::string_view StripFragment(std::string_view target) {
  return target.substr(0, target.find('#'));
}

std::string_view StripQuery(std::string_view target) {
  return target.substr(0, target.find('?'));
}

bool IsExternalTarget(std::string_view target) {
  if (target.substr(0, 2) == "//") return true;
  // Every marker below holds a colon.
  const std::size_t colon = target.find(':');
  if (colon == std::string_view::npos) return false;
  if (IsAsciiLetter(target[0])) {
    std::size_t i = 1;
    while (i < colon && (IsAsciiLetter(target[i]) ||
                         (target[i] >= '0' && target[i] <= '9') ||
                         target[i] == '+' || target[i] == '-' ||
                         target[i] == '.')) {
      ++i;
    }
    if (i == colon) return true;
  }
  for (std::string_view marker : {"http:", "https:", "mailto:", "ftp:"}) {
    if (FindTextIgnoreCase(marker, target, 1) != 0) return true;
  }
  return false;
}

std::string DecodePercentEscapes(std::string_view target) {
  std::size_t pct = target.find('%');
  if (pct == std::string_view::npos) return std::string(target);
  std::string out(target.substr(0, pct));
  for (std::size_t i = pct; i < target.size(); ++i) {
    if (target[i] == '%' && i + 2 < target.size() &&
        HexValue(target[i + 1]) >= 0 && HexValue(target[i + 2]) >= 0) {
      out += static_cast<char>(HexValue(target[i + 1]) * 16 +
                               HexValue(target[i + 2]));
      i += 2;
    } else {
      out += target[i];
    }
  }
  return out;
}

std::string ResolveTargetPath(std::string_view page_path,
                              std::string_view target) {
  std::vector<std::string_view> segments;
  auto take = [&segments](std::string_view path, char separator) {
    std::size_t begin = 0;
    while (begin <= path.size()) {
      std::size_t end = path.find(separator, begin);
      if (end == std::string_view::npos) end = path.size();
      const std::string_view segment = path.substr(begin, end - begin);
      if (segment == "..") {
        if (!segments.empty()) segments.pop_back();
      } else if (!segment.empty() && segment != ".") {
        segments.push_back(segment);
      }
      begin = end + 1;
    }
  };
  std::string slashed(target);
  for (char& c : slashed) {
    if (c == '/') c = '\\';
  }
  const bool from_root = !slashed.empty() && slashed[0] == '\\';
  const bool final_separator = !slashed.empty() && slashed.back() == '\\';
  if (!from_root) {
    const std::size_t last = page_path.rfind('\\');
    if (last != std::string_view::npos) take(page_path.substr(0, last), '\\');
  }
  take(slashed, '\\');
  std::string resolved;
  for (const std::string_view segment : segments) {
    if (!resolved.empty()) resolved += '\\';
    resolved.append(segment);
  }
  if (final_separator && !resolved.empty()) resolved += '\\';
  return resolved;
}

bool HasPageExtension(std::string_view path) {
  const std::size_t dot = path.rfind('.');
  if (dot == std::string_view::npos) return false;
  const std::string_view ext = path.substr(dot);
  if (ext.find_first_of("\\:") != std::string_view::npos) return false;
  return ext == ".php" || ext == ".htm" || ext == ".html";
}

TargetSorter::TargetSorter(SiteFolder& site) : site_(site) {}

const TargetSorter::Lookup& TargetSorter::LookUp(const std::string& resolved) {
  auto it = lookups_.find(resolved);
  if (it != lookups_.end()) return it->second;
  Lookup lookup{TargetKind::kMissing, {}};
  std::string_view folder = resolved;
  if (!folder.empty() && folder.back() == '\\') folder.remove_suffix(1);
  if (site_.FolderExists(folder)) {
    // A folder leads to its index page.
    for (const char* name : {"index.htm", "index.html", "index.php"}) {
      std::string page(folder);
      if (!page.empty()) page += '\\';
      page += name;
      if (site_.FileExists(page)) {
        lookup = {TargetKind::kPage, std::move(page)};
        break;
      }
    }
  } else if (site_.FileExists(resolved)) {
    lookup.kind = HasPageExtension(resolved) ? TargetKind::kPage
                                             : TargetKind::kFile;
    if (lookup.kind == TargetKind::kPage) lookup.path = resolved;
  }
  return lookups_.emplace(resolved, std::move(lookup)).first->second;
}

Target TargetSorter::Sort(std::string_view href, std::string_view page_path) {
  const std::string decoded = DecodeCharacterReferences(href);
  const std::string_view target = StripFragment(TrimmedView(decoded));
  if (target.empty()) return {};
  if (IsExternalTarget(target)) {
    return {TargetKind::kExternal, std::string(target)};
  }
  const std::string_view local = StripQuery(target);
  if (local.empty()) return {};
  const std::string resolved =
      ResolveTargetPath(page_path, DecodePercentEscapes(local));
  const Lookup& lookup = LookUp(resolved);
  switch (lookup.kind) {
    case TargetKind::kPage:
      return {TargetKind::kPage, lookup.path};
    case TargetKind::kMissing:
      return {TargetKind::kMissing, LowerCaseText(resolved)};
    default:
      return {lookup.kind, {}};
  }
}

}  // namespace quillon
