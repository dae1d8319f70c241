#include "engine/fs/atomic_write.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <random>

#include "engine/fs/unique_fd.h"

namespace pictray {
namespace {

int WriteAll(const fs::Env& env, int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = env.Write(fd, bytes.data(), bytes.size());
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

// Creates a new file named `stem` and six random characters (the name is
// completed in place); mkostemp's choice, made through the Env.
UniqueFd CreateUnique(const fs::Env& env, std::string& stem) {
  static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  thread_local std::mt19937 random{std::random_device{}()};
  const std::size_t stemSize = stem.size();
  for (int attempt = 0; attempt < 100; ++attempt) {
    stem.resize(stemSize);
    for (int i = 0; i < 6; ++i) stem += kLetters[random() % (sizeof kLetters - 1)];
    const int fd = env.Open(AT_FDCWD, stem.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0 || errno != EEXIST) return UniqueFd(env, fd);
  }
  errno = EEXIST;
  return UniqueFd(env, -1);
}

}  // namespace

std::string AtomicTemporaryStem(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) + "." +
         path.substr(slash == std::string::npos ? 0 : slash + 1) + ".";
}

int WriteFileAtomic(const fs::Env& env, const std::string& path, std::initializer_list<std::string_view> parts, mode_t mode) {
  return WriteFileAtomicPieces(
      env, path,
      [&](const std::function<int(std::string_view)>& write) {
        for (std::string_view part : parts)
          if (const int e = write(part); e != 0) return e;
        return 0;
      },
      mode);
}

int WriteFileAtomicPieces(const fs::Env& env, const std::string& path, const AtomicPieces& produce, mode_t mode) {
  // Hidden and unique beside the file, so concurrent writers never share it
  // and the rename stays on one file system.
  std::string tmp = AtomicTemporaryStem(path);
  UniqueFd fd = CreateUnique(env, tmp);
  if (fd.get() < 0) return errno;
  auto fail = [&](int e) {
    env.Unlinkat(AT_FDCWD, tmp.c_str(), 0);
    return e;
  };
  if (env.Fchmod(fd.get(), mode) != 0) return fail(errno);
  if (const int e = produce([&](std::string_view piece) { return WriteAll(env, fd.get(), piece); }); e != 0)
    return fail(e);
  if (env.Fsync(fd.get()) != 0) return fail(errno);
  if (const int e = fd.Close(); e != 0) return fail(e);
  if (env.Renameat2(AT_FDCWD, tmp.c_str(), AT_FDCWD, path.c_str(), 0) != 0) return fail(errno);
  UniqueFd dir(env, env.Open(AT_FDCWD, FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.get() < 0) return errno;
  return env.Fsync(dir.get()) == 0 ? 0 : errno;
}

}  // namespace pictray
