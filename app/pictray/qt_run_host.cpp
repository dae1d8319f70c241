#include "app/pictray/qt_run_host.h"

#include <memory>

namespace pictray::app {
namespace {

// What the window's side of a question gives while another box is open.
constexpr int kBoxOpen = -1;

}  // namespace

void QtRunHost::Show(std::function<void(RunWindow&)> fn) {
  calls_.Post([w = &window_, fn = std::move(fn)] { fn(*w); });
}

int QtRunHost::MessageBox1Q(const Message& message, Button caption1, Button caption2) {
  // The window's own thread cannot wait for its boxes: it asks at once.
  if (calls_.OnWindowThread()) return calls_.Ask([&] { return window_.Ask(message, caption1, caption2); }, 7);
  // A run's box never opens on top of another: it waits until that one is answered.
  for (;;) {
    auto closed = std::make_shared<std::uint64_t>(0);
    const int answer = calls_.Ask(
        [w = &window_, message, caption1, caption2, closed] {
          return w->boxTurn().Busy(closed.get()) ? kBoxOpen : w->Ask(message, caption1, caption2);
        },
        7);
    if (answer != kBoxOpen) return answer;
    window_.boxTurn().WaitForClose(*closed, calls_.closing());
  }
}

void QtRunHost::Progressed(const RunProgress& progress) {
  Show([progress](RunWindow& w) { w.ShowRunProgress(progress); });
}

void QtRunHost::RunBegan(int command) {
  Show([command](RunWindow& w) { w.ShowRunBegan(command); });
}

void QtRunHost::RunEnded(const RunEnd& end) {
  Show([end](RunWindow& w) { w.ShowRunEnd(end); });
}

void QtRunHost::SearchedFileListed(const std::string& name, long row) {
  Show([name, row](RunWindow& w) { w.ShowSearchedFile(name, row); });
}

void QtRunHost::SetItemCount(std::size_t count) {
  Show([count](RunWindow& w) { w.ShowItemCount(count); });
}

void QtRunHost::RowsChanged(std::size_t, std::size_t) { window_.NoteRowsChanged(); }

void QtRunHost::ShowRunPlace(std::size_t row) { window_.NoteRunPlace(row); }

void QtRunHost::DeselectAll() {
  Show([](RunWindow& w) { w.DeselectAll(); });
}

void QtRunHost::SetSummary(const std::vector<SummaryLine>& lines) {
  Show([lines](RunWindow& w) { w.ShowSummary(lines); });
}

void QtRunHost::ClearMoveResults() {
  Show([](RunWindow& w) { w.ClearMoveResults(); });
}

void QtRunHost::SetMoveResult(std::size_t index, const MoveResultLine& line) {
  Show([index, line](RunWindow& w) { w.ShowMoveResult(index, line); });
}

}  // namespace pictray::app
