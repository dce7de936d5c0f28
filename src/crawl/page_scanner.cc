#include "crawl/page_scanner.h"

#include <cstdint>
#include <cstring>
#include <vector>

#include "crawl/page_loader.h"
#include "text/case_table.h"

namespace quillon {
namespace {

// The targets of pages still being scanned live on one byte stack, each as
// a kind byte, a 32-bit length and its bytes: all that the rest of a page's
// scan needs once its text is gone. The site does not change during the run,
// so a target can be sorted as soon as its page is read; only the visited
// test of a page depends on the moment and is made when its turn comes.
class TargetStack {
 public:
  std::size_t size() const { return bytes_.size(); }
  void Truncate(std::size_t size) { bytes_.resize(size); }

  void Push(TargetKind kind, std::string_view text) {
    const auto length = static_cast<std::uint32_t>(text.size());
    bytes_ += static_cast<char>(kind);
    bytes_.append(reinterpret_cast<const char*>(&length), sizeof length);
    bytes_.append(text);
  }

  // Reads the target at `*cursor` and moves the cursor past it.
  TargetKind Pop(std::size_t* cursor, std::string_view* text) const {
    const auto kind = static_cast<TargetKind>(bytes_[*cursor]);
    std::uint32_t length;
    std::memcpy(&length, bytes_.data() + *cursor + 1, sizeof length);
    *text = std::string_view(bytes_).substr(*cursor + 1 + sizeof length,
                                            length);
    *cursor += 1 + sizeof length + length;
    return kind;
  }

 private:
  std::string bytes_;
};

// Reads page `path` and pushes the targets that matter for the lists.
void PushTargets(SiteFolder& site, TargetSorter& sorter,
                 const std::string& path, TargetStack& stack) {
  std::string text = site.ReadPage(path);
  LoadPageTextWithBlanks(text);
  ForEachAnchorHref(text, [&](std::string_view href) {
    Target target = sorter.Sort(href, path);
    switch (target.kind) {
      case TargetKind::kExternal:
      case TargetKind::kMissing:
      case TargetKind::kPage:
        stack.Push(target.kind, target.text);
        break;
      case TargetKind::kSelf:
      case TargetKind::kFile:
        break;
    }
  });
}

}  // namespace

void ScanPage(SiteFolder& site, const std::string& start_page,
              StringList& page_list, StringList& link_list) {
  TargetSorter sorter(site);
  TargetStack stack;
  struct Frame {
    std::size_t begin;
    std::size_t cursor;
  };
  std::vector<Frame> frames;
  PushTargets(site, sorter, start_page, stack);
  frames.push_back({0, 0});
  std::string path;
  while (!frames.empty()) {
    Frame& frame = frames.back();
    if (frame.cursor == stack.size()) {
      stack.Truncate(frame.begin);
      frames.pop_back();
      continue;
    }
    std::string_view text;
    const TargetKind kind = stack.Pop(&frame.cursor, &text);
    if (kind != TargetKind::kPage) {
      link_list.Add(std::string(text));
      continue;
    }
    if (page_list.IndexOf(text) >= 0) continue;
    page_list.Add(LowerCaseText(text));
    path.assign(text);  // `text` points into the stack, which grows now
    const std::size_t begin = stack.size();
    PushTargets(site, sorter, path, stack);
    frames.push_back({begin, begin});
  }
}

}  // namespace quillon
