#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "platform/file_system.h"
#include "text/failure.h"

namespace quillon {
namespace {

// Turns the errno of a failed read into the failure the user sees.
[[noreturn]] void ThrowReadError(int error, const std::string& path) {
  const char* message = nullptr;
  switch (error) {
    case ENOENT: message = "File not found"; break;
    case ENOTDIR:
    case ENAMETOOLONG: message = "Invalid filename"; break;
    case EMFILE:
    case ENFILE: message = "Too many open files"; break;
    case EACCES:
    case EPERM:
    case EISDIR: message = "File access denied"; break;
    case ENOSPC: message = "Disk full"; break;
    default: break;
  }
  throw Failure(FailureKind::kInOutError,
                message ? message : "I/O error " + std::to_string(error),
                path);
}

[[noreturn]] void ThrowCannotCreate(const std::string& target) {
  throw Failure(FailureKind::kFileCreateError, "Cannot create file " + target,
                target);
}

class ScopedFd {
 public:
  explicit ScopedFd(int fd) : fd_(fd) {}
  ~ScopedFd() {
    if (fd_ >= 0) ::close(fd_);
  }
  ScopedFd(const ScopedFd&) = delete;
  ScopedFd& operator=(const ScopedFd&) = delete;
  int get() const { return fd_; }
  int release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
  }

 private:
  int fd_;
};

EntryKind KindOf(const struct stat& st) {
  if (S_ISREG(st.st_mode)) return EntryKind::kFile;
  if (S_ISDIR(st.st_mode)) return EntryKind::kFolder;
  return EntryKind::kOther;
}

class PosixFileSystem final : public FileSystem {
 public:
  explicit PosixFileSystem(std::string root) : root_(std::move(root)) {
    char* real = ::realpath(root_.c_str(), nullptr);
    if (real != nullptr) {
      real_root_ = real;
      ::free(real);
    }
    // Pages are opened relative to the site folder, which spares the
    // kernel the walk down to it for every page.
    root_fd_ = ::open(root_.empty() ? "." : root_.c_str(),
                      O_PATH | O_DIRECTORY | O_CLOEXEC);
    // The process's file mode mask can only be read by setting it, which
    // must not happen while files are written on two threads: it is read
    // once, here.
    umask_ = ::umask(0);
    ::umask(umask_);
  }
  ~PosixFileSystem() override {
    if (root_fd_ >= 0) ::close(root_fd_);
  }
  PosixFileSystem(const PosixFileSystem&) = delete;
  PosixFileSystem& operator=(const PosixFileSystem&) = delete;

  std::optional<std::vector<DirEntry>> ListFolder(
      const std::string& dir) override {
    const std::string full = Full(dir);
    DIR* d = ::opendir(full.c_str());
    if (d == nullptr) return std::nullopt;
    std::vector<DirEntry> entries;
    while (struct dirent* e = ::readdir(d)) {
      const char* name = e->d_name;
      if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) {
        continue;
      }
      EntryKind kind = EntryKind::kOther;
      switch (e->d_type) {
        case DT_REG: kind = EntryKind::kFile; break;
        case DT_DIR: kind = EntryKind::kFolder; break;
        case DT_LNK:
        case DT_UNKNOWN: kind = FollowedKind(::dirfd(d), name); break;
        default: break;
      }
      entries.push_back({name, kind});
    }
    ::closedir(d);
    return entries;
  }

  std::int64_t ReadFile(const std::string& path, ReadBuffer& buffer) override {
    // O_NONBLOCK: should the name have become a FIFO since it was listed,
    // opening it must not wait for a writer.
    constexpr int kFlags = O_RDONLY | O_CLOEXEC | O_NONBLOCK;
    ScopedFd fd(root_fd_ >= 0 && !path.empty() && path[0] != '/'
                    ? ::openat(root_fd_, path.c_str(), kFlags)
                    : ::open(Full(path).c_str(), kFlags));
    if (fd.get() < 0) ThrowReadError(errno, path);
    struct stat st;
    if (::fstat(fd.get(), &st) != 0) ThrowReadError(errno, path);
    if (S_ISDIR(st.st_mode)) ThrowReadError(EISDIR, path);
    if (!S_ISREG(st.st_mode)) ThrowReadError(EINVAL, path);
    // Sized from fstat, one byte more so that a file that grew since is
    // seen to have grown; the loop then reads on to the end. A read that
    // gives exactly the size fstat reported, and no more though there was
    // room, has reached the end.
    buffer.set_size(0);
    const auto expected = static_cast<std::size_t>(st.st_size);
    buffer.Reserve(expected + 1);
    std::size_t length = 0;
    for (;;) {
      if (length == buffer.capacity()) buffer.Reserve(length * 2);
      const std::size_t room = buffer.capacity() - length;
      const ssize_t n = ::read(fd.get(), buffer.data() + length, room);
      if (n < 0) {
        if (errno == EINTR) continue;
        ThrowReadError(errno, path);
      }
      if (n == 0) break;
      length += static_cast<std::size_t>(n);
      buffer.set_size(length);
      if (length == expected && static_cast<std::size_t>(n) < room) break;
    }
    if (::close(fd.release()) != 0) ThrowReadError(errno, path);
    return static_cast<std::int64_t>(st.st_mtime);
  }

  std::optional<std::int64_t> ModificationTime(
      const std::string& path) override {
    struct stat st;
    if (::stat(Full(path).c_str(), &st) != 0) return std::nullopt;
    return static_cast<std::int64_t>(st.st_mtime);
  }

  std::string WriteTemporary(const std::string& target,
                             const std::vector<std::string>& pieces) override {
    const std::string full = Full(target);
    struct stat st;
    if (::stat(full.c_str(), &st) == 0) {
      // A read-only target is refused even where the user could override
      // its mode (root), as a read-only file is meant to be left alone.
      const bool read_only = (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
      if (S_ISDIR(st.st_mode) || read_only ||
          ::access(full.c_str(), W_OK) != 0) {
        ThrowCannotCreate(target);
      }
    }
    std::string temp = "." + target + ".XXXXXX";
    std::string full_temp = Full(temp);
    ScopedFd fd(::mkstemp(full_temp.data()));
    if (fd.get() < 0) ThrowCannotCreate(target);
    temp = full_temp.substr(full_temp.size() - temp.size());
    // mkstemp gives 0600; a sitemap is meant to be published.
    ::fchmod(fd.get(), 0666 & ~umask_);
    bool ok = true;
    for (const std::string& piece : pieces) {
      const char* p = piece.data();
      std::size_t left = piece.size();
      while (ok && left > 0) {
        const ssize_t n = ::write(fd.get(), p, left);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
          ok = false;
          break;
        }
        p += n;
        left -= static_cast<std::size_t>(n);
      }
    }
    if (ok) ok = ::fsync(fd.get()) == 0;
    if (::close(fd.release()) != 0) ok = false;
    if (!ok) {
      ::unlink(full_temp.c_str());
      throw Failure(FailureKind::kStreamWriteError, "Stream write error",
                    target);
    }
    return temp;
  }

  void Rename(const std::string& from, const std::string& to) override {
    if (::rename(Full(from).c_str(), Full(to).c_str()) != 0) {
      ThrowCannotCreate(to);
    }
  }

  bool Remove(const std::string& path) override {
    return ::unlink(Full(path).c_str()) == 0;
  }

 private:
  std::string Full(const std::string& path) const {
    if (path.empty()) return root_;
    return root_ + "/" + path;
  }

  // The kind of what a symbolic link (or an entry of unknown type) leads to.
  // A link that loops, dangles or leads out of the site folder names nothing
  // the crawl may read.
  EntryKind FollowedKind(int dir_fd, const char* name) const {
    struct stat st;
    if (::fstatat(dir_fd, name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
      return EntryKind::kOther;
    }
    if (!S_ISLNK(st.st_mode)) return KindOf(st);
    if (::fstatat(dir_fd, name, &st, 0) != 0) return EntryKind::kOther;
    if (!InsideSite(dir_fd, name)) return EntryKind::kOther;
    return KindOf(st);
  }

  bool InsideSite(int dir_fd, const char* name) const {
    if (real_root_.empty()) return false;
    char dir_path[64];
    std::snprintf(dir_path, sizeof dir_path, "/proc/self/fd/%d", dir_fd);
    char dir_real[PATH_MAX];
    const ssize_t n = ::readlink(dir_path, dir_real, sizeof dir_real - 1);
    if (n <= 0) return false;
    dir_real[n] = '\0';
    const std::string link = std::string(dir_real) + "/" + name;
    char* real = ::realpath(link.c_str(), nullptr);
    if (real == nullptr) return false;
    const std::string target = real;
    ::free(real);
    return target == real_root_ ||
           (target.size() > real_root_.size() &&
            target.compare(0, real_root_.size(), real_root_) == 0 &&
            (real_root_ == "/" || target[real_root_.size()] == '/'));
  }

  std::string root_;
  std::string real_root_;
  int root_fd_ = -1;
  mode_t umask_ = 0;
};

}  // namespace

std::unique_ptr<FileSystem> NewPosixFileSystem(const std::string& root) {
  return std::make_unique<PosixFileSystem>(root);
}

bool IsFolder(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace quillon
