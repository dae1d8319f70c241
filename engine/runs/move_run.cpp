#include "engine/runs/move_run.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <unordered_map>

#include "engine/fs/folder_lock.h"
#include "engine/fs/paths.h"
#include "engine/fs/safe_move.h"
#include "engine/fs/unique_fd.h"
#include "engine/journal/journal.h"
#include "engine/names/folda_name.h"
#include "engine/runs/move_announcer.h"
#include "engine/runs/move_targets.h"
#include "engine/runs/sidecars.h"

namespace pictray {
namespace {

MoveFailReason ReasonOf(MoveOutcome o) {
  switch (o) {
    case MoveOutcome::DifferentFileThere: return MoveFailReason::DifferentFileThere;
    case MoveOutcome::SourceMissing: return MoveFailReason::SourceMissing;
    case MoveOutcome::SourceChanged: return MoveFailReason::SourceChanged;
    default: return MoveFailReason::MoveFailed;
  }
}

// Moves sourceFd/name into the folder `target` and marks its journal entry.
MoveStatus MoveJournalled(const fs::Env& env, int sourceFd, JournalWriter& journal, long id, const std::string& name,
                          const struct stat& before, const std::string& target) {
  const std::string to = target + "/" + name;
  const MoveStatus s = MoveExaminedNoReplace(env, sourceFd, name, before, sourceFd, to,
                                             {.replaceSame = true, .acrossDevices = true, .keepLinkedReplaced = true});
  if (!s.ok()) {
    journal.Failed(id, s.err);
    return s;
  }
  if (const auto after = StampAfterMove(env, sourceFd, to, before, s))
    journal.Done(id, *after, s.outcome == MoveOutcome::SameReplaced ? &s.replaced : nullptr, s.keptAs);
  return s;
}

}  // namespace

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
    host.MessageBox1Q(Message{Said::FolderBusy, {S}}, Button::Err, Button::Err);
    host.RunEnded(RunEnd{cmd::MoveStart});
    return report;
  }
  JournalWriter journal(env);
  if (const int e = journal.Create(st.journalDir, JournalRunKind::Move, S); e != 0) {
    report.refused = true;
    report.journalError = e;
    report.journalPath = st.journalDir;
    host.SetStatusText(1, "");
    host.MessageBox1Q(Message{Said::MoveJournalNotCreated, {st.journalDir}, {}, e}, Button::Err, Button::Err);
    host.RunEnded(RunEnd{cmd::MoveStart});
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
  const SidecarPlan sidecars(st.rows);
  MoveAnnouncer announcer(st.rows, sidecars, sourceFd, journal, nextEntry);
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
    lastChanged = 0;
    for (std::size_t k = 0; k < lineChanged.size(); ++k)
      if (lineChanged[k]) host.SetMoveResult(k, report.lines[k]);
    lineChanged.assign(lineChanged.size(), false);
  };
  auto fail = [&](std::size_t i, const Row& row, MoveFailReason reason, int err) {
    report.failures.push_back({i, row.name, row.target, reason, err});
  };
  auto markMoved = [&](std::size_t r) {
    st.rows.setKind(r, kind::Moved);
    firstChanged = std::min(firstChanged, r);
    lastChanged = std::max(lastChanged, r);
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
    // A sidecar goes with its picture, whatever its own row says.
    if (row.target.empty() || sidecars.Follows(i)) continue;
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
    if (const auto held = SidecarsHoldBack(env, sourceFd, row.target, announced.sidecars)) {
      fail(i, row, held->reason, held->err);
      journal.Failed(announced.id, ECANCELED);
      announcer.Withdraw(announced.sidecars);
      continue;
    }
    const MoveStatus s = MoveJournalled(env, sourceFd, journal, announced.id, row.name, announced.before, row.target);
    if (!s.ok()) {
      fail(i, row, ReasonOf(s.outcome), s.err);
      announcer.Withdraw(announced.sidecars);
      continue;
    }
    ++report.moved;
    if (folder.line < 0) {
      folder.line = static_cast<long>(report.lines.size());
      report.lines.push_back({row.target, 0, row.name, JoinPath(S, row.target),
                              folder.created ? "new" : "add"});
      lineChanged.push_back(true);
    }
    ++report.lines[static_cast<std::size_t>(folder.line)].count;
    lineChanged[static_cast<std::size_t>(folder.line)] = true;
    markMoved(i);
    // Sidecars count in no result; one that cannot follow is named on its own.
    for (const MoveAnnouncer::Sidecar& car : announced.sidecars) {
      if (car.id < 0) continue;
      const MoveStatus c = MoveJournalled(env, sourceFd, journal, car.id, car.name, car.before, row.target);
      if (c.ok())
        markMoved(car.row);
      else
        report.failures.push_back({car.row, car.name, row.target, ReasonOf(c.outcome), c.err});
    }
  }
  announcer.Withdraw();
  // A move stopped by its journal names every file it did not take up.
  if (report.journalError != 0)
    for (std::size_t r = i; r < st.rows.ListMax(); ++r) {
      const Row row = st.rows.row(r);
      if (!row.kind.empty() && row.kind != kind::Moved && !row.target.empty() && !sidecars.Follows(r))
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
  host.SetStatusText(1, "");
  host.RunEnded(RunEnd{cmd::MoveStart, report.aborted, false, false, !report.lines.empty()});
  return report;
}

}  // namespace pictray
