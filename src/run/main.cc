#include <cstdio>
#include <new>
#include <string>
#include <vector>

#include "platform/collation.h"
#include "platform/file_system.h"
#include "platform/process.h"
#include "run/command_line.h"
#include "run/run_driver.h"
#include "text/failure.h"

namespace quillon {
namespace {

std::string BaseName(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The failure report: caption, the kind and place, the message with a final
// ".", and the file concerned.
void ReportFailure(FailureKind kind, const std::string& message,
                   const std::string& file, std::uintptr_t address) {
  char where[16];
  std::snprintf(where, sizeof where, "%08llX",
                static_cast<unsigned long long>(address & 0xFFFFFFFFu));
  std::string text = std::string("Exception ") + FailureKindName(kind) +
                     " in module " + BaseName(OwnExecutablePath()) + " at " +
                     where + ".\n" + message;
  if (!message.empty() && message.back() != '.') text += '.';
  if (text.size() > 1023) text.resize(1023);
  if (!file.empty()) text += "\nFile: " + file;
  ShowMessageBox(Stream::kError, "Application Error", text);
}

int Main(const std::vector<std::string>& args) {
  const CommandLine line = ParseCommandLine(args);
  switch (line.action) {
    case CommandLine::Action::kHelp:
      WriteToTerminal(Stream::kOutput, UsageText());
      return 0;
    case CommandLine::Action::kVersion:
      WriteToTerminal(Stream::kOutput,
                      std::string("quillon ") + QUILLON_VERSION + "\n");
      return 0;
    case CommandLine::Action::kUsageError:
      WriteToTerminal(Stream::kError, UsageText());
      return 2;
    case CommandLine::Action::kRun:
      break;
  }
  const std::string root = line.site_dir.empty() ? "." : line.site_dir;
  if (!IsFolder(root)) {
    WriteToTerminal(Stream::kError,
                    "quillon: " + root + ": not a folder\n");
    return 2;
  }
  try {
    auto fs = NewPosixFileSystem(root);
    auto collation = NewLocaleCollation();
    RunOptions options;
    options.executable_path = OwnExecutablePath();
    options.warn = [](const std::string& warning) {
      WriteToTerminal(Stream::kError, "quillon: warning: " + warning + "\n");
    };
    const RunOutcome outcome = RunSite(*fs, *collation, options);
    if (!outcome.wrote) return 0;
    if (!ShowMessageBox(Stream::kOutput, "Done", CompletionText(outcome))) {
      // The files are written; say that the message was lost.
      throw Failure(FailureKind::kStreamWriteError, "Stream write error",
                    "");
    }
    return 0;
  } catch (const Failure& failure) {
    ReportFailure(failure.kind(), failure.message(), failure.file(),
                  failure.address());
  } catch (const std::bad_alloc&) {
    ReportFailure(FailureKind::kOutOfMemory, "Out of memory", {},
                  reinterpret_cast<std::uintptr_t>(&ReportFailure));
  }
  return 1;
}

}  // namespace
}  // namespace quillon

int main(int argc, char** argv) {
  quillon::IgnoreSignalsOfFailedWrites();
  quillon::ShareOneHeap();
  const std::vector<std::string> args(argv + 1, argv + argc);
  quillon::EndProcess(quillon::Main(args));
}
