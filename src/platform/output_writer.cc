#include "platform/output_writer.h"

#include <atomic>
#include <exception>
#include <thread>

#include "text/failure.h"

namespace quillon {

std::string OutputText::Joined() const {
  std::string joined;
  for (const auto& p : pieces_) joined += p;
  return joined;
}

void WriteOutputFiles(FileSystem& fs, const std::vector<OutputFile>& files,
                      const std::function<void()>& before_rename) {
  // Each file is written and flushed to disk on its own, so two threads
  // share the files; what one file's failure does is decided afterwards,
  // in the files' order, as if they had been written one by one.
  std::vector<std::string> temps(files.size());
  std::vector<std::exception_ptr> failures(files.size());
  std::atomic<std::size_t> next{0};
  const auto write = [&] {
    for (std::size_t i; (i = next.fetch_add(1)) < files.size();) {
      try {
        temps[i] = fs.WriteTemporary(files[i].name, files[i].bytes.pieces());
      } catch (...) {
        failures[i] = std::current_exception();
      }
    }
  };
  // A second thread pays off only for files of some size.
  constexpr std::size_t kBytesForSecondThread = 1 << 20;
  std::size_t bytes = 0;
  for (const OutputFile& file : files) bytes += file.bytes.size();
  if (files.size() > 1 && bytes >= kBytesForSecondThread) {
    std::thread helper(write);
    write();
    helper.join();
  } else {
    write();
  }
  const auto remove_temps = [&](std::size_t from) {
    for (std::size_t j = from; j < temps.size(); ++j) {
      if (!temps[j].empty()) fs.Remove(temps[j]);
    }
  };
  try {
    for (const std::exception_ptr& failure : failures) {
      if (failure) std::rethrow_exception(failure);
    }
    if (before_rename) before_rename();
  } catch (...) {
    remove_temps(0);
    throw;
  }
  for (std::size_t i = 0; i < files.size(); ++i) {
    try {
      fs.Rename(temps[i], files[i].name);
    } catch (...) {
      remove_temps(i);
      throw;
    }
  }
}

}  // namespace quillon
