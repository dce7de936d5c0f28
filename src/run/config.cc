#include "run/config.h"

#include "text/byte_string.h"

namespace quillon {
namespace {

constexpr std::string_view kKnownFrequencies[] = {
    "always", "hourly", "daily", "weekly", "monthly", "yearly", "never"};

std::string_view TrimBlanksAndTabs(std::string_view s) {
  const std::size_t begin = s.find_first_not_of(" \t");
  if (begin == std::string_view::npos) return {};
  const std::size_t end = s.find_last_not_of(" \t");
  return s.substr(begin, end - begin + 1);
}

}  // namespace

SiteSettings ParseConfiguration(std::string_view text) {
  SiteSettings settings;
  const std::size_t line_end = FindText("\r\n", text, 1);
  const std::string_view first_line =
      line_end == 0 ? text : text.substr(0, line_end - 1);
  std::string base(TrimBlanksAndTabs(first_line));
  if (base.empty()) {
    settings.warnings.push_back(
        "the first line of Quillon.ini is empty, so the sitemap's locations "
        "will be relative");
  } else {
    if (base.back() != '/') base += '/';
    if (FindTextIgnoreCase("http://", base, 1) != 1 &&
        FindTextIgnoreCase("https://", base, 1) != 1) {
      base.insert(0, "http://");
    }
  }
  settings.base_address = std::move(base);
  if (line_end != 0 && line_end + 1 < text.size()) {
    settings.change_frequency = std::string(text.substr(line_end + 1));
    bool known = false;
    for (std::string_view f : kKnownFrequencies) {
      known = known || settings.change_frequency == f;
    }
    if (!known) {
      settings.warnings.push_back(
          "the change frequency \"" + settings.change_frequency +
          "\" in Quillon.ini is none of always, hourly, daily, weekly, "
          "monthly, yearly, never; it is written as given");
    }
  }
  return settings;
}

std::string DefaultBaseAddress(std::string_view executable_path) {
  // The folder part ends at the last "/"; its own last character is dropped,
  // then everything up to the previous "/", then the last blank and all
  // after it.
  const std::size_t slash = FindLastText("/", executable_path);
  std::string name(executable_path.substr(0, slash));
  DeleteRange(name, static_cast<std::int64_t>(name.size()), 1);
  const std::size_t k = FindLastText("/", name);
  DeleteRange(name, 1, static_cast<std::int64_t>(k));
  const std::size_t s = FindLastText(" ", name);
  if (s > 0) {
    DeleteRange(name, static_cast<std::int64_t>(s),
                static_cast<std::int64_t>(name.size()));
  }
  return "http://" + name + "/";
}

}  // namespace quillon
