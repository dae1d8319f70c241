// A file system for tests that fails one chosen call (call number `at`,
// counting every call but those of the clock and the environment) with an
// errno, or "dies" there: that call and every later one do nothing and
// fail, as if the process had been killed at that point. Renames and links
// of the file named `crossName` answer EXDEV, as if it lay on another file
// system.
#pragma once

#include <sys/mman.h>

#include <cerrno>
#include <atomic>
#include <string>
#include <string_view>

#include "engine/fs/env.h"

namespace pictray::testing {

enum class Fault { Fail, Die };

class FaultEnv : public fs::Env {
 public:
  FaultEnv(Fault fault, int err, long at, std::string crossName = "")
      : fault_(fault), err_(err), at_(at), crossName_(std::move(crossName)) {}

  // Calls made so far; a run that made fewer than `at` never met the fault.
  long calls() const { return calls_.load(); }

  int Open(int dir, const char* path, int flags, mode_t mode = 0) const override {
    return Trip() ? -1 : real_.Open(dir, path, flags, mode);
  }
  int Close(int fd) const override {
    // The descriptor goes either way, as the kernel closes it on a failed
    // close and at the end of a killed process.
    const bool trip = Trip();
    const int r = real_.Close(fd);
    return trip ? Failed() : r;
  }
  ssize_t Read(int fd, void* buf, std::size_t n) const override { return Trip() ? -1 : real_.Read(fd, buf, n); }
  ssize_t Pread(int fd, void* buf, std::size_t n, off_t at) const override {
    return Trip() ? -1 : real_.Pread(fd, buf, n, at);
  }
  ssize_t Preadv2(int fd, void* buf, std::size_t n, off_t at, int flags) const override {
    return Trip() ? -1 : real_.Preadv2(fd, buf, n, at, flags);
  }
  ssize_t Write(int fd, const void* buf, std::size_t n) const override {
    return Trip() ? -1 : real_.Write(fd, buf, n);
  }
  ssize_t CopyFileRange(int in, int out, std::size_t n) const override {
    return Trip() ? -1 : real_.CopyFileRange(in, out, n);
  }
  int Fsync(int fd) const override { return Trip() ? -1 : real_.Fsync(fd); }
  int Fdatasync(int fd) const override { return Trip() ? -1 : real_.Fdatasync(fd); }
  int Fstatat(int dir, const char* path, struct stat& st, int flags) const override {
    return Trip() ? -1 : real_.Fstatat(dir, path, st, flags);
  }
  int Fstat(int fd, struct stat& st) const override { return Trip() ? -1 : real_.Fstat(fd, st); }
  int Renameat2(int fromDir, const char* from, int toDir, const char* to, unsigned flags) const override {
    if (Trip()) return -1;
    return Crosses(from) ? Cross() : real_.Renameat2(fromDir, from, toDir, to, flags);
  }
  int Linkat(int fromDir, const char* from, int toDir, const char* to) const override {
    if (Trip()) return -1;
    return Crosses(from) ? Cross() : real_.Linkat(fromDir, from, toDir, to);
  }
  int Symlinkat(const char* target, int dir, const char* path) const override {
    return Trip() ? -1 : real_.Symlinkat(target, dir, path);
  }
  ssize_t Readlinkat(int dir, const char* path, char* buf, std::size_t n) const override {
    return Trip() ? -1 : real_.Readlinkat(dir, path, buf, n);
  }
  int Unlinkat(int dir, const char* path, int flags) const override {
    return Trip() ? -1 : real_.Unlinkat(dir, path, flags);
  }
  int Mkdirat(int dir, const char* path, mode_t mode) const override {
    return Trip() ? -1 : real_.Mkdirat(dir, path, mode);
  }
  int ListFolder(int dir, const char* path, const fs::EachName& each) const override {
    return Trip() ? -1 : real_.ListFolder(dir, path, each);
  }
  int Flock(int fd, int operation) const override { return Trip() ? -1 : real_.Flock(fd, operation); }
  int Fchmod(int fd, mode_t mode) const override { return Trip() ? -1 : real_.Fchmod(fd, mode); }
  int Fchmodat(int dir, const char* path, mode_t mode) const override {
    return Trip() ? -1 : real_.Fchmodat(dir, path, mode);
  }
  int Futimens(int fd, const struct timespec times[2]) const override {
    return Trip() ? -1 : real_.Futimens(fd, times);
  }
  int Utimensat(int dir, const char* path, const struct timespec times[2], int flags) const override {
    return Trip() ? -1 : real_.Utimensat(dir, path, times, flags);
  }
  int Fadvise(int fd, off_t offset, off_t length, int advice) const override {
    return Trip() ? -1 : real_.Fadvise(fd, offset, length, advice);
  }
  void* MapRead(int fd, std::size_t n) const override { return Trip() ? MAP_FAILED : real_.MapRead(fd, n); }
  int Unmap(void* at, std::size_t n) const override {
    // Unmapped either way, as a killed process's mappings go.
    const bool trip = Trip();
    const int r = real_.Unmap(at, n);
    return trip ? Failed() : r;
  }
  int Pipe(int fds[2]) const override { return Trip() ? -1 : real_.Pipe(fds); }
  std::string Realpath(const char* path) const override { return Trip() ? std::string() : real_.Realpath(path); }
  struct timespec Now() const override { return real_.Now(); }
  std::string StateFolder() const override { return real_.StateFolder(); }
  std::string Variable(const char* name) const override { return real_.Variable(name); }

 private:
  // True (errno set) when this call is not to happen.
  bool Trip() const {
    const long n = ++calls_;
    if (dead_.load()) return Failed() != 0;
    if (n != at_) return false;
    if (fault_ == Fault::Die) {
      dead_ = true;
      return Failed() != 0;
    }
    errno = err_;
    return true;
  }
  int Failed() const {
    errno = dead_.load() ? EIO : err_;
    return -1;
  }
  bool Crosses(const char* path) const {
    const std::string_view p(path);
    return !crossName_.empty() && (p == crossName_ || p.ends_with("/" + crossName_));
  }
  static int Cross() {
    errno = EXDEV;
    return -1;
  }

  fs::PosixEnv real_;
  Fault fault_;
  int err_;
  long at_;
  std::string crossName_;
  mutable std::atomic<long> calls_{0};
  mutable std::atomic<bool> dead_{false};
};

}  // namespace pictray::testing
