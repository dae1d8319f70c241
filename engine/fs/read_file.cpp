#include "engine/fs/read_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "engine/fs/unique_fd.h"

namespace pictray {

FileContent ReadRegularFile(const fs::Env& env, const std::string& path, std::size_t limit, bool followLinks) {
  FileContent out;
  // O_NONBLOCK: opening a FIFO without a writer must not wait for one.
  UniqueFd fd(env, env.Open(AT_FDCWD, path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | (followLinks ? 0 : O_NOFOLLOW)));
  if (fd.get() < 0) {
    out.err = errno;
    return out;
  }
  struct stat st {};
  if (env.Fstat(fd.get(), st) != 0) {
    out.err = errno;
    return out;
  }
  if (!S_ISREG(st.st_mode)) {
    out.err = S_ISDIR(st.st_mode) ? EISDIR : kNotRegularFile;
    return out;
  }
  if (static_cast<std::size_t>(st.st_size) > limit) {
    out.err = kFileTooLarge;
    return out;
  }
  // The file may grow while it is read: one byte past the limit tells.
  out.bytes.resize(static_cast<std::size_t>(st.st_size) + 1);
  std::size_t got = 0;
  for (;;) {
    if (got == out.bytes.size()) {
      if (got > limit) {
        out.bytes.clear();
        out.err = kFileTooLarge;
        return out;
      }
      out.bytes.resize(std::min(limit + 1, got * 2 + 4096));
    }
    const ssize_t n = env.Read(fd.get(), out.bytes.data() + got, out.bytes.size() - got);
    if (n < 0) {
      if (errno == EINTR) continue;
      out.err = errno;
      out.bytes.clear();
      return out;
    }
    if (n == 0) break;
    got += static_cast<std::size_t>(n);
  }
  out.bytes.resize(got);
  return out;
}

std::string ReadRefusalText(int err, std::size_t limit) {
  if (err == kNotRegularFile) return "not a regular file";
  if (err == kFileTooLarge) return "larger than " + std::to_string(limit) + " bytes";
  return std::strerror(err);
}

}  // namespace pictray
