#include "engine/move/move_announcer.h"

#include <fcntl.h>

#include <cerrno>

#include "engine/move/move_targets.h"
#include "engine/names/folda_name.h"

namespace pictray {

int MoveAnnouncer::Take(std::size_t i, Move& move) {
  if (i >= announcedTo_)
    if (const int e = Announce(i); e != 0) return e;
  const auto it = ahead_.find(i);
  if (it == ahead_.end()) {
    move = {-1, ENOENT, {}, {}};
    return 0;
  }
  move = it->second;
  ahead_.erase(it);
  return 0;
}

void MoveAnnouncer::Withdraw() {
  for (const auto& [row, move] : ahead_) {
    if (move.id >= 0) journal_.Failed(move.id, ECANCELED);
    Withdraw(move.sidecars);
  }
  ahead_.clear();
}

void MoveAnnouncer::Withdraw(const std::vector<Sidecar>& sidecars) {
  for (const Sidecar& s : sidecars)
    if (s.id >= 0) journal_.Failed(s.id, ECANCELED);
}

int MoveAnnouncer::Announce(std::size_t from) {
  std::size_t r = from, count = 0;
  for (; r < rows_.ListMax() && count < kAhead; ++r) {
    const Row row = rows_.row(r);
    if (row.kind.empty() || row.kind == kind::Moved || row.target.empty() || !IsSafeTarget(row.target) ||
        !IsSafeFolderName(row.name) || sidecars_.Follows(r))
      continue;
    Move& m = ahead_[r];
    ++count;
    if (journal_.env().Fstatat(sourceFd_, row.name.c_str(), m.before, AT_SYMLINK_NOFOLLOW) != 0) {
      m.err = errno;
      continue;
    }
    m.id = nextEntry_++;
    journal_.MoveBegin(m.id, row.name, row.target + "/" + row.name, IdentityOf(m.before), m.before.st_mode);
    AnnounceSidecars(row, r, m.sidecars);
  }
  announcedTo_ = r;
  return journal_.Flush();
}

void MoveAnnouncer::AnnounceSidecars(const Row& picture, std::size_t row, std::vector<Sidecar>& out) {
  for (const std::size_t r : sidecars_.Of(row)) {
    Sidecar& s = out.emplace_back(Sidecar{.row = r, .name = rows_.name(r)});
    if (!IsSafeFolderName(s.name)) {
      s.err = EINVAL;
      continue;
    }
    if (journal_.env().Fstatat(sourceFd_, s.name.c_str(), s.before, AT_SYMLINK_NOFOLLOW) != 0) {
      s.err = errno;
      continue;
    }
    s.id = nextEntry_++;
    journal_.MoveBegin(s.id, s.name, picture.target + "/" + s.name, IdentityOf(s.before), s.before.st_mode);
  }
}

std::optional<FileIdentity> StampAfterMove(const fs::Env& env, int sourceFd, const std::string& to,
                                           const struct stat& before, const MoveStatus& moved) {
  FileIdentity after = IdentityOf(before);
  after.ctimeNs = RealTimeNs(env);
  if (moved.outcome == MoveOutcome::SameReplaced)
    return moved.replaced.st_dev == before.st_dev ? after : IdentityOf(moved.replaced);
  if (!moved.copied) return after;
  struct stat st {};
  if (env.Fstatat(sourceFd, to.c_str(), st, AT_SYMLINK_NOFOLLOW) != 0) return std::nullopt;
  return IdentityOf(st);
}

}  // namespace pictray
