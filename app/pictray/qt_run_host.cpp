#include "app/pictray/qt_run_host.h"

#include <QAbstractButton>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QMetaObject>
#include <QProgressBar>
#include <QTableView>
#include <QThread>
#include <QTreeWidget>

#include "app/common/text_bytes.h"
#include "app/pictray/list_models.h"
#include "app/pictray/main_window.h"
#include "app/pictray/result_pane.h"

namespace pictray::app {

bool QtRunHost::OnWindowThread(const std::function<void()>& fn) {
  if (QThread::currentThread() == window_.thread()) {
    fn();
    return true;
  }
  if (closing_.load()) return false;
  QMetaObject::invokeMethod(&window_, fn, Qt::BlockingQueuedConnection);
  return true;
}

bool QtRunHost::OnWindowThreadInTurn(const std::function<void()>& fn) {
  if (QThread::currentThread() == window_.thread()) {
    fn();
    return true;
  }
  for (;;) {
    if (closing_.load()) return false;
    bool ran = false;
    std::uint64_t closed = 0;
    QMetaObject::invokeMethod(
        &window_,
        [&] {
          if (window_.boxTurn().Busy(&closed)) return;
          fn();
          ran = true;
        },
        Qt::BlockingQueuedConnection);
    if (ran) return true;
    window_.boxTurn().WaitForClose(closed, closing_);
  }
}

int QtRunHost::MessageBox1Q(const std::string& text, const std::string& c1, const std::string& c2) {
  int answer = 7;
  OnWindowThreadInTurn([&] { answer = window_.Message(text, c1, c2); });
  return answer;
}

void QtRunHost::SetProgressRange(Control bar, int minimum, int maximum) {
  OnWindowThread([&] {
    if (auto* p = qobject_cast<QProgressBar*>(window_.control(bar))) p->setRange(minimum, maximum);
  });
}

void QtRunHost::SetProgress(Control bar, int position) {
  OnWindowThread([&] {
    if (auto* p = qobject_cast<QProgressBar*>(window_.control(bar))) p->setValue(position);
  });
}

void QtRunHost::SetStatusText(int part, const std::string& text) {
  OnWindowThread([&] {
    if (part >= 0 && part < 3) window_.statusPart(part)->setText(ui::TextOf(text));
  });
}

void QtRunHost::EnableControl(Control c, bool enabled) {
  OnWindowThread([&] {
    if (QWidget* w = window_.control(c)) w->setEnabled(enabled);
  });
}

void QtRunHost::CheckControl(Control c, bool checked) {
  OnWindowThread([&] {
    if (auto* b = qobject_cast<QAbstractButton*>(window_.control(c))) b->setChecked(checked);
  });
}

bool QtRunHost::IsChecked(Control c) {
  bool checked = false;
  OnWindowThread([&] {
    if (auto* b = qobject_cast<QAbstractButton*>(window_.control(c))) checked = b->isChecked();
  });
  return checked;
}

void QtRunHost::ShowControl(Control c, bool visible) {
  OnWindowThread([&] {
    if (QWidget* w = window_.control(c)) w->setVisible(visible);
  });
}

void QtRunHost::SetControlText(Control c, const std::string& text) {
  OnWindowThread([&] {
    if (auto* e = qobject_cast<QLineEdit*>(window_.control(c))) e->setText(ui::TextOf(text));
  });
}

void QtRunHost::SendCommand(int id) {
  OnWindowThreadInTurn([&] { window_.CommandFromRun(id); });
}

void QtRunHost::SetItemCount(std::size_t count) {
  OnWindowThread([&] { window_.fileListModel()->SetItemCount(count); });
}

void QtRunHost::RowsChanged(std::size_t, std::size_t) { window_.NoteRowsChanged(); }

void QtRunHost::ShowRunPlace(std::size_t row) { window_.NoteRunPlace(row); }

void QtRunHost::SelectRow(long row) {
  OnWindowThread([&] {
    QTableView* view = window_.fileListView();
    if (row < 0 || row >= view->model()->rowCount()) return;
    const QModelIndex index = view->model()->index(static_cast<int>(row), 0);
    view->selectionModel()->setCurrentIndex(
        index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    view->scrollTo(index);
    view->setFocus();
  });
}

void QtRunHost::DeselectAll() {
  OnWindowThread([&] { window_.fileListView()->clearSelection(); });
}

void QtRunHost::SetSummary(const std::vector<SummaryLine>& lines) {
  OnWindowThread([&] {
    QTreeWidget* list = window_.summaryList();
    list->clear();
    QList<QTreeWidgetItem*> items;
    for (const SummaryLine& l : lines) {
      auto* item = new QTreeWidgetItem({ui::TextOf(l.target), QString::number(l.count)});
      item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
      items.append(item);
    }
    list->addTopLevelItems(items);
  });
}

void QtRunHost::ClearMoveResults() {
  OnWindowThread([&] { window_.moveResultList()->clear(); });
}

void QtRunHost::SetMoveResult(std::size_t index, const MoveResultLine& line) {
  OnWindowThread([&] { window_.resultPane()->SetMoveResult(index, line); });
}

}  // namespace pictray::app
