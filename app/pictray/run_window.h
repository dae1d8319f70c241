// What the run host needs of the Pictray window. The host calls it on the
// window's thread, except the two notes, which any thread may make (the
// window's timer shows them).
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "app/pictray/box_turn.h"
#include "engine/run/run_host.h"

namespace pictray::app {

class RunWindow {
 public:
  virtual ~RunWindow() = default;

  // A message box owned by the window: 6 for the first button, 7 otherwise.
  virtual int Ask(const Message& message, Button caption1, Button caption2) = 0;
  virtual BoxTurn& boxTurn() = 0;

  // The bars and status-bar parts as ShownOf (run_progress_view.h) sets them.
  virtual void ShowRunProgress(const RunProgress& progress) = 0;
  // Rows cleared since the count was sent are not shown.
  virtual void ShowItemCount(std::size_t count) = 0;
  virtual void DeselectAll() = 0;
  virtual void ShowSummary(const std::vector<SummaryLine>& lines) = 0;
  virtual void ClearMoveResults() = 0;
  virtual void ShowMoveResult(std::size_t index, const MoveResultLine& line) = 0;

  // What a run reports: the window chooses what its controls show and
  // whether the automatic move starts.
  virtual void ShowRunBegan(int command) = 0;
  virtual void ShowRunEnd(const RunEnd& end) = 0;
  virtual void ShowSearchedFile(const std::string& name, long row) = 0;

  // Any thread.
  virtual void NoteRowsChanged() = 0;
  virtual void NoteRunPlace(std::size_t row) = 0;
};

}  // namespace pictray::app
