#include "app/common/message_box.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QTextLayout>

#include <algorithm>
#include <cmath>
#include <optional>

#include "app/common/control_factory.h"
#include "app/common/language.h"

namespace pictray::ui {
namespace {

// Geometry of the smallest box, which a short message keeps.
constexpr int kMinWidth = 400;
constexpr int kMinHeight = 120;
constexpr int kTextLeft = 50;
constexpr int kTextTop = 10;
constexpr int kTextRightMargin = 15;
constexpr int kMinTextHeight = 40;
constexpr int kButtonGap = 10;
constexpr int kButtonWidth = 100;
constexpr int kButtonHeight = 22;
// Room the window frame and title bar take outside the box.
constexpr int kFrameRoom = 20;
constexpr int kTitleRoom = 60;

// A box with two "yes" or two "err" buttons tells something and shows one;
// any other pair asks.
enum class BoxKind { Info, Error, Question };

BoxKind KindOf(Button caption1, Button caption2) {
  if (caption1 == Button::Yes && caption2 == Button::Yes) return BoxKind::Info;
  if (caption1 == Button::Err && caption2 == Button::Err) return BoxKind::Error;
  return BoxKind::Question;
}

QString CaptionWords(Button caption) { return QString::fromStdString(texts::Words(caption, WindowLanguage())); }

// The message, broken at word boundaries where it has them and anywhere
// else (a long path has none), so that every character stays visible.
class MessageText : public QLabel {
 public:
  MessageText(const QString& text, QWidget* parent) : QLabel(text, parent) {
    setTextFormat(Qt::PlainText);
    setWordWrap(true);
  }

  int NaturalWidth() const { return fontMetrics().horizontalAdvance(text()) + 1; }
  int HeightFor(int width) const {
    QTextLayout layout;
    return Lay(layout, width);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.setPen(palette().color(QPalette::WindowText));
    QTextLayout layout;
    Lay(layout, width());
    layout.draw(&p, QPointF(0, 0));
  }

 private:
  // Lays the text out in lines of `width`; returns the height they take.
  int Lay(QTextLayout& layout, int width) const {
    layout.setText(text());
    layout.setFont(font());
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    qreal y = 0;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
      line.setLineWidth(width);
      line.setPosition(QPointF(0, y));
      y += line.height();
    }
    layout.endLayout();
    return static_cast<int>(std::ceil(y));
  }
};

class MessageBoxDialog : public QDialog {
 public:
  MessageBoxDialog(QWidget* owner, const QString& message, const QString& words1, const QString& words2,
                   BoxKind kind)
      : QDialog(owner) {
    setObjectName("MessageBox1Q");
    setWindowTitle(QApplication::applicationName());
    oneButton_ = kind != BoxKind::Question;
    const int micon = kind == BoxKind::Info ? 3 : kind == BoxKind::Error ? 4 : 1;

    auto* icon = new QLabel(this);
    icon->setObjectName("icon");
    const QStyle::StandardPixmap sp = micon == 3   ? QStyle::SP_MessageBoxInformation
                                      : micon == 4 ? QStyle::SP_MessageBoxCritical
                                                   : QStyle::SP_MessageBoxQuestion;
    icon->setPixmap(style()->standardIcon(sp).pixmap(32, 32));
    icon->setGeometry(10, 4, 32, 32);

    // A file name may hold line breaks: they show as symbols, so that the
    // message keeps its one-line form and the name stays recognisable.
    QString line = message;
    line.replace(QChar('\n'), QChar(0x240A)).replace(QChar('\r'), QChar(0x240D));
    area_ = new QScrollArea(this);
    area_->setObjectName("messageArea");
    area_->setFrameShape(QFrame::NoFrame);
    area_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    area_->setFocusPolicy(Qt::NoFocus);
    area_->viewport()->setAutoFillBackground(false);
    text_ = new MessageText(line, area_);
    text_->setObjectName("message");
    text_->setFont(MinchoFont(12));
    area_->setWidget(text_);

    BT01 = new QPushButton(words1, this);
    BT01->setObjectName("BT01");
    BT02 = new QPushButton(words2, this);
    BT02->setObjectName("BT02");
    for (QPushButton* b : {BT01, BT02}) b->setFont(MinchoFont(14));
    BT01->setDefault(true);
    BT02->setVisible(!oneButton_);
    BT01->installEventFilter(this);
    connect(BT01, &QPushButton::clicked, this, [this] { Finish(6); });
    connect(BT02, &QPushButton::clicked, this, [this] { Finish(7); });
    BT01->setFocus();
  }

  int mbret = 7;

  // Sizes the box to its message within `screen`: wider first, then more
  // lines, then a scroll bar once the box would leave the screen.
  void FitInto(const QRect& screen) {
    const int maxWidth = std::max(kMinWidth, screen.width() - kFrameRoom);
    const int maxTextHeight =
        std::max(kMinTextHeight, screen.height() - kTitleRoom - (kMinHeight - kMinTextHeight));
    // Buttons keep their 100 px unless a caption (a translated one) needs more.
    const int w1 = ButtonWidth(BT01);
    const int w2 = oneButton_ ? 0 : ButtonWidth(BT02);
    const int buttonsWidth = oneButton_ ? w1 + 10 : 2 * std::max(w1, w2 + 5);
    const int width = std::clamp(std::max(kTextLeft + text_->NaturalWidth() + kTextRightMargin,
                                          buttonsWidth + 2 * kButtonGap),
                                 kMinWidth, maxWidth);
    int textWidth = width - kTextLeft - kTextRightMargin;
    int textHeight = text_->HeightFor(textWidth);
    int shownHeight = std::max(kMinTextHeight, textHeight);
    if (shownHeight > maxTextHeight) {
      shownHeight = maxTextHeight;
      textWidth -= area_->verticalScrollBar()->sizeHint().width();
      textHeight = text_->HeightFor(textWidth);
      area_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    } else {
      area_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    }
    text_->setFixedSize(textWidth, textHeight);
    area_->setGeometry(kTextLeft, kTextTop, width - kTextLeft - kTextRightMargin, shownHeight);

    const int buttonTop = kTextTop + shownHeight + kButtonGap;
    const int centre = width / 2;
    BT01->setGeometry(oneButton_ ? centre + 5 - w1 / 2 : centre - w1, buttonTop, w1, kButtonHeight);
    BT02->setGeometry(centre + 5, buttonTop, oneButton_ ? kButtonWidth : w2, kButtonHeight);
    setFixedSize(width, shownHeight + (kMinHeight - kMinTextHeight));
  }

 protected:
  // Any key on the first button answers it (Enter, Space, a letter ...),
  // except Escape, which closes the box, and Tab, which moves on to the
  // other button: a user heading for "しない" must never confirm "削除する".
  bool eventFilter(QObject* watched, QEvent* e) override {
    if (watched == BT01 && (e->type() == QEvent::KeyPress || e->type() == QEvent::ShortcutOverride)) {
      const int key = static_cast<QKeyEvent*>(e)->key();
      if (key == Qt::Key_Tab || key == Qt::Key_Backtab) return QDialog::eventFilter(watched, e);
      if (e->type() == QEvent::KeyPress) Finish(key == Qt::Key_Escape ? 7 : 6);
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

  QScrollArea* area_ = nullptr;
  MessageText* text_ = nullptr;
  QPushButton* BT01 = nullptr;
  QPushButton* BT02 = nullptr;
  bool oneButton_ = false;

  static int ButtonWidth(const QPushButton* b) {
    return std::max(kButtonWidth, b->fontMetrics().horizontalAdvance(b->text()) + 16);
  }
};

// The box centred on its owner, moved back onto the screen where it would
// leave it (with room for its frame).
QPoint PlaceOver(const QWidget* owner, const QSize& client, const QRect& screen) {
  const QSize box(client.width() + kFrameRoom, client.height() + kTitleRoom);
  const QRect g = owner->frameGeometry();
  const int left = g.left() + g.width() / 2 - box.width() / 2;
  const int top = g.top() + g.height() / 2 - box.height() / 2;
  return {std::clamp(left, screen.left(), std::max(screen.left(), screen.right() + 1 - box.width())),
          std::clamp(top, screen.top(), std::max(screen.top(), screen.bottom() + 1 - box.height()))};
}

int ShowBox(QWidget* owner, const QString& message, const QString& words1, const QString& words2, BoxKind kind) {
  QPointer<QWidget> guard(owner);
  if (owner) owner->setEnabled(false);
  MessageBoxDialog box(owner, message, words1, words2, kind);
  box.setWindowModality(Qt::ApplicationModal);
  const QScreen* screen = owner && owner->screen() ? owner->screen() : QGuiApplication::primaryScreen();
  const QRect available = screen ? screen->availableGeometry() : QRect(0, 0, kMinWidth, kMinHeight);
  box.FitInto(available);
  if (owner) box.move(PlaceOver(owner, box.size(), available));
  box.setEnabled(true);
  box.exec();
  if (guard) {
    guard->setEnabled(true);
    guard->activateWindow();
    guard->setFocus();
  }
  return box.mbret == 6 ? 6 : 7;
}

}  // namespace

int MessageBox1Q(QWidget* owner, const QString& message, Button caption1, Button caption2) {
  return ShowBox(owner, message, CaptionWords(caption1), CaptionWords(caption2), KindOf(caption1, caption2));
}

void CloseMessageBoxes(QWidget* owner) {
  for (QDialog* box : owner->findChildren<QDialog*>("MessageBox1Q"))
    if (box->isVisible()) box->close();
}

}  // namespace pictray::ui
