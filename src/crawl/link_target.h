// Turns an href value into what the crawl does with it: read as the web reads
// links (character references, fragment, scheme, query, percent escapes,
// path segments, folder index pages), then sorted against the site's files.
#ifndef QUILLON_CRAWL_LINK_TARGET_H_
#define QUILLON_CRAWL_LINK_TARGET_H_

#include <string>
#include <string_view>
#include <cstdint>
#include <vector>

#include "platform/site_folder.h"
#include "text/folded_index.h"
#include "text/string_table.h"

namespace quillon {

// Decodes &amp; &lt; &gt; &quot; &apos; and numeric references with their
// final ";" (&#45; &#x2D;), code points from 128 up as UTF-8; a reference to
// 0, to a surrogate or above U+10FFFF, and any other "&", stay as written.
std::string DecodeCharacterReferences(std::string_view value);
void DecodeCharacterReferencesInto(std::string_view value, std::string& out);

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
void DecodePercentEscapesInto(std::string_view target, std::string& out);

// Resolves a local target against the folder of `page_path` (backslash
// separators, no empty, "." or ".." segments): slashes become backslashes; a
// target that begins with a backslash starts from the site folder; empty and
// "." segments are dropped, ".." drops the segment before it and never climbs
// above the site folder. A target that ended in a slash keeps one final
// backslash. The site folder itself is the empty path.
std::string ResolveTargetPath(std::string_view page_path,
                              std::string_view target);
void ResolveTargetPathInto(std::string_view page_path, std::string_view target,
                           std::string& out);

// The extension test of pages: ".php", ".htm" or ".html", exact case.
bool HasPageExtension(std::string_view path);

enum class TargetKind : unsigned char {
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

// What an href value says before the site is consulted: nothing (the page
// itself), an external link, or a local path resolved against the page.
enum class HrefKind : unsigned char { kSelf, kExternal, kLocal };

// Reads href values as the web reads them: character references, the
// fragment, the scheme, the query, percent escapes and path segments. Holds
// only scratch buffers, so each thread can have its own.
class HrefReader {
 public:
  // `*text` receives the external link as it stands, or the resolved path;
  // it is valid until the next call.
  HrefKind Read(std::string_view href, std::string_view page_path,
                std::string_view* text);

 private:
  std::string decoded_;
  std::string unescaped_;
  std::string resolved_;
};

// A sorted target by id, as the crawl keeps it: for kPage a page spelling,
// for kExternal and kMissing a link.
struct SortedTarget {
  TargetKind kind = TargetKind::kSelf;
  std::uint32_t id = 0;
};

// Sorts the href values of a crawl. The site does not change while it is
// crawled, so each resolved path is looked up once; pages and links get
// dense ids, and ids of their case-folded forms ("keys"), so that the crawl
// can test "already listed, letter case ignored" with a bit per key.
class TargetSorter {
 public:
  // `site` must outlive this object.
  explicit TargetSorter(SiteFolder& site);
  TargetSorter(const TargetSorter&) = delete;
  TargetSorter& operator=(const TargetSorter&) = delete;

  SortedTarget SortHref(std::string_view href, std::string_view page_path);
  // Sorts what an HrefReader made of an href.
  SortedTarget SortRead(HrefKind kind, std::string_view text) {
    return SortRead(kind, text, StringTable::Hash(text));
  }
  // The same with `hash` = StringTable::Hash(text), made beforehand.
  SortedTarget SortRead(HrefKind kind, std::string_view text,
                        std::uint64_t hash);
  // Warms the cache for SortRead of what an HrefReader made of an href;
  // see StringTable::Prefetch.
  void Prefetch(HrefKind kind, std::uint64_t hash, int step) const;
  // The same, spelled out.
  Target Sort(std::string_view href, std::string_view page_path);

  // A page spelling: the path as the link resolved it, letter case as
  // written; the page is read under it.
  std::string_view PagePath(std::uint32_t spelling) const {
    return resolved_.Get(spelling);
  }
  // The key of a page spelling, and the page list entry (the lower-cased
  // path) of a key.
  std::uint32_t PageKey(std::uint32_t spelling) const {
    return spelling_key_[spelling];
  }
  std::string_view PageEntry(std::uint32_t key) const {
    return page_keys_.Get(key);
  }
  std::uint32_t PageKeyOf(std::string_view path);
  // True when the page file of a spelling lies on disk under the spelling
  // itself (with "/" for backslashes), so that it needs no lookup to read.
  bool SpelledAsOnDisk(std::uint32_t spelling) const {
    return spelling < on_disk_.size() && on_disk_[spelling];
  }
  // The spelling of a page that is not met through a link (the start page).
  std::uint32_t PageSpelling(std::string_view path) { return InternPage(path); }

  // Frees all but the links, once no more hrefs are to be sorted.
  void ReleaseAllButLinks();

  // The text a link is recorded with, its key, and the key of any text.
  std::string_view LinkText(std::uint32_t link) const { return links_.Get(link); }
  std::uint32_t LinkKey(std::uint32_t link) const { return link_key_[link]; }
  std::uint32_t LinkKeyOf(std::string_view text);
  std::uint32_t link_key_count() const { return link_key_count_; }

 private:
  struct Lookup {
    TargetKind kind;
    bool known;  // false until the path itself has been looked up
    std::uint32_t id;
  };
  Lookup LookUp(std::string_view resolved, std::uint64_t hash);
  std::uint32_t InternPage(std::string_view spelling);
  std::uint32_t InternLink(std::string_view text) {
    return InternLink(text, StringTable::Hash(text));
  }
  std::uint32_t InternLink(std::string_view text, std::uint64_t hash);

  SiteFolder& site_;
  // Resolved paths met so far, and what each leads to; a page spelling is
  // the id of its path here.
  StringTable resolved_;
  std::vector<Lookup> lookups_;
  std::vector<std::uint32_t> spelling_key_;  // by resolved id, for pages
  std::vector<bool> on_disk_;                // by resolved id, for pages
  StringTable page_keys_;
  StringTable links_;
  std::vector<std::uint32_t> link_key_;
  // Links grouped by their folded forms, by the group's first link.
  FoldedIndex link_folds_;
  std::uint32_t link_key_count_ = 0;
  // The key of `text`, given the link that will carry it when new.
  std::uint32_t FoldKey(std::string_view text, std::uint32_t link);
  HrefReader reader_;
  std::string folded_;  // scratch
};

}  // namespace quillon

#endif  // QUILLON_CRAWL_LINK_TARGET_H_
