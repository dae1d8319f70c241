// The window's commands on the rows themselves: list-up and listing again,
// the undo of a move, clearing the list or the analyses, abort, search, the
// preview of the current row and the header's sort.
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QTreeWidget>

#include <memory>

#include "app/common/text_bytes.h"
#include "app/pictray/file_list_pane.h"
#include "app/pictray/list_models.h"
#include "app/pictray/main_window.h"
#include "app/pictray/preview.h"
#include "app/pictray/program_launcher.h"
#include "app/pictray/result_pane.h"
#include "app/pictray/window_text.h"
#include "engine/fs/paths.h"
#include "engine/runs/undo_run.h"

namespace pictray::app {

using ui::BytesOf;
using ui::TextOf;

void MainWindow::ListUp() {
  // A second list-up would free the rows a run is working on; refused
  // before the pre-read program, which would otherwise run for nothing.
  const RowsCommand& listUp = *FindRowsCommand(cmd::ListUp);
  if (IsChecked(Control::BT02) && Refuse(listUp.refusal, Control::BT02)) return;
  if (c_.BT101->isChecked()) {
    shellOpenSubStalone(this, settings_.ZenApp(), AbsolutePath(Folder()), true, options_.programDir);
  }
  if (QWidget* bt21 = control(Control::BT21)) bt21->hide();
  st_.ExifSel.set(settings_.ExifSel());
  // Each analysis list-up runs is recorded by its toggle.
  for (const RunCommand& c : RunCommands())
    if (c.flag) (st_.flags.*c.flag).store(IsChecked(*ToggleOf(c.id)));
  if (!IsChecked(Control::BT02)) {
    SetRunLockEnabled(true);
    return;
  }
  SetRunLockEnabled(false);
  if (!st_.rows.empty() || c_.fileListModel->itemCount() > 0) {
    c_.fileListModel->SetItemCount(0);
    st_.rows.clear();
  }
  std::string folder = Folder();
  if (!IsFolder(*st_.env, folder)) {
    const std::size_t slash = folder.rfind('/');
    folder = slash == std::string::npos ? std::string() : folder.substr(0, slash == 0 ? 1 : slash);
    SetFolder(folder);
  }
  launcher_.Start(PrepareRowsRun(listUp, st_, *host_, folder, std::make_shared<RunChoice>()));
}

void MainWindow::UndoMove() {
  const RowsCommand& undo = *FindRowsCommand(cmd::MenuUndoMove);
  if (Refuse(undo.refusal)) return;
  const std::string listed = st_.listedFolder.get();
  const std::string folder = listed.empty() ? Folder() : listed;
  // Journal read and question asked on the run's thread: a journal that is
  // slow to read holds no window.
  auto choice = std::make_shared<RunChoice>();
  auto undone = std::make_shared<bool>(false);
  choice->undo = UndoTurnsOnHost(*host_, folder);
  choice->undo.ended = [undone, shown = std::move(choice->undo.ended)](const UndoReport& report) {
    shown(report);
    *undone = true;
  };
  launcher_.Start([this, folder, undone, run = PrepareRowsRun(undo, st_, *host_, folder, choice)](
                      RunRegistry::Guard g) {
    run(std::move(g));
    if (!*undone) return;
    // Once the registration is gone: the folders the undo removed leave the
    // move results, and the rows, which no longer match the folder, are
    // listed again.
    calls_.Post([this, folder] {
      c_.child2->DropGoneMoveResults();
      ListAgain(folder);
    });
  });
}

void MainWindow::ListFolderAgain() {
  if (Refuse(FindRowsCommand(cmd::ListUp)->refusal)) return;
  ListAgain(Folder());
}

void MainWindow::ListAgain(const std::string& folder) {
  if (closing_) return;
  SetFolder(folder);
  Check(Control::BT02, true);
  Command(cmd::ListUp);
}

void MainWindow::ClearList() {
  if (c_.fileListModel->itemCount() == 0) return;
  if (RefuseWhileRunning()) return;
  c_.fileListModel->SetItemCount(0);
  st_.rows.clear();
  c_.LV03->clear();
  c_.statusParts[1]->clear();
  DropGonePreview();
  control(Control::BT01)->setEnabled(false);
  st_.flags.Reset();
  st_.Firstset = 1;
  UncheckAnalysisButtons();
  AbortRuns();
}

void MainWindow::AbortRuns() {
  st_.blocks.AbortAll();
  control(Control::BT01)->setEnabled(true);
  if (QWidget* bt21 = control(Control::BT21)) bt21->hide();
  c_.LV02->clear();
}

void MainWindow::ClearAnalyses() {
  if (st_.rows.empty()) return;
  const RowsCommand& clear = *FindRowsCommand(cmd::ClearAnalyses);
  if (Refuse(clear.refusal)) return;
  if (Message(WindowText(QT_TRANSLATE_NOOP("Pictray", "解析クリアしますか?")), Button::Ok, Button::No) != 6) return;
  clear.now(st_, *host_);
  c_.LV03->clear();  // at once: the host's clearing comes later
  c_.PR01->setRange(0, 100);
  c_.PR01->setValue(0);
  c_.LV01->clearSelection();
  c_.fileListModel->RefreshAll();
  UncheckAnalysisButtons();
  control(Control::BT01)->setEnabled(false);
}

void MainWindow::Search() {
  c_.LV01->clearSelection();
  const std::string name = BytesOf(c_.CB01->text());
  st_.SarchFile.set(name);
  if (st_.rows.empty() || name.empty()) return;
  const long row = st_.rows.SelectListView(name);
  if (row < 0 || row >= c_.fileListModel->rowCount()) {
    Message("Not Found", Button::Yes, Button::Yes);
    return;
  }
  SelectRow(row);
}

void MainWindow::RunEnded() {
  SetRunLockEnabled(!IsChecked(Control::BT02));
  DropGonePreview();
}

void MainWindow::DropGonePreview() {
  if (previewed_.empty()) return;
  const std::string folder = st_.listedFolder.get();
  bool listed = false;
  st_.rows.forEach([&](std::size_t, const Row& r) { listed = listed || PathOfRow(folder, r) == previewed_; });
  if (listed) return;
  previewed_.clear();
  if (previews_) previews_->Cancel();
  c_.child2->ShowPreview(QImage());
}

void MainWindow::Preview() {
  const long row = c_.child1->CurrentRow();
  if (row < 0 || static_cast<std::size_t>(row) >= st_.rows.ListMax()) return;
  const Row r = st_.rows.row(static_cast<std::size_t>(row));
  c_.CB01->setText(TextOf(r.name));
  // Drawn on a worker: a large or hostile file never holds the window.
  if (!previews_)
    previews_ = std::make_unique<PreviewDrawer>(
        [MMI = MMI, edge = Preimg](const std::string& path) { return MakePreview(MMI, path, edge); },
        [pane = c_.child2](const QImage& square) { pane->ShowPreview(square); });
  // The rows are the listed folder's files, whatever the field says now.
  previewed_ = PathOfRow(st_.listedFolder.get(), r);
  previews_->Request(previewed_);
}

void MainWindow::OnHeaderClicked(int column) {
  if (c_.fileListModel->itemCount() == 0) return;
  if (RefuseWhileRunning()) return;
  if (!st_.rows.Sort(column, st_.SortBit)) return;
  c_.fileListModel->RefreshAll();
  c_.child1->ShowSortIndicator(column, st_.SortBit);
}

}  // namespace pictray::app
