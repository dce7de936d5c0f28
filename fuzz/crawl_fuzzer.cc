// A whole run over a small in-memory site whose page bytes come from the
// fuzzer. Checks: the run never fails on page content; sitemap.xml is
// well-formed UTF-8 XML; the link report is sorted and free of duplicates
// under the case fold; every page listed is lower-case, has a page extension
// and names an existing regular file.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "crawl/link_target.h"
#include "fuzz/fuzz_check.h"
#include "platform/fake_file_system.h"
#include "platform/site_folder.h"
#include "run/run_driver.h"
#include "text/case_table.h"
#include "text/failure.h"
#include "text/string_list.h"

namespace {

bool IsNameByte(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == ':' ||
         c == '-';
}

// A small XML checker for what the sitemap may hold: the declaration,
// elements with quoted attributes, text with the five entity references.
bool WellFormed(std::string_view xml) {
  for (std::size_t i = 0; i < xml.size();) {
    const auto c = static_cast<unsigned char>(xml[i]);
    if (c >= 0x80) {
      const std::size_t n = quillon::Utf8SequenceLength(xml, i);
      if (n == 0) return false;
      i += n;
      continue;
    }
    if (c < 0x20 && c != '\t' && c != '\r' && c != '\n') return false;
    ++i;
  }
  const std::string_view decl = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";
  if (xml.substr(0, decl.size()) != decl) return false;
  std::vector<std::string_view> open;
  bool seen_root = false;
  std::size_t i = decl.size();
  while (i < xml.size()) {
    if (xml[i] == '<') {
      const std::size_t end = xml.find('>', i);
      if (end == std::string_view::npos) return false;
      std::string_view tag = xml.substr(i + 1, end - i - 1);
      if (!tag.empty() && tag[0] == '/') {
        if (open.empty() || tag.substr(1) != open.back()) return false;
        open.pop_back();
      } else {
        std::size_t n = 0;
        while (n < tag.size() && IsNameByte(tag[n])) ++n;
        if (n == 0) return false;
        if (open.empty() && seen_root) return false;
        // Attributes: name="value", separated by white space.
        std::size_t k = n;
        while (k < tag.size()) {
          if (tag[k] == ' ' || tag[k] == '\r' || tag[k] == '\n') {
            ++k;
            continue;
          }
          std::size_t m = k;
          while (m < tag.size() && IsNameByte(tag[m])) ++m;
          if (m == k || m + 1 >= tag.size() || tag[m] != '=' || tag[m + 1] != '"') {
            return false;
          }
          const std::size_t close = tag.find('"', m + 2);
          if (close == std::string_view::npos) return false;
          if (tag.substr(m + 2, close - m - 2).find_first_of("<&") !=
              std::string_view::npos) {
            return false;
          }
          k = close + 1;
        }
        open.push_back(tag.substr(0, n));
        seen_root = true;
      }
      i = end + 1;
    } else if (xml[i] == '&') {
      bool known = false;
      for (std::string_view e : {"&amp;", "&lt;", "&gt;", "&quot;", "&apos;"}) {
        if (xml.substr(i, e.size()) == e) {
          known = true;
          i += e.size();
          break;
        }
      }
      if (!known) return false;
    } else {
      if (xml[i] == '>') return false;
      if (open.empty() && xml[i] != '\r' && xml[i] != '\n') return false;
      ++i;
    }
  }
  return open.empty() && seen_root;
}

std::vector<std::string_view> Lines(std::string_view text) {
  std::vector<std::string_view> lines;
  std::size_t begin = 0;
  while (begin < text.size()) {
    const std::size_t end = text.find("\r\n", begin);
    FUZZ_CHECK(end != std::string_view::npos);  // every line ends in CR LF
    lines.push_back(text.substr(begin, end - begin));
    begin = end + 2;
  }
  return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // No two names differ only in letter case: there, a lower-cased page
  // path may name another file than the one read (a unit test covers it).
  static const char* kNames[] = {"index.htm", "a.htm", "Docs/B.html",
                                 "Docs/c.php", "Docs/sub/index.html",
                                 "Quillon.ini"};
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  quillon::FakeFileSystem fs;
  std::size_t begin = 0;
  for (const char* name : kNames) {
    std::size_t end = input.find('\x1F', begin);
    if (end == std::string_view::npos) end = input.size();
    if (begin <= input.size()) {
      fs.AddFile(name, std::string(input.substr(begin, end - begin)));
    }
    begin = end + 1;
  }
  fs.AddFile("logo.png", "png");
  fs.AddFolder("empty");

  quillon::ByteOrderCollation collation;
  quillon::RunOptions options;
  options.executable_path = "/opt/site/quillon";
  options.limits.max_entries = 3;  // splits as soon as there are four pages
  quillon::RunOutcome outcome;
  try {
    outcome = quillon::RunSite(fs, collation, options);
  } catch (const quillon::Failure& f) {
    std::fprintf(stderr, "run failed: %s\n", f.message().c_str());
    FUZZ_CHECK(false);
  }
  FUZZ_CHECK(outcome.wrote);  // index.htm always exists
  FUZZ_CHECK(WellFormed(fs.Contents("sitemap.xml")));
  for (int n = 1; fs.Has("sitemap-" + std::to_string(n) + ".xml"); ++n) {
    FUZZ_CHECK(WellFormed(fs.Contents("sitemap-" + std::to_string(n) + ".xml")));
  }

  const std::vector<std::string_view> lines = Lines(fs.Contents("sitemap.txt"));
  std::size_t i = 0;
  std::string_view previous;
  for (; i < lines.size() && !lines[i].empty(); ++i) {
    FUZZ_CHECK(lines[i].substr(0, 6) == "404 > ");
    const std::string_view link = lines[i].substr(6);
    if (i > 0) FUZZ_CHECK(quillon::CompareFolded(previous, link) < 0);
    previous = link;
  }
  // Two empty lines end the links.
  FUZZ_CHECK(i + 1 < lines.size() && lines[i].empty() && lines[i + 1].empty());
  i += 2;
  quillon::SiteFolder site(fs);
  std::int64_t pages = 0;
  for (; i < lines.size(); ++i, ++pages) {
    FUZZ_CHECK(quillon::IsLowerCase(lines[i]));
    FUZZ_CHECK(quillon::HasPageExtension(lines[i]));
    FUZZ_CHECK(site.FileExists(lines[i]));
  }
  FUZZ_CHECK(pages == outcome.pages);
  return 0;
}
