// The window's side of the command table (engine/runs/run_commands.h): the
// button each command has, the dialog that asks what its run is to do, and
// how the buttons show the choice. The table prepares and hands over the
// runs; the launcher starts them. A classification works on the rows here,
// on the window's thread, as a click's answer.
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>

#include <algorithm>
#include <map>
#include <memory>

#include "app/common/text_bytes.h"
#include "app/pictray/all_rgb_dialog.h"
#include "app/pictray/list_models.h"
#include "app/pictray/main_window.h"
#include "app/pictray/part_rgb_dialog.h"
#include "app/pictray/prgb_dialog.h"
#include "app/pictray/rgb_dialog.h"
#include "app/pictray/srgb_dialog.h"
#include "app/pictray/window_text.h"
#include "engine/fs/paths.h"
#include "engine/move/move_run.h"
#include "engine/settings/settings_keys.h"

namespace pictray::app {

const std::map<int, MainWindow::CommandFace>& MainWindow::CommandFaces() {
  using W = MainWindow;
  static const std::map<int, CommandFace> faces = {
      {cmd::CharClass, {nullptr, &W::SearchFieldText, nullptr}},
      {cmd::PhraseClass, {nullptr, &W::SearchFieldText, nullptr}},
      {cmd::Exif, {nullptr, nullptr, &W::ShowJpegChoice}},
      {cmd::Info, {nullptr, nullptr, &W::ShowJpegChoice}},
      {cmd::HeaderCheck, {nullptr, nullptr, &W::ShowJpegChoice}},
      {cmd::SizeAnalysis, {nullptr, nullptr, &W::ShowJpegChoice}},
      {cmd::NgAnalysis, {nullptr, nullptr, &W::ShowJpegChoice}},
      {cmd::RgbAnalysis, {nullptr, &W::RgbDialog, nullptr}},
      {cmd::RgbRatio, {nullptr, &W::RatioDialog, &W::ShowColourChoice}},
      {cmd::RgbStrength, {nullptr, &W::StrengthDialog, &W::ShowColourChoice}},
      {cmd::Sharpness, {nullptr, nullptr, &W::ShowColourChoice}},
      {cmd::AllColour, {&W::RowSelected, &W::AllColourDialog, nullptr}},
      {cmd::PartColour, {&W::RowSelected, &W::PartColourDialog, nullptr}},
      {cmd::MoveStart, {nullptr, &W::MoveDialog, nullptr}},
  };
  return faces;
}

void MainWindow::TableCommand(const RunCommand& c, int lparam, bool refuseWhileRunning) {
  // A command that asks nothing and shows nothing beyond its button needs no face.
  static constexpr CommandFace kPlain{nullptr, nullptr, nullptr};
  const auto found = CommandFaces().find(c.id);
  const CommandFace& face = found == CommandFaces().end() ? kPlain : found->second;
  const std::optional<Control> toggle = ToggleOf(c.id);
  // A released button only withdraws its choice; the panes send the RGB
  // analysis with lparam 1, whatever its button shows.
  if (toggle && !IsChecked(*toggle) && lparam != 1) {
    if (c.flag) (st_.flags.*c.flag).store(0);
    return;
  }
  if (face.ready && !(this->*face.ready)()) return;
  const bool starts = c.refusal == Refusal::WhileRunning || !st_.rows.empty();
  if (refuseWhileRunning && starts && RefuseWhileRunning(toggle)) return;
  auto choice = std::make_shared<RunChoice>();
  if (face.dialog && !(this->*face.dialog)(*choice)) return;
  if (c.now) {
    ClassifyNow(c, *choice);
    return;
  }
  const int mode = SelectRun(c, st_.flags);
  if (face.shown) (this->*face.shown)(c.id, starts);
  // With an empty list the choice waits for the next list-up.
  if (!starts) return;
  // The rows are the files of the listed folder, whatever the field says now.
  std::vector<RunWork> runs = PrepareRuns(c, mode, st_, *host_, st_.listedFolder.get(), choice);
  if (c.prepare) c_.fileListModel->RefreshAll();
  for (RunWork& run : runs) launcher_.Start(std::move(run));
}

void MainWindow::ClassifyNow(const RunCommand& c, const RunChoice& choice) {
  control(Control::BT09)->setEnabled(false);
  c.now(st_, *host_, choice);
  c_.fileListModel->RefreshAll();
  control(Control::BT09)->setEnabled(true);
}

bool MainWindow::SearchFieldText(RunChoice& choice) {
  choice.text = ui::BytesOf(c_.CB01->text());
  return true;
}

void MainWindow::ShowJpegChoice(int id, bool starts) {
  if (id == cmd::Exif || id == cmd::Info) Check(Control::BT11, false);
  if (id == cmd::HeaderCheck) {
    Check(Control::BT07, false);
    Check(Control::BT08, false);
  }
  if (starts && id == cmd::Info) Check(Control::BT08, false);
  if (starts && id == cmd::HeaderCheck) Check(Control::BT11, false);
}

void MainWindow::ShowColourChoice(int, bool starts) {
  if (starts) control(Control::BT01)->setEnabled(false);
}

bool MainWindow::RgbDialog(RunChoice& choice) {
  childbit1 = 1;
  const bool start = OpenModalWindowRGB(this, settings_.Files(), &choice.strJpos_bit);
  childbit1 = 0;
  Check(Control::BT12, false);
  return start;
}

bool MainWindow::RatioDialog(RunChoice&) {
  if (OpenModalWindowPrgb(this, settings_.Files())) return true;
  Check(Control::BT15, false);
  return false;
}

bool MainWindow::StrengthDialog(RunChoice&) {
  if (OpenModalWindowSrgb(this, settings_.Files())) return true;
  Check(Control::BT16, false);
  return false;
}

bool MainWindow::RowSelected() { return !c_.LV01->selectionModel()->selectedRows().isEmpty(); }

std::string MainWindow::OpenColourDialog(std::size_t* ColorMax) {
  const QModelIndexList selected = c_.LV01->selectionModel()->selectedRows();
  int row = selected.first().row();
  for (const QModelIndex& i : selected) row = std::min(row, i.row());
  *ColorMax = static_cast<std::size_t>(std::max(0, ReadSettingNumber(*st_.env, key::samcount, st_.profile)));
  c_.statusParts[1]->setText("wait!! open Dialog");
  return st_.listedFolder.get() + "/" + st_.rows.name(static_cast<std::size_t>(row));
}

bool MainWindow::AllColourDialog(RunChoice& choice) {
  std::size_t ColorMax = 0;
  const std::string DlgFilePath = OpenColourDialog(&ColorMax);
  childbit2 = 1;
  const bool start = OpenModalWindowallRGB(this, settings_.Files(), options_.programDir + "/" + kRgbTxt, ColorMax,
                                           DlgFilePath, &choice.colours.emplace());
  childbit2 = 0;
  c_.statusParts[1]->clear();
  choice.workfile = settings_.store().workfile;
  return start;
}

bool MainWindow::PartColourDialog(RunChoice& choice) {
  std::size_t ColorMax = 0;
  const std::string DlgFilePath = OpenColourDialog(&ColorMax);
  PartColourChoice part;
  childbit3 = 1;
  const bool start = OpenModalWindowpartRGB(this, settings_.Files(), options_.programDir + "/" + kRgbTxt, ColorMax,
                                            DlgFilePath, MMI, settings_.store().workfile, &part);
  childbit3 = 0;
  c_.statusParts[1]->clear();
  choice.colours = std::move(part.colours);
  choice.strJpos_bit = std::move(part.strJpos_bit);
  partCaption_ = std::move(part.GRmsgtext);
  return start;
}

// The rows and their targets belong to the listed folder: the move acts on
// it, and only while the field still names it.
bool MainWindow::MoveDialog(RunChoice& choice) {
  const std::string listed = st_.listedFolder.get();
  if (listed.empty()) {
    Message(WindowText(QT_TRANSLATE_NOOP(
                "Pictray", "リストアップしたフォルダがありません。移動する前にフォルダをリストアップして下さい")),
            Button::Err, Button::Err);
    return false;
  }
  const std::string field = Folder();
  if (!SameFolderPath(field, listed)) {
    Message(WindowText(
                QT_TRANSLATE_NOOP("Pictray",
                                  "フォルダ欄の「%1」はリストアップしたフォルダ「%2」ではありません。移動は行いません。"
                                  "このフォルダのファイルを移動するには先にリストアップして下さい"),
                {field, listed}),
            Button::Err, Button::Err);
    return false;
  }
  choice.moved = [host = host_.get()](const MoveReport&) { host->RowsChanged(0, 0); };
  return true;
}

}  // namespace pictray::app
