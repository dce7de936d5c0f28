// Turns an href value into what the crawl does with it: read as the web reads
// links (character references, fragment, scheme, query, percent escapes,
// path segments, folder index pages), then sorted against the site's files.
#ifndef QUILLON_CRAWL_LINK_TARGET_H_
#define QUILLON_CRAWL_LINK_TARGET_H_

#include <string>
#include <string_view>
#include <unordered_map>

#include "platform/site_folder.h"

namespace quillon {

// Decodes &amp; &lt; &gt; &quot; &apos; and numeric references with their
// final ";" (&#45; &#x2D;), code points from 128 up as UTF-8; a reference to
// 0, to a surrogate or above U+10FFFF, and any other "&", stay as written.
std::string DecodeCharacterReferences(std::string_view value);

// The target less its first "#" and all after it.
std::string_view StripFragment(std::string_view target);

// True for a link that leaves the site: one that holds "http:", "https:",
// "mailto:" or "ftp:" anywhere (letter case ignored), begins with a URI
// scheme (a letter, then letters, digits, "+", "-" or ".", then ":"), or
// begins with "//".
bool IsExternalTarget(std::string_view target);

// The target less its first "?" and all after it.
std::string_view StripQuery(std::string_view target);

// Each "%" followed by two hex digits becomes that byte; any other "%" stays.
std::string DecodePercentEscapes(std::string_view target);

// Resolves a local target against the folder of `page_path` (backslash
// separators): slashes become backslashes; a target that begins with a
// backslash starts from the site folder; empty and "." segments are dropped,
// ".." drops the segment before it and never climbs above the site folder. A
// target that ended in a slash keeps one final backslash. The site folder
// itself is the empty path.
std::string ResolveTargetPath(std::string_view page_path,
                              std::string_view target);

// The extension test of pages: ".php", ".htm" or ".html", exact case.
bool HasPageExtension(std::string_view path);

enum class TargetKind {
  kSelf,      // refers to the page itself: nothing to record
  kExternal,  // recorded in the link report as written
  kMissing,   // names no file: recorded lower-cased in the link report
  kFile,      // an existing file that is no page: nothing to record
  kPage,      // a page of the site
};

struct Target {
  TargetKind kind = TargetKind::kSelf;
  // kExternal: the link as written, less its fragment. kMissing: the
  // lower-cased resolved path. kPage: the resolved path, letter case as
  // written. Otherwise empty.
  std::string text;
};

// Sorts href values found on one page after another. Resolved paths are
// looked up once: the site does not change while it is crawled.
class TargetSorter {
 public:
  // `site` must outlive this object.
  explicit TargetSorter(SiteFolder& site);

  Target Sort(std::string_view href, std::string_view page_path);

 private:
  struct Lookup {
    TargetKind kind;
    std::string path;  // kPage: the path of the page (index page of a folder)
  };
  const Lookup& LookUp(const std::string& resolved);

  SiteFolder& site_;
  std::unordered_map<std::string, Lookup> lookups_;
};

}  // namespace quillon

#endif  // QUILLON_CRAWL_LINK_TARGET_H_
