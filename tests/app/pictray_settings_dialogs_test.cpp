// The settings dialogs "解析設定", "表示設定" and "プロパティ設定": what they
// show from the settings file, what a click and OK write, and that a close
// by the frame stores nothing.
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QtTest>

#include "app/pictray/analysis_dialog.h"
#include "app/pictray/display_dialog.h"
#include "app/pictray/exif_ladder.h"
#include "app/pictray/properties_dialog.h"
#include "engine/names/folda_name.h"
#include "engine/settings/settings_keys.h"
#include "tests/app/box_answerer.h"

using pictray::ReadSetting;
using pictray::SettingKey;
using pictray::WriteSetting;
using pictray::app::AnalysisDialog;
using pictray::app::DisplayDialog;
using pictray::app::ExifBox;
using pictray::app::ExifBoxes;
using pictray::app::PropertiesDialog;
using pictray::app::SettingsFiles;
namespace key = pictray::key;

Q_DECLARE_METATYPE(ExifBoxes)

namespace {

// Box ids in the order of ExifBox.
constexpr int kBoxIds[12] = {10001, 10002, 10003, 10004, 10028, 10092, 1047, 1044, 1046, 10094, 10005, 10006};

ExifBoxes Of(std::initializer_list<ExifBox> boxes) {
  ExifBoxes b;
  for (ExifBox x : boxes) b.set(pictray::app::Bit(x));
  return b;
}

QByteArray Content(const std::string& file) {
  QFile f(QString::fromStdString(file));
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// A settings file and a working copy in a temporary folder.
struct Files {
  QTemporaryDir dir;
  SettingsFiles files{dir.filePath("work.ini").toStdString(), dir.filePath("Pictray.ini").toStdString()};
  void Both(const SettingKey& k, const std::string& v) {
    QVERIFY(WriteSetting(pictray::fs::DefaultEnv(), k, v, files.GRprofile));
    QVERIFY(WriteSetting(pictray::fs::DefaultEnv(), k, v, files.profile));
  }
};

using enum ExifBox;

}  // namespace

class SettingsDialogsTest : public QObject {
  Q_OBJECT

  static QCheckBox* Box(QWidget& d, int id) { return d.findChild<QCheckBox*>(QString::number(id)); }
  static QLineEdit* Edit(QWidget& d, int id) { return d.findChild<QLineEdit*>(QString::number(id)); }
  static ExifBoxes Shown(QWidget& d) {
    ExifBoxes b;
    for (int i = 0; i < 12; ++i) b.set(i, Box(d, kBoxIds[i])->isChecked());
    return b;
  }

 private slots:
  // Every box checked with every other box already checked: the box's line
  // up to it stays, everything else is cleared.
  void checkingABoxKeepsItsLineUpToIt_data() {
    QTest::addColumn<int>("box");
    QTest::addColumn<ExifBoxes>("after");
    QTest::addColumn<QString>("ExifSel");
    QTest::newRow("M 年月日") << 0 << Of({ModDate}) << QString("1");
    QTest::newRow("M 時") << 1 << Of({ModDate, ModHour}) << QString("2");
    QTest::newRow("M 10分") << 2 << Of({ModDate, ModHour, ModTenMinutes}) << QString("3");
    QTest::newRow("M 1分") << 3 << Of({ModDate, ModHour, ModTenMinutes, ModMinute}) << QString("4");
    QTest::newRow("M 秒") << 4 << Of({ModDate, ModHour, ModTenMinutes, ModMinute, ModSecond}) << QString("11");
    QTest::newRow("C 年月日") << 5 << Of({MadeDate}) << QString("7");
    QTest::newRow("C 時") << 6 << Of({MadeDate, MadeHour}) << QString("8");
    QTest::newRow("C 10分") << 7 << Of({MadeDate, MadeHour, MadeTenMinutes}) << QString("9");
    QTest::newRow("C 1分") << 8 << Of({MadeDate, MadeHour, MadeTenMinutes, MadeMinute}) << QString("10");
    QTest::newRow("C 秒") << 9 << Of({MadeDate, MadeHour, MadeTenMinutes, MadeMinute, MadeSecond}) << QString("12");
    QTest::newRow("maker") << 10 << Of({Maker}) << QString("5");
    QTest::newRow("software") << 11 << Of({Software}) << QString("6");
  }
  void checkingABoxKeepsItsLineUpToIt() {
    QFETCH(int, box);
    QFETCH(ExifBoxes, after);
    QFETCH(QString, ExifSel);
    Files f;
    f.Both(key::ExifSel, "1");
    const QByteArray stored = Content(f.files.GRprofile);
    AnalysisDialog d(nullptr, f.files);
    for (int i = 0; i < 12; ++i) Box(d, kBoxIds[i])->setChecked(i != box);
    Box(d, kBoxIds[box])->click();
    QCOMPARE(Shown(d), after);
    QCOMPARE(QString::fromStdString(d.exifSel()), ExifSel);
    // The running program has it at once; the settings file only after OK.
    QCOMPARE(QString::fromStdString(ReadSetting(pictray::fs::DefaultEnv(), key::ExifSel, f.files.profile)), ExifSel);
    QCOMPARE(Content(f.files.GRprofile), stored);
  }

  // Unchecking: the finest box of a line steps the line back; a coarser box
  // whose finer neighbour is checked comes back (the choice is unchanged);
  // 1分 under 秒 leaves the line at 10分.
  void uncheckingABox_data() {
    QTest::addColumn<QString>("before");
    QTest::addColumn<int>("box");
    QTest::addColumn<ExifBoxes>("after");
    QTest::addColumn<QString>("ExifSel");
    QTest::newRow("M 年月日 alone") << QString("1") << 0 << ExifBoxes() << QString("0");
    QTest::newRow("M 年月日 under 時") << QString("2") << 0 << Of({ModDate, ModHour}) << QString("2");
    QTest::newRow("M 時 finest") << QString("2") << 1 << Of({ModDate}) << QString("1");
    QTest::newRow("M 時 under 10分") << QString("3") << 1 << Of({ModDate, ModHour, ModTenMinutes}) << QString("3");
    QTest::newRow("M 10分 under 1分") << QString("4") << 2 << Of({ModDate, ModHour, ModTenMinutes, ModMinute}) << QString("4");
    QTest::newRow("M 1分 finest") << QString("4") << 3 << Of({ModDate, ModHour, ModTenMinutes}) << QString("3");
    QTest::newRow("M 1分 under 秒") << QString("11") << 3 << Of({ModDate, ModHour, ModTenMinutes}) << QString("3");
    QTest::newRow("M 秒") << QString("11") << 4 << Of({ModDate, ModHour, ModTenMinutes, ModMinute}) << QString("4");
    QTest::newRow("C 年月日 alone") << QString("7") << 5 << ExifBoxes() << QString("0");
    QTest::newRow("C 年月日 under 時") << QString("8") << 5 << Of({MadeDate, MadeHour}) << QString("8");
    QTest::newRow("C 時 under 10分") << QString("9") << 6 << Of({MadeDate, MadeHour, MadeTenMinutes}) << QString("9");
    QTest::newRow("C 10分 under 1分") << QString("10") << 7 << Of({MadeDate, MadeHour, MadeTenMinutes, MadeMinute}) << QString("10");
    QTest::newRow("C 1分 under 秒") << QString("12") << 8 << Of({MadeDate, MadeHour, MadeTenMinutes}) << QString("9");
    QTest::newRow("C 秒") << QString("12") << 9 << Of({MadeDate, MadeHour, MadeTenMinutes, MadeMinute}) << QString("10");
    QTest::newRow("maker") << QString("5") << 10 << ExifBoxes() << QString("0");
    QTest::newRow("software") << QString("6") << 11 << ExifBoxes() << QString("0");
  }
  void uncheckingABox() {
    QFETCH(QString, before);
    QFETCH(int, box);
    QFETCH(ExifBoxes, after);
    QFETCH(QString, ExifSel);
    Files f;
    f.Both(key::ExifSel, before.toStdString());
    AnalysisDialog d(nullptr, f.files);
    QVERIFY(Box(d, kBoxIds[box])->isChecked());
    Box(d, kBoxIds[box])->click();
    QCOMPARE(Shown(d), after);
    QCOMPARE(QString::fromStdString(d.exifSel()), ExifSel);
  }

  void openingShowsExifSel_data() {
    QTest::addColumn<QString>("ExifSel");
    QTest::addColumn<ExifBoxes>("shown");
    QTest::newRow("11: the whole first line") << QString("11")
        << Of({ModDate, ModHour, ModTenMinutes, ModMinute, ModSecond});
    QTest::newRow("12: the whole second line") << QString("12")
        << Of({MadeDate, MadeHour, MadeTenMinutes, MadeMinute, MadeSecond});
    QTest::newRow("3") << QString("3") << Of({ModDate, ModHour, ModTenMinutes});
    QTest::newRow("5") << QString("5") << Of({Maker});
    QTest::newRow("0") << QString("0") << ExifBoxes();
    QTest::newRow("13 (list-up's date choice)") << QString("13") << ExifBoxes();
  }
  void openingShowsExifSel() {
    QFETCH(QString, ExifSel);
    QFETCH(ExifBoxes, shown);
    Files f;
    f.Both(key::ExifSel, ExifSel.toStdString());
    AnalysisDialog d(nullptr, f.files);
    QCOMPARE(Shown(d), shown);
    d.accept();
    // A value no box stands for is kept when no box was clicked.
    QCOMPARE(QString::fromStdString(ReadSetting(pictray::fs::DefaultEnv(), key::ExifSel, f.files.GRprofile)), ExifSel);
  }

  // A month or year box stands alone: it clears the ladder and every other box.
  void monthAndYearBoxesChooseTheirValue_data() {
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("ExifSel");
    QTest::newRow("M 年月") << 10095 << QString("14");
    QTest::newRow("M 年") << 10096 << QString("15");
    QTest::newRow("C 年月") << 10097 << QString("16");
    QTest::newRow("C 年") << 10098 << QString("17");
    QTest::newRow("M 年/月") << 10101 << QString("20");
    QTest::newRow("M 年/月/日") << 10102 << QString("21");
    QTest::newRow("C 年/月") << 10103 << QString("18");
    QTest::newRow("C 年/月/日") << 10104 << QString("19");
  }
  void monthAndYearBoxesChooseTheirValue() {
    QFETCH(int, id);
    QFETCH(QString, ExifSel);
    Files f;
    f.Both(key::ExifSel, "11");
    AnalysisDialog d(nullptr, f.files);
    Box(d, id)->click();
    QCOMPARE(Shown(d), ExifBoxes());
    QCOMPARE(QString::fromStdString(d.exifSel()), ExifSel);
    Box(d, 10099)->click();  // AllFormats, on when missing
    d.accept();
    QCOMPARE(QString::fromStdString(ReadSetting(pictray::fs::DefaultEnv(), key::ExifSel, f.files.GRprofile)), ExifSel);
    QCOMPARE(ReadSetting(pictray::fs::DefaultEnv(), key::AllFormats, f.files.GRprofile), std::string("0"));
  }

  // The byte-order switch reads a missing key as on and writes only a change.
  void byteOrderBoxWritesOnlyAChange_data() {
    QTest::addColumn<QString>("stored");  // "" for a missing key
    QTest::addColumn<bool>("click");
    QTest::addColumn<QString>("after");   // "" for a missing key
    QTest::newRow("missing, untouched") << QString() << false << QString();
    QTest::newRow("missing, cleared") << QString() << true << QString("0");
    QTest::newRow("off, checked") << QString("0") << true << QString("1");
  }
  void byteOrderBoxWritesOnlyAChange() {
    QFETCH(QString, stored);
    QFETCH(bool, click);
    QFETCH(QString, after);
    Files f;
    f.Both(key::ExifSel, "7");
    if (!stored.isEmpty()) f.Both(key::ExifOrderTag, stored.toStdString());
    AnalysisDialog d(nullptr, f.files);
    QCOMPARE(Box(d, 10100)->isChecked(), stored != "0");
    if (click) Box(d, 10100)->click();
    d.accept();
    for (const std::string& file : {f.files.GRprofile, f.files.profile}) {
      const bool written = Content(file).contains("ExifOrderTag=");
      QCOMPARE(written, !after.isEmpty());
      if (written) QCOMPARE(QString::fromStdString(ReadSetting(pictray::fs::DefaultEnv(), key::ExifOrderTag, file)), after);
    }
  }

  void checkingCreationHourClearsTheModifiedLine() {
    Files f;
    f.Both(key::ExifSel, "2");
    AnalysisDialog d(nullptr, f.files);
    Box(d, 1047)->click();
    QCOMPARE(Shown(d), Of({MadeDate, MadeHour}));
    QCOMPARE(d.exifSel(), std::string("8"));
  }

  void analysisDialogReadsAndWritesItsKeys() {
    Files f;
    f.Both(key::NullCheck, "1");
    f.Both(key::NullByte, "25");
    f.Both(key::JlibCheck, "0");
    f.Both(key::samcount, "1234");
    {
      AnalysisDialog d(nullptr, f.files);
      QVERIFY(Box(d, 10020)->isChecked());
      QVERIFY(!Box(d, 10021)->isChecked());
      QCOMPARE(Edit(d, 10041)->text(), QString("25"));
      QCOMPARE(Edit(d, 10056)->text(), QString("1234"));
      const QByteArray stored = Content(f.files.GRprofile);
      Box(d, 10021)->click();  // counts for the running program at once
      QCOMPARE(ReadSetting(pictray::fs::DefaultEnv(), key::JlibCheck, f.files.profile), std::string("1"));
      Edit(d, 10056)->setText("99");
      d.close();  // by the frame: the settings file keeps what it had
      QCOMPARE(Content(f.files.GRprofile), stored);
      QCOMPARE(ReadSetting(pictray::fs::DefaultEnv(), key::samcount, f.files.profile), std::string("1234"));
    }
    AnalysisDialog d(nullptr, f.files);
    Box(d, 10020)->click();
    Box(d, 10021)->click();
    Edit(d, 10041)->setText("7");
    Edit(d, 10056)->setText("300000");
    Box(d, 10005)->click();
    d.accept();
    QCOMPARE(d.result(), int(QDialog::Accepted));
    for (const std::string& file : {f.files.GRprofile, f.files.profile}) {
      QCOMPARE(ReadSetting(pictray::fs::DefaultEnv(), key::ExifSel, file), std::string("5"));
      QCOMPARE(ReadSetting(pictray::fs::DefaultEnv(), key::NullCheck, file), std::string("0"));
      QCOMPARE(ReadSetting(pictray::fs::DefaultEnv(), key::JlibCheck, file), std::string("1"));
      QCOMPARE(ReadSetting(pictray::fs::DefaultEnv(), key::NullByte, file), std::string("7"));
      QCOMPARE(ReadSetting(pictray::fs::DefaultEnv(), key::samcount, file), std::string("300000"));
    }
  }

  // A count that is no number would make the colour table take nothing:
  // letters cannot be typed, and an empty or zero count is refused.
  void sampleCountMustBeAPositiveNumber() {
    Files f;
    f.Both(key::samcount, "500");
    BoxAnswerer boxes;
    AnalysisDialog d(nullptr, f.files);
    d.show();
    QLineEdit* count = Edit(d, 10056);
    count->clear();
    QTest::keyClicks(count, "12ab3");
    QCOMPARE(count->text(), QString("123"));
    count->setText("0");
    d.accept();
    QTRY_COMPARE(boxes.texts.size(), 1);
    QVERIFY(boxes.texts[0].startsWith("サンプリング色数"));
    QVERIFY(d.isVisible());
    QCOMPARE(ReadSetting(pictray::fs::DefaultEnv(), key::samcount, f.files.GRprofile), std::string("500"));
  }

  void displayDialogReadsAndWritesBothFiles() {
    Files f;
    f.Both(key::JpegCheck, "1");
    f.Both(key::disabledchar, "/:");
    f.Both(key::app, "open");
    f.Both(key::app3, "/usr/bin/true");
    const QByteArray stored = Content(f.files.GRprofile);
    {
      DisplayDialog d(nullptr, f.files);
      QVERIFY(Box(d, 1010)->isChecked());
      QCOMPARE(Edit(d, 10041)->text(), QString("/:"));
      QCOMPARE(Edit(d, 10045)->text(), QString("open"));
      QCOMPARE(Edit(d, 10046)->text(), QString(" "));  // a missing key shows its blank
      QCOMPARE(Edit(d, 10058)->text(), QString("/usr/bin/true"));
      Edit(d, 10041)->clear();
      d.reject();
      QCOMPARE(Content(f.files.GRprofile), stored);
    }
    DisplayDialog d(nullptr, f.files);
    Box(d, 1010)->click();
    Edit(d, 10041)->clear();
    Edit(d, 10046)->setText("viewer");
    Edit(d, 10058)->setText("open");
    d.accept();
    for (const std::string& file : {f.files.GRprofile, f.files.profile}) {
      QCOMPARE(ReadSetting(pictray::fs::DefaultEnv(), key::JpegCheck, file), std::string("0"));
      QCOMPARE(ReadSetting(pictray::fs::DefaultEnv(), key::disabledchar, file, "<missing>"), std::string());
      QCOMPARE(ReadSetting(pictray::fs::DefaultEnv(), key::app1, file), std::string("viewer"));
      QCOMPARE(ReadSetting(pictray::fs::DefaultEnv(), key::app3, file), std::string("open"));
    }
  }

  // The nine characters file names may not hold elsewhere become "_" in
  // folder names once they are disabled characters.
  void nineDisabledCharactersReachFolderNames() {
    Files f;
    DisplayDialog d(nullptr, f.files);
    const QString nine = "\\/:*?\"<>|";
    Edit(d, 10041)->setText(nine);
    d.accept();
    const std::string stored = ReadSetting(pictray::fs::DefaultEnv(), key::disabledchar, f.files.profile);
    QCOMPARE(QString::fromStdString(stored), nine);
    QCOMPARE(pictray::GetFoldaName("a\\b/c:d*e?f\"g<h>i|j", 1, stored), std::string("a_b_c_d_e_f_g_h_i_j"));
  }

  void disabledCharactersAreCutAtACharacter_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("bytes");
    QTest::newRow("short") << QString("abc") << 3;
    QTest::newRow("99 ASCII") << QString(120, 'x') << 99;
    QTest::newRow("three-byte characters") << QString(40, QChar(0x3042)) << 99;  // 33 of them
    QTest::newRow("a two-byte character at the edge") << QString(98, 'x') + QString(2, QChar(0xE9)) << 98;
  }
  void disabledCharactersAreCutAtACharacter() {
    QFETCH(QString, typed);
    QFETCH(int, bytes);
    Files f;
    DisplayDialog d(nullptr, f.files);
    Edit(d, 10041)->setText(typed);
    d.accept();
    const std::string stored = ReadSetting(pictray::fs::DefaultEnv(), key::disabledchar, f.files.GRprofile);
    QCOMPARE(int(stored.size()), bytes);
    QVERIFY(typed.startsWith(QString::fromUtf8(stored.data(), qsizetype(stored.size()))));
  }

  void propertiesShowTheProgramFolderWithoutWPath() {
    Files f;
    QVERIFY(WriteSetting(pictray::fs::DefaultEnv(), key::WinClose, "1", f.files.GRprofile));
    const std::string programDir = f.dir.path().toStdString();
    PropertiesDialog d(nullptr, f.files, programDir, "Pictray", QIcon());
    QCOMPARE(Edit(d, 10042)->text(), f.dir.path());
    QVERIFY(Box(d, 1010)->isChecked());
    d.accept();
    QCOMPARE(ReadSetting(pictray::fs::DefaultEnv(), key::WPath, f.files.GRprofile), programDir);
  }

  void propertiesWriteTheirKeys() {
    Files f;
    QTemporaryDir work;
    const QByteArray none = Content(f.files.GRprofile);
    {
      PropertiesDialog d(nullptr, f.files, "/", "Pictray", QIcon());
      Edit(d, 10042)->setText(work.path());
      d.close();
      QCOMPARE(Content(f.files.GRprofile), none);
    }
    PropertiesDialog d(nullptr, f.files, "/", "Pictray", QIcon());
    Edit(d, 10042)->setText(work.path());
    Edit(d, 10043)->setText("/usr/bin/true");
    Box(d, 1010)->setChecked(false);
    d.accept();
    QCOMPARE(d.values().WinClose, std::string("0"));
    QCOMPARE(d.values().ZenApp, std::string("/usr/bin/true"));
    QCOMPARE(ReadSetting(pictray::fs::DefaultEnv(), key::WinClose, f.files.GRprofile), std::string("0"));
    QCOMPARE(ReadSetting(pictray::fs::DefaultEnv(), key::WPath, f.files.GRprofile), work.path().toStdString());
    // The window runs Section1's program; Section0 keeps the same value.
    QCOMPARE(ReadSetting(pictray::fs::DefaultEnv(), key::ZenApp, f.files.GRprofile), std::string("/usr/bin/true"));
    QCOMPARE(ReadSetting(pictray::fs::DefaultEnv(), key::ZenApp, f.files.profile), std::string("/usr/bin/true"));
    QCOMPARE(ReadSetting(pictray::fs::DefaultEnv(), key::ZenAppCopy, f.files.GRprofile), std::string("/usr/bin/true"));
  }

  void propertiesRefuseAWorkFolderThatIsNone() {
    Files f;
    BoxAnswerer boxes;
    PropertiesDialog d(nullptr, f.files, "/", "Pictray", QIcon());
    d.show();
    Edit(d, 10042)->setText(f.dir.filePath("missing"));
    d.accept();
    QTRY_COMPARE(boxes.texts.size(), 1);
    QVERIFY(boxes.texts[0].startsWith("WorkFile Pathのフォルダがありません"));
    QVERIFY(!QFile::exists(QString::fromStdString(f.files.GRprofile)));
  }
};

QTEST_MAIN(SettingsDialogsTest)
#include "pictray_settings_dialogs_test.moc"
