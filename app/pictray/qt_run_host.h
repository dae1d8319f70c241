// The run host of the main window: what a run shows is posted to the
// window's thread in order, copies included, and never waited for; the
// row changes and the run's place go into atomics the window's timer reads.
// Only a question (a message box, IsChecked) waits for its answer, one box
// at a time; a closing window answers 7 (not checked) at once.
#pragma once

#include "app/common/window_calls.h"
#include "engine/run/run_host.h"

namespace pictray::app {

class MainWindow;

class QtRunHost : public RunHost {
 public:
  QtRunHost(MainWindow& window, ui::WindowCalls& calls) : window_(window), calls_(calls) {}

  // The message in the window's language; captions as their Japanese keys.
  int MessageBox1Q(const Message& message, Button caption1, Button caption2) override;
  void SetProgressRange(Control bar, int minimum, int maximum) override;
  void SetProgress(Control bar, int position) override;
  void SetStatusText(int part, const std::string& text) override;
  void EnableControl(Control c, bool enabled) override;
  void CheckControl(Control c, bool checked) override;
  bool IsChecked(Control c) override;
  void ShowControl(Control c, bool visible) override;
  void SetControlText(Control c, const std::string& text) override;
  // Posted: no run needs the command's effect before it goes on (the move
  // a run asks for at its end is a run of its own).
  void SendCommand(int id) override;
  void SetItemCount(std::size_t count) override;
  void RowsChanged(std::size_t first, std::size_t last) override;
  void ShowRunPlace(std::size_t row) override;
  void SelectRow(long row) override;
  void DeselectAll() override;
  void SetSummary(const std::vector<SummaryLine>& lines) override;
  void ClearMoveResults() override;
  void SetMoveResult(std::size_t index, const MoveResultLine& line) override;

 private:
  // Posts fn(window) to the window's thread.
  void Show(std::function<void(MainWindow&)> fn);

  MainWindow& window_;
  ui::WindowCalls& calls_;
};

}  // namespace pictray::app
