#include "engine/runs/move_run.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <map>
#include <optional>
#include <unordered_map>

#include "engine/fs/folder_lock.h"
#include "engine/fs/paths.h"
#include "engine/fs/safe_move.h"
#include "engine/fs/unique_fd.h"
#include "engine/journal/journal.h"
#include "engine/names/folda_name.h"
#include "engine/settings/settings_keys.h"

namespace pictray {
namespace {

bool DigitsOnly(const std::string& s) {
  if (s.empty()) return false;
  for (char c : s)
    if (c < '0' || c > '9') return false;
  return true;
}

Said ReasonSaid(MoveFailReason r) {
  switch (r) {
    case MoveFailReason::SourceFolder: return Said::MoveLeftSourceFolder;
    case MoveFailReason::UnsafeTarget: return Said::MoveLeftUnsafeTarget;
    case MoveFailReason::TargetNotFolder: return Said::MoveLeftTargetNotFolder;
    case MoveFailReason::FolderNotCreated: return Said::MoveLeftFolderNotCreated;
    case MoveFailReason::DifferentFileThere: return Said::MoveLeftDifferentFileThere;
    case MoveFailReason::SourceMissing: return Said::MoveLeftSourceMissing;
    case MoveFailReason::SourceChanged: return Said::MoveLeftSourceChanged;
    case MoveFailReason::MoveFailed: return Said::MoveLeftMoveFailed;
    case MoveFailReason::JournalStopped: return Said::MoveLeftJournalStopped;
  }
  return Said::MoveLeftMoveFailed;
}

MoveFailReason ReasonOf(MoveOutcome o) {
  switch (o) {
    case MoveOutcome::DifferentFileThere: return MoveFailReason::DifferentFileThere;
    case MoveOutcome::SourceMissing: return MoveFailReason::SourceMissing;
    case MoveOutcome::SourceChanged: return MoveFailReason::SourceChanged;
    default: return MoveFailReason::MoveFailed;
  }
}

// A target folder as the run found or made it, checked once per run.
struct TargetFolder {
  bool ready = false;
  bool created = false;
  MoveFailReason reason = MoveFailReason::FolderNotCreated;
  int err = 0;
  long line = -1;  // its LV02 line, once a file arrived
};

// The folder is made between two journal records (entry `id`), so that an
// undo takes it away again; `journalErr` tells that a record failed.
TargetFolder OpenTargetFolder(const fs::Env& env, int sourceFd, const std::string& target, JournalWriter& journal, long id,
                              int& journalErr) {
  TargetFolder f;
  struct stat st;
  if (env.Fstatat(sourceFd, target.c_str(), st, 0) != 0) {
    if (errno != ENOENT) {
      f.err = errno;
      return f;
    }
    f.err = MakeFolderJournalled(journal, id, sourceFd, target, journalErr);
    if (journalErr != 0) return f;
    if (f.err == 0) {
      f.ready = f.created = true;
      return f;
    }
    if (f.err != EEXIST || env.Fstatat(sourceFd, target.c_str(), st, 0) != 0) return f;
  }
  f.ready = S_ISDIR(st.st_mode);
  if (!f.ready) {
    f.reason = MoveFailReason::TargetNotFolder;
    return f;
  }
  // Copies left half-made by a move that was killed go before new ones arrive.
  if (const UniqueFd dir(env, env.Open(sourceFd, target.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)); dir.get() >= 0)
    RemoveStaleMoveTemps(env, dir.get());
  return f;
}

// Moves go into the journal a batch ahead: one write announces the moves of
// the next rows, each with the file's look, before any of them is made, so
// the journal costs one write per batch rather than per file. The look is
// also the one the move itself starts from.
class MoveAnnouncer {
 public:
  static constexpr std::size_t kAhead = 256;

  struct Move {
    long id = -1;  // -1: the file could not be looked at (err)
    int err = 0;
    struct stat before {};
  };

  MoveAnnouncer(const FileList& rows, int sourceFd, JournalWriter& journal, long& nextEntry)
      : rows_(rows), sourceFd_(sourceFd), journal_(journal), nextEntry_(nextEntry) {}

  // The announced move of row `i`, announcing the next batch first when `i`
  // is past the last one. Returns 0 or the errno of writing the journal.
  int Take(std::size_t i, Move& move) {
    if (i >= announcedTo_)
      if (const int e = Announce(i); e != 0) return e;
    const auto it = ahead_.find(i);
    if (it == ahead_.end()) {
      move = {-1, ENOENT, {}};
      return 0;
    }
    move = it->second;
    ahead_.erase(it);
    return 0;
  }

  // Moves announced and then not made (a folder that could not be made,
  // the run stopped) are marked as not made.
  void Withdraw() {
    for (const auto& [row, move] : ahead_)
      if (move.id >= 0) journal_.Failed(move.id, ECANCELED);
    ahead_.clear();
  }

 private:
  int Announce(std::size_t from) {
    std::size_t r = from, count = 0;
    for (; r < rows_.ListMax() && count < kAhead; ++r) {
      const Row row = rows_.row(r);
      if (row.kind.empty() || row.kind == kind::Moved || row.target.empty() || !IsSafeFolderName(row.target) ||
          !IsSafeFolderName(row.name))
        continue;
      Move& m = ahead_[r];
      ++count;
      if (journal_.env().Fstatat(sourceFd_, row.name.c_str(), m.before, AT_SYMLINK_NOFOLLOW) != 0) {
        m.err = errno;
        continue;
      }
      m.id = nextEntry_++;
      journal_.MoveBegin(m.id, row.name, row.target + "/" + row.name, IdentityOf(m.before), m.before.st_mode);
    }
    announcedTo_ = r;
    return journal_.Flush();
  }

  const FileList& rows_;
  int sourceFd_;
  JournalWriter& journal_;
  long& nextEntry_;
  std::size_t announcedTo_ = 0;
  std::map<std::size_t, Move> ahead_;
};

// Where a moved file is now, as the journal keeps it. A rename keeps all
// but the change time, which it sets no later than now; across file systems
// a byte-identical file there stays as it was; a copy (renaming refused, as
// across file systems or bind mounts) is a new file, looked at. Nothing when
// that look fails: the entry stays unmarked, and the undo judges it on the disk.
std::optional<FileIdentity> StampAfterMove(const fs::Env& env, int sourceFd, const std::string& to,
                                           const struct stat& before, const MoveStatus& moved) {
  FileIdentity after = IdentityOf(before);
  after.ctimeNs = RealTimeNs(env);
  if (moved.outcome == MoveOutcome::SameReplaced)
    return moved.replaced.st_dev == before.st_dev ? after : IdentityOf(moved.replaced);
  if (!moved.copied) return after;
  struct stat st {};
  if (env.Fstatat(sourceFd, to.c_str(), st, AT_SYMLINK_NOFOLLOW) != 0) return std::nullopt;
  return IdentityOf(st);
}

}  // namespace

Message MoveFailureMessage(const MoveFailure& f) {
  return Message{Said::NotMoved, {f.name, f.target}, {}, f.err, {Message{ReasonSaid(f.reason)}}};
}

Message MoveEndMessage(const MoveReport& report) {
  Message end{Said::MoveEnd};
  if (report.journalError != 0) {
    end.names = {report.journalPath};
    end.error = report.journalError;
  }
  if (report.failures.empty()) return end;
  std::map<MoveFailReason, long long> byReason;
  for (const MoveFailure& f : report.failures) ++byReason[f.reason];
  end.numbers = {static_cast<long long>(report.failures.size())};
  for (const auto& [reason, count] : byReason) end.items.push_back(Message{ReasonSaid(reason), {}, {count}});
  return end;
}

void BeforMoveCheck(RunHost& host, PictrayState& st, const std::string& S) {
  const int SRgb0 = ReadSettingNumber(key::SRgb0, st.profile);
  const int SRgb3 = ReadSettingNumber(key::SRgb3, st.profile);
  if (SRgb3 == 0 || st.rows.kind(0) != kind::Strength) return;
  static const char* const kBases[] = {"RED", "GREEN", "BLUE"};
  if (SRgb0 < 0 || SRgb0 > 2) return;
  const std::string base = kBases[SRgb0];
  // A name taken by anything (not only a folder) is passed over, so the
  // move never aims at a file.
  std::string name = base;
  for (int k = 1; PathExists(*st.env, JoinPath(S, name)); ++k) name = base + std::to_string(k);
  for (std::size_t i = 0; i < st.rows.ListMax(); ++i) {
    const Row row = st.rows.row(i);
    if (row.kind == kind::Moved || !DigitsOnly(row.target)) continue;
    st.rows.setTarget(i, name, row.kind);
    host.RowsChanged(i, i);
  }
}

void BeforFoldaCheck(RunHost& host, PictrayState& st, const std::string& S) {
  std::string first;
  for (std::size_t i = 0; i < st.rows.ListMax() && first.empty(); ++i) {
    const Row row = st.rows.row(i);
    if (row.kind != kind::Moved) first = row.target;
  }
  if (first != kColourMatchFolder) return;
  const std::string existing = JoinPath(S, kColourMatchFolder);
  if (!PathExists(*st.env, existing)) return;
  if (host.MessageBox1Q(Message{Said::ColourMatchQuestion}, Button::Ok, Button::No) != 6) return;
  const std::string renamed = GetNewFoldaName(*st.env, existing + "/");
  for (std::size_t i = 0; i < st.rows.ListMax(); ++i) {
    const Row row = st.rows.row(i);
    if (row.kind == kind::Moved || row.target != kColourMatchFolder) continue;
    st.rows.setTarget(i, renamed, row.kind);
    host.RowsChanged(i, i);
  }
}

std::string GetNewFoldaName(const fs::Env& env, const std::string& path) {
  std::string folder = path;
  if (!folder.empty() && folder.back() == '/') folder.pop_back();
  const std::size_t slash = folder.rfind('/');
  const std::string parent = slash == std::string::npos ? "." : folder.substr(0, slash);
  const std::string last = slash == std::string::npos ? folder : folder.substr(slash + 1);
  long long N = 0;
  for (char c : last) {
    if (c < '0' || c > '9' || N > 1000000000LL) break;
    N = N * 10 + (c - '0');
  }
  for (;;) {
    ++N;
    const std::string n = std::to_string(N);
    const std::string candidate = n + "-" + n + "-" + n;
    if (!PathExists(env, parent + "/" + candidate)) return candidate;
  }
}

void PrepareMove(RunHost& host, PictrayState& st, const std::string& S) {
  host.SetSummary({});
  host.ClearMoveResults();
  BeforMoveCheck(host, st, S);
  BeforFoldaCheck(host, st, S);
}

MoveReport ThreadMakeFoldaAndMove(ParamBlock& val21, PictrayState& st, RunHost& host,
                                  RunRegistry::Guard /*registration, held until the move returns*/) {
  MoveReport report;
  const std::string S = val21.folder;
  host.SetStatusText(1, "Wait! Now Loading");
  const std::size_t n = st.rows.ListMax();
  host.SetProgressRange(Control::PR01, 0, 100);
  host.SetStatusText(1, "0/" + std::to_string(n));
  host.SetProgress(Control::PR01, 0);
  host.DeselectAll();

  const fs::Env& env = *st.env;
  FolderLock lock;
  if (lock.TryLock(env, S) == EWOULDBLOCK) {
    report.refused = true;
    host.SetStatusText(1, "");
    host.ShowControl(Control::GRST01, false);
    host.MessageBox1Q(Message{Said::FolderBusy, {S}}, Button::Err, Button::Err);
    return report;
  }
  JournalWriter journal(env);
  if (const int e = journal.Create(st.journalDir, JournalRunKind::Move, S); e != 0) {
    report.refused = true;
    report.journalError = e;
    report.journalPath = st.journalDir;
    host.SetStatusText(1, "");
    host.ShowControl(Control::GRST01, false);
    host.MessageBox1Q(Message{Said::MoveJournalNotCreated, {st.journalDir}, {}, e}, Button::Err, Button::Err);
    return report;
  }
  long nextEntry = 0;
  auto journalFailed = [&](int e) {
    report.journalError = e;
    report.journalPath = journal.path();
  };
  const UniqueFd source(env, env.Open(AT_FDCWD, S.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
  const int sourceFd = source.get();
  const int sourceErr = sourceFd < 0 ? errno : 0;
  // Copies half-made here by an undo that was killed.
  if (sourceFd >= 0) RemoveStaleMoveTemps(env, sourceFd);
  MoveAnnouncer announcer(st.rows, sourceFd, journal, nextEntry);
  std::unordered_map<std::string, TargetFolder> folders;

  // The window is told at most once per percent, so a large folder does
  // not wait on thousands of round trips to the window's thread.
  std::size_t counted = 0;
  int shown = -1;
  std::size_t firstChanged = SIZE_MAX, lastChanged = 0;
  std::vector<bool> lineChanged;
  auto tellWindow = [&](std::size_t row) {
    host.SetProgress(Control::PR01, shown);
    host.SetStatusText(1, std::to_string(counted) + "/" + std::to_string(n));
    host.ShowRunPlace(row);
    if (firstChanged != SIZE_MAX) host.RowsChanged(firstChanged, lastChanged);
    firstChanged = SIZE_MAX;
    for (std::size_t k = 0; k < lineChanged.size(); ++k)
      if (lineChanged[k]) host.SetMoveResult(k, report.lines[k]);
    lineChanged.assign(lineChanged.size(), false);
  };
  auto fail = [&](std::size_t i, const Row& row, MoveFailReason reason, int err) {
    report.failures.push_back({i, row.name, row.target, reason, err});
  };

  std::size_t i = 0;
  for (; i < st.rows.ListMax(); ++i) {
    if (val21.Aborted()) {
      report.aborted = true;
      break;
    }
    const Row row = st.rows.row(i);
    if (row.kind.empty() || row.kind == kind::Moved) continue;
    ++counted;
    const int position = n == 0 ? 100 : static_cast<int>(counted * 100 / n);
    if (position != shown) {
      shown = position;
      tellWindow(i);
    }
    if (row.target.empty()) continue;
    if (sourceFd < 0) {
      fail(i, row, MoveFailReason::SourceFolder, sourceErr);
      continue;
    }
    if (!IsSafeFolderName(row.target)) {
      fail(i, row, MoveFailReason::UnsafeTarget, 0);
      continue;
    }
    if (!IsSafeFolderName(row.name)) {
      fail(i, row, MoveFailReason::MoveFailed, EINVAL);
      continue;
    }
    auto [it, added] = folders.try_emplace(row.target);
    TargetFolder& folder = it->second;
    if (added) {
      int journalErr = 0;
      folder = OpenTargetFolder(env, sourceFd, row.target, journal, nextEntry++, journalErr);
      if (journalErr != 0) {
        journalFailed(journalErr);
        break;
      }
    }
    if (!folder.ready) {
      fail(i, row, folder.reason, folder.err);
      continue;
    }
    MoveAnnouncer::Move announced;
    if (const int e = announcer.Take(i, announced); e != 0) {
      journalFailed(e);
      break;
    }
    if (announced.id < 0) {
      fail(i, row, announced.err == ENOENT ? MoveFailReason::SourceMissing : MoveFailReason::MoveFailed,
           announced.err);
      continue;
    }
    const std::string to = row.target + "/" + row.name;
    const MoveStatus s = MoveExaminedNoReplace(env, sourceFd, row.name, announced.before, sourceFd, to,
                                               {.replaceSame = true, .acrossDevices = true, .keepLinkedReplaced = true});
    if (!s.ok()) {
      fail(i, row, ReasonOf(s.outcome), s.err);
      journal.Failed(announced.id, s.err);
      continue;
    }
    if (const auto after = StampAfterMove(env, sourceFd, to, announced.before, s))
      journal.Done(announced.id, *after, s.outcome == MoveOutcome::SameReplaced ? &s.replaced : nullptr, s.keptAs);
    ++report.moved;
    if (folder.line < 0) {
      folder.line = static_cast<long>(report.lines.size());
      report.lines.push_back({row.target, 0, row.name, JoinPath(S, row.target),
                              folder.created ? "new" : "add"});
      lineChanged.push_back(true);
    }
    ++report.lines[static_cast<std::size_t>(folder.line)].count;
    lineChanged[static_cast<std::size_t>(folder.line)] = true;
    st.rows.setKind(i, kind::Moved);
    firstChanged = std::min(firstChanged, i);
    lastChanged = i;
  }
  announcer.Withdraw();
  // A move stopped by its journal names every file it did not take up.
  if (report.journalError != 0)
    for (std::size_t r = i; r < st.rows.ListMax(); ++r) {
      const Row row = st.rows.row(r);
      if (!row.kind.empty() && row.kind != kind::Moved && !row.target.empty())
        fail(r, row, MoveFailReason::JournalStopped, report.journalError);
    }
  if (counted > 0) tellWindow(i == 0 ? 0 : i - 1);

  // A folder made by this run that received nothing is not left behind;
  // removal fails harmlessly when something else arrived in it meanwhile.
  for (const auto& [target, folder] : folders)
    if (folder.created && folder.line < 0) env.Unlinkat(sourceFd, target.c_str(), AT_REMOVEDIR);
  if (const int e = journal.Close(); e != 0 && report.journalError == 0) journalFailed(e);

  if (!report.aborted) host.SetProgress(Control::PR01, 0);
  host.DeselectAll();
  if (!report.lines.empty() || !report.failures.empty() || report.journalError != 0) {
    const Button button = report.failures.empty() && report.journalError == 0 ? Button::Yes : Button::Err;
    host.MessageBox1Q(MoveEndMessage(report), button, button);
  }
  if (!report.lines.empty()) host.ShowControl(Control::BT21, true);
  host.SetStatusText(1, "");
  host.ShowControl(Control::GRST01, false);
  return report;
}

}  // namespace pictray
