#include "platform/output_writer.h"

#include "text/failure.h"

namespace quillon {

std::string OutputText::Joined() const {
  std::string joined;
  for (const auto& p : pieces_) joined += p;
  return joined;
}

void WriteOutputFiles(FileSystem& fs, const std::vector<OutputFile>& files,
                      const std::function<void()>& before_rename) {
  std::vector<std::string> temps;
  try {
    for (const OutputFile& file : files) {
      temps.push_back(fs.WriteTemporary(file.name, file.bytes.pieces()));
    }
    if (before_rename) before_rename();
  } catch (...) {
    for (const std::string& temp : temps) fs.Remove(temp);
    throw;
  }
  for (std::size_t i = 0; i < files.size(); ++i) {
    try {
      fs.Rename(temps[i], files[i].name);
    } catch (...) {
      for (std::size_t j = i; j < temps.size(); ++j) fs.Remove(temps[j]);
      throw;
    }
  }
}

}  // namespace quillon
