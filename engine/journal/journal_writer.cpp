#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "engine/fs/make_folders.h"
#include "engine/fs/paths.h"
#include "engine/journal/journal.h"
#include "engine/journal/journal_folder.h"
#include "engine/journal/journal_format.h"

namespace pictray {

int JournalWriter::Create(const std::string& dir, JournalRunKind kind, const std::string& folder,
                          const std::vector<std::string>& moreRoots) {
  if (dir.empty()) return ENOENT;
  if (const int e = MakeFolders(env_, dir, 0700); e != 0) return e;
  const std::string key = JournalFolderKey(env_, folder);
  const std::int64_t now = RealTimeNs(env_);
  path_ = JoinPath(dir, JournalFileName(key, now, static_cast<int>(::getpid())));
  fd_ = env_.Open(AT_FDCWD, path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_APPEND | O_CLOEXEC, 0600);
  if (fd_ < 0) return errno;
  if (const int e = Write(JournalRecord(kJournalMagic).Text(kJournalVersion).Text(KindName(kind)).Text(key).Number(now).Number(
          static_cast<int>(::getpid())));
      e != 0)
    return e;
  for (std::size_t i = 0; i < moreRoots.size(); ++i)
    if (const int e = Write(JournalRecord("R").Number(i + 1).Text(JournalFolderKey(env_, moreRoots[i]))); e != 0)
      return e;
  // The header reaches the disk before the first move.
  if (env_.Fdatasync(fd_) != 0) return errno;
  dir_ = dir;
  key_ = key;
  return 0;
}

JournalWriter::~JournalWriter() {
  if (fd_ >= 0) env_.Close(fd_);
}

int JournalWriter::Reopen(const std::string& path) {
  const int fd = env_.Open(AT_FDCWD, path.c_str(), O_RDWR | O_APPEND | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return errno;
  fd_ = fd;
  path_ = path;
  didSomething_ = true;  // an existing journal is never removed here
  // A record cut off by a kill gets its own line, so it cannot spoil the next.
  struct stat st {};
  if (env_.Fstat(fd, st) != 0) return errno;
  char last = '\n';
  if (st.st_size > 0 && env_.Pread(fd, &last, 1, st.st_size - 1) != 1) return errno;
  if (last != '\n' && env_.Write(fd, "\n", 1) != 1) return errno ? errno : EIO;
  return 0;
}

void JournalWriter::Add(const JournalRecord& record) { pending_ += JournalLine(record); }

int JournalWriter::Flush() {
  if (fd_ < 0) return EBADF;
  // O_APPEND: whole records land at the end, or a prefix of them when the
  // disk is full; the reader ignores such a prefix.
  std::size_t done = 0;
  while (done < pending_.size()) {
    const ssize_t n = env_.Write(fd_, pending_.data() + done, pending_.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (n == 0) return EIO;
    done += static_cast<std::size_t>(n);
  }
  pending_.clear();
  return 0;
}

int JournalWriter::Write(const JournalRecord& record) {
  Add(record);
  return Flush();
}

int JournalWriter::FolderBegin(long id, const std::string& rel, std::uint32_t root) {
  JournalRecord record("D");
  record.Number(id).Text(rel);
  if (root != 0) record.Number(root);
  return Write(record);
}

void JournalWriter::MoveBegin(long id, const std::string& from, const std::string& to, const FileIdentity& before,
                              std::uint32_t mode, std::uint32_t root) {
  JournalRecord record("M");
  record.Number(id).Text(from).Text(to).Stamp(before).Number(mode & 07777);
  if (root != 0) record.Number(root);
  Add(record);
}

void JournalWriter::Done(long id, const FileIdentity& now, const struct stat* replaced, const std::string& keptAs) {
  didSomething_ = true;
  JournalRecord record("OK");
  record.Number(id).Stamp(now).Number(replaced ? 1 : 0);
  if (replaced)
    record.Number(static_cast<std::uint32_t>(replaced->st_mode & 07777))
        .Number(Nanoseconds(replaced->st_atim))
        .Number(Nanoseconds(replaced->st_mtim))
        .Text(keptAs);
  Add(record);
}

void JournalWriter::Failed(long id, int err) {
  Add(JournalRecord("NO").Number(id).Number(err));
}

int JournalWriter::UndoBegin() {
  return Write(JournalRecord("U").Number(RealTimeNs(env_)).Number(static_cast<int>(::getpid())));
}

void JournalWriter::BackBegin(long id) { Add(JournalRecord("B").Number(id)); }
void JournalWriter::Back(long id) {
  Add(JournalRecord("BOK").Number(id));
}

void JournalWriter::Left(long id, int reason) {
  Add(JournalRecord("BNO").Number(id).Number(reason));
}

int JournalWriter::Close() {
  if (fd_ < 0) return 0;
  int e = Flush();
  if (env_.Fdatasync(fd_) != 0 && e == 0) e = errno;
  if (env_.Close(fd_) != 0 && e == 0) e = errno;
  fd_ = -1;
  // A run that moved nothing leaves nothing to undo; one that did makes
  // room for itself.
  if (!didSomething_ && env_.Unlinkat(AT_FDCWD, path_.c_str(), 0) != 0 && e == 0) e = errno;
  if (didSomething_ && !dir_.empty()) PruneJournals(env_, dir_, key_);
  return e;
}

int MakeFolderJournalled(JournalWriter& journal, long id, int dirFd, const std::string& rel, int& journalErr,
                         std::uint32_t root) {
  if ((journalErr = journal.FolderBegin(id, rel, root)) != 0) return journalErr;
  if (journal.env().Mkdirat(dirFd, rel.c_str(), 0777) != 0) {
    const int e = errno;
    journal.Failed(id, e);
    return e;
  }
  // A folder that cannot be looked at stays unmarked, like one a kill
  // interrupted: an undo removes it only while it is empty.
  struct stat st {};
  if (journal.env().Fstatat(dirFd, rel.c_str(), st, AT_SYMLINK_NOFOLLOW) == 0)
    journal.Done(id, IdentityOf(st));
  return 0;
}

}  // namespace pictray
