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
  // Frees every block.
  void Clear();

 private:
  static constexpr std::size_t kBlock = 256 * 1024;
  std::vector<std::unique_ptr<char[]>> blocks_;
  char* next_ = nullptr;
  std::size_t left_ = 0;
  std::size_t next_block_ = 0;
};

}  // namespace quillon

#endif  // QUILLON_TEXT_ARENA_H_
