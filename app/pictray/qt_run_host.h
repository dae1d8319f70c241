// The run host of the main window: what a run shows is posted to the
// window's thread in order, copies included, and never waited for; the
// row changes and the run's place are noted for the window's timer.
// Only a message box waits for its answer, one box at a time; a closing
// window answers 7 at once.
#pragma once

#include <functional>

#include "app/common/window_calls.h"
#include "app/pictray/run_window.h"
#include "engine/run/run_host.h"

namespace pictray::app {

class QtRunHost : public RunHost {
 public:
  QtRunHost(RunWindow& window, ui::WindowCalls& calls) : window_(window), calls_(calls) {}

  int MessageBox1Q(const Message& message, Button caption1, Button caption2) override;
  void Progressed(const RunProgress& progress) override;
  void RunBegan(int command) override;
  // Posted: no run needs what the window does at its end (the move it may
  // start is a run of its own).
  void RunEnded(const RunEnd& end) override;
  void SearchedFileListed(const std::string& name, long row) override;
  void SetItemCount(std::size_t count) override;
  void RowsChanged(std::size_t first, std::size_t last) override;
  void ShowRunPlace(std::size_t row) override;
  void DeselectAll() override;
  void SetSummary(const std::vector<SummaryLine>& lines) override;
  void ClearMoveResults() override;
  void SetMoveResult(std::size_t index, const MoveResultLine& line) override;

 private:
  // Posts fn(window) to the window's thread.
  void Show(std::function<void(RunWindow&)> fn);

  RunWindow& window_;
  ui::WindowCalls& calls_;
};

}  // namespace pictray::app
