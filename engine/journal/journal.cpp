#include "engine/journal/journal.h"
#include "engine/journal/tab_fields.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <string_view>
#include <unordered_map>

#include "engine/fs/make_folders.h"
#include "engine/fs/paths.h"
#include "engine/fs/read_file.h"
#include "engine/fs/safe_move.h"

namespace pictray {
namespace {

constexpr const char* kMagic = "PJ";
constexpr const char* kVersion = "1";
constexpr const char* kSuffix = ".journal";



std::uint32_t Checksum(const std::string& text) {
  std::uint32_t h = 2166136261u;
  for (unsigned char c : text) h = (h ^ c) * 16777619u;
  return h;
}

// The journals of one folder share this name prefix.
std::string FolderPrefix(const std::string& key) {
  std::uint64_t h = 1469598103934665603ull;
  for (unsigned char c : key) h = (h ^ c) * 1099511628211ull;
  char buf[24];
  std::snprintf(buf, sizeof buf, "%016llx-", static_cast<unsigned long long>(h));
  return buf;
}

template <typename T>
bool Number(const std::string& text, T& value) {
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  return ec == std::errc() && end == text.data() + text.size();
}

// The fields of one line, checksum verified; false for a damaged line.
bool SplitLine(const std::string& line, std::vector<std::string>& fields) {
  const std::size_t tab = line.rfind('\t');
  if (tab == std::string::npos) return false;
  std::uint32_t sum = 0;
  const std::string sumText = line.substr(tab + 1);
  if (sumText.size() != 8) return false;
  const auto [end, ec] = std::from_chars(sumText.data(), sumText.data() + 8, sum, 16);
  if (ec != std::errc() || end != sumText.data() + 8) return false;
  const std::string body = line.substr(0, tab);
  if (Checksum(body) != sum) return false;
  fields.clear();
  std::size_t start = 0;
  for (;;) {
    const std::size_t next = body.find('\t', start);
    std::string field;
    if (!UnescapeField(body.substr(start, next == std::string::npos ? std::string::npos : next - start), field))
      return false;
    fields.push_back(std::move(field));
    if (next == std::string::npos) return true;
    start = next + 1;
  }
}

// How deep a record's names may go: a move takes a file of the folder into
// a folder made in it, an extraction into a folder of the folder it makes.
bool NamesInside(const JournalEntry& e, JournalRunKind kind) {
  const int folderDepth = kind == JournalRunKind::Move ? 1 : 2;
  if (e.kind == JournalEntry::Kind::Folder) return IsPathInside(e.to, folderDepth);
  return IsPathInside(e.from, 1) && IsPathInside(e.to, folderDepth + 1);
}

bool Stamp(const std::vector<std::string>& f, std::size_t at, FileIdentity& s) {
  return f.size() >= at + 5 && Number(f[at], s.dev) && Number(f[at + 1], s.ino) && Number(f[at + 2], s.size) &&
         Number(f[at + 3], s.mtimeNs) && Number(f[at + 4], s.ctimeNs);
}


}  // namespace

// One record being built: its fields joined by tabs, each escaped.
class JournalRecord {
 public:
  explicit JournalRecord(std::string_view tag) { body_ = tag; }
  JournalRecord& Text(std::string_view field) {
    body_ += '\t';
    AppendEscaped(body_, field);
    return *this;
  }
  template <typename T>
  JournalRecord& Number(T value) {
    char buf[24];
    const auto r = std::to_chars(buf, buf + sizeof buf, value);
    body_ += '\t';
    body_.append(buf, r.ptr);
    return *this;
  }
  JournalRecord& Stamp(const FileIdentity& s) {
    return Number(s.dev).Number(s.ino).Number(s.size).Number(s.mtimeNs).Number(s.ctimeNs);
  }
  const std::string& body() const { return body_; }

 private:
  std::string body_;
};

namespace {

const char* KindName(JournalRunKind k) { return k == JournalRunKind::Move ? "move" : "extract"; }

// The names in `dir` starting with `prefix` and ending in ".journal".
std::vector<std::string> JournalNames(const fs::Env& env, const std::string& dir, const std::string& prefix) {
  std::vector<std::string> names;
  env.ListFolder(AT_FDCWD, dir.c_str(), [&](std::string_view n, unsigned char) {
    if (n.starts_with(prefix) && n.ends_with(kSuffix)) names.emplace_back(n);
  });
  std::sort(names.begin(), names.end());
  return names;
}

// Removes the oldest journals of the folder `key` beyond the number kept.
void Prune(const fs::Env& env, const std::string& dir, const std::string& key) {
  const std::vector<std::string> names = JournalNames(env, dir, FolderPrefix(key));
  if (names.size() <= kJournalsKept) return;
  for (std::size_t i = 0; i + kJournalsKept < names.size(); ++i) {
    JournalRun run;
    const std::string path = JoinPath(dir, names[i]);
    // A journal of another folder whose name shares the prefix is not ours.
    if (ReadJournal(env, path, run) && run.valid && run.folder != key) continue;
    env.Unlinkat(AT_FDCWD, path.c_str(), 0);
  }
}

void ApplyRecord(const std::vector<std::string>& f, JournalRun& run,
                 std::unordered_map<long, std::size_t>& byId) {
  const std::string& tag = f[0];
  long id = 0;
  if (tag == "U") {
    ++run.undos;
    return;
  }
  if (f.size() < 2 || !Number(f[1], id)) {
    ++run.badLines;
    return;
  }
  if (tag == "D" && f.size() == 3) {
    JournalEntry e;
    e.kind = JournalEntry::Kind::Folder;
    e.id = id;
    e.to = f[2];
    e.unsafe = !NamesInside(e, run.kind);
    byId[id] = run.entries.size();
    run.entries.push_back(std::move(e));
    return;
  }
  // Journals of older runs have no mode.
  if (tag == "M" && (f.size() == 9 || f.size() == 10)) {
    JournalEntry e;
    e.id = id;
    e.from = f[2];
    e.to = f[3];
    if (!Stamp(f, 4, e.before) || (f.size() == 10 && !Number(f[9], e.mode))) {
      ++run.badLines;
      return;
    }
    e.unsafe = !NamesInside(e, run.kind);
    byId[id] = run.entries.size();
    run.entries.push_back(std::move(e));
    return;
  }
  const auto it = byId.find(id);
  if (it == byId.end()) {
    ++run.badLines;
    return;
  }
  JournalEntry& e = run.entries[it->second];
  if (tag == "OK") {
    e.state = JournalEntry::State::Done;
    if (f.size() == 8 || f.size() == 12) {
      Stamp(f, 2, e.after);
      e.replaced = f[7] == "1";
    }
    // Journals of older runs have no look at the replaced file.
    if (f.size() == 12) {
      e.replacedKnown = Number(f[8], e.replacedMode) && Number(f[9], e.replacedAtimeNs) &&
                        Number(f[10], e.replacedMtimeNs);
      // Only a hidden name of a move beside the destination is the undo's to rename.
      const std::string beside = e.to.substr(0, e.to.rfind('/') + 1);
      const std::string name = f[11].substr(std::min(beside.size(), f[11].size()));
      if (f[11].starts_with(beside) && IsMoveTempName(name) && IsPathInside(name, 1)) e.replacedKeptAs = f[11];
    }
  } else if (tag == "NO") {
    e.state = JournalEntry::State::Failed;
  } else if (tag == "B") {
    e.undo = JournalEntry::Undo::Pending;
  } else if (tag == "BOK") {
    e.undo = JournalEntry::Undo::Back;
  } else if (tag == "BNO") {
    e.undo = JournalEntry::Undo::Left;
    if (f.size() == 3) Number(f[2], e.leftReason);
  } else {
    ++run.badLines;
  }
}

}  // namespace

std::int64_t RealTimeNs(const fs::Env& env) { return Nanoseconds(env.Now()); }

std::string JournalDir(const fs::Env& env, const std::string& program) {
  const std::string state = env.StateFolder();
  return state.empty() ? "" : JoinPath(JoinPath(state, program), "journals");
}

std::string JournalFolderKey(const fs::Env& env, const std::string& folder) {
  std::string key = env.Realpath(folder.c_str());
  if (key.empty()) key = AbsolutePath(folder);
  while (key.size() > 1 && key.back() == '/') key.pop_back();
  return key;
}

int JournalWriter::Create(const std::string& dir, JournalRunKind kind, const std::string& folder) {
  if (dir.empty()) return ENOENT;
  if (const int e = MakeFolders(env_, dir, 0700); e != 0) return e;
  const std::string key = JournalFolderKey(env_, folder);
  const std::int64_t now = RealTimeNs(env_);
  char stamp[32];
  std::snprintf(stamp, sizeof stamp, "%020lld-%d", static_cast<long long>(now), static_cast<int>(::getpid()));
  path_ = JoinPath(dir, FolderPrefix(key) + stamp + kSuffix);
  fd_ = env_.Open(AT_FDCWD, path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_APPEND | O_CLOEXEC, 0600);
  if (fd_ < 0) return errno;
  if (const int e = Write(JournalRecord(kMagic).Text(kVersion).Text(KindName(kind)).Text(key).Number(now).Number(
          static_cast<int>(::getpid())));
      e != 0)
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

void JournalWriter::Add(const JournalRecord& record) {
  char sum[16];
  std::snprintf(sum, sizeof sum, "\t%08x\n", Checksum(record.body()));
  pending_ += record.body();
  pending_ += sum;
}

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

int JournalWriter::FolderBegin(long id, const std::string& rel) {
  return Write(JournalRecord("D").Number(id).Text(rel));
}

void JournalWriter::MoveBegin(long id, const std::string& from, const std::string& to, const FileIdentity& before,
                              std::uint32_t mode) {
  Add(JournalRecord("M").Number(id).Text(from).Text(to).Stamp(before).Number(mode & 07777));
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
  if (didSomething_ && !dir_.empty()) Prune(env_, dir_, key_);
  return e;
}

int MakeFolderJournalled(JournalWriter& journal, long id, int dirFd, const std::string& rel, int& journalErr) {
  if ((journalErr = journal.FolderBegin(id, rel)) != 0) return journalErr;
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

bool JournalEntry::Settled() const { return unsafe || state == State::Failed || undo == Undo::Back; }

std::size_t JournalRun::ToTakeBack() const {
  return static_cast<std::size_t>(std::count_if(entries.begin(), entries.end(), [](const JournalEntry& e) {
    return e.kind == JournalEntry::Kind::Move && !e.Settled();
  }));
}

bool JournalRun::Undoable() const {
  return std::any_of(entries.begin(), entries.end(), [](const JournalEntry& e) { return !e.Settled(); });
}

JournalRun ParseJournal(const std::string& bytes) {
  JournalRun run;
  std::unordered_map<long, std::size_t> byId;
  std::vector<std::string> fields;
  std::size_t start = 0;
  bool first = true;
  while (start < bytes.size()) {
    const std::size_t end = bytes.find('\n', start);
    if (end == std::string::npos) {
      ++run.badLines;  // the last record, cut off
      break;
    }
    const std::string line = bytes.substr(start, end - start);
    start = end + 1;
    if (line.empty()) continue;  // the line feed added after a cut-off record
    if (!SplitLine(line, fields)) {
      ++run.badLines;
      if (first) return run;
      continue;
    }
    if (first) {
      first = false;
      if (fields.size() != 6 || fields[0] != kMagic || fields[1] != kVersion ||
          (fields[2] != "move" && fields[2] != "extract") || !Number(fields[4], run.timeNs))
        return run;
      run.kind = fields[2] == "move" ? JournalRunKind::Move : JournalRunKind::Extract;
      run.folder = fields[3];
      run.valid = true;
      continue;
    }
    ApplyRecord(fields, run, byId);
  }
  return run;
}

bool ReadJournal(const fs::Env& env, const std::string& path, JournalRun& run) {
  const FileContent content = ReadRegularFile(env, path, kJournalReadLimit);
  if (content.err != 0) {
    errno = content.err;
    return false;
  }
  run = ParseJournal(content.bytes);
  run.path = path;
  return true;
}

void ForEachJournalOf(const fs::Env& env, const std::string& dir, const std::string& folder,
                      const std::function<bool(JournalRun&)>& visit, const JournalRefused& refused) {
  const std::string key = JournalFolderKey(env, folder);
  const std::vector<std::string> names = JournalNames(env, dir, FolderPrefix(key));
  for (auto it = names.rbegin(); it != names.rend(); ++it) {
    JournalRun run;
    const std::string path = JoinPath(dir, *it);
    if (!ReadJournal(env, path, run)) {
      if (refused) refused(path, errno);
      continue;
    }
    if (run.valid && run.folder == key && !visit(run)) return;
  }
}

std::vector<JournalRun> JournalsOf(const fs::Env& env, const std::string& dir, const std::string& folder) {
  std::vector<JournalRun> runs;
  ForEachJournalOf(env, dir, folder, [&](JournalRun& run) {
    runs.push_back(std::move(run));
    return true;
  });
  return runs;
}

}  // namespace pictray
