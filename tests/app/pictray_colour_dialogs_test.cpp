// The three colour dialogs on their own: the rules between their controls,
// which file they show, and what they write to the working copy and the
// settings file when they close.
#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QRadioButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QtTest>

#include <map>

#include "app/common/control_factory.h"
#include "app/pictray/prgb_dialog.h"
#include "app/pictray/rgb_dialog.h"
#include "app/pictray/srgb_dialog.h"
#include "engine/settings/profile.h"
#include "tests/app/box_answerer.h"

using pictray::app::PrgbDialog;
using pictray::app::RgbDialog;
using pictray::app::SettingsFiles;
using pictray::app::SrgbDialog;
using Values = std::map<std::string, std::string>;

class ColourDialogsTest : public QObject {
  Q_OBJECT

  QTemporaryDir dir_;
  SettingsFiles files_;

  static void Write(const std::string& file, const Values& values) {
    for (const auto& [k, v] : values) QVERIFY(pictray::WriteProfileString(pictray::fs::DefaultEnv(), "Section0", k, v, file));
  }
  // The keys' values in `file` ("-" when missing).
  static Values Read(const std::string& file, const Values& like) {
    Values out;
    for (const auto& [k, v] : like) out[k] = pictray::GetProfileString(pictray::fs::DefaultEnv(), "Section0", k, "-", 100, file);
    return out;
  }
  template <typename W = QAbstractButton>
  static W* Find(QDialog& d, const char* name) {
    W* w = d.findChild<W*>(name);
    if (!w) qFatal("no control %s", name);
    return w;
  }
  static bool On(QDialog& d, const char* name) { return Find(d, name)->isChecked(); }
  static bool Enabled(QDialog& d, const char* name) { return Find<QWidget>(d, name)->isEnabled(); }

 private slots:
  // Each case starts from two missing files.
  void init() {
    files_ = {dir_.filePath("work.ini").toStdString(), dir_.filePath("Pictray.ini").toStdString()};
    for (const std::string& f : {files_.profile, files_.GRprofile}) QFile::remove(QString::fromStdString(f));
  }

  // It shows the working copy, and however it closes it writes its six keys
  // to both files; the four coarsening boxes are one choice.
  void rgbShowsTheWorkingCopyAndWritesBothFilesOnClosing() {
    for (const bool byStart : {false, true}) {
      init();
      Write(files_.profile, {{"Exec255bit", "1"}, {"Exec000bit", "0"}, {"ExecOWNbit", "1"},
                             {"ExecRGB", "010:020:030"}, {"PixelPassbit", "1"}, {"RGB64", "3"}});
      Write(files_.GRprofile, {{"Exec255bit", "0"}, {"RGB64", "1"}});
      RgbDialog d(nullptr, files_);
      QVERIFY(On(d, "Exec255bit") && !On(d, "Exec000bit") && On(d, "ExecOWNbit") && On(d, "PixelPassbit"));
      QCOMPARE(Find<QLineEdit>(d, "ExecRGB")->text(), QString("010:020:030"));
      QVERIFY(On(d, "RGB64_3"));
      Find(d, "RGB64_1")->click();
      QVERIFY(On(d, "RGB64_1") && !On(d, "RGB64_3") && !On(d, "RGB64_2") && !On(d, "RGB64_0"));
      Find(d, "Exec000bit")->click();
      Find(d, "PixelPassbit")->click();
      Find<QLineEdit>(d, "ExecRGB")->setText("001:002:003");
      if (byStart) {
        Find(d, "cell2")->click();
        Find(d, "start")->click();
      } else {
        d.reject();
      }
      const Values expected = {{"Exec255bit", "1"}, {"Exec000bit", "1"}, {"ExecOWNbit", "1"},
                               {"ExecRGB", "001:002:003"}, {"PixelPassbit", "0"}, {"RGB64", "1"}};
      QCOMPARE(Read(files_.profile, expected), expected);
      QCOMPARE(Read(files_.GRprofile, expected), expected);
    }
  }

  // The grid follows PartX; the start button is on exactly while a cell is
  // chosen, and the selection holds the chosen cells.
  void rgbCellsMakeTheSelectionAndEnableStart() {
    const struct {
      const char* PartX;
      int cells;
    } grids[] = {{"4", 16}, {"8", 64}};
    for (const auto& g : grids) {
      Write(files_.profile, {{"PartX", g.PartX}});
      RgbDialog d(nullptr, files_);
      QCOMPARE(d.findChildren<QPushButton*>(QRegularExpression("^cell\\d+$")).size(), qsizetype(g.cells));
      QVERIFY(!Enabled(d, "start"));
      QCOMPARE(d.strJpos_bit(), "1" + std::string(64, '0'));
      const std::string last = "cell" + std::to_string(g.cells);
      Find(d, "cell1")->click();
      Find(d, last.c_str())->click();
      QVERIFY(Enabled(d, "start"));
      std::string expected(65, '0');
      expected[1] = expected[std::size_t(g.cells)] = '1';
      QCOMPARE(d.strJpos_bit(), expected);
      Find(d, "cell1")->click();
      Find(d, last.c_str())->click();
      QVERIFY(!Enabled(d, "start"));
      QCOMPARE(d.strJpos_bit()[0], '1');
    }
  }

  // Each pair is one choice: checking one unchecks the other, unchecking
  // one checks the other.
  void ratioPairsActAsOneChoice() {
    PrgbDialog d(nullptr, files_);
    for (auto [first, second] : {std::pair{"PRgb0_0", "PRgb0_1"}, {"PRgb1_0", "PRgb1_1"}, {"PRgb2_0", "PRgb2_1"}}) {
      QVERIFY2(On(d, first) && !On(d, second), first);
      Find(d, second)->click();
      QVERIFY2(!On(d, first) && On(d, second), first);
      Find(d, second)->click();
      QVERIFY2(On(d, first) && !On(d, second), first);
    }
  }

  // The all-colour boxes: what they turn off and on, from each setting the
  // dialog may open with, and the mode that OK writes.
  void ratioAllColourBoxesRuleTheOtherControls() {
    const struct {
      const char* what;
      const char* PRgb3;   // as the dialog opens
      const char* click;   // a box clicked afterwards, or nullptr
      const char* mode;    // PRgb3 written
      bool group, sort, lowFirstOn, lowFirstChecked;
    } cases[] = {
        {"ratio mode", "9", nullptr, "9", true, false, true, true},
        {"all colours", "0", nullptr, "0", false, true, true, true},
        {"frequent at opening", "1", nullptr, "1", false, true, false, false},
        {"rare", "2", nullptr, "2", false, true, true, true},
        {"frequent clicked", "9", "PRgb3_1", "1", false, true, false, false},
        {"rare after all", "0", "PRgb3_2", "2", false, true, true, true},
        {"all taken back", "0", "PRgb3_0", "9", true, false, true, true},
        {"frequent taken back", "1", "PRgb3_1", "9", true, false, true, false},
    };
    for (const auto& c : cases) {
      init();
      Write(files_.profile, {{"PRgb3", c.PRgb3}, {"PRgb6", "1"}});
      PrgbDialog d(nullptr, files_);
      if (c.click) Find(d, c.click)->click();
      int checked = 0;
      for (const char* b : {"PRgb3_0", "PRgb3_1", "PRgb3_2"}) checked += On(d, b);
      QVERIFY2(checked <= 1, c.what);
      QVERIFY2(Enabled(d, "ratioGroup") == c.group, c.what);
      QVERIFY2(Enabled(d, "PRgb5") == c.sort, c.what);
      QVERIFY2(Enabled(d, "PRgb6") == c.lowFirstOn, c.what);
      QVERIFY2(On(d, "PRgb6") == c.lowFirstChecked, c.what);
      d.accept();
      QVERIFY2(pictray::GetProfileString(pictray::fs::DefaultEnv(), "Section0", "PRgb3", "-", 3, files_.GRprofile) == c.mode, c.what);
    }
  }

  // The cut: "有効" shows the track bar and its number, which follow each
  // other; OK writes all seven keys to both files, closing writes nothing.
  void ratioCutAndWhatOkWrites() {
    Write(files_.profile, {{"PRgb0", "1"}, {"PRgb1", "1"}, {"PRgb2", "0"}, {"PRgb3", "9"}, {"PRgb4", "5"},
                           {"PRgb5", "1"}, {"PRgb6", "0"}});
    {
      PrgbDialog d(nullptr, files_);
      QVERIFY(On(d, "PRgb4on") && !Find<QWidget>(d, "PRgb4bar")->isHidden());
      QCOMPARE(Find<QSlider>(d, "PRgb4bar")->value(), 5);
      Find(d, "PRgb4on")->click();
      QVERIFY(Find<QWidget>(d, "PRgb4bar")->isHidden() && Find<QWidget>(d, "PRgb4edit")->isHidden());
      d.reject();
    }
    QCOMPARE(Read(files_.GRprofile, {{"PRgb4", ""}}), (Values{{"PRgb4", "-"}}));
    PrgbDialog d(nullptr, files_);
    Find(d, "PRgb4on")->click();
    Find(d, "PRgb4on")->click();
    QCOMPARE(Find<QSlider>(d, "PRgb4bar")->value(), 1);  // shown again from the start
    Find<QSpinBox>(d, "PRgb4edit")->setValue(12);
    QCOMPARE(Find<QSlider>(d, "PRgb4bar")->value(), 12);
    Find<QSlider>(d, "PRgb4bar")->setValue(20);
    QCOMPARE(Find<QSpinBox>(d, "PRgb4edit")->value(), 20);
    Find(d, "PRgb0_0")->click();
    Find(d, "OK")->click();
    const Values expected = {{"PRgb0", "0"}, {"PRgb1", "1"}, {"PRgb2", "0"}, {"PRgb3", "9"}, {"PRgb4", "20"},
                             {"PRgb5", "1"}, {"PRgb6", "0"}};
    QCOMPARE(Read(files_.profile, expected), expected);
    QCOMPARE(Read(files_.GRprofile, expected), expected);
  }

  // It shows the settings file, with its own defaults for missing keys; each
  // mode turns the other's controls off; st, ed and cl set the range.
  void strengthModesAndRange() {
    Write(files_.profile, {{"SRgb1", "7"}, {"SRgb4", "1"}});
    SrgbDialog d(nullptr, files_);
    QVERIFY(On(d, "SRgb0_0") && On(d, "SRgb2_128") && On(d, "lowerBound") && !On(d, "SRgb3"));
    QCOMPARE(Find<QSlider>(d, "SRgb1bar")->value(), 255);
    QCOMPARE(Find<QSpinBox>(d, "SRgb1edit")->value(), 255);
    const char* lower[] = {"SRgb1bar", "SRgb1edit"};
    const char* range[] = {"rangeBar", "st", "ed", "cl", "SRgb5", "SRgb6"};
    for (const bool rangeMode : {true, false}) {
      Find(d, rangeMode ? "range" : "lowerBound")->click();
      for (const char* c : lower) QVERIFY2(Enabled(d, c) != rangeMode, c);
      for (const char* c : range) QVERIFY2(Enabled(d, c) == rangeMode, c);
    }
    Find(d, "SRgb0_2")->click();
    QVERIFY(!On(d, "SRgb0_0") && On(d, "SRgb0_2"));
    Find(d, "range")->click();
    auto* bar = Find<pictray::ui::TrackBar>(d, "rangeBar");
    bar->setValue(40);
    Find(d, "st")->click();
    bar->setValue(200);
    Find(d, "ed")->click();
    QCOMPARE(Find<QLineEdit>(d, "SRgb5")->text() + "-" + Find<QLineEdit>(d, "SRgb6")->text(), QString("40-200"));
    QCOMPARE(std::pair(bar->selectionStart(), bar->selectionEnd()), std::pair(40, 200));
    Find(d, "cl")->click();
    QVERIFY(Find<QLineEdit>(d, "SRgb5")->text().isEmpty() && Find<QLineEdit>(d, "SRgb6")->text().isEmpty());
    QCOMPARE(bar->selectionStart(), -1);
  }

  // OK in the range mode without both ends says so and stays open; with
  // them, all seven keys go to both files. キャンセル writes nothing.
  void strengthOkWritesBothFilesOnlyWithAValidRange() {
    Write(files_.GRprofile, {{"SRgb0", "1"}, {"SRgb1", "90"}, {"SRgb2", "64"}, {"SRgb3", "1"}, {"SRgb4", "0"},
                             {"SRgb5", "11"}, {"SRgb6", "22"}});
    BoxAnswerer boxes;
    SrgbDialog d(nullptr, files_);
    Find(d, "cancel")->click();
    QCOMPARE(Read(files_.profile, {{"SRgb0", ""}}), (Values{{"SRgb0", "-"}}));
    d.setResult(-1);
    Find(d, "range")->click();
    Find<QLineEdit>(d, "SRgb5")->setText("150");
    Find(d, "OK")->click();
    QCOMPARE(boxes.texts, QStringList{pictray::app::kRangeNotSet});
    QCOMPARE(boxes.captions, QStringList{"err/err"});
    QCOMPARE(d.result(), -1);
    QCOMPARE(Read(files_.profile, {{"SRgb0", ""}}), (Values{{"SRgb0", "-"}}));
    Find<QLineEdit>(d, "SRgb6")->setText("250");
    Find(d, "SRgb2_255")->click();
    Find(d, "SRgb3")->click();
    Find(d, "OK")->click();
    QCOMPARE(d.result(), int(QDialog::Accepted));
    const Values expected = {{"SRgb0", "1"}, {"SRgb1", "90"}, {"SRgb2", "255"}, {"SRgb3", "0"}, {"SRgb4", "1"},
                             {"SRgb5", "150"}, {"SRgb6", "250"}};
    QCOMPARE(Read(files_.profile, expected), expected);
    QCOMPARE(Read(files_.GRprofile, expected), expected);
  }
};

QTEST_MAIN(ColourDialogsTest)
#include "pictray_colour_dialogs_test.moc"
