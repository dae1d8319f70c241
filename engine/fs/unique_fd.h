// A file descriptor closed through its Env when it goes out of scope.
#pragma once

#include <cerrno>
#include <utility>

#include "engine/fs/env.h"

namespace pictray {

class UniqueFd {
 public:
  UniqueFd(const fs::Env& env, int fd) : env_(&env), fd_(fd) {}
  ~UniqueFd() {
    if (fd_ >= 0) env_->Close(fd_);
  }
  UniqueFd(UniqueFd&& other) noexcept : env_(other.env_), fd_(std::exchange(other.fd_, -1)) {}
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;
  int get() const { return fd_; }
  // Closes now and reports the result (a delayed write error shows here).
  int Close() {
    const int r = env_->Close(fd_);
    fd_ = -1;
    return r == 0 ? 0 : errno;
  }

 private:
  const fs::Env* env_;
  int fd_;
};

}  // namespace pictray
