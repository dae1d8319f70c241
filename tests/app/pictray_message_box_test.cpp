#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>

#include "app/common/message_box.h"

using pictray::ui::MessageBox1Q;

class MessageBoxTest : public QObject {
  Q_OBJECT

  // Opens a box over `owner` and runs `act` on it once it is shown.
  int Open(QWidget* owner, const QString& text, const QString& c1, const QString& c2,
           std::function<void(QWidget*)> act) {
    QTimer::singleShot(20, [act] {
      QWidget* box = QApplication::activeModalWidget();
      QVERIFY(box);
      act(box);
    });
    return MessageBox1Q(owner, text, c1, c2);
  }
  static QPushButton* Button(QWidget* box, const char* name) { return box->findChild<QPushButton*>(name); }

 private slots:
  void oneButtonModesCentreTheFirstButtonAndHideTheSecond() {
    QWidget owner;
    owner.show();
    for (const char* caption : {"yes", "err"}) {
      bool ownerDisabled = false;
      const int r = Open(&owner, "message", caption, caption, [&](QWidget* box) {
        ownerDisabled = !owner.isEnabled();
        QCOMPARE(Button(box, "BT01")->text(), QString(caption));
        QVERIFY(!Button(box, "BT02")->isVisible());
        QCOMPARE(Button(box, "BT01")->geometry(), QRect(155, 60, 100, 22));
        QVERIFY(Button(box, "BT01")->hasFocus());
        Button(box, "BT01")->click();
      });
      QCOMPARE(r, 6);
      QVERIFY(ownerDisabled);
      QVERIFY(owner.isEnabled());
    }
  }

  void twoButtonsAnswerSixAndSeven() {
    QWidget owner;
    int r = Open(&owner, "削除しますか", "削除する", "しない", [](QWidget* box) {
      QVERIFY(Button(box, "BT02")->isVisible());
      QCOMPARE(Button(box, "BT01")->geometry(), QRect(100, 60, 100, 22));
      QCOMPARE(Button(box, "BT02")->geometry(), QRect(205, 60, 100, 22));
      Button(box, "BT02")->click();
    });
    QCOMPARE(r, 7);
    r = Open(&owner, "q", "OK", "NO", [](QWidget* box) { Button(box, "BT01")->click(); });
    QCOMPARE(r, 6);
  }

  void anyKeyOnTheFirstButtonAnswersSix() {
    QWidget owner;
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Tab, Qt::Key_Escape, Qt::Key_A, Qt::Key_Space}) {
      const int r = Open(&owner, "q", "OK", "NO", [key](QWidget* box) {
        QTest::keyClick(Button(box, "BT01"), key);
      });
      QCOMPARE(r, 6);
    }
  }

  void closingTheBoxAnswersSeven() {
    QWidget owner;
    for (const char* caption : {"yes", "OK"}) {
      const int r = Open(&owner, "q", caption, caption == QString("yes") ? "yes" : "NO",
                         [](QWidget* box) { box->close(); });
      QCOMPARE(r, 7);
    }
  }

  void longMessageStaysOnOneLine() {
    QWidget owner;
    const QString text(300, QChar('x'));
    Open(&owner, text, "yes", "yes", [&](QWidget* box) {
      auto* label = box->findChild<QLabel*>("message");
      QVERIFY(!label->wordWrap());
      QCOMPARE(label->text(), text);
      QCOMPARE(box->size(), QSize(400, 120));
      box->close();
    });
    // A file name may hold line breaks: they show as symbols on the one line.
    Open(&owner, "a\nb\rc", "yes", "yes", [&](QWidget* box) {
      QCOMPARE(box->findChild<QLabel*>("message")->text(), QString("a\u240Ab\u240Dc"));
      box->close();
    });
  }
};

QTEST_MAIN(MessageBoxTest)
#include "pictray_message_box_test.moc"
