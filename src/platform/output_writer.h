// Writes the run's output files so that none of them is ever left truncated:
// every file is first written in full to a temporary file beside it, and only
// when all of them are written are they renamed over their targets, in order.
#ifndef QUILLON_PLATFORM_OUTPUT_WRITER_H_
#define QUILLON_PLATFORM_OUTPUT_WRITER_H_

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "platform/file_system.h"

namespace quillon {

struct OutputFile {
  std::string name;
  std::string bytes;
};

// Writes `files` (names relative to the site folder, matched exactly).
// Throws the Failure of the first file that cannot be written; the temporary
// files are then removed and every target is left as it was. `before_rename`
// is called once all temporary files are written (tests use it to fail at
// that moment).
void WriteOutputFiles(FileSystem& fs, const std::vector<OutputFile>& files,
                      const std::function<void()>& before_rename = {});

}  // namespace quillon

#endif  // QUILLON_PLATFORM_OUTPUT_WRITER_H_
