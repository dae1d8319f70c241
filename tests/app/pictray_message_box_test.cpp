#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTimer>
#include <QTranslator>
#include <QtTest>

#include "app/common/message_box.h"
#include "texts/texts.h"

using pictray::Button;
using pictray::ui::MessageBox1Q;

class MessageBoxTest : public QObject {
  Q_OBJECT

  // Opens a box over `owner` and runs `act` on it once it is shown.
  int Open(QWidget* owner, const QString& text, Button c1, Button c2,
           std::function<void(QWidget*)> act) {
    QTimer::singleShot(20, [act] {
      QPointer<QWidget> box = QApplication::activeModalWidget();
      QVERIFY(box);
      act(box);
      if (box && box->isVisible()) box->close();  // a failed check leaves it open
    });
    return MessageBox1Q(owner, text, c1, c2);
  }
  static QPushButton* ButtonOf(QWidget* box, const char* name) { return box->findChild<QPushButton*>(name); }

 private slots:
  void oneButtonModesCentreTheFirstButtonAndHideTheSecond() {
    QWidget owner;
    owner.show();
    for (Button caption : {Button::Yes, Button::Err}) {
      bool ownerDisabled = false;
      const int r = Open(&owner, "message", caption, caption, [&](QWidget* box) {
        ownerDisabled = !owner.isEnabled();
        QCOMPARE(ButtonOf(box, "BT01")->text(), QString::fromStdString(pictray::texts::Words(caption, pictray::texts::Language::Japanese)));
        QVERIFY(!ButtonOf(box, "BT02")->isVisible());
        QCOMPARE(ButtonOf(box, "BT01")->geometry(), QRect(155, 60, 100, 22));
        QCOMPARE(box->size(), QSize(400, 120));  // a short message keeps the smallest box
        QTRY_VERIFY(ButtonOf(box, "BT01")->hasFocus());  // focus arrives with activation, later under load
        ButtonOf(box, "BT01")->click();
      });
      QCOMPARE(r, 6);
      QVERIFY(ownerDisabled);
      QVERIFY(owner.isEnabled());
    }
  }

  void twoButtonsAnswerSixAndSeven() {
    QWidget owner;
    int r = Open(&owner, "削除しますか", Button::Delete, Button::DoNot, [](QWidget* box) {
      QVERIFY(ButtonOf(box, "BT02")->isVisible());
      QCOMPARE(ButtonOf(box, "BT01")->geometry(), QRect(100, 60, 100, 22));
      QCOMPARE(ButtonOf(box, "BT02")->geometry(), QRect(205, 60, 100, 22));
      ButtonOf(box, "BT02")->click();
    });
    QCOMPARE(r, 7);
    r = Open(&owner, "q", Button::Ok, Button::No, [](QWidget* box) { ButtonOf(box, "BT01")->click(); });
    QCOMPARE(r, 6);
  }

  // A caption longer than the 100 px button (a translated one) widens its button and the box.
  void longCaptionsAreShownWhole() {
    QTranslator english;
    QVERIFY(english.load(PICTRAY_BIN_DIR "/translations/common_en.qm"));
    QCoreApplication::installTranslator(&english);
    QWidget owner;
    for (const auto& [c1, c2] : {std::pair{Button::QuitProgram, Button::DoNot}, {Button::Delete, Button::No}})
      Open(&owner, "m", c1, c2, [](QWidget* box) {
        QPushButton* b1 = ButtonOf(box, "BT01");
        QPushButton* b2 = ButtonOf(box, "BT02");
        for (QPushButton* b : {b1, b2}) {
          QVERIFY(b->width() >= b->fontMetrics().horizontalAdvance(b->text()) + 8);
          QVERIFY(box->rect().contains(b->geometry()));
        }
        QVERIFY(!b1->geometry().intersects(b2->geometry()));
      });
  }

  // Tab moves on to the second button instead of answering the first.
  void tabOnTheFirstButtonMovesToTheSecond() {
    QWidget owner;
    const int r = Open(&owner, "q", Button::Delete, Button::DoNot, [](QWidget* box) {
      QTest::keyClick(ButtonOf(box, "BT01"), Qt::Key_Tab);
      QVERIFY(box->isVisible());
      QTRY_COMPARE(QApplication::focusWidget(), ButtonOf(box, "BT02"));
      QTest::keyClick(ButtonOf(box, "BT02"), Qt::Key_Space);
    });
    QCOMPARE(r, 7);
  }

  void anyKeyButEscapeAndTabOnTheFirstButtonAnswersSix() {
    QWidget owner;
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_A, Qt::Key_Space}) {
      const int r = Open(&owner, "q", Button::Ok, Button::No, [key](QWidget* box) {
        QTest::keyClick(ButtonOf(box, "BT01"), key);
      });
      QCOMPARE(r, 6);
    }
  }

  void closingTheBoxAnswersSeven() {
    QWidget owner;
    for (Button caption : {Button::Yes, Button::Ok}) {
      const int r = Open(&owner, "q", caption, caption == Button::Yes ? Button::Yes : Button::No,
                         [](QWidget* box) { box->close(); });
      QCOMPARE(r, 7);
    }
  }

  // Escape never confirms the first button ("削除する"): it answers as the
  // close box does, wherever the focus is, in every kind of box.
  void escapeAnswersSeven() {
    QWidget owner;
    const std::pair<Button, Button> pairs[] = {
        {Button::Delete, Button::DoNot}, {Button::Yes, Button::QuitProgram}, {Button::Yes, Button::Yes}, {Button::Err, Button::Err}};
    for (const auto& [c1, c2] : pairs) {
      for (bool onFirstButton : {true, false}) {
        const int r = Open(&owner, "q", c1, c2, [&](QWidget* box) {
          QTest::keyClick(onFirstButton ? ButtonOf(box, "BT01") : box, Qt::Key_Escape);
        });
        QCOMPARE(r, 7);
      }
    }
  }

  // The box grows until the whole message is shown: wider up to the screen,
  // then more lines, then a scroll bar; it never leaves the screen and its
  // buttons stay below the text.
  void longMessagesAreShownWhole() {
    QWidget owner;
    owner.setGeometry(100, 100, 300, 200);
    owner.show();
    const QRect screen = owner.screen()->availableGeometry();
    const struct {
      const char* what;
      QString text;
      bool oneLine, scrolls;
    } cases[] = {
        {"wider, one line", QString(60, QChar('x')), true, false},
        {"wrapped at blanks", QString("移動処理終了: ") + QString("ab cd ").repeated(150), false, false},
        {"path without blanks", "/" + QString(300, 'a') + "/" + QString(300, QChar(0x3042)), false, false},
        {"longer than the screen", QString(40000, QChar('y')), false, true},
    };
    for (const auto& c : cases) {
      Open(&owner, c.text, Button::Ok, Button::No, [&](QWidget* box) {
        auto* label = box->findChild<QLabel*>("message");
        auto* area = box->findChild<QScrollArea*>("messageArea");
        QVERIFY(area);
        QCOMPARE(label->text(), c.text);
        const QFontMetrics fm(label->font());
        const qint64 needed = qint64(fm.horizontalAdvance(c.text)) * fm.height();
        QVERIFY2(qint64(label->width()) * label->height() >= needed, c.what);
        QVERIFY2(label->width() <= area->viewport()->width(), c.what);
        QVERIFY2((label->height() < 2 * fm.lineSpacing()) == c.oneLine, c.what);
        QVERIFY2(box->width() > 400 && screen.contains(box->geometry()), c.what);
        QVERIFY2(box->rect().contains(area->geometry()), c.what);
        QVERIFY2(ButtonOf(box, "BT01")->y() > area->geometry().bottom(), c.what);
        QCOMPARE(area->verticalScrollBar()->isVisible(), c.scrolls);
        if (!c.scrolls) QVERIFY2(label->height() <= area->height(), c.what);
      });
    }
  }

  void lineBreaksShowAsSymbols() {
    QWidget owner;
    // A file name may hold line breaks: they show as symbols.
    Open(&owner, "a\nb\rc", Button::Yes, Button::Yes, [&](QWidget* box) {
      QCOMPARE(box->findChild<QLabel*>("message")->text(), QString("a\u240Ab\u240Dc"));
      box->close();
    });
  }
};

QTEST_MAIN(MessageBoxTest)
#include "pictray_message_box_test.moc"
