// Commands 4004 and 4003 of the main window: the all-colour and part-colour
// dialogs on the selected row, and the runs their start buttons ask for.
#include <QItemSelectionModel>
#include <QLabel>
#include <QTableView>

#include <algorithm>
#include <memory>

#include "app/pictray/all_rgb_dialog.h"
#include "app/pictray/main_window.h"
#include "app/pictray/part_rgb_dialog.h"
#include "app/pictray/qt_run_host.h"
#include "engine/runs/selected_colour_runs.h"

namespace pictray::app {

bool MainWindow::PrepareColourDialog(std::string* DlgFilePath, std::size_t* ColorMax) {
  const QModelIndexList selected = LV01->selectionModel()->selectedRows();
  if (selected.isEmpty()) return false;
  // The run that the dialog may start labels every row.
  if (RefuseWhileRunning()) return false;
  int row = selected.first().row();
  for (const QModelIndex& i : selected) row = std::min(row, i.row());
  *ColorMax = static_cast<std::size_t>(std::max(0, ReadSettingNumber(key::samcount, st_.profile)));
  statusParts_[1]->setText("wait!! open Dialog");
  *DlgFilePath = st_.listedFolder.get() + "/" + st_.rows.name(static_cast<std::size_t>(row));
  return true;
}

void MainWindow::AllColour() {
  std::string DlgFilePath;
  std::size_t ColorMax = 0;
  if (!PrepareColourDialog(&DlgFilePath, &ColorMax)) return;
  auto colours = std::make_shared<SelectedColours>();
  childbit2 = 1;
  const bool start = OpenModalWindowallRGB(this, settings_.Files(), options_.programDir + "/" + kRgbTxt, ColorMax,
                                           DlgFilePath, colours.get());
  childbit2 = 0;
  statusParts_[1]->clear();
  if (!start) return;
  st_.blocks.val5.Start(st_.listedFolder.get());
  launcher_.Start([this, colours, workfile = settings_.store().workfile](RunRegistry::Guard g) {
    ThreadAllColor(st_.blocks.val5, st_, *host_, *colours, workfile, std::move(g));
  });
}

void MainWindow::PartColour() {
  std::string DlgFilePath;
  std::size_t ColorMax = 0;
  if (!PrepareColourDialog(&DlgFilePath, &ColorMax)) return;
  auto choice = std::make_shared<PartColourChoice>();
  childbit3 = 1;
  const bool start = OpenModalWindowpartRGB(this, settings_.Files(), options_.programDir + "/" + kRgbTxt, ColorMax,
                                            DlgFilePath, MMI, settings_.store().workfile, choice.get());
  childbit3 = 0;
  statusParts_[1]->clear();
  if (!start) return;
  st_.blocks.val6.Start(st_.listedFolder.get());
  launcher_.Start([this, choice](RunRegistry::Guard g) {
    ThreadPartColor(st_.blocks.val6, st_, *host_, choice->colours, choice->strJpos_bit, choice->GRmsgtext,
                    std::move(g));
  });
}

}  // namespace pictray::app
