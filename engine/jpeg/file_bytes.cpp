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

ReadFile::ReadFile(const std::string& path) : fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {}

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

}  // namespace pictray::jpegio
