#include "text/failure.h"

#include <utility>

namespace quillon {

const char* FailureKindName(FailureKind kind) {
  switch (kind) {
    case FailureKind::kInOutError: return "InOutError";
    case FailureKind::kConvertError: return "ConvertError";
    case FailureKind::kFileCreateError: return "FileCreateError";
    case FailureKind::kStreamWriteError: return "StreamWriteError";
    case FailureKind::kListError: return "ListError";
    case FailureKind::kOutOfMemory: return "OutOfMemory";
  }
  return "Failure";
}

// noinline keeps the return address meaningful: it is the place in the
// program that raised the failure.
__attribute__((noinline)) Failure::Failure(FailureKind kind,
                                           std::string message,
                                           std::string file)
    : kind_(kind),
      message_(std::move(message)),
      file_(std::move(file)),
      address_(reinterpret_cast<std::uintptr_t>(__builtin_return_address(0))) {}

}  // namespace quillon
