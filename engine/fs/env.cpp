#include "engine/fs/env.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/uio.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace pictray::fs {

int PosixEnv::Open(int dir, const char* path, int flags, mode_t mode) const {
  return ::openat(dir, path, flags, mode);
}
int PosixEnv::Close(int fd) const { return ::close(fd); }
ssize_t PosixEnv::Read(int fd, void* buf, std::size_t n) const { return ::read(fd, buf, n); }
ssize_t PosixEnv::Pread(int fd, void* buf, std::size_t n, off_t offset) const {
  return ::pread(fd, buf, n, offset);
}
ssize_t PosixEnv::Preadv2(int fd, void* buf, std::size_t n, off_t offset, int flags) const {
  iovec v{buf, n};
  return ::preadv2(fd, &v, 1, offset, flags);
}
ssize_t PosixEnv::Write(int fd, const void* buf, std::size_t n) const { return ::write(fd, buf, n); }
ssize_t PosixEnv::CopyFileRange(int in, int out, std::size_t n) const {
  return ::copy_file_range(in, nullptr, out, nullptr, n, 0);
}
int PosixEnv::Fsync(int fd) const { return ::fsync(fd); }
int PosixEnv::Fdatasync(int fd) const { return ::fdatasync(fd); }
int PosixEnv::Fstatat(int dir, const char* path, struct stat& st, int flags) const {
  return ::fstatat(dir, path, &st, flags);
}
int PosixEnv::Fstat(int fd, struct stat& st) const { return ::fstat(fd, &st); }
int PosixEnv::Renameat2(int fromDir, const char* from, int toDir, const char* to, unsigned flags) const {
  return ::renameat2(fromDir, from, toDir, to, flags);
}
int PosixEnv::Linkat(int fromDir, const char* from, int toDir, const char* to) const {
  return ::linkat(fromDir, from, toDir, to, 0);
}
int PosixEnv::Symlinkat(const char* target, int dir, const char* path) const {
  return ::symlinkat(target, dir, path);
}
ssize_t PosixEnv::Readlinkat(int dir, const char* path, char* buf, std::size_t n) const {
  return ::readlinkat(dir, path, buf, n);
}
int PosixEnv::Unlinkat(int dir, const char* path, int flags) const { return ::unlinkat(dir, path, flags); }
int PosixEnv::Mkdirat(int dir, const char* path, mode_t mode) const { return ::mkdirat(dir, path, mode); }

int PosixEnv::ListFolder(int dir, const char* path, const EachName& each) const {
  const int fd = ::openat(dir, path, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return -1;
  DIR* d = ::fdopendir(fd);
  if (d == nullptr) {
    const int e = errno;
    ::close(fd);
    errno = e;
    return -1;
  }
  errno = 0;
  while (const dirent* e = ::readdir(d)) {
    const char* n = e->d_name;
    if (n[0] == '.' && (n[1] == '\0' || (n[1] == '.' && n[2] == '\0'))) continue;
    each(std::string_view(n), e->d_type);
    errno = 0;
  }
  const int err = errno;
  ::closedir(d);
  errno = err;
  return err == 0 ? 0 : -1;
}

int PosixEnv::Flock(int fd, int operation) const { return ::flock(fd, operation); }
int PosixEnv::Fchmod(int fd, mode_t mode) const { return ::fchmod(fd, mode); }
int PosixEnv::Fchmodat(int dir, const char* path, mode_t mode) const { return ::fchmodat(dir, path, mode, 0); }
int PosixEnv::Futimens(int fd, const struct timespec times[2]) const { return ::futimens(fd, times); }
int PosixEnv::Utimensat(int dir, const char* path, const struct timespec times[2], int flags) const {
  return ::utimensat(dir, path, times, flags);
}
int PosixEnv::Fadvise(int fd, off_t offset, off_t length, int advice) const {
  const int e = ::posix_fadvise(fd, offset, length, advice);
  if (e == 0) return 0;
  errno = e;
  return -1;
}

void* PosixEnv::MapRead(int fd, std::size_t n) const { return ::mmap(nullptr, n, PROT_READ, MAP_SHARED, fd, 0); }

int PosixEnv::Unmap(void* at, std::size_t n) const { return ::munmap(at, n); }

int PosixEnv::Pipe(int fds[2]) const { return ::pipe2(fds, O_CLOEXEC); }

std::string PosixEnv::Realpath(const char* path) const {
  char resolved[PATH_MAX];
  return ::realpath(path, resolved) ? std::string(resolved) : std::string();
}

struct timespec PosixEnv::Now() const {
  struct timespec t {};
  ::clock_gettime(CLOCK_REALTIME, &t);
  return t;
}

std::string PosixEnv::StateFolder() const {
  const char* state = std::getenv("XDG_STATE_HOME");
  if (state != nullptr && state[0] == '/') return state;
  const char* home = std::getenv("HOME");
  if (home == nullptr || home[0] != '/') return {};
  return std::string(home) + "/.local/state";
}

std::string PosixEnv::Variable(const char* name) const {
  const char* value = std::getenv(name);
  return value ? value : "";
}

const Env& DefaultEnv() {
  static const PosixEnv env;
  return env;
}

}  // namespace pictray::fs
