// The all-colour and part-colour dialogs: picking within the capacity, the
// list's load, save, delete and capacity error, the mode boxes and defaults,
// the part dialog's start rules; and commands 4004 / 4003 on a selected row
// through their dialogs to the end of their runs.
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdio>
#include <fstream>
#include <functional>
#include <vector>

#include <jpeglib.h>

#include "app/pictray/all_rgb_dialog.h"
#include "app/pictray/part_rgb_dialog.h"
#include "engine/runs/selected_colour_runs.h"
#include "tests/support/japanese_texts.h"
#include "engine/settings/profile.h"
#include "tests/app/pictray_window_support.h"
#include "tests/support/jpeg_writer.h"

using pictray::app::AllRgbDialog;
using pictray::app::PartRgbDialog;
using pictray::app::SettingsFiles;

namespace {

struct Colour {
  int r, g, b;
};

// A w x w JPEG kept as RGB at quality 100 (decodes to its colours exactly):
// the four quadrants in the colours given, top left first.
bool WriteQuadrants(const QString& path, const std::vector<Colour>& q, unsigned w = 32) {
  const pictray::testing::JpegShape shape{w, w, pictray::testing::JpegColours::KeptRgb};
  return pictray::testing::WriteJpeg(path.toStdString(), shape, [&](unsigned y, JSAMPLE* row) {
    for (unsigned x = 0; x < w; ++x) {
      const Colour p = q[(y < w / 2 ? 0 : 2) + (x < w / 2 ? 0 : 1)];
      row[3 * x] = JSAMPLE(p.r);
      row[3 * x + 1] = JSAMPLE(p.g);
      row[3 * x + 2] = JSAMPLE(p.b);
    }
  });
}

// A thumbnail library that paints the square in one colour.
int PaintGreen(unsigned char* surface, const char*, int edge, int, int) {
  const std::size_t stride = (std::size_t(edge) * 3 + 3) & ~std::size_t(3);
  for (int y = 0; y < edge; ++y)
    for (int x = 0; x < edge; ++x) {
      unsigned char* p = surface + y * stride + 3 * std::size_t(x);
      p[0] = 0, p[1] = 200, p[2] = 0;
    }
  return 0;
}

template <typename W = QAbstractButton>
W* Find(QWidget* d, const char* name) {
  W* w = d->findChild<W*>(name);
  if (!w) qFatal("no control %s", name);
  return w;
}

// Drags from (x0, y0) to (x1, y1) on the dialog's picture.
void Drag(QWidget* d, QPoint from, QPoint to) {
  QWidget* picture = Find<QWidget>(d, "picture");
  QTest::mousePress(picture, Qt::LeftButton, {}, from);
  QMouseEvent move(QEvent::MouseMove, to, picture->mapToGlobal(to), Qt::NoButton, Qt::LeftButton, {});
  QApplication::sendEvent(picture, &move);
  QTest::mouseRelease(picture, Qt::LeftButton, {}, to);
}

QStringList Rows(QWidget* d) {
  QStringList out;
  auto* list = Find<QListWidget>(d, "colours");
  for (int i = 0; i < list->count(); ++i) out << list->item(i)->text();
  return out;
}

}  // namespace

class SelectedColourTest : public QObject {
  Q_OBJECT

  QTemporaryDir dir_;
  SettingsFiles files_;
  QString picture_;

  std::string Setting(const std::string& file, const char* key) const {
    return pictray::GetProfileString(pictray::fs::DefaultEnv(), "Section0", key, "-", 10, file);
  }

 private slots:
  void init() {
    files_ = {dir_.filePath("work.ini").toStdString(), dir_.filePath("Pictray.ini").toStdString()};
    for (const std::string& f : {files_.profile, files_.GRprofile}) QFile::remove(QString::fromStdString(f));
    picture_ = dir_.filePath("four.jpg");
    QVERIFY(WriteQuadrants(picture_, {{250, 0, 0}, {0, 250, 0}, {0, 0, 250}, {1, 2, 3}}));
  }

  // No rectangle: the error. The whole picture's four colours fill a set
  // of three without an error; loading more than three: the error and an
  // empty list. Delete rebuilds the set; save writes the list.
  void allDialogPicksLoadsDeletesAndSaves() {
    BoxAnswerer boxes;
    AllRgbDialog d(nullptr, files_, dir_.filePath("RGB.txt").toStdString(), 3, picture_.toStdString());
    QString chosen, started;
    d.SetListFileChooser([&](QWidget*, bool, const QString& start) {
      started = start;
      return chosen;
    });
    d.show();
    QVERIFY(d.decoded());
    QVERIFY(!Find(&d, "start")->isEnabled());
    Find(&d, "pick")->click();
    QCOMPARE(boxes.texts, QStringList{"範囲が選択されていません"});
    Drag(&d, {0, 0}, {31, 31});
    Find(&d, "pick")->click();
    QCOMPARE(Rows(&d), (QStringList{"250:000:000", "000:250:000", "000:000:250"}));
    QCOMPARE(boxes.texts.size(), 1);
    QVERIFY(Find(&d, "start")->isEnabled() && Find(&d, "save")->isEnabled());

    // "delete" on the selected second row, from the list's menu.
    auto* list = Find<QListWidget>(&d, "colours");
    list->item(1)->setSelected(true);
    QTimer::singleShot(50, [] {
      if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
        QCOMPARE(menu->actions().first()->text(), QString("delete"));
        menu->actions().first()->trigger();
        menu->close();
      }
    });
    emit list->customContextMenuRequested(list->visualItemRect(list->item(1)).center());
    QCOMPARE(Rows(&d), (QStringList{"250:000:000", "000:000:250"}));
    QCOMPARE(d.colours().dwCount(), std::size_t(2));

    chosen = dir_.filePath("saved.txt");
    Find(&d, "save")->click();
    QCOMPARE(boxes.texts.last(), QString("保存終了。"));
    QCOMPARE(started, dir_.filePath("RGB.txt"));
    std::ifstream saved(chosen.toStdString());
    std::string text((std::istreambuf_iterator<char>(saved)), {});
    QCOMPARE(text, std::string("250:000:000\n000:000:250\n"));

    // Black Back: the rows on black, in the colours they name.
    Find(&d, "blackBack")->click();
    QCOMPARE(list->item(0)->background().color(), QColor(Qt::black));
    QCOMPARE(list->item(0)->foreground().color(), QColor(250, 0, 0));

    // Two loaded colours join the two listed: four, one more than allowed.
    std::ofstream(dir_.filePath("more.txt").toStdString()) << "1:1:1\n2:2:2\n";
    chosen = dir_.filePath("more.txt");
    Find(&d, "load")->click();
    QCOMPARE(boxes.texts.last(), QString("選択は[3]色以下にして下さい。(4)"));
    QVERIFY(Rows(&d).isEmpty());
    QVERIFY(!Find(&d, "start")->isEnabled());
    chosen.clear();  // cancelled: nothing happens
    Find(&d, "load")->click();
    QCOMPARE(boxes.texts.size(), 3);
  }

  // One box at most; unchecking the checked one is mode 0; closing writes
  // the mode to the working copy; the defaults go to and come from the
  // settings file, "0" there checking the first box.
  void modeBoxesAndDefaults() {
    for (const bool part : {false, true}) {
      init();
      BoxAnswerer boxes;
      pictray::WriteProfileString(pictray::fs::DefaultEnv(), "Section0", "PartColorMode", "4", files_.profile);
      std::unique_ptr<pictray::app::SelectedColourDialog> d;
      if (part)
        d.reset(new PartRgbDialog(nullptr, files_, "", 10, picture_.toStdString(), PaintGreen,
                                  dir_.filePath("bit.$$$").toStdString()));
      else
        d.reset(new AllRgbDialog(nullptr, files_, "", 10, picture_.toStdString()));
      const char* modeKey = part ? "PartColorMode" : "AllColorMode";
      QCOMPARE(d->mode(), std::string(part ? "4" : "0"));
      if (part) QVERIFY(!Find<QWidget>(d.get(), "MatchPer")->isEnabled());
      Find(d.get(), "mode3")->click();
      QVERIFY(Find(d.get(), "mode3")->isChecked() && !Find(d.get(), "mode4")->isChecked());
      Find(d.get(), "mode2")->click();
      QCOMPARE(d->mode(), std::string("2"));
      if (part) QVERIFY(Find<QWidget>(d.get(), "MatchPer")->isEnabled());
      if (part) Find<QSlider>(d.get(), "MatchPer")->setValue(35);
      Find(d.get(), "saveDefault")->click();
      QCOMPARE(boxes.texts, (QStringList{"Save  Default ?", "Save OK!!"}));
      QCOMPARE(Setting(files_.GRprofile, modeKey), std::string("2"));
      if (part) QCOMPARE(Setting(files_.GRprofile, "MatchPer"), std::string("35"));
      Find(d.get(), "mode2")->click();
      QCOMPARE(d->mode(), std::string("0"));

      pictray::WriteProfileString(pictray::fs::DefaultEnv(), "Section0", modeKey, "0", files_.GRprofile);
      pictray::WriteProfileString(pictray::fs::DefaultEnv(), "Section0", "MatchPer", "70", files_.GRprofile);
      Find(d.get(), "loadDefault")->click();
      QCOMPARE(d->mode(), std::string("1"));
      QVERIFY(Find(d.get(), "mode1")->isChecked());
      if (part) QCOMPARE(Find<QSlider>(d.get(), "MatchPer")->value(), 70);
      boxes.Queue({7});
      Find(d.get(), "mode4")->click();
      Find(d.get(), "saveDefault")->click();  // answered NO
      QCOMPARE(Setting(files_.GRprofile, modeKey), std::string("0"));
      d->reject();
      QCOMPARE(Setting(files_.profile, modeKey), std::string("4"));
    }
  }

  // No cell: "Pos error". Modes 1 and 2 ask with the share and the
  // threshold (20 colours at 10%: 2); NO stays. Other modes do not ask. A
  // picture that cannot be drawn: "色選択失敗" on picking.
  void partDialogStartRules() {
    BoxAnswerer boxes;
    const std::string workfile = dir_.filePath("bit.$$$").toStdString();
    PartRgbDialog d(nullptr, files_, "", 100, picture_.toStdString(), PaintGreen, workfile);
    QVERIFY(d.rendered());
    QVERIFY(QFile::exists(QString::fromStdString(workfile)));
    std::string list;
    for (int i = 0; i < 20; ++i) list += std::to_string(i) + ":0:0\n";
    std::ofstream(dir_.filePath("twenty.txt").toStdString()) << list;
    d.SetListFileChooser([&](QWidget*, bool, const QString&) { return dir_.filePath("twenty.txt"); });
    Find(&d, "load")->click();
    Drag(&d, {10, 10}, {12, 12});
    Find(&d, "pick")->click();  // the drawing's green joins them
    QCOMPARE(d.colours().dwCount(), std::size_t(21));
    Find(&d, "mode1")->click();
    Find<QSlider>(&d, "MatchPer")->setValue(10);
    Find(&d, "start")->click();
    QCOMPARE(boxes.texts, QStringList{"Pos error"});
    Find(&d, "cell1")->click();
    Find(&d, "cell16")->click();
    boxes.Queue({7});
    Find(&d, "start")->click();
    QCOMPARE(boxes.texts.last(), QString("比較率10(per) 2色　一致で検出"));
    QVERIFY(d.isVisible() || d.result() != QDialog::Accepted);
    QCOMPARE(Setting(files_.profile, "MatchPer"), std::string("10"));
    Find(&d, "start")->click();
    QCOMPARE(d.result(), int(QDialog::Accepted));
    QCOMPARE(d.GRmsgtext(), std::string("比較率10(per) 2色　一致で検出"));
    QCOMPARE(d.strJpos_bit(), "01" + std::string(14, '0') + "1" + std::string(48, '0'));

    PartRgbDialog three(nullptr, files_, "", 100, picture_.toStdString(), PaintGreen, workfile);
    Find(&three, "mode3")->click();
    Find(&three, "cell2")->click();
    const int asked = int(boxes.texts.size());
    Find(&three, "start")->click();  // no colours yet: start is off
    QCOMPARE(three.result(), 0);
    Drag(&three, {0, 0}, {0, 0});
    Find(&three, "pick")->click();
    Find(&three, "start")->click();
    QCOMPARE(int(boxes.texts.size()), asked);
    QCOMPARE(three.result(), int(QDialog::Accepted));
    QCOMPARE(three.GRmsgtext(), std::string());

    PartRgbDialog none(nullptr, files_, "", 100, picture_.toStdString(), nullptr, workfile);
    QVERIFY(!none.rendered());
    Find(&none, "pick")->click();
    QCOMPARE(boxes.texts.last(), QString("色選択失敗"));
  }

  // 4004 and 4003 on the selected row: the dialog shows that row's picture;
  // its colours and start lead to the run, which labels every row. Without
  // a selected row nothing opens.
  void commandsOpenTheDialogsOnTheSelectedRowAndRun() {
    QTemporaryDir programDir, folder;
    QVERIFY(WriteQuadrants(folder.filePath("a.jpg"), {{250, 0, 0}, {250, 0, 0}, {250, 0, 0}, {250, 0, 0}}));
    QVERIFY(WriteQuadrants(folder.filePath("b.jpg"), {{0, 0, 250}, {0, 0, 250}, {0, 0, 250}, {0, 0, 250}}));
    BoxAnswerer boxes;
    auto w = StartPictray(programDir, folder.path());
    QVERIFY(w);
    QVERIFY(WaitForRun(*w, boxes, "Listup終了"));
    auto& rows = w->state().rows;
    const int a = int(rows.SelectListView("a.jpg")), b = int(rows.SelectListView("b.jpg"));

    bool opened = false;
    QTimer poll;
    std::function<void(QDialog*)> act;
    QObject::connect(&poll, &QTimer::timeout, [&] {
      auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget());
      if (!d || d->objectName() == "MessageBox1Q" || d->property("acted").toBool()) return;
      d->setProperty("acted", true);
      opened = true;
      act(d);
    });
    poll.start(5);

    w->fileListView()->clearSelection();
    act = [](QDialog* d) { d->reject(); };
    w->Command(pictray::cmd::AllColour);
    QVERIFY(!opened);

    w->fileListView()->selectRow(a);
    act = [&](QDialog* d) {
      QCOMPARE(d->objectName(), QString("AllRgbDialog"));
      QCOMPARE(w->childbit2, 1);
      QVERIFY(Find<QLabel>(d, "file")->text().endsWith("/a.jpg"));
      Drag(d, {5, 5}, {6, 6});
      Find(d, "pick")->click();
      Find(d, "mode1")->click();
      Find(d, "start")->click();
    };
    w->Command(pictray::cmd::AllColour);
    QVERIFY(opened);
    QCOMPARE(w->childbit2, 0);
    QVERIFY(WaitForRun(*w, boxes, pictray::kAllColourEnd));
    QCOMPARE(rows.row(std::size_t(a)).target, std::string("1_1_1"));
    QCOMPARE(rows.row(std::size_t(b)).target, std::string("0_0_0"));
    QCOMPARE(rows.kind(std::size_t(b)), std::string("A"));

    opened = false;
    w->fileListView()->selectRow(b);
    act = [&](QDialog* d) {
      QCOMPARE(d->objectName(), QString("PartRgbDialog"));
      QCOMPARE(w->childbit3, 1);
      Drag(d, {100, 100}, {101, 101});
      Find(d, "pick")->click();
      Find(d, "mode2")->click();
      Find(d, "cell1")->click();
      Find(d, "start")->click();  // the question is answered OK
    };
    w->Command(pictray::cmd::PartColour);
    QVERIFY(opened);
    QCOMPARE(w->childbit3, 0);
    QVERIFY(WaitForRun(*w, boxes, pictray::kPartColourEnd));
    QVERIFY(boxes.texts.contains("比較率10(per) 1色　一致で検出"));
    QCOMPARE(rows.row(std::size_t(b)).target, std::string("1-1-1"));
    QCOMPARE(rows.row(std::size_t(a)).target, std::string());
    QCOMPARE(rows.kind(std::size_t(a)), std::string("P"));
  }
};

QTEST_MAIN(SelectedColourTest)
#include "pictray_selected_colour_test.moc"
