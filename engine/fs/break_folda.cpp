#include "engine/fs/break_folda.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

#include "engine/fs/paths.h"
#include "engine/fs/safe_move.h"

namespace pictray {

BreakResult BreakFolda(const std::string& folder) {
  BreakResult result;
  std::string path = folder;
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  std::string parent = path;
  PathFoldaRemove(parent);
  if (parent == path) {
    ++result.failed;  // no parent to move into
    return result;
  }
  DIR* d = ::opendir(path.c_str());
  if (!d) {
    ++result.failed;
    return result;
  }
  const int parentFd = ::open(parent.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
  if (parentFd < 0) {
    ::closedir(d);
    ++result.failed;
    return result;
  }
  const int dirFd = ::dirfd(d);
  // Names first: moving entries out while the listing runs may skip some.
  std::vector<std::string> names;
  while (const dirent* e = ::readdir(d)) {
    const std::string name = e->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  const MoveOptions plain{/*replaceSame=*/false, /*acrossDevices=*/false};
  for (const std::string& name : names) {
    struct stat st;
    if (::fstatat(dirFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
      ++result.failed;
      continue;
    }
    if (S_ISDIR(st.st_mode)) continue;
    const MoveStatus s = MoveNoReplace(dirFd, name, parentFd, name, plain);
    if (s.ok()) ++result.moved;
    else if (s.outcome == MoveOutcome::DifferentFileThere) ++result.skipped;
    else ++result.failed;
  }
  ::close(parentFd);
  ::closedir(d);
  return result;
}

int RemoveEmptyFolder(const std::string& folder) {
  // rmdir refuses a folder that is not empty: the check and the removal are
  // one step, so nothing that arrives meanwhile is lost.
  return ::rmdir(folder.c_str()) == 0 ? 0 : errno;
}

}  // namespace pictray
