#include "app/twinscan/properties_dialog.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QStyle>

#include "app/common/control_factory.h"
#include "app/common/message_box.h"
#include "app/common/text_bytes.h"
#include "engine/dupes/twinscan_profile.h"
#include "pictray_version.h"

namespace pictray::twinscan {
using ui::BytesOf;
using ui::TextOf;

PropertiesDialog::PropertiesDialog(QWidget* owner, std::string profile, const QString& proName,
                                   const QIcon& icon)
    : QDialog(owner), profile_(std::move(profile)), proName_(proName), icon_(icon) {
  setWindowTitle(QCoreApplication::translate("Twinscan", "プロパティ設定"));
  setModal(true);
  setFixedSize(500, 250);
  if (owner) move(owner->pos() + QPoint(150, 150));
  const QFont font = ui::MinchoFont(12);

  auto row = [&](int y, const QString& caption, int editId, int browseId, const std::string& value) {
    auto* label = new QLabel(caption, this);
    label->setFont(font);
    label->setGeometry(20, y, 300, 20);
    QLineEdit* edit = ui::Make_EditWindow(this, editId);
    edit->setAlignment(Qt::AlignRight);
    edit->setGeometry(20, y + 22, 400, 24);
    edit->setText(TextOf(value));
    QPushButton* browse =
        ui::MakeICONButtonWnd(this, browseId, style()->standardIcon(QStyle::SP_DirOpenIcon), 16);
    browse->move(430, y + 21);
    connect(browse, &QPushButton::clicked, this, [this, edit] { FoldaSetting0(edit); });
    return edit;
  };
  openApp_ = row(20, QCoreApplication::translate("Twinscan", "[確認 app_open]で使用"), 10042, 5001,
                 dupes::ReadOpenApp(env_, profile_));
  fileApp_ = row(80, QCoreApplication::translate("Twinscan", "右メニューopenで使用"), 10043, 5002,
                 dupes::ReadFileApp(env_, profile_));

  QPushButton* ok = ui::MakeTextButtonWnd(this, 10052, QCoreApplication::translate("Twinscan", "OK"));
  ok->setFont(font);
  ok->setGeometry(380, 200, 100, 28);
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, [this] { Save(); });
}

void PropertiesDialog::paintEvent(QPaintEvent* event) {
  QDialog::paintEvent(event);
  QPainter p(this);
  icon_.paint(&p, QRect(20, 150, 32, 32));
  p.setFont(ui::MinchoFont(12));
  p.drawText(QPoint(64, 164), proName_);
  p.drawText(QPoint(64, 182), QCoreApplication::translate("Twinscan", "Version %1").arg(kPictrayVersion));
}

void PropertiesDialog::FoldaSetting0(QLineEdit* edit) {
  const QString file =
      QFileDialog::getOpenFileName(this, QString(), edit->text(), QCoreApplication::translate("Twinscan", "exe files (*)"));
  if (!file.isEmpty()) edit->setText(file);
}

void PropertiesDialog::Save() {
  if (!dupes::WriteApps(env_, profile_, BytesOf(openApp_->text()), BytesOf(fileApp_->text())))
    ui::MessageBox1Q(this, QCoreApplication::translate("Twinscan", "設定ファイルに書き込めません"), Button::Err, Button::Err);
  accept();
}

}  // namespace pictray::twinscan
