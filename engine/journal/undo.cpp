#include "engine/journal/undo.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>

#include "engine/fs/folder_lock.h"
#include "engine/fs/paths.h"
#include "engine/fs/safe_move.h"
#include "engine/fs/unique_fd.h"

namespace pictray {
namespace {

using Entry = JournalEntry;

bool StampAt(int dirFd, const std::string& rel, FileStamp& s, struct stat* st = nullptr) {
  struct stat look {};
  if (::fstatat(dirFd, rel.c_str(), &look, AT_SYMLINK_NOFOLLOW) != 0) return false;
  s = StampOf(look);
  if (st) *st = look;
  return true;
}

// Still the file the run left: its inode and data, and no change since the
// move (the journal keeps the move's change time, or a bound on it).
bool AsLeft(const FileStamp& there, const FileStamp& after) {
  return there.dev == after.dev && there.ino == after.ino && there.size == after.size &&
         there.mtimeNs == after.mtimeNs && there.ctimeNs <= after.ctimeNs;
}

// The same inode with the same data; a rename changes only the change time.
bool SameInodeAndData(const FileStamp& a, const FileStamp& b) {
  return a.dev == b.dev && a.ino == b.ino && a.size == b.size && a.mtimeNs == b.mtimeNs;
}

// What the undo does with one moved file, judged from the disk.
enum class Found { AtDestination, AlreadyBack, Left };

Found Judge(int dirFd, const Entry& e, struct stat& look, UndoLeftReason& reason) {
  const bool done = e.state == Entry::State::Done;
  FileStamp there;
  if (StampAt(dirFd, e.to, there, &look)) {
    // A finished move is judged on everything, the change time included; a
    // move cut off by a kill has no stamp after it, so the inode decides.
    if (done ? AsLeft(there, e.after) : SameInodeAndData(there, e.before)) return Found::AtDestination;
    FileStamp origin;
    if (!done && StampAt(dirFd, e.from, origin) && origin == e.before) {
      // Killed after a copy across file systems was in place but before the
      // original went: both are there, and neither is ours to remove.
      reason = UndoLeftReason::NotSure;
      return Found::Left;
    }
    reason = UndoLeftReason::Changed;
    return Found::Left;
  }
  FileStamp origin;
  const FileStamp& moved = done ? e.after : e.before;
  if (StampAt(dirFd, e.from, origin)) {
    // Taken back by an undo that was killed before it said so, or never
    // moved by a run killed before the move.
    if (SameInodeAndData(origin, moved) || SameInodeAndData(origin, e.before)) return Found::AlreadyBack;
    // Taken back across file systems: a new inode with the same data and time.
    if (e.undo == Entry::Undo::Pending && origin.size == moved.size && origin.mtimeNs == moved.mtimeNs)
      return Found::AlreadyBack;
  }
  reason = UndoLeftReason::Missing;
  return Found::Left;
}

// Gives the byte-identical file that the move replaced its name back: a
// copy of the file that went back, with its mode and times.
int RestoreReplaced(const std::string& folder, const Entry& e) {
  const std::string from = JoinPath(folder, e.from), to = JoinPath(folder, e.to);
  if (const int err = CopyToNewFile(from, to); err != 0) return err;
  struct stat st {};
  if (::stat(from.c_str(), &st) != 0) return errno;
  const struct timespec times[2] = {st.st_atim, st.st_mtim};
  if (::chmod(to.c_str(), st.st_mode & 07777) != 0 || ::utimensat(AT_FDCWD, to.c_str(), times, 0) != 0)
    return errno;
  return 0;
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
  Undoer(const JournalRun& run, int dirFd, JournalWriter& journal, UndoReport& report)
      : run_(run), dirFd_(dirFd), journal_(journal), report_(report) {}

  // False when the journal cannot be written: nothing more may move.
  bool TakeBack(const Entry& e) {
    return e.kind == Entry::Kind::Move ? TakeBackFile(e) : RemoveFolder(e);
  }

 private:
  bool Leave(const Entry& e, UndoLeftReason reason, int err) {
    const bool folder = e.kind == Entry::Kind::Folder;
    report_.left.push_back({JoinPath(run_.folder, e.to), folder ? "" : JoinPath(run_.folder, e.from), reason, err});
    return Record(journal_.Left(e.id, static_cast<int>(reason)));
  }

  bool Record(int err) {
    if (err != 0 && report_.error == 0) {
      report_.error = err;
      report_.errorPath = journal_.path();
    }
    return err == 0;
  }

  bool TakeBackFile(const Entry& e) {
    UndoLeftReason reason = UndoLeftReason::Failed;
    struct stat look {};
    switch (Judge(dirFd_, e, look, reason)) {
      case Found::AlreadyBack: return Record(journal_.Back(e.id));
      case Found::Left: return Leave(e, reason, 0);
      case Found::AtDestination: break;
    }
    const MoveStatus s =
        MoveExaminedNoReplace(dirFd_, e.to, look, dirFd_, e.from, {.replaceSame = false, .acrossDevices = true});
    if (!s.ok()) return Leave(e, ReasonOf(s.outcome), s.err);
    ++report_.back;
    if (e.replaced) {
      if (const int err = RestoreReplaced(run_.folder, e); err != 0)
        report_.left.push_back({JoinPath(run_.folder, e.to), JoinPath(run_.folder, e.from),
                                UndoLeftReason::Failed, err});
    }
    return Record(journal_.Back(e.id));
  }

  bool RemoveFolder(const Entry& e) {
    FileStamp now;
    if (!StampAt(dirFd_, e.to, now)) return Record(journal_.Back(e.id));  // gone already
    // Hidden copies left by a move killed in the middle are ours.
    if (const int inner = ::openat(dirFd_, e.to.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        inner >= 0) {
      RemoveStaleMoveTemps(inner);
      ::close(inner);
    }
    // Only the very folder the run made; a pending one (the run was killed
    // right at it) goes only while empty, as any removal here.
    if (e.state == Entry::State::Done && (now.dev != e.after.dev || now.ino != e.after.ino))
      return Leave(e, UndoLeftReason::Changed, 0);
    if (::unlinkat(dirFd_, e.to.c_str(), AT_REMOVEDIR) != 0) {
      const int err = errno;
      const bool notEmpty = err == ENOTEMPTY || err == EEXIST;
      return Leave(e, notEmpty ? UndoLeftReason::FolderNotEmpty : UndoLeftReason::Failed, notEmpty ? 0 : err);
    }
    ++report_.foldersRemoved;
    return Record(journal_.Back(e.id));
  }

  const JournalRun& run_;
  int dirFd_;
  JournalWriter& journal_;
  UndoReport& report_;
};

constexpr std::size_t kBackAhead = 256;

bool Settled(const Entry& e) {
  return e.state == Entry::State::Failed || e.undo == Entry::Undo::Back || e.undo == Entry::Undo::Left;
}

}  // namespace

bool LastUndoableRun(const std::string& dir, const std::string& folder, JournalRun& run) {
  bool found = false;
  ForEachJournalOf(dir, folder, [&](JournalRun& r) {
    if (!r.Undoable()) return true;
    run = std::move(r);
    found = true;
    return false;
  });
  return found;
}

UndoReport UndoRun(const JournalRun& run, const UndoCallbacks& cb, const std::atomic<int>* abort) {
  UndoReport report;
  FolderLock lock;
  auto refuse = [&](int err, const std::string& path) {
    report.refused = true;
    report.error = err;
    report.errorPath = path;
    return report;
  };
  if (const int e = lock.TryLock(run.folder); e != 0) return refuse(e, run.folder);
  const int dirFd = ::open(run.folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
  if (dirFd < 0) return refuse(errno, run.folder);
  UniqueFd dir(dirFd);
  JournalWriter journal;
  if (const int e = journal.Reopen(run.path); e != 0) return refuse(e, run.path);
  if (const int e = journal.UndoBegin(); e != 0) return refuse(e, run.path);

  // Newest first, the files before the folders (a folder's record may come
  // after the records of files moved into it), and an inner folder before
  // the one that holds it.
  std::vector<const Entry*> order;
  for (const Entry::Kind kind : {Entry::Kind::Move, Entry::Kind::Folder})
    for (auto it = run.entries.rbegin(); it != run.entries.rend(); ++it)
      if (it->kind == kind && !Settled(*it)) order.push_back(&*it);

  Undoer undoer(run, dirFd, journal, report);
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

std::string UndoReasonText(UndoLeftReason reason) {
  switch (reason) {
    case UndoLeftReason::NameTaken: return "元の名前が別のファイルで使われている";
    case UndoLeftReason::Changed: return "移動のあとで変更された";
    case UndoLeftReason::Missing: return "移動先に見つからない";
    case UndoLeftReason::NotSure: return "移動の途中で止まったため、移動元と移動先の両方にある";
    case UndoLeftReason::FolderNotEmpty: return "フォルダに他のファイルがある";
    case UndoLeftReason::Failed: return "戻せない";
  }
  return "";
}

std::string UndoLeftText(const UndoLeft& left) {
  std::string text = left.path;
  if (!left.origin.empty()) text += " -> " + left.origin;
  text += ": " + UndoReasonText(left.reason);
  if (left.err != 0) text += std::string(" (") + std::strerror(left.err) + ")";
  return text;
}

std::string UndoEndMessage(const UndoReport& report) {
  if (report.refused && report.error == EWOULDBLOCK) return kFolderBusy;
  if (report.refused)
    return "移動を元に戻せません: " + report.errorPath + " (" + std::strerror(report.error) + ")";
  std::string text = "元に戻しました: " + std::to_string(report.back) + "件";
  if (report.aborted) text += "（中止しました）";
  if (report.error != 0)
    text += "\n記録を書けないため止めました: " + report.errorPath + " (" + std::strerror(report.error) + ")";
  if (report.left.empty()) return text;
  text += "\n" + std::to_string(report.left.size()) + "件は戻さずに残しました:";
  for (const UndoLeft& l : report.left) text += "\n" + UndoLeftText(l);
  return text;
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
