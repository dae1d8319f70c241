#include "app/pictray/qt_run_host.h"

#include <QAbstractButton>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QTableView>
#include <QTreeWidget>

#include <algorithm>

#include "app/common/language.h"
#include "app/common/text_bytes.h"
#include "app/pictray/list_models.h"
#include "app/pictray/main_window.h"
#include "app/pictray/result_pane.h"

namespace pictray::app {
namespace {

// What the window's side of a question gives while another box is open.
constexpr int kBoxOpen = -1;

}  // namespace

void QtRunHost::Show(std::function<void(MainWindow&)> fn) {
  calls_.Post([w = &window_, fn = std::move(fn)] { fn(*w); });
}

int QtRunHost::MessageBox1Q(const Message& message, Button caption1, Button caption2) {
  const std::string text = texts::Words(message, ui::WindowLanguage());
  const std::string c1 = texts::Words(caption1, texts::Language::Japanese);
  const std::string c2 = texts::Words(caption2, texts::Language::Japanese);
  // The window's own thread cannot wait for its boxes: it asks at once.
  if (calls_.OnWindowThread()) return calls_.Ask([&] { return window_.Message(text, c1, c2); }, 7);
  // A run's box never opens on top of another: it waits until that one is answered.
  for (;;) {
    auto closed = std::make_shared<std::uint64_t>(0);
    const int answer = calls_.Ask(
        [w = &window_, text, c1, c2, closed] {
          return w->boxTurn().Busy(closed.get()) ? kBoxOpen : w->Message(text, c1, c2);
        },
        7);
    if (answer != kBoxOpen) return answer;
    window_.boxTurn().WaitForClose(*closed, calls_.closing());
  }
}

void QtRunHost::SetProgressRange(Control bar, int minimum, int maximum) {
  Show([bar, minimum, maximum](MainWindow& w) {
    if (auto* p = qobject_cast<QProgressBar*>(w.control(bar))) p->setRange(minimum, maximum);
  });
}

void QtRunHost::SetProgress(Control bar, int position) {
  Show([bar, position](MainWindow& w) {
    if (auto* p = qobject_cast<QProgressBar*>(w.control(bar))) p->setValue(position);
  });
}

void QtRunHost::SetStatusText(int part, const std::string& text) {
  Show([part, text](MainWindow& w) {
    if (part >= 0 && part < 3) w.statusPart(part)->setText(ui::TextOf(text));
  });
}

void QtRunHost::EnableControl(Control c, bool enabled) {
  Show([c, enabled](MainWindow& w) {
    if (QWidget* widget = w.control(c)) widget->setEnabled(enabled);
  });
}

void QtRunHost::CheckControl(Control c, bool checked) {
  Show([c, checked](MainWindow& w) {
    if (auto* b = qobject_cast<QAbstractButton*>(w.control(c))) b->setChecked(checked);
  });
}

bool QtRunHost::IsChecked(Control c) {
  return calls_.Ask(
             [w = &window_, c] {
               auto* b = qobject_cast<QAbstractButton*>(w->control(c));
               return b && b->isChecked() ? 1 : 0;
             },
             0) == 1;
}

void QtRunHost::ShowControl(Control c, bool visible) {
  Show([c, visible](MainWindow& w) {
    if (QWidget* widget = w.control(c)) widget->setVisible(visible);
  });
}

void QtRunHost::SetControlText(Control c, const std::string& text) {
  Show([c, text](MainWindow& w) {
    if (auto* e = qobject_cast<QLineEdit*>(w.control(c))) e->setText(ui::TextOf(text));
  });
}

void QtRunHost::SendCommand(int id) {
  Show([id](MainWindow& w) { w.CommandFromRun(id); });
}

void QtRunHost::SetItemCount(std::size_t count) {
  // Rows cleared since the count was sent are not shown.
  Show([count](MainWindow& w) { w.fileListModel()->SetItemCount(std::min(count, w.state().rows.ListMax())); });
}

void QtRunHost::RowsChanged(std::size_t, std::size_t) { window_.NoteRowsChanged(); }

void QtRunHost::ShowRunPlace(std::size_t row) { window_.NoteRunPlace(row); }

void QtRunHost::SelectRow(long row) {
  Show([row](MainWindow& w) {
    QTableView* view = w.fileListView();
    if (row < 0 || row >= view->model()->rowCount()) return;
    const QModelIndex index = view->model()->index(static_cast<int>(row), 0);
    view->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    view->scrollTo(index);
    view->setFocus();
  });
}

void QtRunHost::DeselectAll() {
  Show([](MainWindow& w) { w.fileListView()->clearSelection(); });
}

void QtRunHost::SetSummary(const std::vector<SummaryLine>& lines) {
  Show([lines](MainWindow& w) { w.resultPane()->SetSummary(lines); });
}

void QtRunHost::ClearMoveResults() {
  Show([](MainWindow& w) { w.moveResultList()->clear(); });
}

void QtRunHost::SetMoveResult(std::size_t index, const MoveResultLine& line) {
  Show([index, line](MainWindow& w) { w.resultPane()->SetMoveResult(index, line); });
}

}  // namespace pictray::app
