// The window's colour buttons end to end: each opens its dialog, and what
// the dialog ends with starts a colour run through the thumbnail library on
// real JPEGs (written here with libjpeg), or only sets the list-up mode.
#include <cstdio>
#include <functional>
#include <tuple>
#include <vector>

#include <jpeglib.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QtTest>

#include "app/pictray/main_window.h"
#include "engine/runs/colour_runs.h"
#include "tests/support/japanese_texts.h"
#include "engine/settings/profile.h"
#include "tests/app/pictray_window_support.h"
#include "tests/support/jpeg_writer.h"

using pictray::Control;
using pictray::app::MainWindow;

class ColourRunsTest : public QObject {
  Q_OBJECT

  // A flat w x w JPEG of one colour that decodes to that colour exactly:
  // kept as RGB (no YCbCr rounding) at quality 100.
  static bool WriteFlatJpeg(const QString& path, int r, int g, int b, unsigned w = 32) {
    const pictray::testing::JpegShape shape{w, w, pictray::testing::JpegColours::KeptRgb};
    return pictray::testing::WriteJpeg(path.toStdString(), shape, [&](unsigned, JSAMPLE* row) {
      for (unsigned x = 0; x < w; ++x) {
        row[3 * x] = JSAMPLE(r);
        row[3 * x + 1] = JSAMPLE(g);
        row[3 * x + 2] = JSAMPLE(b);
      }
    });
  }
  static QAbstractButton* Button(MainWindow& w, Control c) { return qobject_cast<QAbstractButton*>(w.control(c)); }
  static QAbstractButton* In(QDialog* d, const char* name) { return d->findChild<QAbstractButton*>(name); }
  static void ListUp(MainWindow& w, BoxAnswerer& boxes, const QString& folder) {
    w.findChild<QLineEdit*>("ED01")->setText(folder);
    Button(w, Control::BT02)->click();
    QVERIFY(WaitForRun(w, boxes, "Listup終了"));
    // The run-lock set comes back on with list-up's last command.
    QVERIFY(QTest::qWaitFor([&] { return w.control(Control::BT12)->isEnabled(); }));
  }
  // Presses `button` and, once the dialog `dialog` is open, lets `act` close it.
  static void Through(MainWindow& w, Control button, const char* dialog, std::function<void(QDialog*)> act) {
    QTimer poll;
    bool done = false;
    QObject::connect(&poll, &QTimer::timeout, [&] {
      auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget());
      if (done || !d || d->objectName() != dialog) return;
      done = true;
      act(d);
    });
    poll.start(5);
    Button(w, button)->click();
    QVERIFY2(done, dialog);
  }
  static int Count(const BoxAnswerer& boxes, const char* text) { return int(boxes.texts.count(QString::fromUtf8(text))); }

 private slots:
  // Cell 1 of two flat pictures without coarsening: each is named after its
  // colour, once the dialog has written its settings; one end message.
  void rgbAnalysisNamesFlatPicturesAndEndsOnce() {
    QTemporaryDir programDir, folder;
    QVERIFY(WriteFlatJpeg(folder.filePath("a.jpg"), 12, 200, 7));
    QVERIFY(WriteFlatJpeg(folder.filePath("b.jpg"), 240, 16, 64));
    BoxAnswerer boxes;
    auto w = StartPictray(programDir);
    ListUp(*w, boxes, folder.path());
    Through(*w, Control::BT12, "RgbDialog", [&](QDialog* d) {
      QCOMPARE(w->childbit1, 1);
      In(d, "RGB64_0")->click();
      In(d, "cell1")->click();
      In(d, "start")->click();
    });
    QCOMPARE(w->childbit1, 0);
    QVERIFY(!Button(*w, Control::BT12)->isChecked());
    QVERIFY(WaitForRun(*w, boxes, pictray::kRgbEnd));
    QTest::qWait(100);
    QCOMPARE(Count(boxes, pictray::kRgbEnd), 1);
    auto& rows = w->state().rows;
    QCOMPARE(rows.row(rows.SelectListView("a.jpg")).target, std::string("012_200_007"));
    QCOMPARE(rows.row(rows.SelectListView("b.jpg")).target, std::string("240_016_064"));
    QCOMPARE(pictray::GetProfileString(pictray::fs::DefaultEnv(), "Section0", "RGB64", "-", 3, w->settings().GRprofile), std::string("0"));
  }

  // The two ratio workers name every row and show one end message between
  // them; the strength run names every row once.
  void ratioAndStrengthRunsEndOnce() {
    QTemporaryDir programDir, folder;
    const int colours[][3] = {{250, 10, 10}, {10, 250, 10}, {10, 10, 250}, {150, 150, 10}, {120, 20, 250}};
    for (int i = 0; i < 5; ++i) {
      const auto& [r, g, b] = colours[i];
      QVERIFY(WriteFlatJpeg(folder.filePath(QString("%1.jpg").arg(i)), r, g, b));
    }
    BoxAnswerer boxes;
    auto w = StartPictray(programDir);
    ListUp(*w, boxes, folder.path());
    const struct {
      Control button;
      const char* dialog;
      const char* end;
      const char* kind;
      const char* first;  // the target of 0.jpg
    } runs[] = {{Control::BT15, "PrgbDialog", pictray::kRatioEnd, "P", "R000000"},
                {Control::BT16, "SrgbDialog", pictray::kStrengthEnd, "T", "250"}};
    for (const auto& r : runs) {
      Through(*w, r.button, r.dialog, [](QDialog* d) {
        if (auto* bound = d->findChild<QSpinBox*>("SRgb1edit")) bound->setValue(0);
        In(d, "OK")->click();
      });
      QVERIFY2(WaitForRun(*w, boxes, r.end), r.end);
      QTest::qWait(100);
      QCOMPARE(Count(boxes, r.end), 1);
      for (std::size_t i = 0; i < 5; ++i) QCOMPARE(w->state().rows.kind(i), std::string(r.kind));
      QCOMPARE(w->state().rows.target(0), std::string(r.first));
      QVERIFY(!Button(*w, r.button)->isChecked());
      QVERIFY(w->control(Control::BT01)->isEnabled());
    }
  }

  // Closing either dialog without OK leaves its button up and starts
  // nothing; OK with an empty list only turns the list-up mode on, and
  // the button's release turns it off.
  void classificationDialogsWithoutRows() {
    QTemporaryDir programDir;
    BoxAnswerer boxes;
    auto w = StartPictray(programDir);
    auto& flags = w->state().flags;
    const std::tuple<Control, const char*, std::atomic<int>*> dialogs[] = {
        {Control::BT15, "PrgbDialog", &flags.M_RP}, {Control::BT16, "SrgbDialog", &flags.M_RS}};
    for (const auto& [button, dialog, mode] : dialogs) {
      Through(*w, button, dialog, [](QDialog* d) { d->reject(); });
      QVERIFY(!Button(*w, button)->isChecked() && *mode == 0);
      Through(*w, button, dialog, [](QDialog* d) { In(d, "OK")->click(); });
      QVERIFY(Button(*w, button)->isChecked() && *mode == 1);
      Button(*w, button)->click();
      QCOMPARE(mode->load(), 0);
    }
    QVERIFY(!w->state().runs.Active());
    QVERIFY(boxes.texts.isEmpty());
  }
};

QTEST_MAIN(ColourRunsTest)
#include "pictray_colour_runs_test.moc"
