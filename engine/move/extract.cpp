#include "engine/move/extract.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <map>
#include <optional>
#include <set>
#include <string_view>
#include <unordered_map>

#include "engine/dupes/copy_sidecars.h"
#include "engine/dupes/file_keys.h"
#include "engine/dupes/kept_check.h"
#include "engine/fs/paths.h"
#include "engine/fs/safe_move.h"
#include "engine/journal/journal.h"
#include "engine/move/journalled_move.h"

namespace pictray::dupes {
namespace {

constexpr int kMaxFolderSuffix = 1000;

// The same inode holding the same data; the change time is left out, as a
// rename sets it.
bool SameInodeAndData(const FileIdentity& a, const FileIdentity& b) {
  return a.dev == b.dev && a.ino == b.ino && a.size == b.size && a.mtimeNs == b.mtimeNs;
}

// The identity of the plain file `name` (a link is not followed); false
// when it is gone or not a plain file.
bool StatRegular(const fs::Env& env, int dirfd, const std::string& name, FileIdentity& id) {
  struct stat st {};
  if (env.Fstatat(dirfd, name.c_str(), st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode)) return false;
  id = IdentityOf(st);
  return true;
}

// Both the copy `r` and its kept file are still the files grouping read and
// found byte-identical, so their bytes need no second reading.
bool StillAsGrouped(const fs::Env& env, int dirfd, const FileRec& r) {
  FileIdentity copy, kept;
  return StatRegular(env, dirfd, r.filename, copy) && copy == r.identity &&
         StatRegular(env, AT_FDCWD, r.keptPath, kept) && kept == r.keptIdentity;
}

// Where the copies of one root go, made as the first copy needs it.
struct Destination {
  std::string name;  // of the extraction folder; its final name once made
  std::uint32_t root = 0;
  bool made = false;
  std::set<std::string> surplusMade;  // surplus folders (and folders in them) made in it

  // Makes the extraction folder, the surplus folder `folda` and, in a tree,
  // the folders of `inside` (a copy's path relative to its root) in it
  // when missing. Returns 0 or an errno.
  int Prepare(MoveFrame& frame, const std::string& folda, const std::string& inside) {
    if (!made) {
      const MakeDirFn makeDir = [&frame, this](const std::string& rel) {
        return frame.MakeFolder(frame.nextEntry()++, rel, root);
      };
      if (const int e = MakeOwnFolder(frame.env(), frame.fd(root), name, name, makeDir); e != 0) return e;
      made = true;
    }
    // The folder is new, so an existing surplus folder is not ours.
    for (std::string rel = folda;;) {
      if (!surplusMade.count(rel)) {
        if (const int e = frame.MakeFolder(frame.nextEntry()++, name + "/" + rel, root); e != 0) return e;
        surplusMade.insert(rel);
      }
      const std::size_t slash = inside.find('/', rel.size() - folda.size());
      if (slash == std::string::npos) return 0;
      rel = folda + "/" + inside.substr(0, slash);
    }
  }
};

// Moves the verified copy `r` to `to` (relative to the source folder) if it
// is still the file that was listed, and records it as moved. The move is
// written to the journal before it is made and marked right after; a record
// that fails stops the frame. Why a copy stays goes into `out`.
SurplusOutcome::Kind MoveVerified(MoveFrame& frame, const FileRec& r, const std::string& to, MovedFile& moved,
                                  SurplusOutcome& out) {
  const fs::Env& env = frame.env();
  const int dirfd = frame.fd(r.root);
  JournalWriter& journal = frame.journal();
  struct stat before {};
  if (env.Fstatat(dirfd, r.filename.c_str(), before, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(before.st_mode) ||
      IdentityOf(before) != r.identity)
    return SurplusOutcome::Kind::Changed;
  const long entry = frame.nextEntry()++;
  journal.MoveBegin(entry, r.filename, to, IdentityOf(before), before.st_mode, r.root);
  if (const int e = journal.Flush(); e != 0) {
    frame.JournalFailed(e);
    out.reason = SurplusLeft::MoveFailed;
    out.err = e;
    return SurplusOutcome::Kind::Failed;
  }
  int e = RenameNoReplace(env, dirfd, r.filename, dirfd, to);
  // In a tree a subfolder may be another file system: the file is copied,
  // verified and then removed, as a move across file systems is.
  bool copied = false;
  if (e == EXDEV) {
    const MoveStatus s = MoveExaminedNoReplace(env, dirfd, r.filename, before, dirfd, to,
                                               {.replaceSame = false, .acrossDevices = true});
    if (s.outcome == MoveOutcome::SourceChanged || s.outcome == MoveOutcome::SourceMissing) {
      journal.Failed(entry, ESTALE);
      return SurplusOutcome::Kind::Changed;
    }
    e = s.ok() ? 0 : s.outcome == MoveOutcome::DifferentFileThere ? EEXIST : s.err != 0 ? s.err : EIO;
    copied = s.ok() && s.copied;
  }
  if (e != 0) {
    out.reason = SurplusLeft::MoveFailed;
    out.err = e;
    journal.Failed(entry, e);
    return SurplusOutcome::Kind::Failed;
  }
  struct stat after {};
  if (env.Fstatat(dirfd, to.c_str(), after, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(after.st_mode)) {
    moved.identity = IdentityOf(after);
    // A copy is a new inode with the same size and time.
    const bool asMoved = copied ? moved.identity.size == r.identity.size && moved.identity.mtimeNs == r.identity.mtimeNs
                                : SameInodeAndData(moved.identity, r.identity);
    if (asMoved) {
      journal.Done(entry, IdentityOf(after));
      return SurplusOutcome::Kind::Moved;
    }
  }
  // Another file took the name between the look and the rename: it goes back.
  if (const int e = RenameNoReplace(env, dirfd, to, dirfd, r.filename); e != 0) {
    out.reason = SurplusLeft::InExtractionFolder;
    out.err = e;
  } else {
    journal.Failed(entry, EEXIST);
  }
  return SurplusOutcome::Kind::Changed;
}

void Tally(ExtractResult& res, SurplusOutcome::Kind kind, std::int64_t size = 0) {
  switch (kind) {
    case SurplusOutcome::Kind::Moved:
      ++res.movedCount;
      res.movedBytes += static_cast<std::uint64_t>(std::max<std::int64_t>(size, 0));
      break;
    case SurplusOutcome::Kind::Failed: ++res.failed; break;
    case SurplusOutcome::Kind::Differs: ++res.differs; break;
    case SurplusOutcome::Kind::Changed: ++res.changed; break;
  }
}

// A copy of the same picture is moved while both files are as grouped and,
// measured again from their bytes, still the same picture; a byte-identical
// copy while it still holds its kept file's bytes, read again right before
// the move.
Check CheckBeforeMove(const fs::Env& env, int dirfd, const FileRec& r, const ExtractCallbacks& cb) {
  if (!r.similarCopy) return CheckAgainstKept(env, dirfd, r.filename, r.identity, r.keptPath);
  if (!StillAsGrouped(env, dirfd, r)) return Check::Changed;
  return cb.samePicture && cb.samePicture(r.keptPath, r.path) ? Check::Verified : Check::Differs;
}

// What CheckBeforeMove would answer, where a dry run may rely on grouping's
// comparison while neither file has changed; `keptNow` is the kept file as
// it is (nothing when it is gone or no plain file), and the copy is looked
// at unless `copyAsListed` (grouping has just found it so).
Check CheckInDryRun(const fs::Env& env, int dirfd, const FileRec& r, bool copyAsListed,
                    const std::optional<FileIdentity>& keptNow) {
  FileIdentity copy;
  if (!copyAsListed) copyAsListed = StatRegular(env, dirfd, r.filename, copy) && copy == r.identity;
  if (copyAsListed && keptNow == r.keptIdentity) return Check::Verified;
  return r.similarCopy ? Check::Changed : CheckAgainstKept(env, dirfd, r.filename, r.identity, r.keptPath);
}

// The extraction's steps in the frame: each verified surplus copy into its
// surplus folder, its sidecars after it.
class CopyMoves final : public MoveSteps {
 public:
  CopyMoves(const std::vector<FileRec>& lpData, const std::vector<std::string>& roots, const TimeStamp& now,
            bool dryRun, const LookedAsListed* looked, const ExtractCallbacks& cb, AbortFlag abort, ExtractResult& res)
      : lpData_(lpData), roots_(roots), dryRun_(dryRun), cb_(cb), abort_(abort), res_(res),
        sidecars_(SidecarsOfCopies(lpData)),
        looked_(looked && looked->size() == lpData.size() ? looked : nullptr) {
    dests_.resize(roots.size());
    for (std::size_t i = 0; i < roots.size(); ++i) {
      dests_[i].name = SameFolderName(now);
      dests_[i].root = static_cast<std::uint32_t>(i);
    }
    for (std::size_t i = 0; i < lpData.size(); ++i)
      if (lpData[i].folda != "---" && !lpData[i].keptPath.empty() && lpData[i].root < roots.size())
        surplusRows_.push_back(i);
  }

  void Begin(MoveFrame& frame) override;
  std::size_t Count() const override { return surplusRows_.size(); }
  bool Aborted() const override { return dupes::Aborted(abort_); }
  bool Take(std::size_t k, MoveFrame& frame) override;
  void Stopped(std::size_t at, MoveStop why, MoveFrame& frame) override;
  // The extraction folder of root `root`, once made and still there.
  const std::string& FolderName(std::size_t root = 0) const { return dests_[root].name; }
  bool FolderMade(std::size_t root = 0) const { return dests_[root].made; }

 private:
  int MoveSidecars(const std::vector<std::size_t>& rows, const FileRec& copy, MoveFrame& frame);

  const std::vector<FileRec>& lpData_;
  const std::vector<std::string>& roots_;
  const bool dryRun_;
  const ExtractCallbacks& cb_;
  const AbortFlag abort_;
  ExtractResult& res_;
  const std::unordered_map<std::size_t, std::vector<std::size_t>> sidecars_;
  // Grouping's looks, when the dry run follows it at once.
  const LookedAsListed* const looked_;
  std::vector<std::size_t> surplusRows_;
  // A dry run's checks, made together before the first copy is told.
  std::vector<Check> dryChecks_;
  // The result line of each surplus folder, by its root and name.
  std::map<std::pair<std::uint32_t, std::string>, std::size_t> lineOf_;
  std::vector<Destination> dests_;  // by root
};

// A dry run moves nothing, so its checks (looks, no reading while both
// files are as grouped) need not wait for the copy before: other threads
// share them, and each kept file is looked at once however many copies it
// has; a file grouping has just found as listed not at all. On a folder of
// many copies they are most of a dry run's time.
void CopyMoves::Begin(MoveFrame& frame) {
  if (!dryRun_) return;
  std::unordered_map<std::string_view, std::size_t> keptIndex;
  std::vector<const std::string*> keptPaths;
  std::vector<std::size_t> keptOf(surplusRows_.size());
  for (std::size_t k = 0; k < surplusRows_.size(); ++k) {
    const std::string& kept = lpData_[surplusRows_[k]].keptPath;
    const auto [at, added] = keptIndex.emplace(kept, keptPaths.size());
    if (added) keptPaths.push_back(&kept);
    keptOf[k] = at->second;
  }
  std::vector<std::optional<FileIdentity>> keptNow(keptPaths.size());
  std::vector<char> keptLooked(keptPaths.size(), 0);
  if (looked_)
    for (std::size_t row = 0; row < lpData_.size(); ++row) {
      const auto kept = (*looked_)[row] ? keptIndex.find(lpData_[row].path) : keptIndex.end();
      if (kept == keptIndex.end()) continue;
      keptNow[kept->second] = lpData_[row].identity;
      keptLooked[kept->second] = 1;
    }
  std::vector<std::size_t> toLook;
  for (std::size_t i = 0; i < keptPaths.size(); ++i)
    if (!keptLooked[i]) toLook.push_back(i);
  ShareWork(toLook.size(), ThreadsFor(toLook.size()), abort_, [&](std::size_t j, unsigned) {
    FileIdentity id;
    if (StatRegular(frame.env(), AT_FDCWD, *keptPaths[toLook[j]], id)) keptNow[toLook[j]] = id;
  });
  dryChecks_.assign(surplusRows_.size(), Check::Changed);
  // Threads for the copies still to be looked at: the others cost no call.
  const auto unlooked = std::count_if(surplusRows_.begin(), surplusRows_.end(),
                                      [&](std::size_t row) { return !(looked_ && (*looked_)[row]); });
  ShareWork(surplusRows_.size(), ThreadsFor(static_cast<std::size_t>(unlooked)), abort_, [&](std::size_t k, unsigned) {
    const std::size_t row = surplusRows_[k];
    dryChecks_[k] = CheckInDryRun(frame.env(), frame.fd(lpData_[row].root), lpData_[row], looked_ && (*looked_)[row],
                                  keptNow[keptOf[k]]);
  });
}

// Moves the sidecars `rows` of the copy `copy`, which has just gone (or, in a
// dry run, would go) into its surplus folder, after it; returns how many went.
int CopyMoves::MoveSidecars(const std::vector<std::size_t>& rows, const FileRec& copy, MoveFrame& frame) {
  int moved = 0;
  for (std::size_t row : rows) {
    const FileRec& s = lpData_[row];
    // A sidecar goes with its picture, within its root; a reference file never.
    if (s.root != copy.root || s.reference) continue;
    Destination& dest = dests_[copy.root];
    const std::string to = dest.name + "/" + copy.folda + "/" + s.filename;
    SurplusOutcome out{SurplusOutcome::Kind::Moved, s.path, JoinPath(roots_[copy.root], to), copy.path};
    out.sidecar = true;
    FileIdentity now;
    if (dryRun_) {
      if (!StatRegular(frame.env(), frame.fd(s.root), s.filename, now) || now != s.identity)
        out.kind = SurplusOutcome::Kind::Changed;
    } else if (frame.journalError() != 0) {
      out.kind = SurplusOutcome::Kind::Failed;
      out.reason = SurplusLeft::JournalStopped;
      out.err = frame.journalError();
    } else if (const int e = dest.Prepare(frame, copy.folda, s.filename); e != 0) {
      out.kind = SurplusOutcome::Kind::Failed;
      out.reason = SurplusLeft::MoveFailed;
      out.err = e;
    } else {
      MovedFile m{out.to, copy.path, {}, MovedFile::Kind::Sidecar, {}};
      out.kind = MoveVerified(frame, s, to, m, out);
      if (out.kind == SurplusOutcome::Kind::Moved) {
        res_.moved.push_back(m);
        frame.Arrived(to.substr(0, to.rfind('/')), s.root);
      }
    }
    Tally(res_, out.kind, s.identity.size);
    moved += out.kind == SurplusOutcome::Kind::Moved;
    res_.outcomes.push_back(std::move(out));
  }
  return moved;
}

bool CopyMoves::Take(std::size_t k, MoveFrame& frame) {
  // Reading each copy and its kept file whole is the long part: the progress
  // follows the copies.
  if (cb_.progress) cb_.progress(static_cast<int>((k * 100 + 100) / surplusRows_.size()));
  if (cb_.count) cb_.count(k, surplusRows_.size());
  const FileRec& r = lpData_[surplusRows_[k]];
  const auto known = lineOf_.find({r.root, r.folda});
  const std::size_t line = known == lineOf_.end() ? res_.lines.size() : known->second;
  SurplusOutcome out{SurplusOutcome::Kind::Moved, r.path, "", r.keptPath};
  Destination& dest = dests_[r.root];
  const std::string& rootFolder = roots_[r.root];

  // A protected library's file is never moved, whatever the marks say.
  const Check check = r.reference ? Check::Changed
                      : dryRun_   ? dryChecks_[k]
                                  : CheckBeforeMove(frame.env(), frame.fd(r.root), r, cb_);
  if (r.reference) {
    out.kind = SurplusOutcome::Kind::Failed;
    out.reason = SurplusLeft::Reference;
  } else if (check != Check::Verified) {
    out.kind = check == Check::Changed ? SurplusOutcome::Kind::Changed : SurplusOutcome::Kind::Differs;
  } else if (!dryRun_) {
    const int e = dest.Prepare(frame, r.folda, r.filename);
    MovedFile moved{"", r.keptPath, {}, r.similarCopy ? MovedFile::Kind::SimilarCopy : MovedFile::Kind::Copy,
                    r.keptIdentity};
    const std::string to = dest.name + "/" + r.folda + "/" + r.filename;
    if (e != 0) {
      out.kind = SurplusOutcome::Kind::Failed;
      out.reason = SurplusLeft::MoveFailed;
      out.err = e;
    } else {
      out.kind = MoveVerified(frame, r, to, moved, out);
    }
    moved.to = JoinPath(rootFolder, to);
    if (out.kind == SurplusOutcome::Kind::Moved) {
      res_.moved.push_back(moved);
      // The folders it arrived in stay.
      frame.Arrived(to.substr(0, to.rfind('/')), r.root);
    }
  }
  out.to = JoinPath(rootFolder, dest.name + "/" + r.folda + "/" + r.filename);
  Tally(res_, out.kind, r.identity.size);
  res_.outcomes.push_back(out);
  if (out.kind != SurplusOutcome::Kind::Moved) return true;
  int movedHere = 1;
  if (const auto it = sidecars_.find(surplusRows_[k]); it != sidecars_.end())
    movedHere += MoveSidecars(it->second, r, frame);
  if (line < res_.lines.size()) {
    res_.lines[line].count += movedHere;
  } else {
    lineOf_.emplace(std::make_pair(r.root, r.folda), line);
    res_.lines.push_back({r.folda, movedHere, r.filename, JoinPath(rootFolder, dest.name + "/" + r.folda), "new"});
  }
  if (cb_.resultLine) cb_.resultLine(line, res_.lines[line]);
  return true;
}

void CopyMoves::Stopped(std::size_t at, MoveStop why, MoveFrame& frame) {
  // Every copy not taken up is named: none moves without its record.
  if (why == MoveStop::Journal)
    for (std::size_t k = at; k < surplusRows_.size(); ++k) {
      const FileRec& r = lpData_[surplusRows_[k]];
      res_.outcomes.push_back({SurplusOutcome::Kind::Failed, r.path, "", r.keptPath, SurplusLeft::JournalStopped,
                               frame.journalError()});
      Tally(res_, SurplusOutcome::Kind::Failed);
    }
  if (cb_.progress && surplusRows_.empty()) cb_.progress(100);
}

}  // namespace

std::string SameFolderName(const TimeStamp& t) { return "same" + t.Text(); }

Message SurplusLeftMessage(const SurplusOutcome& o) {
  switch (o.reason) {
    case SurplusLeft::JournalStopped: return Message{Said::ExtractLeftJournalStopped, {}, {}, o.err};
    case SurplusLeft::InExtractionFolder: return Message{Said::ExtractLeftInExtractionFolder, {}, {}, o.err};
    case SurplusLeft::Reference: return Message{Said::ExtractLeftReference};
    default: return Message{Said::ExtractLeftMoveFailed, {}, {}, o.err};
  }
}

int MakeOwnFolder(const fs::Env& env, int dirfd, const std::string& name, std::string& made, const MakeDirFn& makeDir) {
  const std::string base = name;
  for (int n = 1; n <= kMaxFolderSuffix; ++n) {
    const std::string candidate = n == 1 ? base : base + "_" + std::to_string(n);
    const int e = makeDir ? makeDir(candidate) : env.Mkdirat(dirfd, candidate.c_str(), 0777) == 0 ? 0 : errno;
    if (e == 0) {
      made = candidate;
      return 0;
    }
    if (e != EEXIST) return e;
  }
  return EEXIST;
}

ExtractResult MakeFoldaAndMove(const fs::Env& env, const std::vector<FileRec>& lpData, const std::string& folder,
                               const std::string& journalDir, const TimeStamp& now, bool dryRun,
                               const ExtractCallbacks& cb, AbortFlag abort, const LookedAsListed* looked,
                               const std::vector<std::string>& treeRoots) {
  ExtractResult res;
  const bool tree = !treeRoots.empty();
  const std::vector<std::string> roots = tree ? treeRoots : std::vector<std::string>{folder};
  CopyMoves moves(lpData, roots, now, dryRun, looked, cb, abort, res);
  const MoveEnd end = RunJournalledMove(env,
                                        {.folder = roots[0],
                                         .journalDir = journalDir,
                                         .moreFolders = {roots.begin() + 1, roots.end()},
                                         .kind = tree ? JournalRunKind::ExtractTree : JournalRunKind::Extract,
                                         .dryRun = dryRun},
                                        moves);
  res.lockError = end.refusal;
  res.aborted = end.aborted;
  res.journalError = end.journalError;
  res.journalPath = end.journalPath;
  // A folder that kept something (a copy that could not go back) stays named.
  if (moves.FolderMade() && std::find(end.foldersKept.begin(), end.foldersKept.end(), moves.FolderName()) !=
                                end.foldersKept.end())
    res.samedir = JoinPath(roots[0], moves.FolderName()) + "/";
  for (std::size_t i = 0; i < roots.size(); ++i) {
    const std::vector<std::string>& kept = i == 0 ? end.foldersKept
                                           : i - 1 < end.foldersKeptOf.size() ? end.foldersKeptOf[i - 1]
                                                                             : std::vector<std::string>{};
    if (moves.FolderMade(i) && std::find(kept.begin(), kept.end(), moves.FolderName(i)) != kept.end())
      res.samedirs.push_back(JoinPath(roots[i], moves.FolderName(i)) + "/");
  }
  return res;
}

}  // namespace pictray::dupes
