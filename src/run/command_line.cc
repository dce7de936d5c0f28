#include "run/command_line.h"

namespace quillon {

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
  CommandLine line;
  if (args.size() == 1) {
    const std::string& a = args[0];
    if (a == "--help" || a == "-h") {
      line.action = CommandLine::Action::kHelp;
    } else if (a == "--version" || a == "-V") {
      line.action = CommandLine::Action::kVersion;
    } else if (!a.empty() && a[0] == '-') {
      line.action = CommandLine::Action::kUsageError;
    } else {
      line.site_dir = a;
    }
  } else if (args.size() > 1) {
    line.action = CommandLine::Action::kUsageError;
  }
  return line;
}

std::string UsageText() {
  return "Usage: quillon [SITE_DIR]\n"
         "Builds sitemap.xml and sitemap.txt for the static web site in "
         "SITE_DIR\n"
         "(default: the current folder), following its links from "
         "index.htm,\n"
         "index.html or index.php. The first line of Quillon.ini in that "
         "folder is\n"
         "the site's address; the rest is the change frequency (weekly).\n"
         "\n"
         "  -h, --help     show this help and exit\n"
         "  -V, --version  show the version and exit\n";
}

}  // namespace quillon
