// What the move result list LV02 offers on its rows: its popup menu and
// the actions behind it (open with a program, clear, list afresh, break up
// the folders), and the relay to the next program.
#include "app/pictray/result_pane.h"

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QFileInfo>
#include <QMenu>
#include <QMessageBox>
#include <QTreeWidget>

#include <memory>

#include "app/common/control_factory.h"
#include "app/common/text_bytes.h"
#include "app/pictray/list_models.h"
#include "app/pictray/popup_menu.h"
#include "app/pictray/program_launcher.h"
#include "app/pictray/window_text.h"
#include "engine/colour/rgb_name.h"
#include "engine/fs/break_folda.h"
#include "engine/fs/paths.h"
#include "engine/run/command_ids.h"

namespace pictray::app {

std::string ResultPane::PathOf(const QTreeWidgetItem* item) {
  return item->data(3, kPathRole).toByteArray().toStdString();
}

QTreeWidgetItem* ResultPane::FirstSelected() const {
  for (int i = 0; i < LV02->topLevelItemCount(); ++i)
    if (LV02->topLevelItem(i)->isSelected()) return LV02->topLevelItem(i);
  return nullptr;
}

QMenu* ResultPane::BuildPopup() {
  if (!FirstSelected()) return nullptr;
  const QString dir = ui::TextOf(links_.programDir);
  auto appEntry = [&](const SettingKey& k, const char* label, int fallback) {
    const QString app = ui::TextOf(ReadSetting(env_, k, links_.files.profile));
    const QIcon icon = ui::ProgramIcon(app, dir, links_.ownIcon);
    const QIcon shown = icon.isNull() ? ui::GlyphIcon(QString::number(fallback + 1), QColor(70, 130, 180), 16) : icon;
    return std::make_pair(shown, QString(label) + QFileInfo(app).fileName());
  };
  const auto [icon1, caption1] = appEntry(key::app1, "AppOpen1: ", 0);
  const auto [icon2, caption2] = appEntry(key::app2, "AppOpen2: ", 1);
  return MakePopupMenu(
      this, "popupLV02",
      {{AppOpen1, caption1, icon1},
       {AppOpen2, caption2, icon2},
       {ClearAll, "Clear All", ui::GlyphIcon("✕", QColor(150, 150, 150), 16)},
       {ReadSet, "Read Set", ui::GlyphIcon("↻", QColor(30, 140, 60), 16)},
       {BreakFoldaId, "Break Folda", ui::GlyphIcon("⇡", QColor(200, 60, 60), 16)}},
      [this](int id) { PopupCommand(id); });
}

// The menu acts on LV02's rows: it opens over a row only, and a click on a
// row that is not selected selects it, so that no earlier choice is acted on.
void ResultPane::contextMenuEvent(QContextMenuEvent* e) {
  const QPoint at = LV02->viewport()->mapFromGlobal(e->globalPos());
  QTreeWidgetItem* row = LV02->viewport()->rect().contains(at) ? LV02->itemAt(at) : nullptr;
  if (!row) return;
  if (!row->isSelected()) {
    LV02->clearSelection();
    row->setSelected(true);
  }
  std::unique_ptr<QMenu> menu(BuildPopup());
  if (menu) menu->exec(e->globalPos());
}

void ResultPane::PopupCommand(int id) {
  if (!FirstSelected()) return;
  switch (id) {
    case AppOpen1: OpenWith(key::app1); break;
    case AppOpen2: OpenWith(key::app2); break;
    case ClearAll: ClearAllResults(); break;
    case ReadSet: ListAfresh(); break;
    case BreakFoldaId: BreakSelectedFolders(); break;
    default: break;
  }
}

bool ResultPane::FolderStillThere(QTreeWidgetItem* item) {
  const std::string folder = PathOf(item);
  if (IsFolder(env_, folder)) return true;
  links_.message(WindowText(QT_TRANSLATE_NOOP("Pictray", "フォルダがありません: %1"), {folder}), Button::Err, Button::Err);
  delete item;
  return false;
}

void ResultPane::DropGoneMoveResults() {
  for (int i = LV02->topLevelItemCount() - 1; i >= 0; --i)
    if (!IsFolder(env_, PathOf(LV02->topLevelItem(i)))) delete LV02->takeTopLevelItem(i);
}

void ResultPane::OpenWith(const SettingKey& app) {
  QTreeWidgetItem* item = FirstSelected();
  if (!FolderStillThere(item)) return;
  shellOpenSub(this, ReadSetting(env_, app, links_.files.profile), PathOf(item), links_.programDir);
}

void ResultPane::ClearAllResults() {
  const QString title = ui::TextOf(links_.ProName);
  if (QMessageBox::question(this, title, QCoreApplication::translate("Pictray", "結果リスト消去?"),
                            QMessageBox::Yes | QMessageBox::No) == QMessageBox::No)
    return;
  LV02->clear();
}

void ResultPane::ListAfresh() {
  const std::string folder = PathOf(FirstSelected());
  links_.prepareListUp(folder);
  links_.command(cmd::ClearList, 0);
  links_.command(cmd::ListUp, 0);
  LV02->clear();
}

void ResultPane::BreakSelectedFolders() {
  const QString title = ui::TextOf(links_.ProName);
  if (QMessageBox::question(this, title, QCoreApplication::translate("Pictray", "フォルダを解体しますか"),
                            QMessageBox::Ok | QMessageBox::Cancel) != QMessageBox::Ok)
    return;
  // Taken before any row goes, so that each selected folder is handled once.
  const QList<QTreeWidgetItem*> selected = LV02->selectedItems();
  for (QTreeWidgetItem* item : selected) {
    if (!FolderStillThere(item)) continue;
    const std::string folder = PathOf(item);
    const std::string target = item->data(0, kTargetRole).toByteArray().toStdString();
    // The folder goes only when nothing at all is left in it; a failed
    // removal is a failure, whatever was moved.
    if (BreakTargetFolder(env_, folder, target) == 0) {
      delete item;
      QMessageBox::information(this, ui::TextOf(folder), QCoreApplication::translate("Pictray", "解体OK"));
    } else {
      QMessageBox::warning(this, ui::TextOf(folder), QCoreApplication::translate("Pictray", "解体失敗"));
    }
  }
  QMessageBox::information(this, title, QCoreApplication::translate("Pictray", "処理終了"));
}

void ResultPane::StartRelay() {
  const std::string zipdll = JoinPath(links_.programDir, "7-zip32.dll");
  if (!PathExists(env_, zipdll)) {
    links_.message("7zip dll_error", Button::Err, Button::Err);
    return;
  }
  const std::string relay = ResolveProgram("relay.exe", links_.programDir);
  if (relay.empty()) {
    links_.message("relay.exe_error", Button::Err, Button::Err);
    return;
  }
  // The outside program may change the application settings: they are read
  // again when it ends.
  shellOpenSub(window(), relay, "", links_.programDir, [command = links_.command] {
    command(cmd::AppsChanged, 0);
  });
}

}  // namespace pictray::app
