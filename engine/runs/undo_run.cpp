#include "engine/runs/undo_run.h"

#include <algorithm>
#include <cerrno>

namespace pictray {

Message UndoQuestion(const JournalRun& run) {
  return Message{run.kind == JournalRunKind::Move ? Said::UndoMoveQuestion : Said::UndoExtractQuestion,
                 {RunTimeText(run)},
                 {static_cast<long long>(run.ToTakeBack())}};
}

Said UndoLeftSaid(UndoLeftReason reason) {
  switch (reason) {
    case UndoLeftReason::NameTaken: return Said::UndoLeftNameTaken;
    case UndoLeftReason::Changed: return Said::UndoLeftChanged;
    case UndoLeftReason::Missing: return Said::UndoLeftMissing;
    case UndoLeftReason::Refused: return Said::UndoLeftRefused;
    case UndoLeftReason::FolderNotEmpty: return Said::UndoLeftFolderNotEmpty;
    case UndoLeftReason::Failed: return Said::UndoLeftFailed;
  }
  return Said::UndoLeftFailed;
}

Message UndoEndMessage(const UndoReport& report) {
  if (report.refused && report.error == EWOULDBLOCK) return Message{Said::FolderBusy};
  if (report.refused) return Message{Said::UndoNotPossible, {report.errorPath}, {}, report.error};
  Message end{Said::UndoEnd, {}, {static_cast<long long>(report.back), report.aborted ? 1 : 0}};
  if (report.error != 0) {
    end.names = {report.errorPath};
    end.error = report.error;
  }
  for (const UndoLeft& l : report.left)
    end.items.push_back(Message{UndoLeftSaid(l.reason), {l.path, l.origin}, {}, l.err});
  return end;
}

bool UndoLastRunOf(const fs::Env& env, const std::string& journals, const std::string& folder,
                   const UndoTurns& turns, const std::atomic<int>* abort) {
  JournalRun run;
  if (!LastUndoableRun(env, journals, folder, run, turns.passedOver)) {
    if (turns.nothingToUndo) turns.nothingToUndo();
    return false;
  }
  if (turns.confirm && !turns.confirm(run)) return false;
  if (turns.starting) turns.starting();
  const UndoReport report = UndoRun(env, run, turns.callbacks, abort);
  if (turns.ended) turns.ended(report);
  return true;
}

UndoTurns UndoTurnsOnHost(RunHost& host, const std::string& folder) {
  UndoTurns turns;
  turns.nothingToUndo = [&host, folder] {
    host.MessageBox1Q(Message{Said::NothingToUndo, {folder}}, Button::Yes, Button::Yes);
  };
  turns.confirm = [&host](const JournalRun& run) {
    return host.MessageBox1Q(UndoQuestion(run), Button::Ok, Button::No) == 6;
  };
  turns.starting = [&host] {
    host.Progressed(RunProgress::Stage(RunProgress::Kind::Loading));
    host.Progressed(RunProgress::Began(cmd::MenuUndoMove, 0));
  };
  // The window hears of it once per percent.
  turns.callbacks.progress = [&host, shown = 0](std::size_t done, std::size_t total) mutable {
    const int position = static_cast<int>(done * 100 / std::max<std::size_t>(total, 1));
    if (position == shown) return;
    shown = position;
    host.Progressed(RunProgress::Done(cmd::MenuUndoMove, done, total));
  };
  turns.ended = [&host](const UndoReport& report) {
    host.Progressed(RunProgress::Over(cmd::MenuUndoMove));
    host.Progressed(RunProgress::Stage(RunProgress::Kind::Uncounted));
    const bool clean = report.left.empty() && report.error == 0;
    host.MessageBox1Q(UndoEndMessage(report), clean ? Button::Yes : Button::Err, clean ? Button::Yes : Button::Err);
  };
  return turns;
}

}  // namespace pictray
