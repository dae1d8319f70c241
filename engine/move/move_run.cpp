#include "engine/move/move_run.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <optional>
#include <unordered_map>

#include "engine/fs/paths.h"
#include "engine/fs/safe_move.h"
#include "engine/journal/journal.h"
#include "engine/move/journalled_move.h"
#include "engine/move/move_announcer.h"
#include "engine/move/move_targets.h"
#include "engine/move/sidecars.h"
#include "engine/names/folda_name.h"

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

// Pictray's steps in the frame: the listed rows with a target, each into its
// folder with its sidecars, the window told as they go.
class RowMoves final : public MoveSteps {
 public:
  RowMoves(ParamBlock& val21, PictrayState& st, RunHost& host, MoveReport& report)
      : val21_(val21), st_(st), host_(host), report_(report), n_(st.rows.ListMax()), sidecars_(st.rows) {}

  void Begin(MoveFrame& frame) override {
    announcer_.emplace(st_.rows, sidecars_, frame.fd(), frame.journal(), frame.nextEntry());
  }
  std::size_t Count() const override { return st_.rows.ListMax(); }
  bool Aborted() const override { return val21_.Aborted(); }
  bool Take(std::size_t i, MoveFrame& frame) override;
  void Stopped(std::size_t at, MoveStop why, MoveFrame& frame) override;

 private:
  void TellWindow(std::size_t row);
  void Fail(std::size_t i, const Row& row, MoveFailReason reason, int err) {
    report_.failures.push_back({i, row.name, row.target, reason, err});
  }
  void MarkMoved(std::size_t r) {
    st_.rows.setKind(r, kind::Moved);
    firstChanged_ = std::min(firstChanged_, r);
    lastChanged_ = std::max(lastChanged_, r);
  }
  // The first file in `folder`: its LV02 line.
  void CountIn(TargetFolder& folder, const Row& row, MoveFrame& frame);

  ParamBlock& val21_;
  PictrayState& st_;
  RunHost& host_;
  MoveReport& report_;
  const std::size_t n_;
  const SidecarPlan sidecars_;
  std::optional<MoveAnnouncer> announcer_;
  std::unordered_map<std::string, TargetFolder> folders_;
  // The window is told at most once per percent, so a large folder does
  // not wait on thousands of round trips to the window's thread.
  std::size_t counted_ = 0;
  int shown_ = -1;
  std::size_t firstChanged_ = SIZE_MAX, lastChanged_ = 0;
  std::vector<bool> lineChanged_;
};

void RowMoves::TellWindow(std::size_t row) {
  host_.Progressed(RunProgress::Done(cmd::MoveStart, counted_, n_));
  host_.ShowRunPlace(row);
  if (firstChanged_ != SIZE_MAX) host_.RowsChanged(firstChanged_, lastChanged_);
  firstChanged_ = SIZE_MAX;
  lastChanged_ = 0;
  for (std::size_t k = 0; k < lineChanged_.size(); ++k)
    if (lineChanged_[k]) host_.SetMoveResult(k, report_.lines[k]);
  lineChanged_.assign(lineChanged_.size(), false);
}

void RowMoves::CountIn(TargetFolder& folder, const Row& row, MoveFrame& frame) {
  if (folder.line < 0) {
    folder.line = static_cast<long>(report_.lines.size());
    report_.lines.push_back({row.target, 0, row.name, JoinPath(val21_.folder, row.target),
                             folder.created ? "new" : "add"});
    lineChanged_.push_back(true);
    frame.Arrived(row.target);
  }
  ++report_.lines[static_cast<std::size_t>(folder.line)].count;
  lineChanged_[static_cast<std::size_t>(folder.line)] = true;
}

bool RowMoves::Take(std::size_t i, MoveFrame& frame) {
  const Row row = st_.rows.row(i);
  if (row.kind.empty() || row.kind == kind::Moved) return true;
  ++counted_;
  const int position = n_ == 0 ? 100 : static_cast<int>(counted_ * 100 / n_);
  if (position != shown_) {
    shown_ = position;
    TellWindow(i);
  }
  // A sidecar goes with its picture, whatever its own row says.
  if (row.target.empty() || sidecars_.Follows(i)) return true;
  if (frame.fd() < 0) {
    Fail(i, row, MoveFailReason::SourceFolder, frame.folderError());
    return true;
  }
  if (!IsSafeTarget(row.target)) {
    Fail(i, row, MoveFailReason::UnsafeTarget, 0);
    return true;
  }
  if (!IsSafeFolderName(row.name)) {
    Fail(i, row, MoveFailReason::MoveFailed, EINVAL);
    return true;
  }
  auto [it, added] = folders_.try_emplace(row.target);
  TargetFolder& folder = it->second;
  if (added) {
    folder = OpenTargetFolder(frame, row.target);
    if (frame.journalError() != 0) return false;
  }
  if (!folder.ready) {
    Fail(i, row, folder.reason, folder.err);
    return true;
  }
  MoveAnnouncer::Move announced;
  if (const int e = announcer_->Take(i, announced); e != 0) {
    frame.JournalFailed(e);
    return false;
  }
  if (announced.id < 0) {
    Fail(i, row, announced.err == ENOENT ? MoveFailReason::SourceMissing : MoveFailReason::MoveFailed, announced.err);
    return true;
  }
  const fs::Env& env = frame.env();
  if (const auto held = SidecarsHoldBack(env, frame.fd(), row.target, announced.sidecars)) {
    Fail(i, row, held->reason, held->err);
    frame.journal().Failed(announced.id, ECANCELED);
    announcer_->Withdraw(announced.sidecars);
    return true;
  }
  const MoveStatus s =
      MoveJournalled(env, frame.fd(), frame.journal(), announced.id, row.name, announced.before, row.target);
  if (!s.ok()) {
    Fail(i, row, ReasonOf(s.outcome), s.err);
    announcer_->Withdraw(announced.sidecars);
    return true;
  }
  ++report_.moved;
  CountIn(folder, row, frame);
  MarkMoved(i);
  // Sidecars count in no result; one that cannot follow is named on its own.
  for (const MoveAnnouncer::Sidecar& car : announced.sidecars) {
    if (car.id < 0) continue;
    const MoveStatus c = MoveJournalled(env, frame.fd(), frame.journal(), car.id, car.name, car.before, row.target);
    if (c.ok())
      MarkMoved(car.row);
    else
      report_.failures.push_back({car.row, car.name, row.target, ReasonOf(c.outcome), c.err});
  }
  return true;
}

void RowMoves::Stopped(std::size_t at, MoveStop why, MoveFrame& frame) {
  if (announcer_) announcer_->Withdraw();
  // A move stopped by its journal names every file it did not take up.
  if (why == MoveStop::Journal)
    for (std::size_t r = at; r < st_.rows.ListMax(); ++r) {
      const Row row = st_.rows.row(r);
      if (!row.kind.empty() && row.kind != kind::Moved && !row.target.empty() && !sidecars_.Follows(r))
        Fail(r, row, MoveFailReason::JournalStopped, frame.journalError());
    }
  if (counted_ > 0) TellWindow(at == 0 ? 0 : at - 1);
}

// The run refused before it began: nothing moved, `said` tells why.
MoveReport Refused(RunHost& host, MoveReport report, const Message& said) {
  report.refused = true;
  host.Progressed(RunProgress::Stage(RunProgress::Kind::Uncounted));
  host.MessageBox1Q(said, Button::Err, Button::Err);
  host.RunEnded(RunEnd{cmd::MoveStart});
  return report;
}

}  // namespace

MoveReport ThreadMakeFoldaAndMove(ParamBlock& val21, PictrayState& st, RunHost& host,
                                  RunRegistry::Guard /*registration, held until the move returns*/) {
  MoveReport report;
  const std::string S = val21.folder;
  host.Progressed(RunProgress::Stage(RunProgress::Kind::Loading));
  host.Progressed(RunProgress::Began(cmd::MoveStart, st.rows.ListMax()));
  host.DeselectAll();

  RowMoves moves(val21, st, host, report);
  const MoveEnd end =
      RunJournalledMove(*st.env, {.folder = S, .journalDir = st.journalDir, .folderNeeded = false}, moves);
  report.aborted = end.aborted;
  report.journalError = end.journalError;
  report.journalPath = end.journalPath;
  if (end.refusal != 0) return Refused(host, report, Message{Said::FolderBusy, {S}});
  if (!end.ran) return Refused(host, report, Message{Said::MoveJournalNotCreated, {st.journalDir}, {}, end.journalError});

  if (!report.aborted) host.Progressed(RunProgress::Over(cmd::MoveStart));
  host.DeselectAll();
  if (!report.lines.empty() || !report.failures.empty() || report.journalError != 0) {
    const Button button = report.failures.empty() && report.journalError == 0 ? Button::Yes : Button::Err;
    host.MessageBox1Q(MoveEndMessage(report), button, button);
  }
  host.Progressed(RunProgress::Stage(RunProgress::Kind::Uncounted));
  host.RunEnded(RunEnd{cmd::MoveStart, report.aborted, false, false, !report.lines.empty()});
  return report;
}

}  // namespace pictray
