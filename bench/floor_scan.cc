// The physical floor for Quillon on a site folder: opens every .htm, .html
// and .php file below the folder, reads it whole and counts "<a " (a in
// either case) with memchr. Nothing else. Prints pages, bytes and anchors.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::vector<char> buffer(1 << 20);
unsigned long long pages = 0, bytes = 0, anchors = 0;

bool IsPage(const char* name) {
  const std::size_t n = std::strlen(name);
  auto ends = [&](const char* s) {
    const std::size_t k = std::strlen(s);
    return n > k && std::strcmp(name + n - k, s) == 0;
  };
  return ends(".htm") || ends(".html") || ends(".php");
}

void ReadPage(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY);
  if (fd < 0) return;
  std::size_t len = 0;
  for (;;) {
    if (len == buffer.size()) buffer.resize(buffer.size() * 2);
    const ssize_t n = ::read(fd, buffer.data() + len, buffer.size() - len);
    if (n <= 0) break;
    len += static_cast<std::size_t>(n);
  }
  ::close(fd);
  ++pages;
  bytes += len;
  const char* p = buffer.data();
  const char* end = p + len;
  while (end - p >= 3) {
    const char* lt = static_cast<const char*>(std::memchr(p, '<', end - p - 2));
    if (lt == nullptr) break;
    if ((lt[1] == 'a' || lt[1] == 'A') && lt[2] == ' ') ++anchors;
    p = lt + 1;
  }
}

void Walk(const std::string& dir) {
  DIR* d = ::opendir(dir.c_str());
  if (d == nullptr) return;
  std::vector<std::string> folders;
  while (struct dirent* e = ::readdir(d)) {
    if (e->d_name[0] == '.' &&
        (e->d_name[1] == 0 || (e->d_name[1] == '.' && e->d_name[2] == 0))) {
      continue;
    }
    const std::string path = dir + "/" + e->d_name;
    if (e->d_type == DT_DIR) {
      folders.push_back(path);
    } else if (e->d_type == DT_REG && IsPage(e->d_name)) {
      ReadPage(path);
    }
  }
  ::closedir(d);
  for (const auto& f : folders) Walk(f);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: floor_scan SITE_DIR\n");
    return 2;
  }
  Walk(argv[1]);
  std::printf("pages=%llu bytes=%llu anchors=%llu\n", pages, bytes, anchors);
  return 0;
}
