// Reads a text file as the program reads every page and its configuration:
// line by line, lines joined by CR LF, trimmed at both ends.
//
// A line end is an LF or a CR directly followed by an LF; any other CR is
// dropped, joining the bytes on both sides. The reading stops where a line
// would begin with a byte 26 (Ctrl-Z); a byte 26 inside a line is an ordinary
// byte. The last line needs no line end. Finally every byte of code 0 to 32 is
// removed from both ends.
#ifndef QUILLON_CRAWL_PAGE_LOADER_H_
#define QUILLON_CRAWL_PAGE_LOADER_H_

#include <string>
#include <string_view>

#include "platform/site_folder.h"

namespace quillon {

// The text of `bytes` under the rules above, with each line end written as
// `line_end` ("\r\n" for the file's text).
std::string LoadPageText(std::string_view bytes, std::string_view line_end);

// The same with every line end written as one blank, done in place over the
// `size` bytes at `data`: the page scanner's view of a page, in which line
// breaks are blanks. Returns the text, which lies inside those bytes.
std::string_view LoadPageTextWithBlanks(char* data, std::size_t size);
void LoadPageTextWithBlanks(std::string& bytes);

// The text of the file `path` names. Throws Failure kInOutError, naming the
// file, when it cannot be opened or read.
std::string ReadPageText(SiteFolder& site, std::string_view path);

}  // namespace quillon

#endif  // QUILLON_CRAWL_PAGE_LOADER_H_
