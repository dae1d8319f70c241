#include "engine/dupes/dupes.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <set>
#include <span>
#include <thread>

#include "engine/dupes/keep_rule.h"
#include "engine/fs/paths.h"
#include "engine/fs/read_hint.h"
#include "engine/fs/safe_move.h"
#include "engine/fs/unique_fd.h"

namespace pictray::dupes {
namespace {

constexpr std::size_t kEdge = 100;
// Files of a shared size up to this are read whole when keyed: about the
// cost of reading the key, and grouping then needs no second read.
constexpr std::uint64_t kWholeReadMax = 1 << 20;
// The distinct contents of one size held at once while keying.
constexpr std::size_t kHeldContentMax = std::size_t{16} << 20;
// Files announced to the kernel ahead of the one being keyed: on a cold cache
// their reads are then in flight together.
constexpr std::size_t kReadAhead = 16;
// Listing and keying are mostly system calls, which a second thread halves
// on a folder of thousands of files; below this many files it costs more
// than it saves.
constexpr std::size_t kSharedWorkMin = 256;
constexpr unsigned kMaxThreads = 4;

// How many threads work on `count` files.
unsigned ThreadsFor(std::size_t count) {
  if (count < kSharedWorkMin) return 1;
  return std::clamp(std::thread::hardware_concurrency(), 1u, kMaxThreads);
}

// Items a thread takes at once: few enough that the threads end together,
// many enough that they seldom meet on the counter.
constexpr std::size_t kItemsTaken = 32;

// Calls work(i, t) for every i < count, each once, on `threads` threads;
// t is the thread's number, 0 the caller's. Once `abort` is set no item is
// started.
void ShareWork(std::size_t count, unsigned threads, AbortFlag abort,
               const std::function<void(std::size_t, unsigned)>& work) {
  std::atomic<std::size_t> next{0};
  const auto run = [&](unsigned t) {
    for (std::size_t first; (first = next.fetch_add(kItemsTaken)) < count;)
      for (std::size_t i = first; i < std::min(count, first + kItemsTaken); ++i) {
        if (Aborted(abort)) return;
        work(i, t);
      }
  };
  std::vector<std::jthread> helpers;
  for (unsigned t = 1; t < threads; ++t) helpers.emplace_back(run, t);
  run(0);
}

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

// The signature of an `n`-byte file whose first bytes start at `head` and
// whose last bytes end at `tailEnd`.
std::string SignatureText(const unsigned char* head, const unsigned char* tailEnd, std::uint64_t n) {
  std::string sig;
  if (n < kEdge) {
    AppendHex(sig, head, static_cast<std::size_t>(n));
    return sig;
  }
  sig.reserve(4 * kEdge);
  AppendHex(sig, head, kEdge);
  AppendHex(sig, tailEnd - kEdge, kEdge);
  return sig;
}

std::string SignatureOf(const fs::Env& env, int fd, std::uint64_t n) {
  unsigned char head[kEdge], tail[kEdge];
  std::size_t got = 0;
  if (n < kEdge) {
    if (!ReadAt(env, fd, head, static_cast<std::size_t>(n), 0, got) || got != n) return "";
    return SignatureText(head, head + n, n);
  }
  std::size_t gotTail = 0;
  if (!ReadAt(env, fd, head, kEdge, 0, got) || got != kEdge) return "";
  if (!ReadAt(env, fd, tail, kEdge, n - kEdge, gotTail) || gotTail != kEdge) return "";
  return SignatureText(head, tail + kEdge, n);
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

// Lists the entry `name` of the folder into `r`; false when it is not
// listed (a folder, or gone).
bool ListEntry(const fs::Env& env, int dirfd, const std::string& folder, const std::string& name, unsigned char type,
               bool readNow, FileRec& r) {
  if (!(readNow && type == DT_REG && ListRegular(env, dirfd, name, r)) && !ListOther(env, dirfd, name, readNow, r))
    return false;
  r.file = RemoveExtension(name);
  r.folda = "---";
  r.filename = name;
  r.path = JoinPath(folder, name);
  r.size = std::to_string(r.identity.size);
  if (readNow && r.linkToFile) r.samekey = GetFileBuffer(env, r.path);
  return true;
}

// The size texts whose files' keys can decide their place or group: those
// shared by several files, and those that are a prefix of another ("100" and
// "1000": the signature is compared with the digits). Sorted.
std::vector<std::string_view> SizesNeedingKeys(const std::vector<FileRec>& table) {
  std::vector<std::string_view> sizes;
  sizes.reserve(table.size());
  for (const FileRec& r : table)
    if (r.groupable || r.linkToFile) sizes.push_back(r.size);
  std::sort(sizes.begin(), sizes.end());
  std::vector<std::string_view> needed;
  for (auto it = sizes.begin(); it != sizes.end();) {
    const std::string_view s = *it;
    const auto next = std::upper_bound(it, sizes.end(), s);
    // In text order a text that starts with s follows s directly.
    bool need = next - it > 1 || (next != sizes.end() && next->starts_with(s));
    for (std::size_t len = 1; !need && len < s.size(); ++len)
      need = std::binary_search(sizes.begin(), it, s.substr(0, len));
    if (need) needed.push_back(s);
    it = next;
  }
  return needed;
}

// Reads `name` whole (`size` bytes, as listed) into `bytes`; false when it
// cannot be opened or is shorter.
bool ReadWhole(const fs::Env& env, int dirfd, const std::string& name, unsigned char* bytes, std::size_t size) {
  const UniqueFd fd(env, env.Open(dirfd, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
  std::size_t got = 0;
  return fd.get() >= 0 && ReadAt(env, fd.get(), bytes, size, 0, got) && got == size;
}

// One thread's reading of the keys of the regular files of shared sizes,
// size by size: what one size hands to the next.
struct KeyReader {
  const fs::Env& env;
  int dirfd;
  std::vector<FileRec>& table;
  AbortFlag abort;
  const std::vector<std::size_t>& files;  // indexes into `table`, by size, then in table order
  std::atomic<std::uint32_t>& nextClass;  // shared by the threads keying
  std::size_t hinted = 0;                  // files[0, hinted) passed to the read-ahead
  HintPacer pacer{};
  std::vector<unsigned char> held{};  // one size's distinct contents, one after another

  // Keeps the kernel reading a few files ahead of files[position] when they
  // are not cached; the files before it are another thread's.
  void HintBefore(std::size_t position) {
    for (hinted = std::max(hinted, position); hinted < std::min(files.size(), position + kReadAhead); ++hinted) {
      if (!pacer.Due()) continue;
      const FileRec& r = table[files[hinted]];
      const bool whole = static_cast<std::uint64_t>(r.identity.size) <= kWholeReadMax;
      pacer.Saw(HintWillRead(env, r.path, whole ? 0 : kEdge, whole ? 0 : kEdge));
    }
  }
};

// Reads every file of one size, files[begin, end), whole, once: its key, and
// the class of the earlier file of the size with the same bytes, compared
// while both are in memory, so that grouping need not open them again. Each
// file is read into the place after the distinct contents held, so nothing
// is copied; a content that would hold more than kHeldContentMax leaves its
// file's class at 0.
void KeySizeClass(KeyReader& k, std::size_t begin, std::size_t end) {
  const auto size = static_cast<std::size_t>(k.table[k.files[begin]].identity.size);
  std::vector<std::uint32_t> heldClass;
  for (std::size_t f = begin; f < end; ++f) {
    if (Aborted(k.abort)) return;
    k.HintBefore(f);
    FileRec& r = k.table[k.files[f]];
    const std::size_t n = heldClass.size();
    if (k.held.size() < (n + 1) * size) k.held.resize((n + 1) * size);
    unsigned char* bytes = k.held.data() + n * size;
    if (!ReadWhole(k.env, k.dirfd, r.filename, bytes, size)) continue;  // listed with the empty signature
    r.samekey = SignatureText(bytes, bytes + size, size);
    std::size_t same = 0;
    while (same < n && size > 0 && std::memcmp(k.held.data() + same * size, bytes, size) != 0) ++same;
    if (same == n) {
      if ((n + 1) * size > kHeldContentMax) continue;
      heldClass.push_back(k.nextClass.fetch_add(1, std::memory_order_relaxed));
    }
    r.contentClass = heldClass[same];
  }
}

// The key alone of each of files[begin, end), too large to read whole.
void KeyLargeFiles(KeyReader& k, std::size_t begin, std::size_t end) {
  for (std::size_t f = begin; f < end && !Aborted(k.abort); ++f) {
    k.HintBefore(f);
    FileRec& r = k.table[k.files[f]];
    r.samekey = SignatureAt(k.env, k.dirfd, r.filename, static_cast<std::uint64_t>(r.identity.size));
  }
}

// Reads the keys of the regular files (and links to files, which sort by
// their target's key) whose size needs them. Files of one size are read
// together, small ones whole; the sizes are shared out among the threads.
void ReadNeededSignatures(const fs::Env& env, int dirfd, std::vector<FileRec>& table, AbortFlag abort) {
  const std::vector<std::string_view> needed = SizesNeedingKeys(table);
  std::vector<std::size_t> files;
  for (std::size_t i = 0; i < table.size(); ++i) {
    FileRec& r = table[i];
    if (!std::binary_search(needed.begin(), needed.end(), std::string_view(r.size))) continue;
    if (r.groupable) files.push_back(i);
    if (!r.linkToFile) continue;
    if (Aborted(abort)) return;
    r.samekey = GetFileBuffer(env, r.path);
  }
  std::stable_sort(files.begin(), files.end(),
                   [&](std::size_t a, std::size_t b) { return table[a].identity.size < table[b].identity.size; });
  std::vector<std::size_t> sizeStarts;  // where each size begins in `files`
  for (std::size_t f = 0; f < files.size(); ++f)
    if (f == 0 || table[files[f]].identity.size != table[files[f - 1]].identity.size) sizeStarts.push_back(f);
  sizeStarts.push_back(files.size());

  std::atomic<std::uint32_t> nextClass{1};
  const unsigned threads = ThreadsFor(files.size());
  std::vector<KeyReader> readers;
  for (unsigned t = 0; t < threads; ++t) readers.push_back(KeyReader{env, dirfd, table, abort, files, nextClass});
  ShareWork(sizeStarts.size() - 1, threads, abort, [&](std::size_t s, unsigned t) {
    const std::size_t begin = sizeStarts[s], end = sizeStarts[s + 1];
    if (static_cast<std::uint64_t>(table[files[begin]].identity.size) <= kWholeReadMax)
      KeySizeClass(readers[t], begin, end);
    else
      KeyLargeFiles(readers[t], begin, end);
  });
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
    if (set == sets.end()) {
      sets.push_back({i, content, 0});
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
  // Each entry in its own place, so that the table keeps the folder's order
  // whichever thread lists it; the entries not listed are then closed up.
  table.resize(names.size());
  std::vector<char> taken(names.size(), 0);
  ShareWork(names.size(), ThreadsFor(names.size()), abort, [&](std::size_t i, unsigned t) {
    taken[i] = ListEntry(env, dirfd, folder, names[i].first, names[i].second, readNow, table[i]);
    if (t == 0 && taken[i] && progress) progress(i + 1, names.size());
  });
  std::size_t kept = 0;
  for (std::size_t i = 0; i < table.size(); ++i) {
    if (!taken[i]) continue;
    if (kept != i) table[kept] = std::move(table[i]);
    ++kept;
  }
  table.resize(kept);
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
  std::vector<std::size_t> rows;  // the groupable rows, in table order
  for (std::size_t i = 0; i < lpData.size(); ++i)
    if (lpData[i].groupable) rows.push_back(i);
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
  ShareWork(compared.size(), ThreadsFor(compared.size()), abort,
            [&](std::size_t c, unsigned) { classNow[compared[c]] = ContentClassNow(env, lpData[compared[c]]); });

  const std::span<const std::size_t> all(rows);
  for (std::size_t r = 0; r + 1 < runStarts.size(); ++r)
    GroupRun(env, lpData, all.subspan(runStarts[r], runStarts[r + 1] - runStarts[r]), classNow, abort);
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
