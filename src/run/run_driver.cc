#include "run/run_driver.h"

#include <exception>
#include <thread>
#include <utility>
#include <vector>

#include "crawl/page_loader.h"
#include "crawl/page_scanner.h"
#include "platform/output_writer.h"
#include "platform/site_folder.h"
#include "run/config.h"
#include "text/byte_string.h"

namespace quillon {

RunOutcome RunSite(FileSystem& fs, const Collation& collation,
                   const RunOptions& options) {
  SiteFolder site(fs);

  // Base address and change frequency.
  SiteSettings settings;
  if (site.FileExists("Quillon.ini")) {
    settings = ParseConfiguration(ReadPageText(site, "Quillon.ini"));
  } else {
    settings.base_address = DefaultBaseAddress(options.executable_path);
  }
  // The start page, the first entry of the page list.
  std::string start_page;
  for (const char* name : {"index.htm", "index.html", "index.php"}) {
    if (site.FileExists(name)) {
      start_page = name;
      break;
    }
  }
  RunOutcome outcome;
  outcome.base_address = settings.base_address;
  // Without a start page the run ends quietly: no warning either.
  if (start_page.empty()) return outcome;
  if (options.warn) {
    for (const std::string& warning : settings.warnings) options.warn(warning);
  }

  StringList page_list(collation);
  StringList link_list(collation);
  link_list.SetSorted(true);
  page_list.Add(start_page);
  // The time stamps of the files the crawl read, one per page.
  std::vector<std::optional<std::int64_t>> page_times;
  ScanPage(site, start_page, page_list, link_list, &page_times);
  // The output needs the listings only for a page without a time stamp,
  // which is rare: they make room for the output.
  site.ForgetListings();

  // The link report: every recorded link marked, two empty lines, then the
  // pages in the order found. On a large site the links are sorted, and
  // their part of the report made, on a second thread while this one builds
  // the sitemap; a small site does not repay starting one.
  constexpr std::int64_t kPagesForSecondThread = 1000;
  OutputText report;
  std::exception_ptr link_failure;
  const auto report_links = [&] {
    try {
      for (std::int64_t i = 0; i < link_list.Count(); ++i) {
        report.Append("404 > ");
        report.Append(link_list.Get(i));
        report.Append("\r\n");
      }
      link_list.Clear();
      report.Append("\r\n\r\n");
    } catch (...) {
      link_failure = std::current_exception();
    }
  };
  std::thread links;
  if (page_list.Count() >= kPagesForSecondThread) {
    links = std::thread(report_links);
  } else {
    report_links();
  }

  OutputText report_pages;
  SitemapBuilder sitemap(settings.base_address, options.limits);
  SitemapEntryMaker entries(settings.base_address, settings.change_frequency);
  try {
    // Pages written together share their time stamp: the last one is kept.
    bool stamped = false;
    std::int64_t stamped_time = 0;
    std::string stamp;
    for (std::int64_t i = 0; i < page_list.Count(); ++i) {
      const std::string_view path = page_list.Get(i);
      report_pages.Append(path);
      report_pages.Append("\r\n");
      const auto& time = page_times[static_cast<std::size_t>(i)];
      if (!time) {
        stamp = FileStamp(site, path);
        stamped = false;
      } else if (!stamped || *time != stamped_time) {
        stamp = TimeStamp(site, path, *time);
        stamped = true;
        stamped_time = *time;
      }
      sitemap.AddEntry(entries.Entry(path, stamp));
    }
  } catch (...) {
    if (links.joinable()) links.join();
    throw;
  }
  if (links.joinable()) links.join();
  if (link_failure) std::rethrow_exception(link_failure);
  page_list.Clear();
  report.Append(std::move(report_pages));

  std::vector<OutputFile> files = sitemap.Finish();
  const std::size_t numbered = files.size() - 1;
  files.emplace_back("sitemap.txt", std::move(report));
  WriteOutputFiles(fs, files, options.before_rename);
  files.clear();

  // Numbered sitemap files of an earlier, larger run are stale now.
  if (auto entries = fs.ListFolder("")) {
    for (const std::string& name : StaleSitemapNames(*entries, numbered)) {
      fs.Remove(name);
    }
  }

  outcome.wrote = true;
  outcome.pages = sitemap.entry_count();
  return outcome;
}

std::string CompletionText(const RunOutcome& outcome) {
  return outcome.base_address + "\rPages: " + DecimalText(outcome.pages);
}

}  // namespace quillon
