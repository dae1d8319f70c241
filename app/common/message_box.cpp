#include "app/common/message_box.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QStyle>

#include "app/common/control_factory.h"

namespace pictray::ui {
namespace {

class MessageBoxDialog : public QDialog {
 public:
  MessageBoxDialog(QWidget* owner, const QString& message, const QString& caption1,
                   const QString& caption2)
      : QDialog(owner) {
    setObjectName("MessageBox1Q");
    setWindowTitle(QApplication::applicationName());
    setFixedSize(400, 120);
    const bool info = caption1 == "yes" && caption2 == "yes";
    const bool error = caption1 == "err" && caption2 == "err";
    const bool oneButton = info || error;
    micon_ = info ? 3 : error ? 4 : 1;

    auto* icon = new QLabel(this);
    icon->setObjectName("icon");
    const QStyle::StandardPixmap sp = micon_ == 3   ? QStyle::SP_MessageBoxInformation
                                      : micon_ == 4 ? QStyle::SP_MessageBoxCritical
                                                    : QStyle::SP_MessageBoxQuestion;
    icon->setPixmap(style()->standardIcon(sp).pixmap(32, 32));
    icon->setGeometry(10, 4, 32, 32);

    // One line, never wrapped: a long message is cut at the box's edge.
    QString line = message;
    line.replace(QChar('\n'), QChar(0x240A)).replace(QChar('\r'), QChar(0x240D));
    auto* text = new QLabel(line, this);
    text->setObjectName("message");
    text->setWordWrap(false);
    text->setTextFormat(Qt::PlainText);
    text->setFont(MinchoFont(12));
    text->setGeometry(50, 10, 345, 40);
    text->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    BT01 = new QPushButton(caption1, this);
    BT01->setObjectName("BT01");
    BT02 = new QPushButton(caption2, this);
    BT02->setObjectName("BT02");
    for (QPushButton* b : {BT01, BT02}) b->setFont(MinchoFont(14));
    BT01->setDefault(true);
    BT01->setGeometry(oneButton ? 155 : 100, 60, 100, 22);
    BT02->setGeometry(205, 60, 100, 22);
    BT02->setVisible(!oneButton);
    BT01->installEventFilter(this);
    connect(BT01, &QPushButton::clicked, this, [this] { Finish(6); });
    connect(BT02, &QPushButton::clicked, this, [this] { Finish(7); });
    BT01->setFocus();
  }

  int mbret = 7;
  int micon() const { return micon_; }

 protected:
  // Any key on the first button answers it, Tab and Escape included.
  bool eventFilter(QObject* watched, QEvent* e) override {
    if (watched == BT01 && (e->type() == QEvent::KeyPress || e->type() == QEvent::ShortcutOverride)) {
      if (e->type() == QEvent::KeyPress) Finish(6);
      e->accept();
      return true;
    }
    return QDialog::eventFilter(watched, e);
  }
  void keyPressEvent(QKeyEvent* e) override {
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
      Finish(6);
      return;
    }
    if (e->key() == Qt::Key_Escape) {
      Finish(7);
      return;
    }
    QDialog::keyPressEvent(e);
  }
  void closeEvent(QCloseEvent* e) override {
    e->accept();
    done(mbret);
  }

 private:
  void Finish(int answer) {
    mbret = answer;
    done(answer);
  }

  QPushButton* BT01 = nullptr;
  QPushButton* BT02 = nullptr;
  int micon_ = 1;
};

}  // namespace

int MessageBox1Q(QWidget* owner, const QString& message, const QString& caption1,
                 const QString& caption2) {
  QPointer<QWidget> guard(owner);
  if (owner) owner->setEnabled(false);
  MessageBoxDialog box(owner, message, caption1, caption2);
  box.setWindowModality(Qt::ApplicationModal);
  if (owner) {
    const QRect g = owner->frameGeometry();
    box.move(g.left() + g.width() / 2 - 200, g.top() + g.height() / 2 - 60);
  }
  box.setEnabled(true);
  box.exec();
  if (guard) {
    guard->setEnabled(true);
    guard->activateWindow();
    guard->setFocus();
  }
  return box.mbret == 6 ? 6 : 7;
}

}  // namespace pictray::ui
