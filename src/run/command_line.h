// The command line: no argument, one site folder, --help or --version.
#ifndef QUILLON_RUN_COMMAND_LINE_H_
#define QUILLON_RUN_COMMAND_LINE_H_

#include <string>
#include <vector>

namespace quillon {

struct CommandLine {
  enum class Action { kRun, kHelp, kVersion, kUsageError };
  Action action = Action::kRun;
  std::string site_dir;  // empty: the current folder
};

CommandLine ParseCommandLine(const std::vector<std::string>& args);

// The usage text, ending in a line break.
std::string UsageText();

}  // namespace quillon

#endif  // QUILLON_RUN_COMMAND_LINE_H_
