#include "engine/runs/undo_run.h"

#include <algorithm>

namespace pictray {

std::string UndoQuestion(const JournalRun& run) {
  const char* what = run.kind == JournalRunKind::Move ? "の移動" : "の抽出";
  return RunTimeText(run) + what + "（" + std::to_string(run.ToTakeBack()) + "件）を元に戻しますか？";
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
  host.MessageBox1Q(UndoEndMessage(report), clean ? "yes" : "err", clean ? "yes" : "err");
  return report;
}

}  // namespace pictray
