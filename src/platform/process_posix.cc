#include <signal.h>
#if defined(__GLIBC__)
#include <malloc.h>
#endif
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <string>

#include "platform/process.h"

namespace quillon {

std::string OwnExecutablePath() {
  std::string buffer(PATH_MAX, '\0');
  const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
  if (n <= 0) return {};
  buffer.resize(static_cast<std::size_t>(n));
  return buffer;
}

bool WriteToTerminal(Stream stream, std::string_view text) {
  const int fd = stream == Stream::kOutput ? STDOUT_FILENO : STDERR_FILENO;
  while (!text.empty()) {
    const ssize_t n = ::write(fd, text.data(), text.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    text.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

bool ShowMessageBox(Stream stream, std::string_view caption,
                    std::string_view text) {
  std::string shown(caption);
  shown += '\n';
  for (std::size_t i = 0; i < text.size(); ++i) {
    const bool lone_cr =
        text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n');
    shown += lone_cr ? '\n' : text[i];
  }
  shown += '\n';
  return WriteToTerminal(stream, shown);
}

void IgnoreSignalsOfFailedWrites() {
  ::signal(SIGPIPE, SIG_IGN);
  ::signal(SIGXFSZ, SIG_IGN);
}

void ShareOneHeap() {
#if defined(M_ARENA_MAX)
  ::mallopt(M_ARENA_MAX, 1);
#endif
}

void EndProcess(int exit_code) { std::_Exit(exit_code); }

}  // namespace quillon
