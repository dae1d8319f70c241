// The window's side of what runs report (RunWindow): bars, texts, rows and
// results as the run host hands them over, and at a run's end which
// controls change and whether the automatic move follows.
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <QTreeWidget>

#include <algorithm>
#include <functional>

#include "app/common/language.h"
#include "app/common/message_box.h"
#include "app/common/text_bytes.h"
#include "app/pictray/list_models.h"
#include "app/pictray/main_window.h"
#include "app/pictray/result_pane.h"
#include "texts/texts.h"

namespace pictray::app {

int MainWindow::InBoxTurn(const std::function<int()>& box) {
  if (closing_) return 7;  // no boxes while the window goes away
  boxTurn_.Opened();
  const int answer = box();
  boxTurn_.Closed();
  if (!commandsAfterBoxes_.empty()) QTimer::singleShot(0, this, &MainWindow::SendCommandsAfterBoxes);
  return answer;
}

int MainWindow::Message(const std::string& text, Button caption1, Button caption2) {
  return InBoxTurn([&] { return ui::MessageBox1Q(this, ui::TextOf(text), caption1, caption2); });
}

int MainWindow::Ask(const pictray::Message& message, Button caption1, Button caption2) {
  const QString text = ui::TextOf(texts::Words(message, ui::WindowLanguage()));
  return InBoxTurn([&] { return ui::MessageBox1Q(this, text, caption1, caption2); });
}

QProgressBar* MainWindow::ProgressBar(RunBar bar) const {
  return qobject_cast<QProgressBar*>(control(bar == RunBar::PR01 ? Control::PR01 : Control::PR02));
}

void MainWindow::ShowRunProgress(const RunProgress& progress) {
  for (const ProgressShown& s : ShownOf(progress, partCaption_)) {
    QProgressBar* bar = ProgressBar(s.bar);
    switch (s.what) {
      case ProgressShown::What::Range:
        if (bar) bar->setRange(0, s.value);
        break;
      case ProgressShown::What::Position:
        if (bar) bar->setValue(s.value);
        break;
      case ProgressShown::What::Status:
        if (s.value >= 0 && s.value < 3) c_.statusParts[s.value]->setText(ui::TextOf(s.text));
        break;
    }
  }
}

void MainWindow::ShowItemCount(std::size_t count) {
  c_.fileListModel->SetItemCount(std::min(count, st_.rows.ListMax()));
}

void MainWindow::SelectRow(long row) {
  if (row < 0 || row >= c_.LV01->model()->rowCount()) return;
  const QModelIndex index = c_.LV01->model()->index(static_cast<int>(row), 0);
  c_.LV01->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  c_.LV01->scrollTo(index);
  c_.LV01->setFocus();
}

void MainWindow::DeselectAll() { c_.LV01->clearSelection(); }

void MainWindow::ShowSummary(const std::vector<SummaryLine>& lines) { c_.child2->SetSummary(lines); }

void MainWindow::ClearMoveResults() { c_.LV02->clear(); }

void MainWindow::ShowMoveResult(std::size_t index, const MoveResultLine& line) {
  c_.child2->SetMoveResult(index, line);
}

void MainWindow::ShowSearchedFile(const std::string& name, long row) {
  c_.CB01->setText(ui::TextOf(name));
  DeselectAll();
  SelectRow(row);
}

// A run that works through the rows holds the list (and list-up the move)
// until it ends.
void MainWindow::ShowRunBegan(int command) {
  listHeldBy_ = command;
  c_.LV01->setEnabled(false);
  if (command == cmd::ListUp) control(Control::BT01)->setEnabled(false);
}

void MainWindow::ShowRunEnd(const RunEnd& end) {
  ReleaseButtonsAtEnd(end);
  if (end.command == listHeldBy_) {
    listHeldBy_ = 0;
    c_.LV01->setEnabled(true);
  }
  if (end.command == cmd::MoveStart) {
    control(Control::GRST01)->hide();
    if (end.moveResults) control(Control::BT21)->show();
  }
  if (end.command == cmd::ListUp) CommandFromRun(cmd::RunEnded);
  if (const RunCommand* move = MoveThatFollows(end)) CommandFromRun(move->id);
  else if (end.moveReady) control(Control::BT01)->setEnabled(true);
}

void MainWindow::ReleaseButtonsAtEnd(const RunEnd& end) {
  if (end.command == cmd::ListUp) Check(Control::BT02, false);
  const RunCommand* c = FindRunCommand(end.command);
  if (!c) return;
  if (const std::optional<Control> toggle = ToggleOf(c->id)) Check(*toggle, false);
  // The JPEG analyses, and a ratio that ran to its end, also leave the Exif
  // toggle up.
  if (c->select || (c->id == cmd::RgbRatio && !end.aborted)) Check(Control::BT07, false);
}

void MainWindow::CommandFromRun(int id) {
  if (closing_) return;
  std::uint64_t closedBoxes = 0;
  if (boxTurn_.Busy(&closedBoxes)) {
    commandsAfterBoxes_.push_back(id);
    return;
  }
  // A run asks for the move at its end, while its registration may not be
  // gone yet; every other run is refused while one works, so none can be
  // writing the rows.
  if (id == cmd::MoveStart) TableCommand(*FindRunCommand(id), 0, false);
  else Command(id);
}

void MainWindow::SendCommandsAfterBoxes() {
  std::uint64_t closedBoxes = 0;
  if (boxTurn_.Busy(&closedBoxes)) return;  // the next box's answer sends them
  const std::vector<int> ids = std::exchange(commandsAfterBoxes_, {});
  for (int id : ids) CommandFromRun(id);
}

}  // namespace pictray::app
