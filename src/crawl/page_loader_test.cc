#include "crawl/page_loader.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/fake_file_system.h"
#include "text/byte_string.h"
#include "text/failure.h"

namespace quillon {
namespace {

std::string S(const char* bytes, std::size_t n) { return std::string(bytes, n); }

struct LoadCase {
  std::string bytes;
  std::string expected;
};

const LoadCase kCases[] = {
    {"", ""},
    {" \t\r\n \r\n\t", ""},
    {"\x1A" "abc", ""},                      // Ctrl-Z first: nothing is read
    {"A\r\nB\r\n", "A\r\nB"},
    {"A\nB", "A\r\nB"},
    {"A\rB", "AB"},                          // a lone CR is dropped
    {"A\r\r\nB", "A\r\nB"},
    {"A\r\n\x1A" "B", "A"},                  // Ctrl-Z starts a line: the end
    {"A\x1A" "B\r\nC", "A\x1A" "B\r\nC"},    // Ctrl-Z inside a line stays
    {"  A \r\n  B  \r\n", "A \r\n  B"},      // only the ends are trimmed
    {"\xA0x\xA0", "\xA0x\xA0"},
    {"A\n\nB\n", "A\r\n\r\nB"},
    {"A\n\rB", "A\r\nB"},                    // LF, then a lone CR
    {S("A\0B\n", 4), S("A\0B", 3)},
    {"\r\r\rA", "A"},
    {"A\r", "A"},
};

TEST(PageLoader, LineEndsCtrlZAndTrimming) {
  for (const auto& c : kCases) {
    EXPECT_EQ(c.expected, LoadPageText(c.bytes, "\r\n")) << c.bytes;
  }
}

// The scanner's in-place load must equal the file's text with its line
// breaks turned into blanks.
TEST(PageLoader, BlankJoinedLoadIsTheTextWithBlanks) {
  std::vector<std::string> inputs;
  for (const auto& c : kCases) inputs.push_back(c.bytes);
  inputs.push_back("x\n\r\n\r\n\n\ry z\r");
  // Without CRs, where the load takes its one-pass way.
  inputs.push_back("A\x1A" "B\nC\n\x1A" "D\n\x1A");
  inputs.push_back("\n A\n\nB\x1A\n");
  inputs.push_back(std::string(5000, 'a') + "\r\n" + std::string(3000, 'b'));
  for (const auto& bytes : inputs) {
    std::string expected = LoadPageText(bytes, "\r\n");
    expected = ReplaceAll(expected, "\r\n", " ");
    std::string in_place = bytes;
    LoadPageTextWithBlanks(in_place);
    EXPECT_EQ(expected, in_place) << bytes;
  }
}

TEST(PageLoader, AnEmptyFileMayComeWithoutABuffer) {
  EXPECT_EQ("", LoadPageTextWithBlanks(nullptr, 0));
}

TEST(PageLoader, ALongLineIsReadWhole) {
  const std::string line(1 << 20, 'x');
  EXPECT_EQ(line, LoadPageText(line + "\n", "\r\n"));
}

TEST(PageLoader, ReadPageTextReadsThroughTheSite) {
  FakeFileSystem fs;
  fs.AddFile("Quillon.ini", "mysite\ndaily\n");
  SiteFolder site(fs);
  EXPECT_EQ("mysite\r\ndaily", ReadPageText(site, "quillon.ini"));
  fs.FailRead("Quillon.ini", 32);
  SiteFolder again(fs);
  try {
    ReadPageText(again, "Quillon.ini");
    ADD_FAILURE() << "no failure";
  } catch (const Failure& f) {
    EXPECT_EQ(FailureKind::kInOutError, f.kind());
    EXPECT_EQ("I/O error 32", f.message());
    EXPECT_EQ("Quillon.ini", f.file());
  }
}

}  // namespace
}  // namespace quillon
