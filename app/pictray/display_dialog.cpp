#include "app/pictray/display_dialog.h"

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
#include "engine/settings/settings_keys.h"

namespace pictray::app {
namespace {

struct AppRow {
  const SettingKey* key;
  const char* caption;
  int labelId, editId, buttonId;
};
constexpr AppRow kAppRows[4] = {
    {&key::app, QT_TRANSLATE_NOOP("Pictray", "APP(リスト)"), 10042, 10045, 10049},
    {&key::app1, QT_TRANSLATE_NOOP("Pictray", "APP1(結果リスト)"), 10043, 10046, 10050},
    {&key::app2, QT_TRANSLATE_NOOP("Pictray", "APP2(結果リスト)"), 10044, 10047, 10051},
    {&key::app3, QT_TRANSLATE_NOOP("Pictray", "APP3(移動後フォルダ)"), 10057, 10058, 10059}};

}  // namespace

std::string CutAtCharacter(const std::string& bytes, std::size_t most) {
  if (bytes.size() <= most) return bytes;
  std::size_t end = most;
  // Back over continuation bytes (10xxxxxx) to the start of the cut character.
  while (end > 0 && (static_cast<unsigned char>(bytes[end]) & 0xC0) == 0x80) --end;
  return bytes.substr(0, end);
}

DisplayDialog::DisplayDialog(QWidget* owner, const SettingsFiles& files) : QDialog(owner), files_(files) {
  setObjectName("DisplayDialog");
  setWindowTitle(QCoreApplication::translate("Pictray", "表示設定"));
  setFont(ui::MinchoFont(14));
  setMinimumWidth(500);
  if (owner) move(owner->frameGeometry().topLeft() + QPoint(150, 150));
  Build();
  Load();
}

void DisplayDialog::Build() {
  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(14, 10, 14, 40);
  JpegCheck_ = ui::MakeCheckBoxWnd(
      this, 1010, QCoreApplication::translate("Pictray", "リストアップ時 jpeg開始ヘッダーの有無を調べる"));
  grid->addWidget(JpegCheck_, 0, 0, 1, 3);
  grid->addWidget(new QLabel(QCoreApplication::translate("Pictray", "使用禁止文字設定"), this), 1, 0);
  disabledchar_ = ui::Make_EditWindow(this, 10041);
  ui::MakeToolTip(disabledchar_,
                  QCoreApplication::translate("Pictray", "フォルダ名でこれらの文字は _ に置き換えられます"));
  grid->addWidget(disabledchar_, 1, 1, 1, 2);
  const QIcon browse = style()->standardIcon(QStyle::SP_FileIcon);
  for (int i = 0; i < 4; ++i) {
    const AppRow& row = kAppRows[i];
    grid->addWidget(ui::MakeLabelEditWnd(this, row.labelId, QCoreApplication::translate("Pictray", row.caption)), i + 2,
                    0);
    szApp_[i] = ui::Make_EditWindow(this, row.editId);
    szApp_[i]->setMinimumWidth(260);
    grid->addWidget(szApp_[i], i + 2, 1);
    QPushButton* button = ui::MakeICONButtonWnd16(this, row.buttonId, browse);
    ui::MakeToolTip(button, QCoreApplication::translate("Pictray", "アプリを選択"));
    connect(button, &QPushButton::clicked, this, [this, edit = szApp_[i]] { BrowseProgram(edit); });
    grid->addWidget(button, i + 2, 2);
  }
  QPushButton* ok = ui::MakeTextButtonWnd(this, 10052, "OK");
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &DisplayDialog::accept);
  grid->addWidget(ok, 6, 2);
}

void DisplayDialog::Load() {
  JpegCheck_->setChecked(ReadSetting(env_, key::JpegCheck, files_.GRprofile) == "1");
  ui::SetEditBytes(disabledchar_, ReadSetting(env_, key::disabledchar, files_.GRprofile));
  for (int i = 0; i < 4; ++i) ui::SetEditBytes(szApp_[i], ReadSetting(env_, *kAppRows[i].key, files_.GRprofile));
}

void DisplayDialog::paintEvent(QPaintEvent* e) {
  QDialog::paintEvent(e);
  QPainter p(this);
  p.setFont(ui::MinchoFont(11));
  p.drawText(QPoint(14, height() - 16), QCoreApplication::translate("Pictray", "起動アプリ既定値は'open'(小文字)"));
}

void DisplayDialog::BrowseProgram(QLineEdit* edit) {
  const QString file = ui::FoldaSetting(this, edit->text());
  if (!file.isEmpty()) edit->setText(file);
}

void DisplayDialog::accept() {
  SettingsWrites writes(env_);
  writes.WriteBoth(key::JpegCheck, JpegCheck_->isChecked() ? "1" : "0", files_);
  // The reader takes width - 1 bytes: a longer value would lose its end,
  // perhaps inside a character.
  writes.WriteBoth(key::disabledchar, CutAtCharacter(ui::EditBytes(disabledchar_), key::disabledchar.width - 1),
                   files_);
  for (int i = 0; i < 4; ++i) writes.WriteBoth(*kAppRows[i].key, ui::EditBytes(szApp_[i]), files_);
  if (!writes.ok()) {
    ui::MessageBox1Q(this, ui::TextOf(writes.Message()), Button::Err, Button::Err);
    return;
  }
  QDialog::accept();
}

bool OpenModalWindow6(QWidget* owner, const SettingsFiles& files) {
  DisplayDialog dialog(owner, files);
  return dialog.exec() == QDialog::Accepted;
}

}  // namespace pictray::app
