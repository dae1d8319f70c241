#include "engine/dupes/file_keys.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <thread>
#include <utility>

#include "engine/fs/on_threads.h"
#include "engine/fs/read_hint.h"
#include "engine/fs/unique_fd.h"

namespace pictray::dupes {
namespace {

constexpr std::size_t kEdge = 100;
// Decimal digits of the largest file size.
constexpr std::size_t kSizeTextMax = 20;
// Files of a shared size up to this are read whole when keyed: about the
// cost of reading the key, and grouping then needs no second read.
constexpr std::uint64_t kWholeReadMax = 1 << 20;
// The distinct contents of one size held at once while keying.
constexpr std::size_t kHeldContentMax = std::size_t{16} << 20;
// The first bytes compared among the files of a size before any is read
// whole: files that only share their size mostly differ there.
constexpr std::size_t kHeadBytes = 4096;
// The files of one size held open at once while their first bytes are
// compared; a size shared by more is read whole, file by file.
constexpr std::size_t kHeadFilesMax = 32;
// Files announced to the kernel ahead of the one being keyed: on a cold cache
// their reads are then in flight together.
constexpr std::size_t kReadAhead = 16;

// Listing and keying are mostly system calls, which a second thread halves
// on a folder of thousands of files; below this many files it costs more
// than it saves.
constexpr std::size_t kSharedWorkMin = 256;
constexpr unsigned kMaxThreads = 4;

// Items a thread takes at once: few enough that the threads end together,
// many enough that they seldom meet on the counter.
constexpr std::size_t kItemsTaken = 32;

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

// Written in place: a push_back a digit cost some 2% of an exact search.
void AppendHex(std::string& out, const unsigned char* p, std::size_t n) {
  static const char digits[] = "0123456789ABCDEF";
  const std::size_t at = out.size();
  out.resize(at + 2 * n);
  char* to = out.data() + at;
  for (std::size_t i = 0; i < n; ++i) {
    to[2 * i] = digits[p[i] >> 4];
    to[2 * i + 1] = digits[p[i] & 15];
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
  // With room for the size text that the key puts in front of it.
  sig.reserve(4 * kEdge + kSizeTextMax);
  AppendHex(sig, head, kEdge);
  AppendHex(sig, tailEnd - kEdge, kEdge);
  return sig;
}

// The first bytes' half of a signature, which sets apart a file of no
// group; no whole signature of a file past kEdge bytes is this short.
std::string HeadSignature(const unsigned char* head) {
  std::string sig;
  sig.reserve(2 * kEdge + kSizeTextMax);
  AppendHex(sig, head, kEdge);
  return sig;
}

}  // namespace

unsigned ThreadsFor(std::size_t count) {
  if (count < kSharedWorkMin) return 1;
  return std::clamp(std::thread::hardware_concurrency(), 1u, kMaxThreads);
}

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
  fs::OnThreads(threads, run);
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

bool AsListed(const fs::Env& env, int fd, const FileRec& r) {
  struct stat st {};
  return env.Fstat(fd, st) == 0 && IdentityOf(st) == r.identity;
}

namespace {

std::string SignatureAt(const fs::Env& env, int dirfd, const std::string& name, std::uint64_t size) {
  const UniqueFd fd(env, env.Open(dirfd, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
  return fd.get() < 0 ? "" : SignatureOf(env, fd.get(), size);
}

// The rows whose keys can decide their place or group (regular files and
// links to files), by size, then in table order: those of a size shared by
// several, and those whose size text is a prefix of another's ("100" and
// "1000": the signature is compared with the digits) or has one.
std::vector<std::size_t> RowsNeedingKeys(const std::vector<FileRec>& table, bool forOrder) {
  // Sorted with each row's size beside it, not read from the rows.
  std::vector<std::pair<std::uint64_t, std::size_t>> bySize;
  bySize.reserve(table.size());
  for (std::size_t i = 0; i < table.size(); ++i)
    if (table[i].groupable || table[i].linkToFile) bySize.emplace_back(table[i].identity.size, i);
  std::sort(bySize.begin(), bySize.end());

  std::vector<std::uint64_t> sizes;  // distinct, ascending
  std::vector<char> needed;          // by place in `sizes`
  for (std::size_t k = 0; k < bySize.size(); ++k) {
    if (k > 0 && bySize[k].first == sizes.back()) {
      needed.back() = 1;
      continue;
    }
    sizes.push_back(bySize[k].first);
    needed.push_back(0);
  }
  // The texts that begin with the digits of s (s > 0) are those of the
  // numbers in [s * 10^k, (s + 1) * 10^k) for some k >= 1.
  const std::uint64_t largest = sizes.empty() ? 0 : sizes.back();
  for (std::size_t i = 0; forOrder && i < sizes.size(); ++i) {
    if (sizes[i] == 0) continue;
    for (std::uint64_t from = sizes[i], width = 1; from <= largest / 10;) {
      from *= 10;
      width *= 10;
      const auto first = std::lower_bound(sizes.begin() + static_cast<std::ptrdiff_t>(i) + 1, sizes.end(), from);
      const auto last = std::lower_bound(first, sizes.end(), from + width);
      if (first == last) continue;
      needed[i] = 1;
      std::fill(needed.begin() + (first - sizes.begin()), needed.begin() + (last - sizes.begin()), 1);
    }
  }
  std::vector<std::size_t> rows;
  for (std::size_t k = 0, place = 0; k < bySize.size(); ++k) {
    if (k > 0 && bySize[k].first != bySize[k - 1].first) ++place;
    if (needed[place]) rows.push_back(bySize[k].second);
  }
  return rows;
}

// One thread's reading of the keys of the regular files of shared sizes,
// size by size: what one size hands to the next.
struct KeyReader {
  const fs::Env& env;
  const std::vector<int>& rootFds;
  std::vector<FileRec>& table;
  AbortFlag abort;
  const std::vector<std::size_t>& files;  // indexes into `table`, by size, then in table order
  std::atomic<std::uint32_t>& nextClass;  // shared by the threads keying
  // A file of no group needs its whole key only for its place in the table.
  bool forOrder = true;
  std::size_t hinted = 0;                  // files[0, hinted) passed to the read-ahead
  HintPacer pacer{};
  std::vector<unsigned char> held{};   // one size's distinct contents, one after another
  std::vector<unsigned char> heads{};  // the first bytes of one size's files, for KeySizeByHeads

  // The folder the row's name is relative to.
  int DirOf(const FileRec& r) const { return rootFds[r.root]; }

  // Whether files[position] is read whole: a file of a shared size up to
  // kWholeReadMax. A file alone in its size has no copy; its key is read
  // only to place it among sizes whose texts begin alike.
  bool ReadsWhole(std::size_t position) const {
    const auto size = [&](std::size_t p) { return table[files[p]].identity.size; };
    const bool shared = (position > 0 && size(position - 1) == size(position)) ||
                        (position + 1 < files.size() && size(position + 1) == size(position));
    return shared && static_cast<std::uint64_t>(size(position)) <= kWholeReadMax;
  }

  // Keeps the kernel reading a few files ahead of files[position] when they
  // are not cached; the files before it are another thread's.
  void HintBefore(std::size_t position) {
    for (hinted = std::max(hinted, position); hinted < std::min(files.size(), position + kReadAhead); ++hinted) {
      if (!pacer.Due()) continue;
      const bool whole = ReadsWhole(hinted);
      pacer.Saw(HintWillRead(env, table[files[hinted]].path, whole ? 0 : kEdge, whole ? 0 : kEdge));
    }
  }
};

// What the distinct contents of the largest run of one size read whole
// come to at most: a reader's room for them all.
std::size_t HeldBytesNeeded(const std::vector<FileRec>& table, const std::vector<std::size_t>& files,
                            const std::vector<std::size_t>& sizeStarts) {
  std::size_t most = 0;
  for (std::size_t s = 0; s + 1 < sizeStarts.size(); ++s) {
    const auto size = static_cast<std::uint64_t>(table[files[sizeStarts[s]]].identity.size);
    if (size > kWholeReadMax || sizeStarts[s + 1] - sizeStarts[s] < 2) continue;
    const std::uint64_t all = size * (sizeStarts[s + 1] - sizeStarts[s]);
    most = std::max<std::size_t>(most, static_cast<std::size_t>(std::min<std::uint64_t>(all, kHeldContentMax + size)));
  }
  return most;
}

// One size's distinct contents, held one after another in the reader's
// room, each with its class.
class SizeContents {
 public:
  SizeContents(KeyReader& k, std::size_t size) : k_(k), size_(size) {}
  // The place for the next file's bytes, after the contents held.
  unsigned char* Next() {
    const std::size_t n = classes_.size();
    if (k_.held.size() < (n + 1) * size_) k_.held.resize((n + 1) * size_);
    return k_.held.data() + n * size_;
  }
  // The class of the bytes placed at Next(): an earlier content's, or a new
  // one then held; 0 when holding it would pass kHeldContentMax.
  std::uint32_t ClassOfNext() {
    const std::size_t n = classes_.size();
    const unsigned char* bytes = k_.held.data() + n * size_;
    std::size_t same = 0;
    while (same < n && size_ > 0 && std::memcmp(k_.held.data() + same * size_, bytes, size_) != 0) ++same;
    if (same < n) return classes_[same];
    if ((n + 1) * size_ > kHeldContentMax) return 0;
    classes_.push_back(k_.nextClass.fetch_add(1, std::memory_order_relaxed));
    return classes_.back();
  }

 private:
  KeyReader& k_;
  const std::size_t size_;
  std::vector<std::uint32_t> classes_;
};

// Reads the listed file `r`, open as `fd`, whole into `bytes` (a place of
// `contents`), whose first `from` bytes are there already: its key, and its
// class when it is still as listed once read (else grouping finds it
// changed). Nothing when it cannot be read or is shorter: the empty signature.
void KeyWhole(const fs::Env& env, SizeContents& contents, FileRec& r, int fd, unsigned char* bytes, std::size_t from) {
  const auto size = static_cast<std::size_t>(r.identity.size);
  std::size_t got = 0;
  if (!ReadAt(env, fd, bytes + from, size - from, from, got) || got != size - from) return;
  r.samekey = SignatureText(bytes, bytes + size, size);
  if (AsListed(env, fd, r)) r.contentClass = contents.ClassOfNext();
}

// Reads every file of one size, files[begin, end), whole, once: its key, and
// the class of the earlier file of the size with the same bytes, compared
// while both are in memory, each seen still as listed right after its read,
// so that grouping need not open them again. Each file is read into the
// place after the distinct contents held, so nothing is copied.
void KeySizeClass(KeyReader& k, std::size_t begin, std::size_t end) {
  const auto size = static_cast<std::size_t>(k.table[k.files[begin]].identity.size);
  SizeContents contents(k, size);
  for (std::size_t f = begin; f < end; ++f) {
    if (Aborted(k.abort)) return;
    k.HintBefore(f);
    FileRec& r = k.table[k.files[f]];
    const UniqueFd fd(k.env, k.env.Open(k.DirOf(r), r.filename.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (fd.get() >= 0) KeyWhole(k.env, contents, r, fd.get(), contents.Next(), 0);
  }
}

// The same for a size of a few files larger than kHeadBytes: their first
// kHeadBytes are compared first, each file held open, and only files whose
// first bytes another file shares are read whole. A file whose first bytes
// are its own is read for its last bytes alone and has a class of its own.
void KeySizeByHeads(KeyReader& k, std::size_t begin, std::size_t end) {
  const auto size = static_cast<std::size_t>(k.table[k.files[begin]].identity.size);
  const std::size_t count = end - begin;
  std::vector<UniqueFd> fds;
  fds.reserve(count);
  k.heads.resize(count * kHeadBytes);
  std::vector<char> headRead(count, 0);
  const auto head = [&](std::size_t j) { return k.heads.data() + j * kHeadBytes; };
  for (std::size_t j = 0; j < count; ++j) {
    if (Aborted(k.abort)) return;
    k.HintBefore(begin + j);
    const FileRec& r = k.table[k.files[begin + j]];
    fds.emplace_back(k.env, k.env.Open(k.DirOf(r), r.filename.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    std::size_t got = 0;
    headRead[j] = fds[j].get() >= 0 && ReadAt(k.env, fds[j].get(), head(j), kHeadBytes, 0, got) && got == kHeadBytes;
  }
  SizeContents contents(k, size);
  for (std::size_t j = 0; j < count; ++j) {
    if (Aborted(k.abort)) return;
    if (!headRead[j]) continue;  // the empty signature
    FileRec& r = k.table[k.files[begin + j]];
    const int fd = fds[j].get();
    bool shared = false;
    for (std::size_t i = 0; i < count && !shared; ++i)
      shared = i != j && headRead[i] && std::memcmp(head(i), head(j), kHeadBytes) == 0;
    if (shared) {
      unsigned char* bytes = contents.Next();
      std::memcpy(bytes, head(j), kHeadBytes);
      KeyWhole(k.env, contents, r, fd, bytes, kHeadBytes);
    } else if (!k.forOrder) {
      // In no group: its first bytes set it apart, and no table shows it.
      // Not looked at again either: should another file of its size share
      // this half key, grouping compares the two files' bytes.
      r.samekey = HeadSignature(head(j));
    } else {
      unsigned char tail[kEdge];
      std::size_t got = 0;
      if (!ReadAt(k.env, fd, tail, kEdge, size - kEdge, got) || got != kEdge) continue;
      r.samekey = SignatureText(head(j), tail + kEdge, size);
      if (AsListed(k.env, fd, r)) r.contentClass = k.nextClass.fetch_add(1, std::memory_order_relaxed);
    }
  }
}

// The key alone of each of files[begin, end): too large to read whole, or
// alone in its size.
void KeyOnly(KeyReader& k, std::size_t begin, std::size_t end) {
  for (std::size_t f = begin; f < end && !Aborted(k.abort); ++f) {
    k.HintBefore(f);
    FileRec& r = k.table[k.files[f]];
    r.samekey = SignatureAt(k.env, k.DirOf(r), r.filename, static_cast<std::uint64_t>(r.identity.size));
  }
}

}  // namespace

void ReadNeededSignatures(const fs::Env& env, const std::vector<int>& rootFds, std::vector<FileRec>& table,
                          AbortFlag abort, bool forOrder) {
  std::vector<std::size_t> files = RowsNeedingKeys(table, forOrder);
  for (std::size_t i : files) {
    if (!table[i].linkToFile) continue;
    if (Aborted(abort)) return;
    table[i].samekey = GetFileBuffer(env, table[i].path);
  }
  std::erase_if(files, [&](std::size_t i) { return !table[i].groupable; });
  std::vector<std::size_t> sizeStarts;  // where each size begins in `files`
  for (std::size_t f = 0; f < files.size(); ++f)
    if (f == 0 || table[files[f]].identity.size != table[files[f - 1]].identity.size) sizeStarts.push_back(f);
  sizeStarts.push_back(files.size());

  std::atomic<std::uint32_t> nextClass{1};
  const unsigned threads = ThreadsFor(files.size());
  std::vector<KeyReader> readers;
  // Each reader's room for the contents, taken once rather than as each
  // larger size outgrows it.
  const std::size_t room = HeldBytesNeeded(table, files, sizeStarts);
  for (unsigned t = 0; t < threads; ++t) {
    readers.push_back(KeyReader{env, rootFds, table, abort, files, nextClass, forOrder});
    readers.back().held.reserve(room);
  }
  ShareWork(sizeStarts.size() - 1, threads, abort, [&](std::size_t s, unsigned t) {
    const std::size_t begin = sizeStarts[s], end = sizeStarts[s + 1];
    const auto size = static_cast<std::uint64_t>(table[files[begin]].identity.size);
    if (!readers[t].ReadsWhole(begin))
      KeyOnly(readers[t], begin, end);
    else if (size > kHeadBytes && end - begin <= kHeadFilesMax)
      KeySizeByHeads(readers[t], begin, end);
    else
      KeySizeClass(readers[t], begin, end);
  });
}

}  // namespace pictray::dupes
