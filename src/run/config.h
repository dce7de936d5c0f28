// The site's base address and change frequency, from Quillon.ini or from the
// name of the folder that holds the program.
#ifndef QUILLON_RUN_CONFIG_H_
#define QUILLON_RUN_CONFIG_H_

#include <string>
#include <string_view>
#include <vector>

namespace quillon {

struct SiteSettings {
  std::string base_address;
  std::string change_frequency = "weekly";
  // Things the user should know: an empty base address, a change frequency
  // that the sitemap protocol does not know.
  std::vector<std::string> warnings;
};

// Parses the loaded text of Quillon.ini. Its first line, with blanks and tabs
// trimmed, is the base address: "/" is appended unless it ends in "/", and
// "http://" put in front unless it begins with "http://" or "https://" in any
// letter case; an empty first line gives an empty base address. Everything
// after the first line is the change frequency ("weekly" when nothing
// follows).
SiteSettings ParseConfiguration(std::string_view text);

// The base address made from the folder of the program's own executable:
// the folder's name, cut at its last blank, as http://NAME/.
std::string DefaultBaseAddress(std::string_view executable_path);

}  // namespace quillon

#endif  // QUILLON_RUN_CONFIG_H_
