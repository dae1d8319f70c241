// The main window's commands around the settings: the three settings
// dialogs, the help page, the moved-to folder's program and the reload of
// the programs after an outside change.
#include <QCoreApplication>
#include <QLabel>
#include <QPushButton>

#include "app/common/control_factory.h"
#include "app/common/help_page.h"
#include "app/common/text_bytes.h"
#include "app/pictray/display_dialog.h"
#include "app/pictray/main_window.h"
#include "app/pictray/program_launcher.h"
#include "app/pictray/properties_dialog.h"
#include "app/pictray/result_pane.h"
#include "app/pictray/window_text.h"
#include "engine/fs/paths.h"
#include "engine/settings/settings_keys.h"

namespace pictray::app {

using ui::TextOf;

void MainWindow::OpenFolderWithApp3() {
  std::string app3 = ReadSetting(*st_.env, key::app3, settings_.store().GRprofile);
  if (app3 == "new") {
    Message(
        WindowText(QT_TRANSLATE_NOOP("Pictray",
                                     "APP3(移動後フォルダ)に 'open' "
                                     "を設定しました。移動後のフォルダを開くアプリは「設定」の「表示」で変えられます")),
        Button::Yes, Button::Yes);
    app3 = "open";
    if (!settings_.StoreApp3(app3))
      Message(
          WindowText(QT_TRANSLATE_NOOP("Pictray", "設定ファイルに書き込めません: %1"), {settings_.store().GRprofile}),
          Button::Err, Button::Err);
  }
  const std::string field = Folder();
  const std::string folder = field.empty() ? field : AbsolutePath(field);
  if (!IsFolder(*st_.env, folder)) {
    Message(WindowText(QT_TRANSLATE_NOOP("Pictray", "フォルダ欄のフォルダがありません: %1"), {field}), Button::Err, Button::Err);
    return;
  }
  if (ResolveProgram(app3, options_.programDir).empty()) {
    Message(WindowText(QT_TRANSLATE_NOOP(
                           "Pictray",
                           "APP3(移動後フォルダ)のアプリ「%1」を起動できません。「設定」の「表示」で指定して下さい"),
                       {app3}),
            Button::Err, Button::Err);
    return;
  }
  shellOpenSub(this, app3, folder, options_.programDir);
}

void MainWindow::DisplaySettings() {
  if (OpenModalWindow6(this, settings_.Files()))
    st_.disabledchar.set(ReadSetting(*st_.env, key::disabledchar, settings_.Files().profile));
  RebuildApp3Icon();
}

void MainWindow::Properties() {
  const std::optional<PropertiesResult> r =
      OpenModalWindowP(this, settings_.Files(), options_.programDir, TextOf(ProName), windowIcon());
  if (!r) return;
  WinClose = r->WinClose;
  settings_.RebuildWorkfile();
  const QString zenApp = TextOf(r->ZenApp);
  c_.BT101->setIcon(ui::ProgramIcon(zenApp, TextOf(options_.programDir), windowIcon()));
  c_.BT101->setToolTip(zenApp);
}

void MainWindow::OpenHelp() {
  ui::OpenHelpPage(this, settings_.helpfile(), [this](const std::string& text) { Message(text, Button::Err, Button::Err); });
}

void MainWindow::AppsChanged() {
  if (!settings_.CopyAppsToWorkingCopy())
    Message(WindowText(QT_TRANSLATE_NOOP("Pictray", "設定ファイルに書き込めません: %1"), {settings_.Files().profile}),
            Button::Err, Button::Err);
  RebuildApp3Icon();
}

void MainWindow::RebuildApp3Icon() { c_.child2->RefreshApp3Icon(); }

}  // namespace pictray::app
