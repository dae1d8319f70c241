#include "engine/move/extract.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <set>

#include "engine/dupes/copy_sidecars.h"
#include "engine/dupes/kept_check.h"
#include "engine/fs/folder_lock.h"
#include "engine/fs/paths.h"
#include "engine/fs/safe_move.h"
#include "engine/fs/unique_fd.h"
#include "engine/journal/journal.h"

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

std::size_t FindLine(const std::vector<SameResultLine>& lines, const std::string& folda) {
  for (std::size_t i = 0; i < lines.size(); ++i)
    if (lines[i].folda == folda) return i;
  return lines.size();
}

// Both the copy `r` and its kept file are still the files grouping read and
// found byte-identical, so their bytes need no second reading.
bool StillAsGrouped(const fs::Env& env, int dirfd, const FileRec& r) {
  FileIdentity copy, kept;
  return StatRegular(env, dirfd, r.filename, copy) && copy == r.identity &&
         StatRegular(env, AT_FDCWD, r.keptPath, kept) && kept == r.keptIdentity;
}

// Where the copies of one extraction go, made as the first copy needs it.
struct Destination {
  int dirfd = -1;      // the source folder
  std::string name;    // of the extraction folder; its final name once made
  JournalWriter* journal = nullptr;
  long nextEntry = 0;
  int journalError = 0;
  bool made = false;
  std::set<std::string> surplusMade;  // surplus folders made in it

  // A folder made between its journal records.
  int MakeDir(const std::string& rel) {
    const int e = MakeFolderJournalled(*journal, nextEntry++, dirfd, rel, journalError);
    return journalError != 0 ? journalError : e;
  }

  // Makes the extraction folder and the surplus folder `folda` when missing.
  // Returns 0 or an errno.
  int Prepare(const std::string& folda) {
    if (!made) {
      const MakeDirFn makeDir = [this](const std::string& rel) { return MakeDir(rel); };
      if (const int e = MakeOwnFolder(journal->env(), dirfd, name, name, makeDir); e != 0) return e;
      made = true;
    }
    if (surplusMade.count(folda)) return 0;
    // The folder is new, so an existing surplus folder is not ours.
    if (const int e = MakeDir(name + "/" + folda); e != 0) return e;
    surplusMade.insert(folda);
    return 0;
  }
};

// Moves the verified copy `r` to `to` (relative to the source folder) if it
// is still the file that was listed, and records it as moved.
// The move is written to the journal (entry `entry`) before it is made and
// marked right after; `journalError` tells that a record failed.
SurplusOutcome::Kind MoveVerified(const fs::Env& env, int dirfd, const FileRec& r, const std::string& to, MovedFile& moved,
                                  std::string& reason, JournalWriter& journal, long entry, int& journalError) {
  struct stat before {};
  if (env.Fstatat(dirfd, r.filename.c_str(), before, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(before.st_mode) ||
      IdentityOf(before) != r.identity)
    return SurplusOutcome::Kind::Changed;
  journal.MoveBegin(entry, r.filename, to, IdentityOf(before), before.st_mode);
  if ((journalError = journal.Flush()) != 0) {
    reason = std::strerror(journalError);
    return SurplusOutcome::Kind::Failed;
  }
  if (const int e = RenameNoReplace(env, dirfd, r.filename, dirfd, to); e != 0) {
    reason = std::strerror(e);
    journal.Failed(entry, e);
    return SurplusOutcome::Kind::Failed;
  }
  struct stat after {};
  if (env.Fstatat(dirfd, to.c_str(), after, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(after.st_mode)) {
    moved.identity = IdentityOf(after);
    if (SameInodeAndData(moved.identity, r.identity)) {
      journal.Done(entry, IdentityOf(after));
      return SurplusOutcome::Kind::Moved;
    }
  }
  // Another file took the name between the look and the rename: it goes back.
  if (const int e = RenameNoReplace(env, dirfd, to, dirfd, r.filename); e != 0) {
    reason = std::string("left in the extraction folder: ") + std::strerror(e);
  } else {
    journal.Failed(entry, EEXIST);
  }
  return SurplusOutcome::Kind::Changed;
}

void Count(ExtractResult& res, SurplusOutcome::Kind kind) {
  switch (kind) {
    case SurplusOutcome::Kind::Moved: ++res.movedCount; break;
    case SurplusOutcome::Kind::Failed: ++res.failed; break;
    case SurplusOutcome::Kind::Differs: ++res.differs; break;
    case SurplusOutcome::Kind::Changed: ++res.changed; break;
  }
}

// A copy of the same picture is moved while both files are as grouped; a
// byte-identical copy while it still holds its kept file's bytes (a dry
// run may rely on grouping's comparison while neither file has changed; a
// move reads both again right before it).
Check CheckBeforeMove(const fs::Env& env, int dirfd, const FileRec& r, bool dryRun) {
  if (r.similarCopy) return StillAsGrouped(env, dirfd, r) ? Check::Verified : Check::Changed;
  if (dryRun && StillAsGrouped(env, dirfd, r)) return Check::Verified;
  return CheckAgainstKept(env, dirfd, r.filename, r.identity, r.keptPath);
}

// Moves the sidecars `rows` of the copy `copy`, which has just gone (or, in a
// dry run, would go) into its surplus folder, after it; returns how many went.
int MoveSidecars(const fs::Env& env, const std::vector<FileRec>& lpData, const std::vector<std::size_t>& rows,
                 const FileRec& copy, const std::string& folder, Destination& dest, JournalWriter& journal, bool dryRun,
                 ExtractResult& res) {
  int moved = 0;
  for (std::size_t row : rows) {
    const FileRec& s = lpData[row];
    const std::string to = dest.name + "/" + copy.folda + "/" + s.filename;
    SurplusOutcome out{SurplusOutcome::Kind::Moved, s.path, JoinPath(folder, to), copy.path, "", true};
    FileIdentity now;
    if (dryRun) {
      if (!StatRegular(env, dest.dirfd, s.filename, now) || now != s.identity) out.kind = SurplusOutcome::Kind::Changed;
    } else if (dest.journalError != 0) {
      out.kind = SurplusOutcome::Kind::Failed;
      out.reason = std::string("the journal cannot be written: ") + std::strerror(dest.journalError);
    } else {
      MovedFile m{out.to, copy.path, {}, MovedFile::Kind::Sidecar, {}};
      out.kind = MoveVerified(env, dest.dirfd, s, to, m, out.reason, journal, dest.nextEntry++, dest.journalError);
      if (out.kind == SurplusOutcome::Kind::Moved) res.moved.push_back(m);
    }
    Count(res, out.kind);
    moved += out.kind == SurplusOutcome::Kind::Moved;
    res.outcomes.push_back(std::move(out));
  }
  return moved;
}

}  // namespace

std::string SameFolderName(const TimeStamp& t) { return "same" + t.Text(); }

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
                               const ExtractCallbacks& cb, AbortFlag abort) {
  ExtractResult res;
  FolderLock lock;
  if (!dryRun && (res.lockError = lock.TryLock(env, folder)) != 0) return res;
  const UniqueFd dirfd(env, env.Open(AT_FDCWD, folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dirfd.get() < 0) {
    res.lockError = errno;
    return res;
  }
  JournalWriter journal(env);
  if (!dryRun && (res.journalError = journal.Create(journalDir, JournalRunKind::Extract, folder)) != 0) {
    res.journalPath = journalDir;
    return res;
  }
  // Copies half-made here by an undo that was killed.
  if (!dryRun) RemoveStaleMoveTemps(env, dirfd.get());
  Destination dest{dirfd.get(), SameFolderName(now), &journal, 0, 0, false, {}};

  std::vector<std::size_t> surplusRows;
  for (std::size_t i = 0; i < lpData.size(); ++i)
    if (lpData[i].folda != "---" && !lpData[i].keptPath.empty()) surplusRows.push_back(i);
  const auto sidecars = SidecarsOfCopies(lpData);

  // Reading each copy and its kept file whole is the long part: the progress
  // follows the copies.
  for (std::size_t k = 0; k < surplusRows.size(); ++k) {
    if (Aborted(abort)) {
      res.aborted = true;
      break;
    }
    if (dest.journalError != 0) {
      res.journalError = dest.journalError;
      res.journalPath = journal.path();
      // Every copy not taken up is named: none moves without its record.
      for (; k < surplusRows.size(); ++k) {
        const FileRec& r = lpData[surplusRows[k]];
        res.outcomes.push_back({SurplusOutcome::Kind::Failed, r.path, "", r.keptPath,
                                std::string("the journal cannot be written: ") + std::strerror(res.journalError)});
        Count(res, SurplusOutcome::Kind::Failed);
      }
      break;
    }
    if (cb.progress) cb.progress(static_cast<int>((k * 100 + 100) / surplusRows.size()));
    const FileRec& r = lpData[surplusRows[k]];
    const std::size_t line = FindLine(res.lines, r.folda);
    SurplusOutcome out{SurplusOutcome::Kind::Moved, r.path, "", r.keptPath, ""};

    const Check check = CheckBeforeMove(env, dirfd.get(), r, dryRun);
    if (check != Check::Verified) {
      out.kind = check == Check::Changed ? SurplusOutcome::Kind::Changed : SurplusOutcome::Kind::Differs;
    } else if (!dryRun) {
      const int e = dest.Prepare(r.folda);
      MovedFile moved{"", r.keptPath, {}, r.similarCopy ? MovedFile::Kind::SimilarCopy : MovedFile::Kind::Copy,
                      r.keptIdentity};
      const std::string to = dest.name + "/" + r.folda + "/" + r.filename;
      if (e != 0) {
        out.kind = SurplusOutcome::Kind::Failed;
        out.reason = std::strerror(e);
      } else {
        out.kind = MoveVerified(env, dirfd.get(), r, to, moved, out.reason, journal, dest.nextEntry++,
                                dest.journalError);
      }
      moved.to = JoinPath(folder, to);
      if (out.kind == SurplusOutcome::Kind::Moved) res.moved.push_back(moved);
    }
    out.to = JoinPath(folder, dest.name + "/" + r.folda + "/" + r.filename);
    Count(res, out.kind);
    res.outcomes.push_back(out);
    if (out.kind != SurplusOutcome::Kind::Moved) continue;
    int movedHere = 1;
    if (const auto it = sidecars.find(surplusRows[k]); it != sidecars.end())
      movedHere += MoveSidecars(env, lpData, it->second, r, folder, dest, journal, dryRun, res);
    if (line < res.lines.size()) {
      res.lines[line].count += movedHere;
    } else {
      res.lines.push_back({r.folda, movedHere, r.filename, JoinPath(folder, dest.name + "/" + r.folda), "new"});
    }
    if (cb.resultLine) cb.resultLine(line, res.lines[line]);
  }

  if (cb.progress && surplusRows.empty()) cb.progress(100);

  // Folders made for moves that all failed are empty: take them away again.
  for (const std::string& folda : dest.surplusMade)
    if (FindLine(res.lines, folda) == res.lines.size())
      env.Unlinkat(dirfd.get(), (dest.name + "/" + folda).c_str(), AT_REMOVEDIR);
  // A folder that kept something (a copy that could not go back) stays named.
  if (dest.made && (res.movedCount > 0 || env.Unlinkat(dirfd.get(), dest.name.c_str(), AT_REMOVEDIR) != 0))
    res.samedir = JoinPath(folder, dest.name) + "/";
  if (dest.journalError != 0 && res.journalError == 0) {
    res.journalError = dest.journalError;
    res.journalPath = journal.path();
  }
  if (const int e = journal.Close(); e != 0 && res.journalError == 0) {
    res.journalError = e;
    res.journalPath = journal.path();
  }
  return res;
}

}  // namespace pictray::dupes
