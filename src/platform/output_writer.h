// Writes the run's output files so that none of them is ever left truncated:
// every file is first written in full to a temporary file beside it, and only
// when all of them are written are they renamed over their targets, in order.
#ifndef QUILLON_PLATFORM_OUTPUT_WRITER_H_
#define QUILLON_PLATFORM_OUTPUT_WRITER_H_

#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/file_system.h"

namespace quillon {

// The bytes of an output file, kept in pieces of about a megabyte so that a
// large sitemap is never copied to grow it.
class OutputText {
 public:
  OutputText() = default;
  explicit OutputText(std::string bytes) : size_(bytes.size()) {
    pieces_.push_back(std::move(bytes));
  }

  void Append(std::string_view bytes) {
    // A piece grows as strings do up to kPiece; then the next one starts.
    if (pieces_.empty() || pieces_.back().size() + bytes.size() > kPiece) {
      pieces_.emplace_back();
    }
    pieces_.back().append(bytes);
    size_ += bytes.size();
  }
  // Appends the pieces of `text`, without copying them.
  void Append(OutputText&& text) {
    for (std::string& piece : text.pieces_) pieces_.push_back(std::move(piece));
    size_ += text.size_;
    text.pieces_.clear();
    text.size_ = 0;
  }
  std::size_t size() const { return size_; }
  const std::vector<std::string>& pieces() const { return pieces_; }
  // The whole text in one string (for tests and small files).
  std::string Joined() const;

 private:
  static constexpr std::size_t kPiece = 1 << 20;
  std::vector<std::string> pieces_;
  std::size_t size_ = 0;
};

struct OutputFile {
  OutputFile(std::string file_name, OutputText text)
      : name(std::move(file_name)), bytes(std::move(text)) {}
  OutputFile(std::string file_name, std::string text)
      : name(std::move(file_name)), bytes(std::move(text)) {}
  OutputFile(const char* file_name, const char* text)
      : name(file_name), bytes(std::string(text)) {}
  std::string name;
  OutputText bytes;
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
