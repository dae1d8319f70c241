#include "engine/jpeg/file_bytes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace pictray::jpegio {

std::uint64_t FileSize(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return 0;
  return static_cast<std::uint64_t>(st.st_size);
}

namespace {

// Opening a FIFO without O_NONBLOCK waits for a writer.
int OpenRegular(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return -1;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return -1;
  }
  return fd;
}

}  // namespace

ReadFile::ReadFile(const std::string& path) : fd_(OpenRegular(path)) {}

ReadFile::~ReadFile() {
  if (fd_ >= 0) ::close(fd_);
}

std::size_t ReadFile::ReadAt(std::uint64_t offset, void* out, std::size_t n) const {
  if (fd_ < 0) return 0;
  std::size_t got = 0;
  auto* p = static_cast<unsigned char*>(out);
  while (got < n) {
    ssize_t r = ::pread(fd_, p + got, n - got, static_cast<off_t>(offset + got));
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) break;
    got += static_cast<std::size_t>(r);
  }
  return got;
}

std::FILE* OpenRegularStream(const std::string& path) {
  const int fd = OpenRegular(path);
  if (fd < 0) return nullptr;
  std::FILE* f = ::fdopen(fd, "rb");
  if (!f) ::close(fd);
  return f;
}

}  // namespace pictray::jpegio
