// The one exception type of the program. Any failure abandons the whole run;
// the entry point is the only place that catches it and reports it.
#ifndef QUILLON_TEXT_FAILURE_H_
#define QUILLON_TEXT_FAILURE_H_

#include <cstdint>
#include <exception>
#include <string>

namespace quillon {

enum class FailureKind {
  kInOutError,
  kConvertError,
  kFileCreateError,
  kStreamWriteError,
  kListError,
  kOutOfMemory,
};

// The identifier shown in the failure report, e.g. "InOutError".
const char* FailureKindName(FailureKind kind);

class Failure : public std::exception {
 public:
  // `file` is the file concerned, relative to the site folder with "/"
  // separators, or empty when the failure concerns no file.
  Failure(FailureKind kind, std::string message, std::string file = {});

  FailureKind kind() const { return kind_; }
  const std::string& message() const { return message_; }
  const std::string& file() const { return file_; }
  // A code address of the program near the place that raised the failure.
  std::uintptr_t address() const { return address_; }
  const char* what() const noexcept override { return message_.c_str(); }

 private:
  FailureKind kind_;
  std::string message_;
  std::string file_;
  std::uintptr_t address_;
};

}  // namespace quillon

#endif  // QUILLON_TEXT_FAILURE_H_
