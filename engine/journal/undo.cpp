#include "engine/journal/undo.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <optional>
#include <set>

#include "engine/fs/folder_lock.h"
#include "engine/fs/paths.h"
#include "engine/fs/safe_move.h"
#include "engine/fs/unique_fd.h"

namespace pictray {
namespace {

using Entry = JournalEntry;

bool StampAt(const fs::Env& env, int dirFd, const std::string& rel, FileIdentity& s, struct stat* st = nullptr) {
  struct stat look {};
  if (env.Fstatat(dirFd, rel.c_str(), look, AT_SYMLINK_NOFOLLOW) != 0) return false;
  s = IdentityOf(look);
  if (st) *st = look;
  return true;
}

// Still the file the run left: its inode and data, and no change since the
// move (the journal keeps the move's change time, or a bound on it).
bool AsLeft(const FileIdentity& there, const FileIdentity& after) {
  return there.dev == after.dev && there.ino == after.ino && there.size == after.size &&
         there.mtimeNs == after.mtimeNs && there.ctimeNs <= after.ctimeNs;
}

// The same inode with the same data; a rename changes only the change time.
bool SameInodeAndData(const FileIdentity& a, const FileIdentity& b) {
  return a.dev == b.dev && a.ino == b.ino && a.size == b.size && a.mtimeNs == b.mtimeNs;
}

struct timespec Timespec(std::int64_t ns) {
  return {static_cast<time_t>(ns / 1000000000), static_cast<long>(ns % 1000000000)};
}

// A copy of the file `b` describes: a copy across file systems keeps the
// size and the modification time, not the inode.
bool SizeAndTime(const struct stat& st, const FileIdentity& b) {
  return S_ISREG(st.st_mode) && st.st_size == b.size && IdentityOf(st).mtimeNs == b.mtimeNs;
}

// The file the run put at the destination. A move whose mark was lost (to a
// kill, or a look that failed) is judged by what was recorded before it:
// the same inode after a rename, or a copy with the same size and time
// (another file system, or a bind mount of the same one).
bool RunLeftItThere(const struct stat& st, const Entry& e) {
  const FileIdentity there = IdentityOf(st);
  if (e.state == Entry::State::Done) return AsLeft(there, e.after);
  return SameInodeAndData(there, e.before) || SizeAndTime(st, e.before);
}

// What the undo does with one moved file, judged from the disk.
enum class Found {
  AtDestination,  // to be moved back
  AlreadyBack,    // at its first name already
  BackTwice,      // at its first name, and a copy of it still at the destination
  Left,
};

Found Judge(const fs::Env& env, int dirFd, const Entry& e, struct stat& look, UndoLeftReason& reason) {
  const bool done = e.state == Entry::State::Done;
  const bool there = env.Fstatat(dirFd, e.to.c_str(), look, AT_SYMLINK_NOFOLLOW) == 0;
  struct stat first {};
  const bool atFirstName = env.Fstatat(dirFd, e.from.c_str(), first, AT_SYMLINK_NOFOLLOW) == 0;
  const FileIdentity origin = IdentityOf(first);
  // The very file at its first name: never moved (a run killed before the
  // move), or taken back by a rename an undo was killed after.
  const bool theVeryFile =
      atFirstName && (SameInodeAndData(origin, e.before) || (done && SameInodeAndData(origin, e.after)));
  if (there && RunLeftItThere(look, e)) {
    if (!atFirstName) return Found::AtDestination;
    // A move or an undo across file systems killed between its copy and
    // the removal of what it copied leaves the file at both names.
    const bool sameInode = origin.dev == IdentityOf(look).dev && origin.ino == IdentityOf(look).ino;
    if ((theVeryFile || SizeAndTime(first, e.before)) &&
        (sameInode || SameContent(env, dirFd, e.from, dirFd, e.to)))
      return Found::BackTwice;
    // A file of the same size and time that is not the same: not ours.
    if (theVeryFile && !done) return Found::AlreadyBack;
    return Found::AtDestination;  // the move back finds the name taken
  }
  if (theVeryFile) return Found::AlreadyBack;
  // Nothing of the run's at the destination, and a copy with the recorded
  // size and time at the first name: taken back across file systems (by an
  // undo killed before it said so, or by the undo of a later run that moved
  // the file again after this one was killed), and so back.
  if (!there && atFirstName && SizeAndTime(first, e.before)) return Found::AlreadyBack;
  reason = there ? UndoLeftReason::Changed : UndoLeftReason::Missing;
  return Found::Left;
}

// The destination still holds a copy of the file that is back at its first
// name: it goes only while it is that copy, byte for byte, and unchanged
// since it was looked at.
int RemoveDuplicate(const fs::Env& env, int dirFd, const Entry& e, const struct stat& look) {
  struct stat now {};
  if (env.Fstatat(dirFd, e.to.c_str(), now, AT_SYMLINK_NOFOLLOW) != 0) return errno == ENOENT ? 0 : errno;
  if (!StillTheFileExamined(look, now)) return EEXIST;
  return env.Unlinkat(dirFd, e.to.c_str(), 0) == 0 ? 0 : errno;
}

// Gives `rel` the mode and modification time the journal kept; the access
// time too when given.
int SetModeAndTimes(const fs::Env& env, int dirFd, const std::string& rel, std::uint32_t mode, std::int64_t mtimeNs,
                    const std::int64_t* atimeNs) {
  const struct timespec times[2] = {atimeNs ? Timespec(*atimeNs) : timespec{0, UTIME_OMIT}, Timespec(mtimeNs)};
  if (env.Fchmodat(dirFd, rel.c_str(), static_cast<mode_t>(mode & 07777)) != 0 ||
      env.Utimensat(dirFd, rel.c_str(), times, AT_SYMLINK_NOFOLLOW) != 0)
    return errno;
  return 0;
}

// Gives the byte-identical file that the move replaced its name back: the
// very file when a hidden name still holds it (its links come back too),
// else a copy of the file that went back, with the replaced file's own mode
// and times (journals of older runs have only the returned file's).
int RestoreReplaced(const fs::Env& env, int dirFd, const Entry& e) {
  struct stat st {}, kept {};
  if (env.Fstatat(dirFd, e.from.c_str(), st, AT_SYMLINK_NOFOLLOW) != 0) return errno;
  if (!e.replacedKeptAs.empty() && env.Fstatat(dirFd, e.replacedKeptAs.c_str(), kept, AT_SYMLINK_NOFOLLOW) == 0 &&
      SizeAndTime(kept, {0, 0, st.st_size, e.replacedMtimeNs, 0}) &&
      SameContent(env, dirFd, e.from, dirFd, e.replacedKeptAs))
    return RenameNoReplace(env, dirFd, e.replacedKeptAs, dirFd, e.to);
  const MoveStatus s = CopyNoReplace(env, dirFd, e.from, st, dirFd, e.to);
  if (!s.ok()) return s.err != 0 ? s.err : EEXIST;
  if (!e.replacedKnown) return 0;
  return SetModeAndTimes(env, dirFd, e.to, e.replacedMode, e.replacedMtimeNs, &e.replacedAtimeNs);
}

UndoLeftReason ReasonOf(MoveOutcome o) {
  switch (o) {
    case MoveOutcome::DifferentFileThere: return UndoLeftReason::NameTaken;
    case MoveOutcome::SourceMissing: return UndoLeftReason::Missing;
    case MoveOutcome::SourceChanged: return UndoLeftReason::Changed;
    default: return UndoLeftReason::Failed;
  }
}

class Undoer {
 public:
  Undoer(const JournalRun& run, const std::vector<int>& rootFds, JournalWriter& journal, UndoReport& report)
      : env_(journal.env()), run_(run), rootFds_(rootFds), journal_(journal), report_(report) {}

  // False when the journal cannot be written: nothing more may move.
  bool TakeBack(const Entry& e) {
    dirFd_ = rootFds_[e.root];
    rootFolder_ = &run_.roots[e.root];
    return e.kind == Entry::Kind::Move ? TakeBackFile(e) : RemoveFolder(e);
  }

 private:
  // What stays is tried again by the next undo: it is recorded, not settled.
  bool Leave(const Entry& e, UndoLeftReason reason, int err) {
    const bool folder = e.kind == Entry::Kind::Folder;
    report_.left.push_back({JoinPath(*rootFolder_, e.to), folder ? "" : JoinPath(*rootFolder_, e.from), reason, err});
    if (!folder) leftFiles_.push_back(std::to_string(e.root) + ":" + e.to);
    journal_.Left(e.id, static_cast<int>(reason));
    return true;
  }

  // The file is at its first name: the byte-identical file the move
  // replaced gets its name back, and the entry is settled.
  bool Settle(const Entry& e) {
    struct stat st {};
    if (e.replaced && env_.Fstatat(dirFd_, e.to.c_str(), st, AT_SYMLINK_NOFOLLOW) != 0) {
      const int err = errno == ENOENT ? RestoreReplaced(env_, dirFd_, e) : errno;
      if (err != 0) return Leave(e, UndoLeftReason::Failed, err);
    }
    journal_.Back(e.id);
    return true;
  }

  bool TakeBackFile(const Entry& e) {
    UndoLeftReason reason = UndoLeftReason::Failed;
    struct stat look {};
    switch (Judge(env_, dirFd_, e, look, reason)) {
      case Found::AlreadyBack: return Settle(e);
      case Found::BackTwice:
        // A replaced file at the destination is the one the move left there.
        if (!e.replaced)
          if (const int err = RemoveDuplicate(env_, dirFd_, e, look); err != 0) return Leave(e, UndoLeftReason::Failed, err);
        return Settle(e);
      case Found::Left: return Leave(e, reason, 0);
      case Found::AtDestination: break;
    }
    // Across file systems the move replaced nothing: the byte-identical file
    // at the destination stayed as it was, and a copy of it goes back with
    // the moved file's own mode and time.
    const bool keptThere = e.replaced && e.after.dev != e.before.dev;
    const MoveStatus s =
        keptThere ? CopyNoReplace(env_, dirFd_, e.to, look, dirFd_, e.from)
                  : MoveExaminedNoReplace(env_, dirFd_, e.to, look, dirFd_, e.from, {.replaceSame = false, .acrossDevices = true});
    if (!s.ok()) return Leave(e, ReasonOf(s.outcome), s.err);
    ++report_.back;
    if (keptThere && e.mode != 0)
      if (const int err = SetModeAndTimes(env_, dirFd_, e.from, e.mode, e.before.mtimeNs, nullptr); err != 0)
        report_.left.push_back({JoinPath(*rootFolder_, e.to), JoinPath(*rootFolder_, e.from), UndoLeftReason::Failed, err});
    return Settle(e);
  }

  bool RemoveFolder(const Entry& e) {
    FileIdentity now;
    if (!StampAt(env_, dirFd_, e.to, now)) {
      if (errno != ENOENT) return Leave(e, UndoLeftReason::Failed, errno);
      // Gone with files that are still to go back (moved away whole, say to
      // the trash): it may come back with them.
      const std::string inside = std::to_string(e.root) + ":" + e.to + "/";
      for (const std::string& to : leftFiles_)
        if (to.starts_with(inside)) return true;
      journal_.Back(e.id);
      return true;
    }
    // Only the very folder the run made; a pending one (the run was killed
    // right at it) goes only while empty, as any removal here.
    if (e.state == Entry::State::Done && (now.dev != e.after.dev || now.ino != e.after.ino))
      return Leave(e, UndoLeftReason::Changed, 0);
    if (env_.Unlinkat(dirFd_, e.to.c_str(), AT_REMOVEDIR) != 0) {
      const int err = errno;
      const bool notEmpty = err == ENOTEMPTY || err == EEXIST;
      return Leave(e, notEmpty ? UndoLeftReason::FolderNotEmpty : UndoLeftReason::Failed, notEmpty ? 0 : err);
    }
    ++report_.foldersRemoved;
    journal_.Back(e.id);
    return true;
  }

  const fs::Env& env_;
  const JournalRun& run_;
  const std::vector<int>& rootFds_;
  int dirFd_ = -1;                           // the root of the entry taken up
  const std::string* rootFolder_ = nullptr;  // its path
  JournalWriter& journal_;
  UndoReport& report_;
  std::vector<std::string> leftFiles_;  // where the files left now are
};

constexpr std::size_t kBackAhead = 256;

void RemoveStaleTempsOfTargets(const fs::Env& env, const std::vector<int>& rootFds, const JournalRun& run) {
  // Where the files were moved to and, in a tree, where they came from.
  std::set<std::pair<std::uint32_t, std::string>> folders;
  for (const Entry& e : run.entries) {
    if (e.kind != Entry::Kind::Move || e.unsafe) continue;
    for (const std::string* name : {&e.to, &e.from})
      if (const std::size_t slash = name->rfind('/'); slash != std::string::npos && slash > 0)
        folders.insert({e.root, name->substr(0, slash)});
  }
  // A target folder may be a link to another file system: it is followed.
  for (const auto& [root, folder] : folders)
    if (const UniqueFd inner(env, env.Open(rootFds[root], folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        inner.get() >= 0)
      RemoveStaleMoveTemps(env, inner.get());
}

}  // namespace

std::vector<const JournalEntry*> UndoOrder(const JournalRun& run) {
  // Newest first, the files before the folders (a folder's record may come
  // after the records of files moved into it), and an inner folder before
  // the one that holds it.
  std::vector<const Entry*> order;
  for (const Entry::Kind kind : {Entry::Kind::Move, Entry::Kind::Folder})
    for (auto it = run.entries.rbegin(); it != run.entries.rend(); ++it)
      if (it->kind == kind && !it->Settled()) order.push_back(&*it);
  return order;
}

bool LeftByAnUndo(const JournalRun& run) {
  bool any = false;
  for (const Entry& e : run.entries) {
    if (e.Settled()) continue;
    if (e.undo != Entry::Undo::Left) return false;
    any = true;
  }
  return any;
}

bool LastUndoableRun(const fs::Env& env, const std::string& dir, const std::string& folder, JournalRun& run,
                     const JournalRefused& refused) {
  // A run an undo could not finish is passed over for an older one, so
  // that what it left never holds the older runs back; once no other run
  // is left, the newest of those is tried again.
  std::optional<JournalRun> stuck;
  bool found = false;
  ForEachJournalOf(
      env, dir, folder,
      [&](JournalRun& r) {
        if (!r.Undoable()) return true;
        if (LeftByAnUndo(r)) {
          if (!stuck) stuck = std::move(r);
          return true;
        }
        run = std::move(r);
        found = true;
        return false;
      },
      refused);
  if (!found && stuck) {
    run = std::move(*stuck);
    found = true;
  }
  return found;
}

UndoReport UndoRun(const fs::Env& env, const JournalRun& run, const UndoCallbacks& cb, const std::atomic<int>* abort) {
  UndoReport report;
  FolderLock lock;
  auto refuse = [&](int err, const std::string& path) {
    report.refused = true;
    report.error = err;
    report.errorPath = path;
    return report;
  };
  if (const int e = lock.TryLock(env, run.folder); e != 0) return refuse(e, run.folder);
  const UniqueFd dir(env, env.Open(AT_FDCWD, run.folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
  const int dirFd = dir.get();
  if (dirFd < 0) return refuse(errno, run.folder);
  // A tree's other roots: each locked and opened as the first.
  std::vector<int> rootFds{dirFd};
  std::vector<FolderLock> locks;
  std::vector<UniqueFd> rootDirs;
  for (std::size_t i = 1; i < run.roots.size(); ++i) {
    locks.emplace_back();
    if (const int e = locks.back().TryLock(env, run.roots[i]); e != 0) return refuse(e, run.roots[i]);
    rootDirs.emplace_back(env, env.Open(AT_FDCWD, run.roots[i].c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (rootDirs.back().get() < 0) return refuse(errno, run.roots[i]);
    rootFds.push_back(rootDirs.back().get());
  }
  JournalWriter journal(env);
  if (const int e = journal.Reopen(run.path); e != 0) return refuse(e, run.path);
  if (const int e = journal.UndoBegin(); e != 0) return refuse(e, run.path);
  // Copies half-made by a move or an undo that was killed go first: in the
  // folder itself and in every folder the run moved files into, whether the
  // run made it or found it.
  for (const int fd : rootFds) RemoveStaleMoveTemps(env, fd);
  RemoveStaleTempsOfTargets(env, rootFds, run);
  // A record naming something outside the folder (or deeper than the run
  // goes) did not come from a run: it is named and never acted on.
  for (const Entry& e : run.entries)
    if (e.unsafe) report.left.push_back({e.to, e.from, UndoLeftReason::Refused, 0});

  const std::vector<const Entry*> order = UndoOrder(run);
  Undoer undoer(run, rootFds, journal, report);
  std::size_t announcedTo = 0;
  for (std::size_t k = 0; k < order.size(); ++k) {
    if (abort && abort->load(std::memory_order_relaxed) != 0) {
      report.aborted = true;
      break;
    }
    if (cb.progress) cb.progress(k + 1, order.size());
    // The files about to go back are announced a batch ahead, one write for
    // the batch; one that an undo killed took back is found back by its inode.
    if (k >= announcedTo) {
      for (announcedTo = k; announcedTo < order.size() && announcedTo < k + kBackAhead; ++announcedTo)
        if (order[announcedTo]->kind == Entry::Kind::Move) journal.BackBegin(order[announcedTo]->id);
      if (const int e = journal.Flush(); e != 0) {
        report.error = e;
        report.errorPath = run.path;
        break;
      }
    }
    if (!undoer.TakeBack(*order[k])) break;
  }
  if (const int e = journal.Close(); e != 0 && report.error == 0) {
    report.error = e;
    report.errorPath = run.path;
  }
  return report;
}

std::string RunTimeText(const JournalRun& run) {
  const time_t seconds = static_cast<time_t>(run.timeNs / 1000000000LL);
  struct tm local {};
  ::localtime_r(&seconds, &local);
  char buf[32];
  std::strftime(buf, sizeof buf, "%Y/%m/%d %H:%M:%S", &local);
  return buf;
}

}  // namespace pictray
