#include "engine/fs/safe_move.h"

#include <fcntl.h>
#include <dirent.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>
#include <vector>

#include "engine/fs/file_identity.h"
#include "engine/fs/unique_fd.h"

namespace pictray {
namespace {

MoveStatus Status(MoveOutcome o, int err = 0) { return MoveStatus{o, err, {}, {}, false}; }

MoveStatus CopiedThere() {
  MoveStatus s = Status(MoveOutcome::Moved);
  s.copied = true;
  return s;
}

bool Lstat(const fs::Env& env, int dir, const std::string& path, struct stat& st) {
  return env.Fstatat(dir, path.c_str(), st, AT_SYMLINK_NOFOLLOW) == 0;
}

bool SameInode(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

bool Unchanged(const fs::Env& env, int dir, const std::string& path, const struct stat& before) {
  struct stat now;
  return Lstat(env, dir, path, now) && StillTheFileExamined(before, now);
}

constexpr char kTempPrefix[] = ".pictray-move-";
constexpr std::size_t kTempPrefixLength = sizeof kTempPrefix - 1;

std::string TempName() {
  static std::atomic<unsigned> counter{0};
  thread_local std::mt19937_64 random{std::random_device{}()};
  char buf[64];
  std::snprintf(buf, sizeof buf, "%s%d-%u-%08llx", kTempPrefix, static_cast<int>(::getpid()),
                counter.fetch_add(1), static_cast<unsigned long long>(random() & 0xffffffffULL));
  return buf;
}

// The process that wrote a temporary copy, from its name; 0 when the name
// holds no process id.
pid_t TempOwner(const std::string& name) {
  long long pid = 0;
  std::size_t i = kTempPrefixLength;
  for (; i < name.size() && name[i] >= '0' && name[i] <= '9' && pid < (1LL << 31); ++i)
    pid = pid * 10 + (name[i] - '0');
  if (i == kTempPrefixLength || i >= name.size() || name[i] != '-') return 0;
  return static_cast<pid_t>(pid);
}

bool ProcessGone(pid_t pid) { return ::kill(pid, 0) != 0 && errno == ESRCH; }

}  // namespace

long long CopyFileData(const fs::Env& env, int in, int out) {
  long long total = 0;
  bool useRange = true;
  std::vector<char> buf;
  for (;;) {
    if (useRange) {
      const ssize_t n = env.CopyFileRange(in, out, 1 << 30);
      if (n > 0) {
        total += n;
        continue;
      }
      if (n == 0) return total;
      if (errno == EINTR) continue;
      if (errno != EXDEV && errno != ENOSYS && errno != EINVAL && errno != EOPNOTSUPP)
        return -errno;
      useRange = false;  // offsets moved with what was copied; go on by hand
      buf.resize(1 << 20);
    }
    const ssize_t got = env.Read(in, buf.data(), buf.size());
    if (got == 0) return total;
    if (got < 0) {
      if (errno == EINTR) continue;
      return -errno;
    }
    for (ssize_t off = 0; off < got;) {
      const ssize_t put = env.Write(out, buf.data() + off, static_cast<std::size_t>(got - off));
      if (put < 0) {
        if (errno == EINTR) continue;
        return -errno;
      }
      off += put;
    }
    total += got;
  }
}

namespace {

// Flushes the file that was compared, and the folder holding its name, to
// disk; another file under that name by now is EEXIST. Returns 0 or an errno.
int SyncExisting(const fs::Env& env, int dir, const std::string& path, const struct stat& compared) {
  UniqueFd f(env, env.Open(dir, path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
  if (f.get() < 0) return errno;
  struct stat now;
  if (env.Fstat(f.get(), now) != 0) return errno;
  if (!StillTheFileExamined(compared, now)) return EEXIST;
  if (env.Fsync(f.get()) != 0) return errno;
  const std::size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash == 0 ? 1 : slash);
  UniqueFd d(env, env.Open(dir, folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (d.get() < 0) return errno;
  return env.Fsync(d.get()) == 0 ? 0 : errno;
}

// The destination name is taken: replace it only when it holds the same
// bytes and neither file changed since they were compared.
MoveStatus ResolveExisting(const fs::Env& env, int srcDir, const std::string& src, const struct stat& s0, int dstDir,
                           const std::string& dst, const MoveOptions& options) {
  if (!options.replaceSame) return Status(MoveOutcome::DifferentFileThere);
  struct stat d0;
  if (!Lstat(env, dstDir, dst, d0)) return Status(MoveOutcome::Failed, errno);
  if (!S_ISREG(s0.st_mode) || !S_ISREG(d0.st_mode) || s0.st_size != d0.st_size)
    return Status(MoveOutcome::DifferentFileThere);
  if (s0.st_dev == d0.st_dev && s0.st_ino == d0.st_ino) return Status(MoveOutcome::Failed, EEXIST);
  if (!SameContent(env, srcDir, src, dstDir, dst)) return Status(MoveOutcome::DifferentFileThere);
  if (!Unchanged(env, srcDir, src, s0)) return Status(MoveOutcome::SourceChanged);
  if (!Unchanged(env, dstDir, dst, d0)) return Status(MoveOutcome::DifferentFileThere);
  std::string kept;
  if (s0.st_dev == d0.st_dev) {
    // A replaced file with other names keeps this one too, hidden, so that
    // an undo can give back the very file; the next move here clears it.
    if (options.keepLinkedReplaced && d0.st_nlink > 1) {
      const std::size_t slash = dst.rfind('/');
      kept = (slash == std::string::npos ? "" : dst.substr(0, slash + 1)) + TempName();
      if (env.Linkat(dstDir, dst.c_str(), dstDir, kept.c_str()) != 0) kept.clear();
    }
    if (env.Renameat2(srcDir, src.c_str(), dstDir, dst.c_str(), 0) != 0) {
      const int e = errno;
      if (!kept.empty()) env.Unlinkat(dstDir, kept.c_str(), 0);
      return Status(MoveOutcome::Failed, e);
    }
  } else {
    // The identical copy on the other file system stays and the source goes;
    // that copy may still live only in the cache, so it reaches the disk first.
    if (const int e = SyncExisting(env, dstDir, dst, d0); e != 0)
      return e == EEXIST ? Status(MoveOutcome::DifferentFileThere) : Status(MoveOutcome::Failed, e);
    if (env.Unlinkat(srcDir, src.c_str(), 0) != 0) return Status(MoveOutcome::Failed, errno);
  }
  MoveStatus replaced = Status(MoveOutcome::SameReplaced);
  replaced.replaced = d0;
  replaced.keptAs = kept;
  return replaced;
}

// A copy that did not become the move is taken back only while the source
// is still there as the same inode: then nothing is lost. When the source
// has gone (another run finished the move, or the user removed it), the copy
// may be the only one left and stays: the file is where it was meant to go.
// A different file under the source's name leaves the copy too.
MoveStatus WithdrawCopy(const fs::Env& env, int srcDir, const std::string& src, const struct stat& s0, int copyDir,
                        const std::string& copy, MoveStatus why) {
  struct stat now;
  if (Lstat(env, srcDir, src, now)) {
    if (!SameInode(s0, now)) return Status(MoveOutcome::SourceChanged);
    if (env.Unlinkat(copyDir, copy.c_str(), 0) != 0 && errno != ENOENT)
      return Status(MoveOutcome::Failed, errno);
    return why;
  }
  if (errno != ENOENT) return Status(MoveOutcome::Failed, errno);
  return CopiedThere();
}

MoveStatus MoveLinkAcross(const fs::Env& env, int srcDir, const std::string& src, const struct stat& s0, int dstDir,
                          const std::string& dst, const MoveOptions& options) {
  // One byte more than the link's length shows whether it grew meanwhile.
  const std::size_t room = static_cast<std::size_t>(s0.st_size < 4096 ? 4096 : s0.st_size) + 1;
  std::vector<char> target(room + 1);
  const ssize_t n = env.Readlinkat(srcDir, src.c_str(), target.data(), room);
  if (n < 0) return Status(MoveOutcome::Failed, errno);
  if (n != s0.st_size) return Status(MoveOutcome::SourceChanged);
  target[static_cast<std::size_t>(n)] = '\0';
  if (env.Symlinkat(target.data(), dstDir, dst.c_str()) != 0) {
    if (errno == EEXIST) return ResolveExisting(env, srcDir, src, s0, dstDir, dst, options);
    return Status(MoveOutcome::Failed, errno);
  }
  auto withdraw = [&](MoveStatus s) { return WithdrawCopy(env, srcDir, src, s0, dstDir, dst, s); };
  if (!Unchanged(env, srcDir, src, s0)) return withdraw(Status(MoveOutcome::SourceChanged));
  if (env.Unlinkat(srcDir, src.c_str(), 0) != 0) return withdraw(Status(MoveOutcome::Failed, errno));
  return CopiedThere();
}

// Copy to a temporary name beside the destination, flush, verify, give it
// its name without replacing, flush the folder, and only then remove the
// source (unless it is kept): at every moment one complete copy exists
// under a real name.
MoveStatus CopyAcross(const fs::Env& env, int srcDir, const std::string& src, const struct stat& s0, int dstDir,
                      const std::string& dst, const MoveOptions& options, bool keepSource = false) {
  if (S_ISLNK(s0.st_mode)) return MoveLinkAcross(env, srcDir, src, s0, dstDir, dst, options);
  if (!S_ISREG(s0.st_mode)) return Status(MoveOutcome::Failed, EOPNOTSUPP);
  struct stat existing;
  if (Lstat(env, dstDir, dst, existing)) return ResolveExisting(env, srcDir, src, s0, dstDir, dst, options);

  const std::size_t slash = dst.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : dst.substr(0, slash);
  const std::string leaf = slash == std::string::npos ? dst : dst.substr(slash + 1);
  UniqueFd dir(env, env.Open(dstDir, folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.get() < 0) return Status(MoveOutcome::Failed, errno);
  UniqueFd in(env, env.Open(srcDir, src.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
  if (in.get() < 0) return Status(MoveOutcome::Failed, errno);
  struct stat opened;
  if (env.Fstat(in.get(), opened) != 0) return Status(MoveOutcome::Failed, errno);
  if (!StillTheFileExamined(s0, opened)) return Status(MoveOutcome::SourceChanged);

  std::string tmp;
  int outFd = -1;
  for (int attempt = 0; attempt < 100 && outFd < 0; ++attempt) {
    tmp = TempName();
    outFd = env.Open(dir.get(), tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (outFd < 0 && errno != EEXIST) return Status(MoveOutcome::Failed, errno);
  }
  if (outFd < 0) return Status(MoveOutcome::Failed, EEXIST);
  UniqueFd out(env, outFd);
  auto discard = [&](MoveStatus s) {
    env.Unlinkat(dir.get(), tmp.c_str(), 0);
    return s;
  };

  const long long copied = CopyFileData(env, in.get(), out.get());
  if (copied < 0) return discard(Status(MoveOutcome::Failed, static_cast<int>(-copied)));
  if (copied != s0.st_size) return discard(Status(MoveOutcome::SourceChanged));
  const struct timespec times[2] = {s0.st_atim, s0.st_mtim};
  if (env.Fchmod(out.get(), s0.st_mode & 07777) != 0 || env.Futimens(out.get(), times) != 0 ||
      env.Fsync(out.get()) != 0)
    return discard(Status(MoveOutcome::Failed, errno));
  struct stat written;
  if (env.Fstat(out.get(), written) != 0) return discard(Status(MoveOutcome::Failed, errno));
  if (written.st_size != s0.st_size) return discard(Status(MoveOutcome::Failed, EIO));
  if (const int e = out.Close(); e != 0) return discard(Status(MoveOutcome::Failed, e));

  if (const int e = RenameNoReplace(env, dir.get(), tmp, dir.get(), leaf); e != 0) {
    discard(Status(MoveOutcome::Failed, e));
    if (e == EEXIST) return ResolveExisting(env, srcDir, src, s0, dstDir, dst, options);
    return Status(MoveOutcome::Failed, e);
  }
  auto withdraw = [&](MoveStatus s) { return WithdrawCopy(env, srcDir, src, s0, dir.get(), leaf, s); };
  if (env.Fsync(dir.get()) != 0) return withdraw(Status(MoveOutcome::Failed, errno));
  if (keepSource) return CopiedThere();
  if (!Unchanged(env, srcDir, src, s0)) return withdraw(Status(MoveOutcome::SourceChanged));
  if (env.Unlinkat(srcDir, src.c_str(), 0) != 0) return withdraw(Status(MoveOutcome::Failed, errno));
  return CopiedThere();
}

}  // namespace

MoveStatus CopyNoReplace(const fs::Env& env, int srcDir, const std::string& src, const struct stat& s0, int dstDir,
                         const std::string& dst) {
  if (!S_ISREG(s0.st_mode)) return Status(MoveOutcome::Failed, EOPNOTSUPP);
  return CopyAcross(env, srcDir, src, s0, dstDir, dst, {.replaceSame = false, .acrossDevices = true}, true);
}

int RenameNoReplace(const fs::Env& env, int fromDir, const std::string& from, int toDir, const std::string& to) {
  if (env.Renameat2(fromDir, from.c_str(), toDir, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
  if (errno != EINVAL && errno != ENOSYS) return errno;
  // No such rename on this file system: a new link fails on an existing name too.
  if (env.Linkat(fromDir, from.c_str(), toDir, to.c_str()) != 0) return errno;
  if (env.Unlinkat(fromDir, from.c_str(), 0) != 0) {
    const int e = errno;
    env.Unlinkat(toDir, to.c_str(), 0);
    return e;
  }
  return 0;
}

int CopyToNewFile(const fs::Env& env, const std::string& src, const std::string& dst) {
  UniqueFd in(env, env.Open(AT_FDCWD, src.c_str(), O_RDONLY | O_CLOEXEC));
  if (in.get() < 0) return errno;
  UniqueFd out(env, env.Open(AT_FDCWD, dst.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644));
  if (out.get() < 0) return errno;
  const long long copied = CopyFileData(env, in.get(), out.get());
  int e = copied < 0 ? static_cast<int>(-copied) : out.Close();
  if (e != 0) env.Unlinkat(AT_FDCWD, dst.c_str(), 0);
  return e;
}

bool IsMoveTempName(std::string_view name) {
  return name.starts_with(std::string_view(kTempPrefix, kTempPrefixLength));
}

int RemoveStaleMoveTemps(const fs::Env& env, int dirFd) {
  std::vector<std::string> stale;
  env.ListFolder(dirFd, ".", [&](std::string_view name, unsigned char) {
    if (!IsMoveTempName(name)) return;
    const pid_t owner = TempOwner(std::string(name));
    if (owner > 0 && ProcessGone(owner)) stale.emplace_back(name);
  });
  int removed = 0;
  for (const std::string& name : stale) {
    struct stat st;
    // Only plain files are ours; anything else of that name is left alone.
    if (Lstat(env, dirFd, name, st) && S_ISREG(st.st_mode) && env.Unlinkat(dirFd, name.c_str(), 0) == 0)
      ++removed;
  }
  return removed;
}

bool SameBytes(const fs::Env& env, int fdA, int fdB) {
  // On the stack and not cleared: Twinscan compares thousands of small
  // files, where allocating and clearing buffers per pair cost more than
  // reading the files.
  constexpr std::size_t kChunk = 1 << 15;
  char ba[kChunk], bb[kChunk];
  for (;;) {
    const ssize_t na = env.Read(fdA, ba, kChunk);
    if (na < 0) return false;
    if (na == 0) return env.Read(fdB, bb, 1) == 0;
    for (ssize_t off = 0; off < na;) {
      const ssize_t nb = env.Read(fdB, bb + off, static_cast<std::size_t>(na - off));
      if (nb <= 0) return false;
      off += nb;
    }
    if (std::memcmp(ba, bb, static_cast<std::size_t>(na)) != 0) return false;
  }
}

bool SameContent(const fs::Env& env, int dirA, const std::string& a, int dirB, const std::string& b) {
  UniqueFd fa(env, env.Open(dirA, a.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
  UniqueFd fb(env, env.Open(dirB, b.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
  if (fa.get() < 0 || fb.get() < 0) return false;
  struct stat sa, sb;
  if (env.Fstat(fa.get(), sa) != 0 || env.Fstat(fb.get(), sb) != 0) return false;
  if (!S_ISREG(sa.st_mode) || !S_ISREG(sb.st_mode) || sa.st_size != sb.st_size) return false;
  return SameBytes(env, fa.get(), fb.get());
}

MoveStatus MoveNoReplace(const fs::Env& env, int srcDir, const std::string& src, int dstDir, const std::string& dst,
                         const MoveOptions& options) {
  struct stat s0;
  if (!Lstat(env, srcDir, src, s0))
    return Status(errno == ENOENT ? MoveOutcome::SourceMissing : MoveOutcome::Failed, errno);
  return MoveExaminedNoReplace(env, srcDir, src, s0, dstDir, dst, options);
}

MoveStatus MoveExaminedNoReplace(const fs::Env& env, int srcDir, const std::string& src, const struct stat& s0, int dstDir,
                                 const std::string& dst, const MoveOptions& options) {
  if (S_ISDIR(s0.st_mode)) return Status(MoveOutcome::SourceIsFolder);
  const int e = RenameNoReplace(env, srcDir, src, dstDir, dst);
  if (e == 0) return Status(MoveOutcome::Moved);
  if (e == EEXIST) return ResolveExisting(env, srcDir, src, s0, dstDir, dst, options);
  if (e == EXDEV && options.acrossDevices) return CopyAcross(env, srcDir, src, s0, dstDir, dst, options);
  return Status(MoveOutcome::Failed, e);
}

}  // namespace pictray
