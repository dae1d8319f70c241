#include "engine/fs/make_folders.h"

#include <fcntl.h>

#include <cerrno>

#include "engine/fs/paths.h"

namespace pictray {

int MakeFolders(const fs::Env& env, const std::string& path, mode_t mode) {
  if (path.empty()) return ENOENT;
  for (std::size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
    const std::string part = path.substr(0, slash);
    if (!part.empty() && part.back() != '/' && env.Mkdirat(AT_FDCWD, part.c_str(), mode) != 0 && errno != EEXIST)
      return errno;
    if (slash == std::string::npos) break;
  }
  return IsFolder(env, path) ? 0 : ENOTDIR;
}

}  // namespace pictray
