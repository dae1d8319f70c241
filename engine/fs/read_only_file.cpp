#include "engine/fs/read_only_file.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace pictray::fs {
namespace {

// The size and time of the regular file open at `fd`; false for anything else.
bool RegularSize(const Env& env, int fd, std::uint64_t* size, std::int64_t* mtime) {
  struct stat st {};
  if (env.Fstat(fd, st) != 0 || !S_ISREG(st.st_mode)) return false;
  *size = static_cast<std::uint64_t>(st.st_size);
  *mtime = st.st_mtime;
  return true;
}

// Opening a FIFO without O_NONBLOCK waits for a writer.
int OpenRegular(const Env& env, const std::string& path, std::uint64_t* size, std::int64_t* mtime) {
  const int fd = env.Open(AT_FDCWD, path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return -1;
  if (!RegularSize(env, fd, size, mtime)) {
    env.Close(fd);
    return -1;
  }
  return fd;
}

}  // namespace

ReadOnlyFile::ReadOnlyFile(const Env& env, const std::string& path) : env_(env) {
  fd_ = OpenRegular(env, path, &size_, &mtime_);
}

ReadOnlyFile::ReadOnlyFile(const Env& env, BorrowedFd borrowed) : env_(env), owned_(false) {
  if (borrowed.fd >= 0 && RegularSize(env, borrowed.fd, &size_, &mtime_)) fd_ = borrowed.fd;
}

ReadOnlyFile::~ReadOnlyFile() {
  if (fd_ >= 0 && owned_) env_.Close(fd_);
}

bool ReadOnlyFile::HoldHead() const {
  if (!head_) {
    head_ = std::make_unique_for_overwrite<unsigned char[]>(kHeadBytes);
    headSize_ = static_cast<std::size_t>(std::min<std::uint64_t>(kHeadBytes, size_));
    // A read that falls short (the file shrank, an error) keeps nothing.
    headHeld_ = ReadFromFile(0, head_.get(), headSize_) == headSize_;
  }
  return headHeld_;
}

std::size_t ReadOnlyFile::ReadAt(std::uint64_t offset, void* out, std::size_t n) const {
  // Nothing to read may come with no buffer (an empty vector's data()).
  if (fd_ < 0 || n == 0) return 0;
  // A file no longer than the head is held whole, as it was when opened.
  if (offset < kHeadBytes && n <= kHeadBytes - offset && HoldHead() && (offset + n <= headSize_ || headSize_ == size_)) {
    const std::size_t from = static_cast<std::size_t>(std::min<std::uint64_t>(offset, headSize_));
    const std::size_t got = std::min<std::size_t>(n, headSize_ - from);
    std::memcpy(out, head_.get() + from, got);
    return got;
  }
  return ReadFromFile(offset, out, n);
}

std::size_t ReadOnlyFile::ReadFromFile(std::uint64_t offset, void* out, std::size_t n) const {
  std::size_t got = 0;
  auto* p = static_cast<unsigned char*>(out);
  while (got < n) {
    const ssize_t r = env_.Pread(fd_, p + got, n - got, static_cast<off_t>(offset + got));
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) break;
    got += static_cast<std::size_t>(r);
  }
  return got;
}

}  // namespace pictray::fs
