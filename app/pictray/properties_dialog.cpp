#include "app/pictray/properties_dialog.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QStyle>

#include "app/common/control_factory.h"
#include "app/common/message_box.h"
#include "app/common/text_bytes.h"
#include "app/pictray/window_text.h"
#include "engine/fs/paths.h"
#include "engine/settings/settings_keys.h"
#include "pictray_version.h"

namespace pictray::app {
namespace {

constexpr int kPaintedTop = 190;  // the name and version are painted below the controls

}  // namespace

PropertiesDialog::PropertiesDialog(QWidget* owner, const SettingsFiles& files, const std::string& programDir,
                                   const QString& ProName, const QIcon& icon)
    : QDialog(owner), files_(files), programDir_(programDir), ProName_(ProName), icon_(icon) {
  setObjectName("PropertiesDialog");
  setWindowTitle(QCoreApplication::translate("Pictray", "プロパティ設定"));
  setFont(ui::MinchoFont(14));
  setFixedSize(500, 250);
  if (owner) move(owner->frameGeometry().topLeft() + QPoint(150, 150));
  Build();
  Load();
}

void PropertiesDialog::Build() {
  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(14, 10, 14, 250 - kPaintedTop);
  grid->addWidget(ui::MakeLabelEditWnd(this, 10041, QCoreApplication::translate("Pictray", "WorkFile Path(確認用)")), 0,
                  0, 1, 2);
  szWPath_ = ui::Make_EditWindow(this, 10042);
  grid->addWidget(szWPath_, 1, 0);
  QPushButton* browseFolder = ui::MakeICONButtonWnd16(this, 10048, style()->standardIcon(QStyle::SP_DirOpenIcon));
  ui::MakeToolTip(browseFolder, QCoreApplication::translate("Pictray", "作業フォルダを選択"));
  connect(browseFolder, &QPushButton::clicked, this, &PropertiesDialog::BrowseWorkFolder);
  grid->addWidget(browseFolder, 1, 1);

  grid->addWidget(ui::MakeLabelEditWnd(this, 10056, QCoreApplication::translate("Pictray", "読込み前処理アプリ")), 2, 0,
                  1, 2);
  ZenApp_ = ui::Make_EditWindow(this, 10043);
  grid->addWidget(ZenApp_, 3, 0);
  QPushButton* browseProgram = ui::MakeICONButtonWnd16(this, 10060, style()->standardIcon(QStyle::SP_FileIcon));
  ui::MakeToolTip(browseProgram, QCoreApplication::translate("Pictray", "アプリを選択"));
  connect(browseProgram, &QPushButton::clicked, this, &PropertiesDialog::BrowseProgram);
  grid->addWidget(browseProgram, 3, 1);

  auto* bottom = new QHBoxLayout;
  WinClose_ = ui::MakeCheckBoxWnd(this, 1010, QCoreApplication::translate("Pictray", "window close 有効"));
  bottom->addWidget(WinClose_);
  bottom->addStretch();
  QPushButton* ok = ui::MakeTextButtonWnd(this, 10052, "OK");
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &PropertiesDialog::accept);
  bottom->addWidget(ok);
  grid->addLayout(bottom, 4, 0, 1, 2);
  ui::Make_StaticWindow04(this, 10049, icon_)->move(14, kPaintedTop + 10);
}

void PropertiesDialog::Load() {
  std::string WPath = ReadSetting(env_, key::WPath, files_.GRprofile);
  if (WPath.empty()) WPath = programDir_;
  ui::SetEditBytes(szWPath_, WPath);
  ui::SetEditBytes(ZenApp_, ReadSetting(env_, key::ZenApp, files_.GRprofile));
  WinClose_->setChecked(ReadSetting(env_, key::WinClose, files_.GRprofile) == "1");
}

void PropertiesDialog::paintEvent(QPaintEvent* e) {
  QDialog::paintEvent(e);
  QPainter p(this);
  p.setFont(ui::MinchoFont(14));
  p.drawText(QPoint(44, kPaintedTop + 26), ProName_);
  p.setFont(ui::MinchoFont(11));
  p.drawText(QPoint(44 + p.fontMetrics().horizontalAdvance(ProName_) + 60, kPaintedTop + 26), QString("Version ") + kPictrayVersion);
}

void PropertiesDialog::BrowseWorkFolder() {
  QString dir = ui::SHBDlg(this, szWPath_->text());
  if (dir == "cancel") return;
  if (dir.size() > 1 && dir.endsWith('/')) dir.chop(1);
  szWPath_->setText(dir);
}

void PropertiesDialog::BrowseProgram() {
  const QString file = ui::FoldaSetting(this, ZenApp_->text());
  if (!file.isEmpty()) ZenApp_->setText(file);
}

std::string PropertiesDialog::RefuseWorkFolder(const std::string& folder) const {
  if (folder.empty() || IsFolder(env_, folder)) return {};
  return WindowText(
      QT_TRANSLATE_NOOP("Pictray",
                        "WorkFile Pathのフォルダがありません。作業ファイルを置くフォルダを指定して下さい: %1"),
      {folder});
}

void PropertiesDialog::accept() {
  const std::string WPath = ui::EditBytes(szWPath_);
  if (const std::string refused = RefuseWorkFolder(WPath); !refused.empty()) {
    ui::MessageBox1Q(this, ui::TextOf(refused), Button::Err, Button::Err);
    return;
  }
  result_.WinClose = std::string(1, WinClose_->isChecked() ? '1' : '0');
  result_.ZenApp = ui::EditBytes(ZenApp_);
  SettingsWrites writes(env_);
  writes.Write(key::WinClose, result_.WinClose, files_.GRprofile);
  writes.Write(key::WPath, WPath, files_.GRprofile);
  writes.Write(key::ZenAppCopy, result_.ZenApp, files_.GRprofile);
  // The program the window runs before list-up, from this command on.
  writes.WriteBoth(key::ZenApp, result_.ZenApp, files_);
  if (!writes.ok()) {
    ui::MessageBox1Q(this, ui::TextOf(writes.Message()), Button::Err, Button::Err);
    return;
  }
  QDialog::accept();
}

std::optional<PropertiesResult> OpenModalWindowP(QWidget* owner, const SettingsFiles& files,
                                                 const std::string& programDir, const QString& ProName,
                                                 const QIcon& icon) {
  PropertiesDialog dialog(owner, files, programDir, ProName, icon);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.values();
}

}  // namespace pictray::app
