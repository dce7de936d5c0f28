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

void DecodeCharacterReferencesInto(std::string_view value, std::string& out) {
  out.clear();
  std::size_t amp = value.find('&');
  out.append(value.substr(0, amp));
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
}

std::string DecodeCharacterReferences(std::string_view value) {
  std::string out;
  DecodeCharacterReferencesInto(value, out);
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

void DecodePercentEscapesInto(std::string_view target, std::string& out) {
  out.clear();
  std::size_t pct = target.find('%');
  out.append(target.substr(0, pct));
  if (pct == std::string_view::npos) return;
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
}

std::string DecodePercentEscapes(std::string_view target) {
  std::string out;
  DecodePercentEscapesInto(target, out);
  return out;
}

namespace {

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

// Appends the segments of `path` to `out` by the rules of path segments.
void AppendSegments(std::string_view path, std::string& out) {
  std::size_t begin = 0;
  while (begin <= path.size()) {
    std::size_t end = begin;
    while (end < path.size() && !IsSeparator(path[end])) ++end;
    const std::string_view segment = path.substr(begin, end - begin);
    if (segment == "..") {
      const std::size_t last = out.rfind('\\');
      out.resize(last == std::string::npos ? 0 : last);
    } else if (!segment.empty() && segment != ".") {
      if (!out.empty()) out += '\\';
      out.append(segment);
    }
    begin = end + 1;
  }
}

}  // namespace

void ResolveTargetPathInto(std::string_view page_path, std::string_view target,
                           std::string& out) {
  out.clear();
  const bool from_root = !target.empty() && IsSeparator(target.front());
  const bool final_separator = !target.empty() && IsSeparator(target.back());
  if (!from_root) {
    const std::size_t last = page_path.rfind('\\');
    if (last != std::string_view::npos) {
      AppendSegments(page_path.substr(0, last), out);
    }
  }
  AppendSegments(target, out);
  if (final_separator && !out.empty()) out += '\\';
}

std::string ResolveTargetPath(std::string_view page_path,
                              std::string_view target) {
  std::string out;
  ResolveTargetPathInto(page_path, target, out);
  return out;
}

bool HasPageExtension(std::string_view path) {
  const std::size_t dot = path.rfind('.');
  if (dot == std::string_view::npos) return false;
  const std::string_view ext = path.substr(dot);
  if (ext.find_first_of("\\:") != std::string_view::npos) return false;
  return ext == ".php" || ext == ".htm" || ext == ".html";
}

TargetSorter::TargetSorter(SiteFolder& site) : site_(site) {}

void TargetSorter::ReleaseAllButLinks() {
  resolved_.Clear();
  std::vector<Lookup>().swap(lookups_);
  std::vector<std::uint32_t>().swap(spelling_key_);
  std::vector<bool>().swap(on_disk_);
  page_keys_.Clear();
  std::vector<std::uint32_t>().swap(link_key_);
  link_folds_.Clear();
}

std::uint32_t TargetSorter::PageKeyOf(std::string_view path) {
  folded_ = LowerCaseText(path);
  return page_keys_.Intern(folded_);
}

std::uint32_t TargetSorter::LinkKeyOf(std::string_view text) {
  return link_key_[InternLink(text)];
}

std::uint32_t TargetSorter::FoldKey(std::string_view text, std::uint32_t link) {
  bool inserted = false;
  const std::uint32_t first = link_folds_.FindOrInsert(
      text, link, [this](std::uint32_t id) { return links_.Get(id); }, &inserted);
  return inserted ? link_key_count_++ : link_key_[first];
}

std::uint32_t TargetSorter::InternPage(std::string_view spelling) {
  bool added = false;
  const std::uint32_t id = resolved_.Intern(spelling, &added);
  if (added) lookups_.push_back({TargetKind::kMissing, false, 0});
  if (spelling_key_.size() <= id) spelling_key_.resize(id + 1, 0);
  spelling_key_[id] = PageKeyOf(spelling);
  return id;
}

std::uint32_t TargetSorter::InternLink(std::string_view text,
                                       std::uint64_t hash) {
  bool added = false;
  const std::uint32_t id = links_.Intern(text, hash, &added);
  if (added) link_key_.push_back(FoldKey(text, id));
  return id;
}

void TargetSorter::Prefetch(HrefKind kind, std::uint64_t hash, int step) const {
  switch (kind) {
    case HrefKind::kSelf:
      return;
    case HrefKind::kExternal:
      links_.Prefetch(hash, step);
      return;
    case HrefKind::kLocal:
      resolved_.Prefetch(hash, step);
      if (step == 3) {
        const std::int64_t id = resolved_.FirstCandidate(hash);
        if (id >= 0) __builtin_prefetch(&lookups_[static_cast<std::size_t>(id)]);
      }
      return;
  }
}

TargetSorter::Lookup TargetSorter::LookUp(std::string_view resolved,
                                          std::uint64_t hash) {
  bool added = false;
  const std::uint32_t index = resolved_.Intern(resolved, hash, &added);
  if (added) lookups_.push_back({TargetKind::kMissing, false, 0});
  if (lookups_[index].known) return lookups_[index];
  Lookup lookup{TargetKind::kMissing, true, 0};
  const SiteFolder::Names names = site_.Classify(resolved);
  bool found = false;
  if (names.folder) {
    // A folder leads to its index page.
    std::string_view folder = resolved;
    if (!folder.empty() && folder.back() == '\\') folder.remove_suffix(1);
    for (const char* name : {"index.htm", "index.html", "index.php"}) {
      std::string page(folder);
      if (!page.empty()) page += '\\';
      page += name;
      if (site_.FileExists(page)) {
        lookup = {TargetKind::kPage, true, InternPage(page)};
        found = true;
        break;
      }
    }
  } else if (names.file) {
    found = true;
    lookup = HasPageExtension(resolved)
                 ? Lookup{TargetKind::kPage, true, InternPage(resolved)}
                 : Lookup{TargetKind::kFile, true, 0};
    if (lookup.kind == TargetKind::kPage && names.exact_file) {
      if (on_disk_.size() <= lookup.id) on_disk_.resize(lookup.id + 1 + lookup.id / 2);
      on_disk_[lookup.id] = true;
    }
  }
  if (!found) {
    lookup = {TargetKind::kMissing, true, InternLink(LowerCaseText(resolved))};
  }
  lookups_[index] = lookup;
  return lookup;
}

HrefKind HrefReader::Read(std::string_view href, std::string_view page_path,
                          std::string_view* text) {
  std::string_view target = href;
  if (href.find('&') != std::string_view::npos) {
    DecodeCharacterReferencesInto(href, decoded_);
    target = decoded_;
  }
  target = StripFragment(TrimmedView(target));
  if (target.empty()) return HrefKind::kSelf;
  if (IsExternalTarget(target)) {
    *text = target;
    return HrefKind::kExternal;
  }
  std::string_view local = StripQuery(target);
  if (local.empty()) return HrefKind::kSelf;
  if (local.find('%') != std::string_view::npos) {
    DecodePercentEscapesInto(local, unescaped_);
    local = unescaped_;
  }
  ResolveTargetPathInto(page_path, local, resolved_);
  *text = resolved_;
  return HrefKind::kLocal;
}

SortedTarget TargetSorter::SortRead(HrefKind kind, std::string_view text,
                                    std::uint64_t hash) {
  switch (kind) {
    case HrefKind::kSelf:
      return {};
    case HrefKind::kExternal:
      return {TargetKind::kExternal, InternLink(text, hash)};
    case HrefKind::kLocal:
      break;
  }
  const Lookup lookup = LookUp(text, hash);
  if (lookup.kind == TargetKind::kFile) return {TargetKind::kFile, 0};
  return {lookup.kind, lookup.id};
}

SortedTarget TargetSorter::SortHref(std::string_view href,
                                    std::string_view page_path) {
  std::string_view text;
  const HrefKind kind = reader_.Read(href, page_path, &text);
  return SortRead(kind, text);
}

Target TargetSorter::Sort(std::string_view href, std::string_view page_path) {
  const SortedTarget sorted = SortHref(href, page_path);
  switch (sorted.kind) {
    case TargetKind::kPage:
      return {sorted.kind, std::string(PagePath(sorted.id))};
    case TargetKind::kExternal:
    case TargetKind::kMissing:
      return {sorted.kind, std::string(LinkText(sorted.id))};
    default:
      return {sorted.kind, {}};
  }
}

}  // namespace quillon
