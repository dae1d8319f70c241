#include "engine/fs/break_folda.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <vector>

#include "engine/fs/paths.h"
#include "engine/fs/safe_move.h"
#include "engine/fs/unique_fd.h"

namespace pictray {

BreakResult BreakFolda(const fs::Env& env, const std::string& folder) {
  std::string path = folder;
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  std::string parent = path;
  PathFoldaRemove(parent);
  if (parent == path) return BreakResult{0, 0, 1};  // no parent to move into
  return BreakFoldaInto(env, path, parent);
}

BreakResult BreakFoldaInto(const fs::Env& env, const std::string& path, const std::string& parent) {
  BreakResult result;
  const UniqueFd dir(env, env.Open(AT_FDCWD, path.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
  const UniqueFd parentDir(env, env.Open(AT_FDCWD, parent.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
  // Names first: moving entries out while the listing runs may skip some.
  std::vector<std::string> names;
  if (dir.get() < 0 || parentDir.get() < 0 ||
      env.ListFolder(dir.get(), ".", [&](std::string_view name, unsigned char) { names.emplace_back(name); }) != 0) {
    ++result.failed;
    return result;
  }
  const MoveOptions plain{/*replaceSame=*/false, /*acrossDevices=*/false};
  for (const std::string& name : names) {
    struct stat st;
    if (env.Fstatat(dir.get(), name.c_str(), st, AT_SYMLINK_NOFOLLOW) != 0) {
      ++result.failed;
      continue;
    }
    if (S_ISDIR(st.st_mode)) continue;
    const MoveStatus s = MoveNoReplace(env, dir.get(), name, parentDir.get(), name, plain);
    if (s.ok()) ++result.moved;
    else if (s.outcome == MoveOutcome::DifferentFileThere) ++result.skipped;
    else ++result.failed;
  }
  return result;
}

int RemoveEmptyFolder(const fs::Env& env, const std::string& folder) {
  // rmdir refuses a folder that is not empty: the check and the removal are
  // one step, so nothing that arrives meanwhile is lost.
  return env.Unlinkat(AT_FDCWD, folder.c_str(), AT_REMOVEDIR) == 0 ? 0 : errno;
}

namespace {

// Removes the folder `rel` inside `base` when empty, then each folder of
// `rel` above it while that is empty; 0 when `rel` itself went, else that errno.
int RemoveEmptyFolders(const fs::Env& env, const std::string& base, std::string rel) {
  const int e = RemoveEmptyFolder(env, JoinPath(base, rel));
  if (e != 0) return e;
  for (std::size_t slash = rel.rfind('/'); slash != std::string::npos && slash > 0; slash = rel.rfind('/')) {
    rel.resize(slash);
    if (RemoveEmptyFolder(env, JoinPath(base, rel)) != 0) break;
  }
  return 0;
}

}  // namespace

int BreakTargetFolder(const fs::Env& env, const std::string& folder, const std::string& target) {
  if (target.empty() || !folder.ends_with("/" + target)) {
    BreakFolda(env, folder);
    return RemoveEmptyFolder(env, folder);
  }
  const std::string source = folder.substr(0, folder.size() - target.size() - 1);
  BreakFoldaInto(env, folder, source);
  return RemoveEmptyFolders(env, source, target);
}

}  // namespace pictray
