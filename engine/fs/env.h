// The engine's only way to the file system, the clock and the user's state
// folder. Everything that touches a file takes an Env, so that a test can
// hand in one that fails, or stops for good at, any single call.
#pragma once

#include <dirent.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <time.h>

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace pictray::fs {

// One name of a folder and its d_type (DT_UNKNOWN where the file system does
// not say); "." and ".." are not handed over.
using EachName = std::function<void(std::string_view name, unsigned char type)>;

// Each call does what the system call of its name does and answers as it
// does: -1 (or a null pointer) with errno set on failure. Paths are bytes.
class Env {
 public:
  virtual ~Env() = default;

  virtual int Open(int dir, const char* path, int flags, mode_t mode = 0) const = 0;
  virtual int Close(int fd) const = 0;
  virtual ssize_t Read(int fd, void* buf, std::size_t n) const = 0;
  virtual ssize_t Pread(int fd, void* buf, std::size_t n, off_t offset) const = 0;
  virtual ssize_t Preadv2(int fd, void* buf, std::size_t n, off_t offset, int flags) const = 0;
  virtual ssize_t Write(int fd, const void* buf, std::size_t n) const = 0;
  virtual ssize_t CopyFileRange(int in, int out, std::size_t n) const = 0;
  virtual int Fsync(int fd) const = 0;
  virtual int Fdatasync(int fd) const = 0;
  virtual int Fstatat(int dir, const char* path, struct stat& st, int flags) const = 0;
  virtual int Fstat(int fd, struct stat& st) const = 0;
  virtual int Renameat2(int fromDir, const char* from, int toDir, const char* to, unsigned flags) const = 0;
  virtual int Linkat(int fromDir, const char* from, int toDir, const char* to) const = 0;
  virtual int Symlinkat(const char* target, int dir, const char* path) const = 0;
  virtual ssize_t Readlinkat(int dir, const char* path, char* buf, std::size_t n) const = 0;
  virtual int Unlinkat(int dir, const char* path, int flags) const = 0;
  virtual int Mkdirat(int dir, const char* path, mode_t mode) const = 0;
  // Lists the folder dir/path (opendir, readdir, closedir).
  virtual int ListFolder(int dir, const char* path, const EachName& each) const = 0;
  virtual int Flock(int fd, int operation) const = 0;
  virtual int Fchmod(int fd, mode_t mode) const = 0;
  virtual int Fchmodat(int dir, const char* path, mode_t mode) const = 0;
  virtual int Futimens(int fd, const struct timespec times[2]) const = 0;
  virtual int Utimensat(int dir, const char* path, const struct timespec times[2], int flags) const = 0;
  virtual int Fadvise(int fd, off_t offset, off_t length, int advice) const = 0;
  // The first n bytes of the file mapped for reading (mmap, PROT_READ,
  // MAP_SHARED); MAP_FAILED with errno set on failure. Unmap undoes it.
  virtual void* MapRead(int fd, std::size_t n) const = 0;
  virtual int Unmap(void* at, std::size_t n) const = 0;
  // pipe2 with O_CLOEXEC: both ends stay out of programs started later.
  virtual int Pipe(int fds[2]) const = 0;
  // The resolved path, or an empty string with errno set.
  virtual std::string Realpath(const char* path) const = 0;

  // The wall clock (CLOCK_REALTIME).
  virtual struct timespec Now() const = 0;
  // Where a program keeps its state ($XDG_STATE_HOME, else ~/.local/state);
  // empty when neither is known.
  virtual std::string StateFolder() const = 0;
  // The process's environment variable `name`; empty when it is not set.
  virtual std::string Variable(const char* name) const = 0;
};

// The real file system.
class PosixEnv : public Env {
 public:
  int Open(int dir, const char* path, int flags, mode_t mode = 0) const override;
  int Close(int fd) const override;
  ssize_t Read(int fd, void* buf, std::size_t n) const override;
  ssize_t Pread(int fd, void* buf, std::size_t n, off_t offset) const override;
  ssize_t Preadv2(int fd, void* buf, std::size_t n, off_t offset, int flags) const override;
  ssize_t Write(int fd, const void* buf, std::size_t n) const override;
  ssize_t CopyFileRange(int in, int out, std::size_t n) const override;
  int Fsync(int fd) const override;
  int Fdatasync(int fd) const override;
  int Fstatat(int dir, const char* path, struct stat& st, int flags) const override;
  int Fstat(int fd, struct stat& st) const override;
  int Renameat2(int fromDir, const char* from, int toDir, const char* to, unsigned flags) const override;
  int Linkat(int fromDir, const char* from, int toDir, const char* to) const override;
  int Symlinkat(const char* target, int dir, const char* path) const override;
  ssize_t Readlinkat(int dir, const char* path, char* buf, std::size_t n) const override;
  int Unlinkat(int dir, const char* path, int flags) const override;
  int Mkdirat(int dir, const char* path, mode_t mode) const override;
  int ListFolder(int dir, const char* path, const EachName& each) const override;
  int Flock(int fd, int operation) const override;
  int Fchmod(int fd, mode_t mode) const override;
  int Fchmodat(int dir, const char* path, mode_t mode) const override;
  int Futimens(int fd, const struct timespec times[2]) const override;
  int Utimensat(int dir, const char* path, const struct timespec times[2], int flags) const override;
  int Fadvise(int fd, off_t offset, off_t length, int advice) const override;
  void* MapRead(int fd, std::size_t n) const override;
  int Unmap(void* at, std::size_t n) const override;
  int Pipe(int fds[2]) const override;
  std::string Realpath(const char* path) const override;
  struct timespec Now() const override;
  std::string StateFolder() const override;
  std::string Variable(const char* name) const override;
};

// The process's one PosixEnv, handed in by the front ends.
const Env& DefaultEnv();

}  // namespace pictray::fs
