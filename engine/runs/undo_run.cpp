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

UndoReport ThreadUndoMove(const fs::Env& env, ParamBlock& val21, const JournalRun& run, RunHost& host,
                          RunRegistry::Guard /*registration, held until the undo returns*/) {
  host.SetStatusText(1, "Wait! Now Loading");
  host.SetProgressRange(Control::PR01, 0, 100);
  host.SetProgress(Control::PR01, 0);
  // The window hears of it once per percent.
  int shown = 0;
  UndoCallbacks cb;
  cb.progress = [&](std::size_t done, std::size_t total) {
    const int position = static_cast<int>(done * 100 / std::max<std::size_t>(total, 1));
    if (position == shown) return;
    shown = position;
    host.SetProgress(Control::PR01, position);
    host.SetStatusText(1, std::to_string(done) + "/" + std::to_string(total));
  };
  const UndoReport report = UndoRun(env, run, cb, &val21.abort);
  host.SetProgress(Control::PR01, 0);
  host.SetStatusText(1, "");
  const bool clean = report.left.empty() && report.error == 0;
  host.MessageBox1Q(UndoEndMessage(report), clean ? Button::Yes : Button::Err, clean ? Button::Yes : Button::Err);
  return report;
}

}  // namespace pictray
