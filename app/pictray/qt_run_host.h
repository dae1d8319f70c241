// The run host of the main window: every call from a worker is carried to
// the window's thread and waited for, as the runs expect.
#pragma once

#include <atomic>
#include <functional>

#include "engine/run/run_host.h"

namespace pictray::app {

class MainWindow;

class QtRunHost : public RunHost {
 public:
  explicit QtRunHost(MainWindow& window) : window_(window) {}

  // Once closing, calls from workers return at once (questions answer 7),
  // so that the window can wait for its workers without a deadlock.
  void SetClosing() { closing_.store(true); }

  int MessageBox1Q(const std::string& text, const std::string& c1, const std::string& c2) override;
  void SetProgressRange(Control bar, int minimum, int maximum) override;
  void SetProgress(Control bar, int position) override;
  void SetStatusText(int part, const std::string& text) override;
  void EnableControl(Control c, bool enabled) override;
  void CheckControl(Control c, bool checked) override;
  bool IsChecked(Control c) override;
  void ShowControl(Control c, bool visible) override;
  void SetControlText(Control c, const std::string& text) override;
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
  // Runs fn on the window's thread and waits; false when closing.
  bool OnWindowThread(const std::function<void()>& fn);
  // The same for what may open a message box (a message, a command): while
  // another box is open the worker waits until it has been answered.
  bool OnWindowThreadInTurn(const std::function<void()>& fn);

  MainWindow& window_;
  std::atomic<bool> closing_{false};
};

}  // namespace pictray::app
