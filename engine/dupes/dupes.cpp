#include "engine/dupes/dupes.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <iterator>
#include <map>
#include <set>

#include "engine/dupes/keep_rule.h"
#include "engine/fs/paths.h"
#include "engine/fs/safe_move.h"
#include "engine/fs/unique_fd.h"

namespace pictray::dupes {
namespace {

constexpr std::size_t kEdge = 100;

// pread until `len` bytes or end of file; false on a read error.
bool ReadAt(const fs::Env& env, int fd, unsigned char* buf, std::size_t len, std::uint64_t offset, std::size_t& got) {
  got = 0;
  while (got < len) {
    ssize_t n = env.Pread(fd, buf + got, len - got, static_cast<off_t>(offset + got));
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (n == 0) break;
    got += static_cast<std::size_t>(n);
  }
  return true;
}

void AppendHex(std::string& out, const unsigned char* p, std::size_t n) {
  static const char digits[] = "0123456789ABCDEF";
  for (std::size_t i = 0; i < n; ++i) {
    out.push_back(digits[p[i] >> 4]);
    out.push_back(digits[p[i] & 15]);
  }
}

std::string SignatureOf(const fs::Env& env, int fd, std::uint64_t n) {
  unsigned char head[kEdge], tail[kEdge];
  std::size_t got = 0;
  std::string sig;
  if (n < kEdge) {
    if (!ReadAt(env, fd, head, static_cast<std::size_t>(n), 0, got) || got != n) return "";
    AppendHex(sig, head, got);
    return sig;
  }
  std::size_t gotTail = 0;
  if (!ReadAt(env, fd, head, kEdge, 0, got) || got != kEdge) return "";
  if (!ReadAt(env, fd, tail, kEdge, n - kEdge, gotTail) || gotTail != kEdge) return "";
  sig.reserve(4 * kEdge);
  AppendHex(sig, head, kEdge);
  AppendHex(sig, tail, kEdge);
  return sig;
}

std::string SignatureAt(const fs::Env& env, int dirfd, const std::string& name, std::uint64_t size) {
  const UniqueFd fd(env, env.Open(dirfd, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
  return fd.get() < 0 ? "" : SignatureOf(env, fd.get(), size);
}

// The common case in one open: a regular file, keyed through its descriptor.
// False when the entry is no longer a regular file.
bool ListRegular(const fs::Env& env, int dirfd, const std::string& name, FileRec& r) {
  const UniqueFd fd(env, env.Open(dirfd, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
  if (fd.get() < 0) return false;
  struct stat st {};
  const bool regular = env.Fstat(fd.get(), st) == 0 && S_ISREG(st.st_mode);
  if (regular) {
    r.identity = IdentityOf(st);
    r.groupable = true;
    r.samekey = SignatureOf(env, fd.get(), static_cast<std::uint64_t>(r.identity.size));
  }
  return regular;
}

// Links, special files, entries the folder did not type, and (when keys are
// read later) every file. False for a
// folder (or a link to one) and for an entry that has gone.
bool ListOther(const fs::Env& env, int dirfd, const std::string& name, bool readNow, FileRec& r) {
  struct stat lst {};
  if (env.Fstatat(dirfd, name.c_str(), lst, AT_SYMLINK_NOFOLLOW) != 0 || S_ISDIR(lst.st_mode)) return false;
  if (S_ISREG(lst.st_mode)) {
    // A file that cannot be opened is still listed, with the empty signature.
    if (readNow && ListRegular(env, dirfd, name, r)) return true;
    r.identity = IdentityOf(lst);
    r.groupable = true;
    return true;
  }
  struct stat st = lst;  // for a link: what it points to, when that exists
  if (S_ISLNK(lst.st_mode)) {
    struct stat target {};
    if (env.Fstatat(dirfd, name.c_str(), target, 0) == 0) {
      if (S_ISDIR(target.st_mode)) return false;  // a link to a folder counts as a folder
      st = target;
    }
  }
  r.identity = IdentityOf(st);
  r.groupable = false;
  r.linkToFile = S_ISLNK(lst.st_mode) && S_ISREG(st.st_mode);
  return true;
}

// The regular files (and links to files, which sort by their target's key)
// whose key can decide their place or group: those sharing their size with
// another file, and those whose size text is a prefix of another's ("100"
// and "1000": the signature is compared with the digits).
void ReadNeededSignatures(const fs::Env& env, int dirfd, std::vector<FileRec>& table, AbortFlag abort) {
  std::map<std::string, int> sizes;  // distinct size texts in text order, with their counts
  for (const FileRec& r : table)
    if (r.groupable || r.linkToFile) ++sizes[r.size];
  std::set<std::string> needed;
  for (auto it = sizes.begin(); it != sizes.end(); ++it) {
    const std::string& s = it->first;
    bool need = it->second > 1;
    // In text order a text that starts with s follows s directly.
    auto next = std::next(it);
    need = need || (next != sizes.end() && next->first.starts_with(s));
    for (std::size_t len = 1; !need && len < s.size(); ++len) need = sizes.count(s.substr(0, len)) > 0;
    if (need) needed.insert(s);
  }
  for (FileRec& r : table) {
    if (Aborted(abort)) return;
    if (!needed.count(r.size)) continue;
    if (r.groupable) r.samekey = SignatureAt(env, dirfd, r.filename, static_cast<std::uint64_t>(r.identity.size));
    if (r.linkToFile) r.samekey = GetFileBuffer(env, r.path);
  }
}

// The listed file opened for reading while it is still as listed; else -1.
UniqueFd OpenAsListed(const fs::Env& env, const FileRec& r) {
  UniqueFd fd(env, env.Open(AT_FDCWD, r.path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
  struct stat st {};
  if (fd.get() >= 0 && env.Fstat(fd.get(), st) == 0 && IdentityOf(st) == r.identity) return fd;
  return UniqueFd(env, -1);
}

// Both listed files, still as listed, hold the same bytes.
bool SameFile(const fs::Env& env, const FileRec& a, const FileRec& b) {
  if (a.identity.dev == b.identity.dev && a.identity.ino == b.identity.ino) return true;
  const UniqueFd fa = OpenAsListed(env, a), fb = OpenAsListed(env, b);
  return fa.get() >= 0 && fb.get() >= 0 && SameBytes(env, fa.get(), fb.get());
}

// Groups one run of equal keys (indexes into lpData, in table order) by
// content; each set's first file stays.
void GroupRun(const fs::Env& env, std::vector<FileRec>& lpData, const std::vector<std::size_t>& run, AbortFlag abort) {
  struct Set {
    std::size_t kept;
    int copies;
  };
  std::vector<Set> sets;
  for (std::size_t i : run) {
    if (Aborted(abort)) return;
    FileRec& r = lpData[i];
    auto set =
        std::find_if(sets.begin(), sets.end(), [&](const Set& s) { return SameFile(env, lpData[s.kept], r); });
    if (set == sets.end()) {
      sets.push_back({i, 0});
      r.sameno = "0";
      r.folda = "---";
      r.firstfile.clear();
      r.keptPath.clear();
      r.keptIdentity = {};
      continue;
    }
    const FileRec& kept = lpData[set->kept];
    r.sameno = std::to_string(++set->copies);
    r.firstfile = kept.file;
    r.folda = RemoveExtension(kept.file) + "_same";
    r.keptPath = kept.path;
    r.keptIdentity = kept.identity;
  }
}

}  // namespace

std::string GetFileBuffer(const fs::Env& env, const std::string& path) {
  const UniqueFd fd(env, env.Open(AT_FDCWD, path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  struct stat st {};
  if (fd.get() < 0 || env.Fstat(fd.get(), st) != 0 || !S_ISREG(st.st_mode)) return "";
  return SignatureOf(env, fd.get(), static_cast<std::uint64_t>(st.st_size));
}

std::vector<FileRec> SetListView(const fs::Env& env, const std::string& folder, const ListProgress& progress, Keying keying,
                                 int* openError, AbortFlag abort) {
  std::vector<FileRec> table;
  const UniqueFd dir(env, env.Open(AT_FDCWD, folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  const int dirfd = dir.get();
  // Names first, so that the total is known for the progress.
  std::vector<std::pair<std::string, unsigned char>> names;
  const bool listed = dirfd >= 0 && env.ListFolder(dirfd, ".", [&](std::string_view name, unsigned char type) {
    if (!IsMoveTempName(std::string(name))) names.emplace_back(name, type);
  }) == 0;
  if (openError) *openError = listed ? 0 : errno;
  if (!listed) return table;

  const bool readNow = keying == Keying::AllFiles;
  table.reserve(names.size());
  for (std::size_t i = 0; i < names.size() && !Aborted(abort); ++i) {
    const auto& [name, type] = names[i];
    FileRec r;
    if (!(readNow && type == DT_REG && ListRegular(env, dirfd, name, r)) && !ListOther(env, dirfd, name, readNow, r))
      continue;
    r.file = RemoveExtension(name);
    r.folda = "---";
    r.filename = name;
    r.path = JoinPath(folder, name);
    r.size = std::to_string(r.identity.size);
    if (readNow && r.linkToFile) r.samekey = GetFileBuffer(env, r.path);
    table.push_back(std::move(r));
    if (progress) progress(i + 1, names.size());
  }
  if (!readNow) ReadNeededSignatures(env, dirfd, table, abort);
  return table;
}

void SetSizeWork(std::vector<FileRec>& lpData) {
  for (FileRec& r : lpData) r.samekey = r.size + r.samekey;
}

int compSizeBuffa(const FileRec& a, const FileRec& b, int SortBit) {
  int c = a.samekey.compare(b.samekey);
  c = c < 0 ? -1 : (c > 0 ? 1 : 0);
  return SortBit == 1 ? -c : c;
}

void SortFileTable(std::vector<FileRec>& lpData, int SortBit, KeepFirst first) {
  std::sort(lpData.begin(), lpData.end(), [SortBit, first](const FileRec& a, const FileRec& b) {
    const int c = compSizeBuffa(a, b, SortBit);
    return c != 0 ? c < 0 : KeptBefore(a, b, first);
  });
}

void SetFolda(const fs::Env& env, std::vector<FileRec>& lpData, AbortFlag abort) {
  std::vector<std::size_t> run;
  for (std::size_t i = 0; i < lpData.size(); ++i) {
    if (!lpData[i].groupable) continue;
    if (!run.empty() && lpData[run.front()].samekey != lpData[i].samekey) {
      GroupRun(env, lpData, run, abort);
      run.clear();
    }
    run.push_back(i);
  }
  if (!run.empty()) GroupRun(env, lpData, run, abort);
}

GroupCount CountGroups(const std::vector<FileRec>& lpData) {
  GroupCount count;
  std::set<std::string_view> kept;
  for (const FileRec& r : lpData)
    if (r.folda != "---" && !r.keptPath.empty()) {
      ++count.surplus;
      kept.insert(r.keptPath);
    }
  count.sets = kept.size();
  return count;
}

std::string RemoveExtension(const std::string& name) {
  std::size_t dot = name.rfind('.');
  return dot == std::string::npos ? name : name.substr(0, dot);
}

}  // namespace pictray::dupes
