#include "run/sitemap_writer.h"

#include <algorithm>

#include <cstdio>

#include "text/byte_string.h"
#include "text/case_table.h"
#include "text/failure.h"

namespace quillon {

const std::string_view kSitemapHeader =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
    "<urlset\r\n"
    "xmlns=\"http://www.sitemaps.org/schemas/sitemap/0.9\"\r\n"
    "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\"\r\n"
    "xsi:schemaLocation=\"http://www.sitemaps.org/schemas/sitemap/0.9\r\n"
    "http://www.sitemaps.org/schemas/sitemap/0.9/sitemap.xsd\">";
const std::string_view kSitemapClosing = "</urlset>";

namespace {

constexpr std::string_view kIndexHeader =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
    "<sitemapindex\r\n"
    "xmlns=\"http://www.sitemaps.org/schemas/sitemap/0.9\"\r\n"
    "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\"\r\n"
    "xsi:schemaLocation=\"http://www.sitemaps.org/schemas/sitemap/0.9\r\n"
    "http://www.sitemaps.org/schemas/sitemap/0.9/siteindex.xsd\">\r\n";

bool IsRootIndexPage(std::string_view path) {
  return path == "index.htm" || path == "index.html" || path == "index.php";
}

std::string Slashed(std::string_view text) { return ReplaceAll(text, "\\", "/"); }

void AppendPercentEncoded(std::string& out, std::string_view text,
                          std::string_view also) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  for (const char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    const bool encode = c <= 32 || c >= 127 ||
                        std::string_view("\"<>\\^`{|}").find(ch) !=
                            std::string_view::npos ||
                        also.find(ch) != std::string_view::npos;
    if (encode) {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    } else {
      out += ch;
    }
  }
}

// Text that XML 1.0 can hold as UTF-8: bytes outside well-formed UTF-8 and
// control characters other than tab, CR and LF become U+FFFD.
std::string ValidXmlText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c < 0x80) {
      const bool allowed = c >= 0x20 || c == '\t' || c == '\r' || c == '\n';
      out += allowed ? text.substr(i, 1) : "\xEF\xBF\xBD";
      ++i;
      continue;
    }
    const std::size_t n = Utf8SequenceLength(text, i);
    // U+FFFE and U+FFFF are no XML characters either.
    const std::string_view seq = text.substr(i, n);
    if (n == 0 || seq == "\xEF\xBF\xBE" || seq == "\xEF\xBF\xBF") {
      out += "\xEF\xBF\xBD";
      ++i;
    } else {
      out += seq;
      i += n;
    }
  }
  return out;
}

}  // namespace

std::string FormatTimeStamp(const LocalTime& t) {
  char buffer[96];
  const int second = t.second - t.second % 2;
  const long offset_minutes = (t.utc_offset < 0 ? -t.utc_offset : t.utc_offset) / 60;
  std::snprintf(buffer, sizeof buffer,
                "%s%04lld-%02d-%02dT%02d:%02d:%02d%c%02ld:%02ld",
                t.year < 0 ? "-" : "",
                static_cast<long long>(t.year < 0 ? -t.year : t.year),
                t.month, t.day, t.hour, t.minute, second,
                t.utc_offset < 0 ? '-' : '+', offset_minutes / 60,
                offset_minutes % 60);
  return buffer;
}

namespace {

std::string Stamp(SiteFolder& site, std::string_view path,
                  std::optional<std::int64_t> mtime) {
  std::optional<LocalTime> local;
  if (mtime) local = ToLocalTime(*mtime);
  if (!local) {
    std::string shown = Slashed(path);
    if (auto real = site.RealFilePath(path)) shown = *real;
    throw Failure(FailureKind::kConvertError, "Invalid argument to date encode",
                  shown);
  }
  return FormatTimeStamp(*local);
}

}  // namespace

std::string FileStamp(SiteFolder& site, std::string_view path) {
  return Stamp(site, path, site.ModificationTime(path));
}

std::string TimeStamp(SiteFolder& site, std::string_view path,
                      std::int64_t mtime) {
  return Stamp(site, path, mtime);
}

namespace {

void AppendEscapedXml(std::string& out, std::string_view text) {
  for (const char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&apos;"; break;
      default: out += c;
    }
  }
}

}  // namespace

std::string EscapeXml(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  AppendEscapedXml(out, text);
  return out;
}

std::string EncodeLocation(std::string_view base_address,
                           std::string_view page_path) {
  std::string out;
  out.reserve(base_address.size() + page_path.size() + 16);
  AppendPercentEncoded(out, base_address, {});
  AppendPercentEncoded(out, page_path, "?#");
  return out;
}

SitemapEntryMaker::SitemapEntryMaker(std::string_view base_address,
                                     std::string_view change_frequency) {
  // A location is the encoded base address and the encoded page path, so
  // the base's part is made once.
  loc_ = "<url>\r\n<loc>";
  AppendEscapedXml(loc_, EncodeLocation(Slashed(base_address), {}));
  middle_ = "</lastmod>\r\n<changefreq>";
  AppendEscapedXml(middle_, ValidXmlText(Slashed(change_frequency)));
  middle_ += "</changefreq>\r\n<priority>";
}

std::string_view SitemapEntryMaker::Entry(std::string_view page_path,
                                          std::string_view stamp) {
  const bool root_index = IsRootIndexPage(page_path);
  entry_ = loc_;
  if (!root_index) {
    slashed_.assign(page_path);
    std::replace(slashed_.begin(), slashed_.end(), '\\', '/');
    encoded_.clear();
    AppendPercentEncoded(encoded_, slashed_, "?#");
    AppendEscapedXml(entry_, encoded_);
  }
  entry_ += "</loc>\r\n<lastmod>";
  AppendEscapedXml(entry_, stamp);
  entry_ += middle_;
  entry_ += root_index ? "1.0" : "0.5";
  entry_ += "</priority>\r\n</url>";
  return entry_;
}

std::string BuildSitemapEntry(std::string_view base_address,
                              std::string_view change_frequency,
                              std::string_view page_path,
                              std::string_view stamp) {
  SitemapEntryMaker maker(base_address, change_frequency);
  return std::string(maker.Entry(page_path, stamp));
}

SitemapBuilder::SitemapBuilder(std::string base_address, SitemapLimits limits)
    : base_address_(std::move(base_address)), limits_(limits) {
  OpenFile();
}

void SitemapBuilder::OpenFile() {
  current_ = OutputText();
  current_.Append(kSitemapHeader);
  current_.Append("\r\n");
  current_size_ = kSitemapHeader.size() + 2;
  current_entries_ = 0;
}

void SitemapBuilder::CloseFile() {
  current_.Append(kSitemapClosing);
  current_.Append("\r\n");
  files_.push_back(std::move(current_));
  OpenFile();
}

void SitemapBuilder::AddEntry(std::string_view entry) {
  const std::size_t closing = kSitemapClosing.size() + 2;
  const bool full = current_entries_ > 0 &&
                    (current_entries_ + 1 > limits_.max_entries ||
                     current_size_ + entry.size() + 2 + closing >
                         limits_.max_bytes);
  if (full) CloseFile();
  current_.Append(entry);
  current_.Append("\r\n");
  current_size_ += entry.size() + 2;
  ++current_entries_;
  ++entries_;
}

std::vector<OutputFile> SitemapBuilder::Finish() {
  CloseFile();
  std::vector<OutputFile> out;
  if (files_.size() == 1) {
    out.emplace_back("sitemap.xml", std::move(files_[0]));
    return out;
  }
  std::string index(kIndexHeader);
  const std::string base = Slashed(base_address_);
  for (std::size_t i = 0; i < files_.size(); ++i) {
    const std::string name = "sitemap-" + std::to_string(i + 1) + ".xml";
    index += "<sitemap>\r\n<loc>";
    index += EscapeXml(EncodeLocation(base, name));
    index += "</loc>\r\n</sitemap>\r\n";
    out.emplace_back(name, std::move(files_[i]));
  }
  index += "</sitemapindex>\r\n";
  out.emplace_back("sitemap.xml", std::move(index));
  return out;
}

std::vector<std::string> StaleSitemapNames(const std::vector<DirEntry>& names,
                                           std::size_t count) {
  std::vector<std::string> stale;
  for (const DirEntry& e : names) {
    std::string_view n = e.name;
    if (e.kind != EntryKind::kFile || n.substr(0, 8) != "sitemap-" ||
        n.size() < 13 || n.substr(n.size() - 4) != ".xml") {
      continue;
    }
    const std::string_view digits = n.substr(8, n.size() - 12);
    if (digits.empty() || digits.size() > 9 || digits[0] == '0' ||
        digits.find_first_not_of("0123456789") != std::string_view::npos) {
      continue;
    }
    if (std::stoul(std::string(digits)) > count) stale.emplace_back(n);
  }
  return stale;
}

}  // namespace quillon
