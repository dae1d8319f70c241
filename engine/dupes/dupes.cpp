#include "engine/dupes/dupes.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <set>
#include <span>

#include "engine/dupes/companions.h"
#include "engine/dupes/file_keys.h"
#include "engine/dupes/keep_rule.h"
#include "engine/fs/huge_pages.h"
#include "engine/fs/on_threads.h"
#include "engine/fs/paths.h"
#include "engine/fs/safe_move.h"
#include "engine/fs/unique_fd.h"
#include "engine/list/sidecar_names.h"

namespace pictray::dupes {
namespace {

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

// Lists the entry `name` of the folder into `r`; false when it is not
// listed (a folder, or gone).
// In a tree, `rel` is the path of the entry's folder (open as `dirfd`)
// relative to the root `folder`, which the name then carries.
bool ListEntry(const fs::Env& env, int dirfd, const std::string& folder, std::string_view name, unsigned char type,
               bool readNow, FileRec& r, const std::string& rel = {}) {
  r.filename = name;
  if (!(readNow && type == DT_REG && ListRegular(env, dirfd, r.filename, r)) &&
      !ListOther(env, dirfd, r.filename, readNow, r))
    return false;
  if (!rel.empty()) r.filename.insert(0, rel);
  r.file = RemoveExtension(r.filename);
  r.folda = "---";
  r.path = JoinPath(folder, r.filename);
  r.size = std::to_string(r.identity.size);
  if (readNow && r.linkToFile) r.samekey = GetFileBuffer(env, r.path);
  return true;
}

// A folder's entry names, one after another in one block.
class FolderNames {
 public:
  void Add(std::string_view name, unsigned char type) {
    entries_.push_back({bytes_.size(), static_cast<std::uint16_t>(name.size()), type});
    bytes_.append(name);
  }
  std::size_t size() const { return entries_.size(); }
  bool empty() const { return entries_.empty(); }
  std::string_view Name(std::size_t i) const {
    return std::string_view(bytes_).substr(entries_[i].at, entries_[i].length);
  }
  unsigned char Type(std::size_t i) const { return entries_[i].type; }

 private:
  // A name is at most NAME_MAX (255) bytes.
  struct Entry {
    std::size_t at;
    std::uint16_t length;
    unsigned char type;
  };
  std::string bytes_;
  std::vector<Entry> entries_;
};

// The listed file opened for reading while it is still as listed; else -1.
UniqueFd OpenAsListed(const fs::Env& env, const FileRec& r) {
  UniqueFd fd(env, env.Open(AT_FDCWD, r.path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
  if (fd.get() >= 0 && AsListed(env, fd.get(), r)) return fd;
  return UniqueFd(env, -1);
}

// Both listed files, still as listed, hold the same bytes.
bool SameFile(const fs::Env& env, const FileRec& a, const FileRec& b) {
  if (a.identity.dev == b.identity.dev && a.identity.ino == b.identity.ino) return true;
  const UniqueFd fa = OpenAsListed(env, a), fb = OpenAsListed(env, b);
  return fa.get() >= 0 && fb.get() >= 0 && SameBytes(env, fa.get(), fb.get());
}

// The class of bytes the listing found for `r` while it is still as listed
// (one stat, no open); 0 when not known.
std::uint32_t ContentClassNow(const fs::Env& env, const FileRec& r) {
  if (r.contentClass == 0) return 0;
  struct stat st {};
  const bool asListed = env.Fstatat(AT_FDCWD, r.path.c_str(), st, AT_SYMLINK_NOFOLLOW) == 0 && IdentityOf(st) == r.identity;
  return asListed ? r.contentClass : 0;
}

// Groups one run of equal keys (indexes into lpData, in table order) by
// content; each set's first file stays. Files the listing compared in memory
// and found still as listed (their class in `classNow`) are not read again.
void GroupRun(const fs::Env& env, std::vector<FileRec>& lpData, std::span<const std::size_t> run,
              const std::vector<std::uint32_t>& classNow, AbortFlag abort) {
  struct Set {
    std::size_t kept;
    std::uint32_t content;
    int copies;
  };
  std::vector<Set> sets;
  for (std::size_t i : run) {
    if (Aborted(abort)) return;
    FileRec& r = lpData[i];
    const std::uint32_t content = classNow[i];
    auto set = std::find_if(sets.begin(), sets.end(), [&](const Set& s) {
      return s.content != 0 && content != 0 ? s.content == content : SameFile(env, lpData[s.kept], r);
    });
    // A reference file is never a copy: the first of a content (a reference
    // file when there is one, as they sort first) is its set's kept file,
    // and another reference file of that content stays alone.
    const bool alone = set != sets.end() && r.reference;
    if (set == sets.end() || alone) {
      if (!alone) sets.push_back({i, content, 0});
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
    r.folda = SurplusFolderOf(kept);
    r.keptPath = kept.path;
    r.keptIdentity = kept.identity;
  }
}

// The whole told once all entries are listed, the entries not listed closed
// up, and the keys read that a listing without them needs.
void FinishListing(const fs::Env& env, std::vector<FileRec>& table, const std::vector<char>& taken,
                   const std::vector<int>& rootFds, Keying keying, const ListProgress& progress, AbortFlag abort) {
  if (progress && !table.empty() && !Aborted(abort)) progress(table.size(), table.size());
  std::size_t kept = 0;
  for (std::size_t i = 0; i < table.size(); ++i) {
    if (!taken[i]) continue;
    if (kept != i) table[kept] = std::move(table[i]);
    ++kept;
  }
  table.resize(kept);
  if (keying != Keying::AllFiles) ReadNeededSignatures(env, rootFds, table, abort, keying == Keying::WhereNeeded);
  MarkCompanions(env, table);
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
  // Names first, so that the total is known for the progress; held in one
  // block, as a folder of a million files would otherwise take a million
  // allocations before the first file is looked at.
  FolderNames names;
  const bool listed = dirfd >= 0 && env.ListFolder(dirfd, ".", [&](std::string_view name, unsigned char type) {
    if (!IsMoveTempName(name)) names.Add(name, type);
  }) == 0;
  if (openError) *openError = listed ? 0 : errno;
  if (!listed) return table;

  const bool readNow = keying == Keying::AllFiles;
  // Each entry in its own place, so that the table keeps the folder's order
  // whichever thread lists it; the entries not listed are then closed up.
  // Hundreds of bytes a row, all touched as the rows are filled.
  table.reserve(names.size());
  fs::AdviseHugePages(table.data(), names.size() * sizeof(FileRec));
  table.resize(names.size());
  std::vector<char> taken(names.size(), 0);
  // The caller's thread tells how many entries are done, whichever thread
  // did them, and the whole once all are: on a busy machine the others may
  // take every entry after its first.
  std::atomic<std::size_t> done{0};
  ShareWork(names.size(), ThreadsFor(names.size()), abort, [&](std::size_t i, unsigned t) {
    taken[i] = ListEntry(env, dirfd, folder, names.Name(i), names.Type(i), readNow, table[i]);
    const std::size_t now = done.fetch_add(1, std::memory_order_relaxed) + 1;
    if (t == 0 && progress) progress(now, names.size());
  });
  FinishListing(env, table, taken, {dirfd}, keying, progress, abort);
  return table;
}

bool SkippedInTree(std::string_view name) {
  if (name.empty() || name[0] == '.') return true;
  if (!name.starts_with("same") || name.size() == 4) return false;
  std::size_t i = 4;
  while (i < name.size() && name[i] >= '0' && name[i] <= '9') ++i;
  if (i == 4) return false;
  if (i == name.size()) return true;
  // MakeOwnFolder's "_2", "_3"...
  if (name[i] != '_' || i + 1 == name.size()) return false;
  for (++i; i < name.size(); ++i)
    if (name[i] < '0' || name[i] > '9') return false;
  return true;
}

namespace {

// One folder of a tree listing: where its names lie in the shared block.
struct TreeFolder {
  std::uint32_t root;
  std::string rel;  // "" for the root, else "a/b/"
  std::size_t first, count;
};

// Walks the folders of a tree, depth first, each listed once.
class TreeWalk {
 public:
  TreeWalk(const fs::Env& env, bool subfolders, FolderNames& names, std::vector<TreeFolder>& folders)
      : env_(env), subfolders_(subfolders), names_(names), folders_(folders) {}

  // Lists the folder open as `fd` (root `root`, relative path `rel`) and,
  // with subfolders, the folders below it; 0 or the errno of listing it.
  int Walk(int fd, std::uint32_t root, const std::string& rel) {
    struct stat st {};
    if (env_.Fstat(fd, st) != 0) return errno;
    if (!seen_.insert({st.st_dev, st.st_ino}).second) return 0;
    const std::size_t first = names_.size();
    std::vector<std::string> below;
    const int listed = env_.ListFolder(fd, ".", [&](std::string_view name, unsigned char type) {
      if (IsMoveTempName(name)) return;
      if (type == DT_UNKNOWN) {
        struct stat look {};
        if (env_.Fstatat(fd, std::string(name).c_str(), look, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(look.st_mode))
          type = DT_DIR;
      }
      if (type != DT_DIR) {
        names_.Add(name, type);
        return;
      }
      if (subfolders_ && !SkippedInTree(name)) below.emplace_back(name);
    });
    if (listed != 0) return errno;
    folders_.push_back({root, rel, first, names_.size() - first});
    // The file system's order within a folder; the folders below in name order.
    std::sort(below.begin(), below.end());
    for (const std::string& name : below) {
      const UniqueFd sub(env_, env_.Open(fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
      // A folder that cannot be read (or went) is passed over, as a file
      // that cannot be read is.
      if (sub.get() >= 0) Walk(sub.get(), root, rel + name + "/");
    }
    return 0;
  }

 private:
  const fs::Env& env_;
  const bool subfolders_;
  FolderNames& names_;
  std::vector<TreeFolder>& folders_;
  std::set<std::pair<dev_t, ino_t>> seen_;
};

// The names of a tree's folders are listed in pieces of at most this many,
// each piece taken by one thread: a folder of thousands is shared.
constexpr std::size_t kTreePiece = 64;

}  // namespace

std::vector<FileRec> ListRoots(const fs::Env& env, const std::vector<ListRoot>& roots, bool subfolders,
                               const ListProgress& progress, Keying keying, RootError* error, AbortFlag abort) {
  if (error) *error = {};
  if (roots.size() == 1 && !subfolders) {
    int openError = 0;
    std::vector<FileRec> table = SetListView(env, roots[0].folder, progress, keying, &openError, abort);
    if (error) error->err = openError;
    for (FileRec& r : table) r.reference = roots[0].reference;
    return table;
  }
  std::vector<UniqueFd> rootFds;
  std::vector<int> fds, openErrors;
  for (const ListRoot& root : roots) {
    rootFds.emplace_back(env, env.Open(AT_FDCWD, root.folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    fds.push_back(rootFds.back().get());
    openErrors.push_back(fds.back() < 0 ? errno : 0);
  }
  FolderNames names;
  std::vector<TreeFolder> folders;
  TreeWalk walk(env, subfolders, names, folders);
  // The reference roots first: a folder they hold stays theirs.
  for (const bool reference : {true, false})
    for (std::size_t i = 0; i < roots.size(); ++i) {
      if (roots[i].reference != reference) continue;
      const int e = fds[i] < 0 ? openErrors[i] : walk.Walk(fds[i], static_cast<std::uint32_t>(i), "");
      if (e != 0) {
        if (error) *error = {e, i};
        return {};
      }
    }

  const bool readNow = keying == Keying::AllFiles;
  std::vector<FileRec> table;
  table.reserve(names.size());
  fs::AdviseHugePages(table.data(), names.size() * sizeof(FileRec));
  table.resize(names.size());
  std::vector<char> taken(names.size(), 0);
  struct Piece {
    std::size_t folder, first, end;
  };
  std::vector<Piece> pieces;
  for (std::size_t f = 0; f < folders.size(); ++f)
    for (std::size_t at = folders[f].first; at < folders[f].first + folders[f].count; at += kTreePiece)
      pieces.push_back({f, at, std::min(at + kTreePiece, folders[f].first + folders[f].count)});
  std::atomic<std::size_t> done{0}, next{0};
  fs::OnThreads(ThreadsFor(names.size()), [&](unsigned t) {
    for (std::size_t p; (p = next.fetch_add(1, std::memory_order_relaxed)) < pieces.size();) {
      if (Aborted(abort)) return;
      const Piece& piece = pieces[p];
      const TreeFolder& folder = folders[piece.folder];
      const int rootFd = fds[folder.root];
      // Without the trailing "/", which would follow a link put there since.
      const std::string rel = folder.rel.substr(0, folder.rel.empty() ? 0 : folder.rel.size() - 1);
      const UniqueFd sub(env, rel.empty() ? -1
                                          : env.Open(rootFd, rel.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
      const int dirfd = folder.rel.empty() ? rootFd : sub.get();
      if (dirfd < 0) continue;
      const std::string& rootFolder = roots[folder.root].folder;
      for (std::size_t i = piece.first; i < piece.end; ++i) {
        FileRec& r = table[i];
        taken[i] = ListEntry(env, dirfd, rootFolder, names.Name(i), names.Type(i), readNow, r, folder.rel);
        r.root = folder.root;
        r.reference = roots[folder.root].reference;
      }
      const std::size_t now = done.fetch_add(piece.end - piece.first, std::memory_order_relaxed) + piece.end - piece.first;
      if (t == 0 && progress) progress(now, names.size());
    }
  });
  FinishListing(env, table, taken, fds, keying, progress, abort);
  return table;
}

void SetSizeWork(std::vector<FileRec>& lpData) {
  // In place: a signature has room for its size text.
  for (FileRec& r : lpData) r.samekey.insert(0, r.size);
}

int compSizeBuffa(const FileRec& a, const FileRec& b, int SortBit) {
  int c = a.samekey.compare(b.samekey);
  c = c < 0 ? -1 : (c > 0 ? 1 : 0);
  return SortBit == 1 ? -c : c;
}

namespace {

// The first eight bytes of a key as one number that orders as the text
// does (the bytes after a short key's end count as 0, which no key holds).
std::uint64_t KeyHead(const std::string& key) {
  std::uint64_t head = 0;
  for (std::size_t i = 0; i < 8; ++i) head = head << 8 | (i < key.size() ? static_cast<unsigned char>(key[i]) : 0);
  return head;
}

}  // namespace

void SortFileTable(std::vector<FileRec>& lpData, int SortBit, const KeepRule& rule) {
  // The rows' places are sorted, and each row then moved once: a row is
  // many strings, a place one number. Most keys differ in their first
  // bytes, which each place carries, so that a comparison seldom reaches
  // the rows.
  struct Place {
    std::uint64_t head;
    std::size_t row;
  };
  std::vector<Place> places(lpData.size());
  for (std::size_t i = 0; i < lpData.size(); ++i) places[i] = {KeyHead(lpData[i].samekey), i};
  std::sort(places.begin(), places.end(), [&](const Place& a, const Place& b) {
    if (a.head != b.head) return (a.head < b.head) != (SortBit == 1);
    const int c = compSizeBuffa(lpData[a.row], lpData[b.row], SortBit);
    return c != 0 ? c < 0 : KeptBefore(lpData[a.row], lpData[b.row], rule);
  });
  std::vector<std::size_t> order(places.size());
  for (std::size_t i = 0; i < places.size(); ++i) order[i] = places[i].row;
  // Place i takes the row at order[i]: follow each cycle of the permutation.
  for (std::size_t start = 0; start < order.size(); ++start) {
    if (order[start] == start) continue;
    FileRec held = std::move(lpData[start]);
    std::size_t at = start;
    while (order[at] != start) {
      const std::size_t from = order[at];
      lpData[at] = std::move(lpData[from]);
      order[at] = at;
      at = from;
    }
    lpData[at] = std::move(held);
    order[at] = at;
  }
}

void SetFolda(const fs::Env& env, std::vector<FileRec>& lpData, AbortFlag abort, LookedAsListed* looked,
              ListingLooks listing) {
  std::vector<std::size_t> rows;  // the groupable rows, in table order
  for (std::size_t i = 0; i < lpData.size(); ++i) {
    FileRec& r = lpData[i];
    if (!r.groupable) continue;
    if (!IsCompanion(r)) {
      rows.push_back(i);
      continue;
    }
    // A companion stays with its picture: no copy, no group of its own.
    r.sameno = "0";
    r.folda = "---";
    r.firstfile.clear();
    r.keptPath.clear();
    r.keptIdentity = {};
  }
  std::vector<std::size_t> runStarts;  // where each run of equal keys begins in `rows`
  for (std::size_t k = 0; k < rows.size(); ++k)
    if (k == 0 || lpData[rows[k]].samekey != lpData[rows[k - 1]].samekey) runStarts.push_back(k);
  runStarts.push_back(rows.size());

  // The compared files of runs of several, each checked to be still as
  // listed; the checks are shared among the threads.
  std::vector<std::size_t> compared;
  for (std::size_t r = 0; r + 1 < runStarts.size(); ++r)
    for (std::size_t k = runStarts[r]; runStarts[r + 1] - runStarts[r] > 1 && k < runStarts[r + 1]; ++k)
      if (lpData[rows[k]].contentClass != 0) compared.push_back(rows[k]);
  std::vector<std::uint32_t> classNow(lpData.size(), 0);
  if (listing == ListingLooks::JustMade)
    for (std::size_t i : compared) classNow[i] = lpData[i].contentClass;
  else
    ShareWork(compared.size(), ThreadsFor(compared.size()), abort,
              [&](std::size_t c, unsigned) { classNow[compared[c]] = ContentClassNow(env, lpData[compared[c]]); });
  if (looked) {
    looked->assign(lpData.size(), 0);
    for (std::size_t i : compared) (*looked)[i] = classNow[i] != 0;
  }

  const std::span<const std::size_t> all(rows);
  for (std::size_t r = 0; r + 1 < runStarts.size(); ++r)
    GroupRun(env, lpData, all.subspan(runStarts[r], runStarts[r + 1] - runStarts[r]), classNow, abort);
}

bool IsCompanion(const FileRec& r) { return r.companion || IsSidecarName(r.filename); }

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
  const std::size_t dot = name.rfind('.');
  const std::size_t slash = name.rfind('/');
  return dot == std::string::npos || (slash != std::string::npos && dot < slash) ? name : name.substr(0, dot);
}

std::string SurplusFolderOf(const FileRec& kept) {
  const std::size_t slash = kept.file.rfind('/');
  return RemoveExtension(slash == std::string::npos ? kept.file : kept.file.substr(slash + 1)) + "_same";
}

}  // namespace pictray::dupes
