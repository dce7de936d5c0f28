// The sitemap's url entries, the layouts of sitemap.xml (split into numbered
// files under a sitemap index when a site is too large for one file) and of
// the link report sitemap.txt.
#ifndef QUILLON_RUN_SITEMAP_WRITER_H_
#define QUILLON_RUN_SITEMAP_WRITER_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/clock.h"
#include "platform/output_writer.h"
#include "platform/site_folder.h"

namespace quillon {

// The six lines that open every sitemap file (279 bytes, no final line end).
extern const std::string_view kSitemapHeader;
extern const std::string_view kSitemapClosing;  // "</urlset>"

// yyyy-mm-ddThh:mm:ss+hh:mm, seconds rounded down to even, with the real
// offset from UTC.
std::string FormatTimeStamp(const LocalTime& time);

// The time stamp of the page file `path`. Throws Failure kConvertError
// "Invalid argument to date encode" when the file's time cannot be read.
std::string FileStamp(SiteFolder& site, std::string_view path);
// The time stamp of `mtime`, the modification time of the page file `path`;
// fails like FileStamp when it cannot be represented.
std::string TimeStamp(SiteFolder& site, std::string_view path,
                      std::int64_t mtime);

// `text` with & < > " ' written as entity references.
std::string EscapeXml(std::string_view text);

// The location of a page as a URI: bytes a URI cannot hold (codes 0-32, 127
// and up, and " < > \ ^ ` { | }) written as %XX; in the page path "?" and "#"
// as well.
std::string EncodeLocation(std::string_view base_address,
                           std::string_view page_path);

// The url entry of one page, six lines without a final line end: loc,
// lastmod, changefreq, priority. Priority 1.0 and the base address alone as
// location for the root index pages; every backslash becomes "/".
std::string BuildSitemapEntry(std::string_view base_address,
                              std::string_view change_frequency,
                              std::string_view page_path,
                              std::string_view stamp);

// Makes the url entries of one run, as BuildSitemapEntry does, with what
// every entry shares made once.
class SitemapEntryMaker {
 public:
  SitemapEntryMaker(std::string_view base_address,
                    std::string_view change_frequency);
  // The entry of one page; valid until the next call.
  std::string_view Entry(std::string_view page_path, std::string_view stamp);

 private:
  std::string loc_;     // up to the page's part of the location
  std::string middle_;  // from the end of lastmod to the priority
  std::string entry_;
  std::string slashed_;
  std::string encoded_;
};

// The protocol's limits for one sitemap file.
struct SitemapLimits {
  std::size_t max_entries = 50000;
  std::size_t max_bytes = 52428800;
};

// Collects url entries into sitemap files.
class SitemapBuilder {
 public:
  SitemapBuilder(std::string base_address, SitemapLimits limits);

  void AddEntry(std::string_view entry);
  std::int64_t entry_count() const { return entries_; }

  // sitemap.xml alone when everything fits in one file; otherwise
  // sitemap-1.xml, sitemap-2.xml, ... and then sitemap.xml as their index.
  std::vector<OutputFile> Finish();

 private:
  void OpenFile();
  void CloseFile();

  std::string base_address_;
  SitemapLimits limits_;
  std::vector<OutputText> files_;  // finished files
  OutputText current_;
  std::size_t current_size_ = 0;
  std::size_t current_entries_ = 0;
  std::int64_t entries_ = 0;
};

// The names "sitemap-N.xml" in `names` with N above `count`.
std::vector<std::string> StaleSitemapNames(const std::vector<DirEntry>& names,
                                           std::size_t count);

}  // namespace quillon

#endif  // QUILLON_RUN_SITEMAP_WRITER_H_
