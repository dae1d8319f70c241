// A file descriptor closed when it goes out of scope.
#pragma once

#include <unistd.h>

#include <cerrno>

namespace pictray {

class UniqueFd {
 public:
  explicit UniqueFd(int fd) : fd_(fd) {}
  ~UniqueFd() {
    if (fd_ >= 0) ::close(fd_);
  }
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;
  int get() const { return fd_; }
  // Closes now and reports the result (a delayed write error shows here).
  int Close() {
    const int r = ::close(fd_);
    fd_ = -1;
    return r == 0 ? 0 : errno;
  }

 private:
  int fd_;
};

}  // namespace pictray
