#include "engine/dupes/extract.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>

#include "engine/fs/safe_move.h"
#include "engine/fs/unique_fd.h"

namespace pictray::dupes {
namespace {

std::int64_t MtimeNs(const struct stat& st) {
  return static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
}

// The copy is still the regular file that was listed (same size and time).
bool StillAsListed(const std::string& path, std::uint64_t bytes, std::int64_t mtimeNs) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
         static_cast<std::uint64_t>(st.st_size) == bytes && MtimeNs(st) == mtimeNs;
}

bool Exists(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0;
}

std::size_t FindLine(const std::vector<SameResultLine>& lines, const std::string& folda) {
  for (std::size_t i = 0; i < lines.size(); ++i)
    if (lines[i].folda == folda) return i;
  return lines.size();
}

// Both open files hold the same bytes; `sa` and `sb` are their fstat results.
bool SameContent(const UniqueFd& fa, const struct stat& sa, const UniqueFd& fb, const struct stat& sb) {
  if (!S_ISREG(sa.st_mode) || !S_ISREG(sb.st_mode) || sa.st_size != sb.st_size) return false;
  if (sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino) return true;
  return SameBytes(fa.get(), fb.get());
}

enum class Check { Verified, Changed, Differs };

// The copy is still the file that was listed (same size and time) and holds
// the bytes of the kept file of its run; one open of each serves both checks.
Check CheckCopy(int dirfd, const FileRec& r) {
  const std::string keptName = r.keptPath.substr(r.keptPath.rfind('/') + 1);
  UniqueFd copy(::openat(dirfd, r.filename.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
  struct stat sc {};
  if (copy.get() < 0 || ::fstat(copy.get(), &sc) != 0 || !S_ISREG(sc.st_mode) ||
      static_cast<std::uint64_t>(sc.st_size) != r.bytes || MtimeNs(sc) != r.mtimeNs)
    return Check::Changed;
  UniqueFd kept(::openat(dirfd, keptName.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
  struct stat sk {};
  if (kept.get() < 0 || ::fstat(kept.get(), &sk) != 0) return Check::Differs;
  return SameContent(copy, sc, kept, sk) ? Check::Verified : Check::Differs;
}

}  // namespace

std::string SameFolderName(const TimeStamp& t) { return "same" + t.Text(); }

bool MoveNoReplace(const std::string& from, const std::string& to, std::string& error) {
  const int e = RenameNoReplace(AT_FDCWD, from, AT_FDCWD, to);
  if (e != 0) error = std::strerror(e);
  return e == 0;
}

ExtractResult MakeFoldaAndMove(const std::vector<FileRec>& lpData, const std::string& folder,
                               const TimeStamp& now, bool dryRun, const ExtractCallbacks& cb) {
  ExtractResult res;
  const std::string base = JoinPath(folder, SameFolderName(now));
  bool baseMade = false, baseReady = false;
  std::vector<std::string> madeFolders;
  const std::size_t count = lpData.size();
  const UniqueFd dirfd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));

  std::vector<std::size_t> surplusRows;
  for (std::size_t i = 0; i < count; ++i)
    if (lpData[i].folda != "---" && !lpData[i].keptPath.empty()) surplusRows.push_back(i);

  // Reading each copy and its kept file whole is the long part: the progress
  // follows the copies.
  for (std::size_t k = 0; k < surplusRows.size(); ++k) {
    if (cb.progress) cb.progress(static_cast<int>((k * 100 + 100) / surplusRows.size()));
    const std::size_t i = surplusRows[k];
    const FileRec& r = lpData[i];
    const std::string surplus = base + "/" + r.folda;
    SurplusOutcome out{SurplusOutcome::Kind::Moved, r.path, surplus + "/" + r.filename, r.keptPath, ""};

    const Check check = dirfd.get() < 0 ? Check::Changed : CheckCopy(dirfd.get(), r);
    if (check != Check::Verified) {
      out.kind = check == Check::Changed ? SurplusOutcome::Kind::Changed : SurplusOutcome::Kind::Differs;
      ++(check == Check::Changed ? res.changed : res.differs);
      res.outcomes.push_back(out);
      continue;
    }

    const std::size_t line = FindLine(res.lines, r.folda);
    const std::string mode = line < res.lines.size() ? res.lines[line].mode
                                                     : (Exists(surplus) ? "add" : "new");
    if (!dryRun) {
      bool ok = true;
      if (!baseReady) {
        if (::mkdir(base.c_str(), 0777) == 0) {
          baseMade = baseReady = true;
        } else if (errno == EEXIST) {
          baseReady = true;
        } else {
          ok = false;
          out.reason = std::strerror(errno);
        }
      }
      if (ok && !Exists(surplus)) {
        if (::mkdir(surplus.c_str(), 0777) == 0) {
          madeFolders.push_back(surplus);
        } else {
          ok = false;
          out.reason = std::strerror(errno);
        }
      }
      // The comparison took time: look once more right before the move.
      if (ok && !StillAsListed(r.path, r.bytes, r.mtimeNs)) {
        out.kind = SurplusOutcome::Kind::Changed;
        ++res.changed;
        res.outcomes.push_back(out);
        continue;
      }
      if (ok) ok = MoveNoReplace(r.path, out.to, out.reason);
      if (!ok) {
        out.kind = SurplusOutcome::Kind::Failed;
        ++res.failed;
        res.outcomes.push_back(out);
        continue;
      }
      res.moved.push_back({out.to, r.keptPath, r.bytes, r.mtimeNs});
    }
    ++res.movedCount;
    res.outcomes.push_back(out);
    if (line < res.lines.size()) {
      ++res.lines[line].count;
    } else {
      res.lines.push_back({r.folda, 1, r.filename, surplus, mode});
    }
    if (cb.resultLine) cb.resultLine(line, res.lines[line]);
  }

  if (cb.progress && surplusRows.empty()) cb.progress(100);

  // Folders made for moves that all failed are empty: take them away again.
  for (const std::string& f : madeFolders) {
    bool used = false;
    for (const SameResultLine& l : res.lines) used = used || l.path == f;
    if (!used) ::rmdir(f.c_str());
  }
  if (baseMade && res.movedCount == 0) ::rmdir(base.c_str());
  if (!dryRun && res.movedCount > 0) res.samedir = base + "/";
  return res;
}

std::vector<std::string> CheckBeforeDelete(const std::vector<MovedFile>& moved) {
  std::vector<std::string> problems;
  for (const MovedFile& m : moved) {
    struct stat kept {};
    bool keptThere = ::stat(m.keptPath.c_str(), &kept) == 0 && S_ISREG(kept.st_mode) &&
                     static_cast<std::uint64_t>(kept.st_size) == m.bytes;
    if (!keptThere || !StillAsListed(m.to, m.bytes, m.mtimeNs)) problems.push_back(m.to);
  }
  return problems;
}

}  // namespace pictray::dupes
