#include "engine/fs/atomic_write.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "engine/fs/unique_fd.h"

namespace pictray {
namespace {

int WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return n < 0 ? errno : EIO;
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return 0;
}

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

int WriteFileAtomic(const std::string& path, std::initializer_list<std::string_view> parts, mode_t mode) {
  // Hidden and unique beside the file, so concurrent writers never share it
  // and the rename stays on one file system.
  const std::size_t slash = path.rfind('/');
  std::string tmp = (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) + "." +
                    path.substr(slash == std::string::npos ? 0 : slash + 1) + ".XXXXXX";
  UniqueFd fd(::mkostemp(tmp.data(), O_CLOEXEC));
  if (fd.get() < 0) return errno;
  auto fail = [&](int e) {
    ::unlink(tmp.c_str());
    return e;
  };
  if (::fchmod(fd.get(), mode) != 0) return fail(errno);
  for (std::string_view part : parts)
    if (const int e = WriteAll(fd.get(), part); e != 0) return fail(e);
  if (::fsync(fd.get()) != 0) return fail(errno);
  if (const int e = fd.Close(); e != 0) return fail(e);
  if (std::rename(tmp.c_str(), path.c_str()) != 0) return fail(errno);
  UniqueFd dir(::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.get() < 0) return errno;
  return ::fsync(dir.get()) == 0 ? 0 : errno;
}

}  // namespace pictray
