// Stores byte strings in large blocks that never move, so that views of
// them stay valid and growth never copies what is already stored.
#ifndef QUILLON_TEXT_ARENA_H_
#define QUILLON_TEXT_ARENA_H_

#include <cstddef>
#include <memory>
#include <string_view>
#include <vector>

namespace quillon {

class Arena {
 public:
  Arena() = default;
  Arena(const Arena&) = delete;
  Arena& operator=(const Arena&) = delete;

  // A stable copy of `s`.
  std::string_view Store(std::string_view s);
  // A stable copy of `s` after its length, for a caller that keeps one
  // pointer per string rather than a view; Counted gives the view back.
  const char* StoreCounted(std::string_view s);
  static std::string_view Counted(const char* p) {
    std::size_t size = static_cast<unsigned char>(*p);
    if (size < 0x80) return {p + 1, size};
    return CountedLong(p);
  }
  // Frees every block.
  void Clear();

 private:
  char* Allocate(std::size_t size);
  static std::string_view CountedLong(const char* p);

  static constexpr std::size_t kBlock = 256 * 1024;
  std::vector<std::unique_ptr<char[]>> blocks_;
  char* next_ = nullptr;
  std::size_t left_ = 0;
  std::size_t next_block_ = 0;
};

}  // namespace quillon

#endif  // QUILLON_TEXT_ARENA_H_
