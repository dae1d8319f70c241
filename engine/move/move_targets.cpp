#include "engine/move/move_targets.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>

#include "engine/fs/paths.h"
#include "engine/fs/safe_move.h"
#include "engine/fs/unique_fd.h"

namespace pictray {

namespace {

// One folder of a target, found or made with entry `id`.
TargetFolder FolderLevel(MoveFrame& frame, const std::string& target, long id) {
  const fs::Env& env = frame.env();
  const int sourceFd = frame.fd();
  TargetFolder f;
  struct stat st;
  if (env.Fstatat(sourceFd, target.c_str(), st, 0) != 0) {
    if (errno != ENOENT) {
      f.err = errno;
      return f;
    }
    f.err = frame.MakeFolder(id, target);
    if (frame.journalError() != 0) return f;
    if (f.err == 0) {
      f.ready = f.created = true;
      return f;
    }
    if (f.err != EEXIST || env.Fstatat(sourceFd, target.c_str(), st, 0) != 0) return f;
  }
  f.ready = S_ISDIR(st.st_mode);
  if (!f.ready) f.reason = MoveFailReason::TargetNotFolder;
  return f;
}

}  // namespace

bool IsSafeTarget(const std::string& target) { return IsPathInside(target, kMaxTargetDepth); }

TargetFolder OpenTargetFolder(MoveFrame& frame, const std::string& target) {
  // Each target takes an entry, made or found, as the journals have always
  // numbered them; each folder above it (a date's year) one more.
  const long id = frame.nextEntry()++;
  for (std::size_t slash = target.find('/'); slash != std::string::npos; slash = target.find('/', slash + 1)) {
    const TargetFolder above = FolderLevel(frame, target.substr(0, slash), frame.nextEntry()++);
    if (!above.ready || frame.journalError() != 0) return above;
  }
  TargetFolder f = FolderLevel(frame, target, id);
  if (!f.ready || frame.journalError() != 0) return f;
  const fs::Env& env = frame.env();
  const int sourceFd = frame.fd();
  // Copies left half-made by a move that was killed go before new ones arrive.
  if (const UniqueFd dir(env, env.Open(sourceFd, target.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)); dir.get() >= 0)
    RemoveStaleMoveTemps(env, dir.get());
  return f;
}

std::optional<MoveRefusal> SidecarsHoldBack(const fs::Env& env, int sourceFd, const std::string& target,
                                            const std::vector<MoveAnnouncer::Sidecar>& sidecars) {
  for (const MoveAnnouncer::Sidecar& s : sidecars) {
    if (s.id < 0) {
      if (s.err == ENOENT) continue;
      return MoveRefusal{MoveFailReason::MoveFailed, s.err};
    }
    const std::string to = target + "/" + s.name;
    struct stat there;
    if (env.Fstatat(sourceFd, to.c_str(), there, AT_SYMLINK_NOFOLLOW) == 0) {
      // Another name of the sidecar itself is no copy to replace: its move
      // would fail once the picture had gone.
      if ((s.before.st_dev == there.st_dev && s.before.st_ino == there.st_ino) ||
          !SameContent(env, sourceFd, s.name, sourceFd, to))
        return MoveRefusal{MoveFailReason::SidecarTargetTaken, 0};
    } else if (errno != ENOENT) {
      return MoveRefusal{MoveFailReason::MoveFailed, errno};
    }
  }
  return std::nullopt;
}

}  // namespace pictray
