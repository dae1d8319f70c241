#include "engine/fs/folder_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace pictray {

FolderLock::~FolderLock() {
  if (fd_ >= 0) env_->Close(fd_);  // closing the descriptor releases the lock
}

FolderLock::FolderLock(FolderLock&& other) noexcept
    : env_(other.env_), fd_(std::exchange(other.fd_, -1)) {}

FolderLock& FolderLock::operator=(FolderLock&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) env_->Close(fd_);
    env_ = other.env_;
    fd_ = std::exchange(other.fd_, -1);
  }
  return *this;
}

int FolderLock::TryLock(const fs::Env& env, const std::string& folder) {
  if (fd_ >= 0) return 0;
  // flock on the folder itself: each open is its own lock owner, so two runs
  // in one process exclude each other as two processes do, and the lock goes
  // with the process when it dies.
  const int fd = env.Open(AT_FDCWD, folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return errno;
  while (env.Flock(fd, LOCK_EX | LOCK_NB) != 0) {
    if (errno == EINTR) continue;
    const int e = errno;
    env.Close(fd);
    return e == EWOULDBLOCK ? EWOULDBLOCK : e;
  }
  env_ = &env;
  fd_ = fd;
  return 0;
}

}  // namespace pictray
