// The program's main sequence: settings, crawl, link report and sitemap.
#ifndef QUILLON_RUN_RUN_DRIVER_H_
#define QUILLON_RUN_RUN_DRIVER_H_

#include <cstdint>
#include <functional>
#include <string>

#include "platform/file_system.h"
#include "run/sitemap_writer.h"
#include "text/string_list.h"

namespace quillon {

struct RunOptions {
  // The program's own executable, for the default base address.
  std::string executable_path;
  SitemapLimits limits;
  // Called with each warning about the settings, as soon as it is known.
  std::function<void(const std::string&)> warn;
  // Called when every output file is written, before any is put in place.
  std::function<void()> before_rename;
};

struct RunOutcome {
  // False for the quiet end: no start page, nothing written.
  bool wrote = false;
  std::string base_address;
  std::int64_t pages = 0;  // url entries in the sitemap
};

// Runs the whole program on the site in `fs`. Throws Failure; when it does,
// no output file has been replaced.
RunOutcome RunSite(FileSystem& fs, const Collation& collation,
                   const RunOptions& options);

// The completion message: the base address, a carriage return, "Pages: " and
// the number of url entries.
std::string CompletionText(const RunOutcome& outcome);

}  // namespace quillon

#endif  // QUILLON_RUN_RUN_DRIVER_H_
