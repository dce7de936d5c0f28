// The program's dealings with its process: its own executable, the terminal
// and its end.
#ifndef QUILLON_PLATFORM_PROCESS_H_
#define QUILLON_PLATFORM_PROCESS_H_

#include <string>
#include <string_view>

namespace quillon {

// Full path of the running executable, symbolic links resolved; empty when
// it cannot be found.
std::string OwnExecutablePath();

enum class Stream { kOutput, kError };

// Writes `text` to standard output or standard error in full; false when it
// could not be written (closed stream, broken pipe).
bool WriteToTerminal(Stream stream, std::string_view text);

// Shows a message box on the terminal: the caption on one line, then the
// text, with a lone carriage return shown as a line break, and a final line
// break. False when it could not be written.
bool ShowMessageBox(Stream stream, std::string_view caption,
                    std::string_view text);

// Makes a write to a closed pipe, or past the file size limit, fail with an
// error instead of ending the process, so that the failure can be reported.
void IgnoreSignalsOfFailedWrites();

// Makes the program's threads allocate from one heap, so that memory one
// thread frees (the crawl's tables) serves what another builds later (the
// link report). Call before any second thread starts.
void ShareOneHeap();

[[noreturn]] void EndProcess(int exit_code);

}  // namespace quillon

#endif  // QUILLON_PLATFORM_PROCESS_H_
