#include "engine/jpeg/header_check.h"

#include <fcntl.h>
#include <unistd.h>

namespace pictray {

std::string JpegHedarCheck(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return {};
  unsigned char b[2] = {0, 0};
  ssize_t n = ::pread(fd, b, 2, 0);
  ::close(fd);
  return n == 2 && b[0] == 0xFF && b[1] == 0xD8 ? "JPEG" : "";
}

}  // namespace pictray
