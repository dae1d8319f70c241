#include "engine/fs/paths.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace pictray {

std::string JoinPath(const std::string& folder, const std::string& name) {
  return !folder.empty() && folder.back() == '/' ? folder + name : folder + "/" + name;
}

std::string AbsolutePath(const std::string& path) {
  if (path.empty() || path.front() == '/') return path;
  char* cwd = ::getcwd(nullptr, 0);
  if (!cwd) return path;
  std::string whole = JoinPath(cwd, path);
  std::free(cwd);
  return whole;
}

bool SameFolderPath(const std::string& a, const std::string& b) {
  auto whole = [](const std::string& p) {
    std::string w = AbsolutePath(p);
    while (w.size() > 1 && w.back() == '/') w.pop_back();
    return w;
  };
  return whole(a) == whole(b);
}

void PathFoldaRemove(std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos || slash == 0) return;
  path.erase(slash);
}

bool IsPathInside(const std::string& path, int maxDepth) {
  if (path.find('\0') != std::string::npos) return false;
  int depth = 0;
  for (std::size_t start = 0;; ++depth) {
    const std::size_t slash = path.find('/', start);
    const std::string name = path.substr(start, slash == std::string::npos ? std::string::npos : slash - start);
    if (name.empty() || name == "." || name == "..") return false;
    if (slash == std::string::npos) return depth < maxDepth;
    start = slash + 1;
  }
}

bool IsFolder(const fs::Env& env, const std::string& path) {
  struct stat st;
  return !path.empty() && env.Fstatat(AT_FDCWD, path.c_str(), st, 0) == 0 && S_ISDIR(st.st_mode);
}

bool PathExists(const fs::Env& env, const std::string& path) {
  struct stat st;
  return env.Fstatat(AT_FDCWD, path.c_str(), st, AT_SYMLINK_NOFOLLOW) == 0;
}

int RemoveFileIfPresent(const fs::Env& env, const std::string& path) {
  if (env.Unlinkat(AT_FDCWD, path.c_str(), 0) == 0 || errno == ENOENT) return 0;
  return errno;
}

}  // namespace pictray
