// Every command of the main window does what it is for: none falls through
// to "not available", the settings commands open their dialogs and take
// over what they stored, the help opens in a browser or says why not.
#include <QCheckBox>
#include <QDialog>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <functional>

#include "engine/settings/settings_keys.h"
#include "tests/app/pictray_window_support.h"

using pictray::ReadSetting;
using pictray::WriteSetting;
using pictray::app::MainWindow;
namespace cmd = pictray::cmd;
namespace key = pictray::key;

namespace {

// Closes the settings and analysis dialogs that open, by the frame (or by
// OK when asked), and notes their names.
class DialogCloser : public QObject {
 public:
  DialogCloser() {
    connect(&timer_, &QTimer::timeout, this, &DialogCloser::Poll);
    timer_.start(5);
  }
  QStringList seen;
  std::function<void(QDialog&)> before;  // runs on each dialog before it closes
  bool accept = false;

 private:
  void Poll() {
    auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (!d || d->objectName() == "MessageBox1Q" || d->property("closing").toBool()) return;
    d->setProperty("closing", true);
    seen << (d->objectName().isEmpty() ? QString(d->metaObject()->className()) : d->objectName());
    QTimer::singleShot(0, d, [this, d] {
      if (before) before(*d);
      if (accept) d->accept();
      else d->close();
    });
  }
  QTimer timer_;
};

// A folder on PATH holding an "xdg-open" that writes what it was given.
struct FakeOpener {
  QTemporaryDir dir;
  QByteArray oldPath = qgetenv("PATH");
  explicit FakeOpener(int exitCode = 0) {
    QFile script(dir.filePath("xdg-open"));
    script.open(QIODevice::WriteOnly);
    script.write(QString("#!/bin/sh\nprintf '%s' \"$1\" > '%1'\nexit %2\n")
                     .arg(dir.filePath("opened"))
                     .arg(exitCode)
                     .toUtf8());
    script.close();
    script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("PATH", dir.path().toUtf8());
  }
  ~FakeOpener() { qputenv("PATH", oldPath); }
  QString Opened() const {
    QFile f(dir.filePath("opened"));
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
  }
};

}  // namespace

class CommandTableTest : public QObject {
  Q_OBJECT

 private slots:
  // Each command is run once on a window with an empty list; the box texts
  // and dialogs show that each one did something of its own.
  void everyCommandDoesItsJob_data() {
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("seen");  // a box text or a dialog's name; "" = acts without one
    QTest::newRow("1001 move") << cmd::MoveStart << QString("リストアップしたフォルダがありません");
    QTest::newRow("1002 list-up") << cmd::ListUp << QString("");
    QTest::newRow("1003 clear list") << cmd::ClearList << QString("");
    QTest::newRow("1004 character") << cmd::CharClass << QString("");
    QTest::newRow("1012 phrase") << cmd::PhraseClass << QString("");
    QTest::newRow("1013 extension") << cmd::ExtClass << QString("");
    QTest::newRow("1014 Exif") << cmd::Exif << QString("");
    QTest::newRow("1022 Info") << cmd::Info << QString("");
    QTest::newRow("1031 abort") << cmd::Abort << QString("");
    QTest::newRow("1034 clear analyses") << cmd::ClearAnalyses << QString("");
    QTest::newRow("1035 header check") << cmd::HeaderCheck << QString("");
    QTest::newRow("1037 RGB") << cmd::RgbAnalysis << QString("");
    QTest::newRow("1042 search") << cmd::Search << QString("");
    QTest::newRow("1043 size") << cmd::SizeAnalysis << QString("");
    QTest::newRow("1045 NG") << cmd::NgAnalysis << QString("");
    QTest::newRow("1048 app3 folder") << cmd::OpenFolderApp3 << QString("フォルダ欄のフォルダがありません");
    QTest::newRow("1049 ratio") << cmd::RgbRatio << QString("");
    QTest::newRow("1051 pre-read") << cmd::PreReadNow << QString("");
    QTest::newRow("1052 run ended") << cmd::RunEnded << QString("");
    QTest::newRow("1053 strength") << cmd::RgbStrength << QString("");
    QTest::newRow("1054 sharpness") << cmd::Sharpness << QString("");
    QTest::newRow("5001 open") << cmd::MenuOpen << QString("QFileDialog");
    QTest::newRow("5002 clear") << cmd::MenuClear << QString("");
    QTest::newRow("5005 exit") << cmd::MenuExit << QString("Pictray終了しますか？");
    QTest::newRow("5006 analysis settings") << cmd::MenuAnalysisSettings << QString("AnalysisDialog");
    QTest::newRow("5007 display settings") << cmd::MenuDisplaySettings << QString("DisplayDialog");
    QTest::newRow("5008 properties") << cmd::MenuProperties << QString("PropertiesDialog");
    QTest::newRow("5010 help") << cmd::MenuHelp << QString("");
    QTest::newRow("5012 search") << cmd::MenuSearch << QString("");
    QTest::newRow("5101 4X4") << cmd::Grid4 << QString("4X4に設定");
    QTest::newRow("5102 8X8") << cmd::Grid8 << QString("8X8に設定");
    QTest::newRow("5103 apps changed") << cmd::AppsChanged << QString("");
  }
  void everyCommandDoesItsJob() {
    QFETCH(int, id);
    QFETCH(QString, seen);
    QTemporaryDir programDir;
    FakeOpener opener;
    BoxAnswerer boxes;
    boxes.Queue({7});  // "NO" to the exit question
    DialogCloser dialogs;
    auto w = StartPictray(programDir);
    QVERIFY(w);
    w->Command(id);
    QTest::qWait(20);
    const QStringList all = boxes.texts + dialogs.seen;
    for (const QString& text : all) QVERIFY2(!text.contains("まだ使えません"), qPrintable(text));
    if (!seen.isEmpty())
      QVERIFY2(std::any_of(all.begin(), all.end(), [&](const QString& t) { return t.startsWith(seen); }),
               qPrintable(all.join(" | ")));
    QVERIFY(w->isVisible());
  }

  void settingsDialogsCloseByTheFrameStoringNothing() {
    QTemporaryDir programDir;
    BoxAnswerer boxes;
    DialogCloser dialogs;
    auto w = StartPictray(programDir);
    const std::string ini = w->settings().GRprofile;
    QFile f(QString::fromStdString(ini));
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray before = f.readAll();
    f.close();
    dialogs.before = [](QDialog& d) {
      for (QLineEdit* e : d.findChildren<QLineEdit*>())
        if (!e->isReadOnly()) e->setText("7");
    };
    for (int id : {cmd::MenuAnalysisSettings, cmd::MenuDisplaySettings, cmd::MenuProperties}) w->Command(id);
    QCOMPARE(dialogs.seen.size(), 3);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), before);
  }

  // After OK in the properties the close box follows "window close 有効",
  // the work file gets a new name in the chosen folder, and the pre-read
  // program is the one the dialog named.
  void propertiesTakeEffectInTheWindow() {
    QTemporaryDir programDir, work;
    BoxAnswerer boxes;
    DialogCloser dialogs;
    dialogs.accept = true;
    auto w = StartPictray(programDir);
    const std::string oldWorkfile = w->settings().workfile;
    dialogs.before = [&](QDialog& d) {
      d.findChild<QCheckBox*>("1010")->setChecked(false);
      d.findChild<QLineEdit*>("10042")->setText(work.path());
      d.findChild<QLineEdit*>("10043")->setText("/usr/bin/true");
    };
    w->Command(cmd::MenuProperties);
    QCOMPARE(w->WinClose, std::string("0"));
    QVERIFY(w->settings().workfile != oldWorkfile);
    QVERIFY(QString::fromStdString(w->settings().workfile).startsWith(work.path() + "/"));
    QVERIFY(QString::fromStdString(w->settings().workfile).endsWith("bit.$$$"));
    QCOMPARE(w->findChild<QPushButton*>("BT101")->toolTip(), QString("/usr/bin/true"));
    w->close();
    QCOMPARE(boxes.texts.last(), QString("メニューから終了して下さい"));
    QVERIFY(w->isVisible());
  }

  void helpOpensThePageOrSaysWhyNot() {
    QTemporaryDir programDir;
    BoxAnswerer boxes;
    auto w = StartPictray(programDir);
    const QString page = programDir.filePath("Pictrayhelp.html");
    {
      FakeOpener opener;
      w->Command(cmd::MenuHelp);
      QCOMPARE(boxes.texts.last(), "ヘルプファイルがありません: " + page);
      QVERIFY(QFile::copy(QString(PICTRAY_BIN_DIR) + "/Pictrayhelp.html", page));
      w->Command(cmd::MenuHelp);
      QTRY_COMPARE(opener.Opened(), page);
    }
    {
      FakeOpener failing(3);  // the opener found no browser
      const int shown = boxes.texts.size();
      w->Command(cmd::MenuHelp);
      QTRY_COMPARE(boxes.texts.size(), shown + 1);
      QVERIFY(boxes.texts.last().startsWith("ヘルプを表示するブラウザを起動できません"));
    }
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", "/nonexistent");
    w->Command(cmd::MenuHelp);
    qputenv("PATH", path);
    QVERIFY(boxes.texts.last().startsWith("ヘルプを表示するブラウザを起動できません"));
    QVERIFY(boxes.texts.last().endsWith(page));
  }

  // Every help page names where an installed program keeps its settings and how a run is taken back.
  void helpPagesNameTheSettingsFolderAndTheUndo() {
    for (const auto& [page, undo] : {std::pair{"Pictrayhelp.html", "移動を元に戻す"}, {"Pictrayhelp_en.html", "Undo the move"},
                                     {"Twinscanhelp.html", "抽出を元に戻す"}, {"Twinscanhelp_en.html", "Undo the extraction"}}) {
      QFile file(QString(PICTRAY_BIN_DIR) + "/" + page);
      QVERIFY2(file.open(QIODevice::ReadOnly), page);
      const QString text = QString::fromUtf8(file.readAll());
      QVERIFY2(text.contains("~/.config/pictray") && text.contains(QString::fromUtf8(undo)), page);
    }
  }

  void app3FolderCommandOpensTheFolder() {
    QTemporaryDir programDir, folder;
    FakeOpener opener;
    BoxAnswerer boxes;
    auto w = StartPictray(programDir);
    const std::string ini = w->settings().GRprofile;
    w->findChild<QLineEdit*>("ED01")->setText(folder.path());
    // "new" gets a one-time hint and becomes "open".
    QVERIFY(WriteSetting(pictray::fs::DefaultEnv(), key::app3, "new", ini));
    w->Command(cmd::OpenFolderApp3);
    QCOMPARE(boxes.texts.size(), 1);
    QCOMPARE(ReadSetting(pictray::fs::DefaultEnv(), key::app3, ini), std::string("open"));
    w->Command(cmd::OpenFolderApp3);
    QCOMPARE(boxes.texts.size(), 1);
    // A program that cannot be started is named.
    QVERIFY(WriteSetting(pictray::fs::DefaultEnv(), key::app3, " ", ini));
    w->Command(cmd::OpenFolderApp3);
    QVERIFY(boxes.texts.last().startsWith("APP3(移動後フォルダ)のアプリ"));
  }

  void appsChangedCopiesTheProgramsIntoTheWorkingCopy() {
    QTemporaryDir programDir;
    BoxAnswerer boxes;
    auto w = StartPictray(programDir);
    const pictray::app::SettingsFiles files{w->state().profile, w->settings().GRprofile};
    QVERIFY(WriteSetting(pictray::fs::DefaultEnv(), key::app1, "/usr/bin/viewer", files.GRprofile));
    QVERIFY(WriteSetting(pictray::fs::DefaultEnv(), key::app3, "open", files.GRprofile));
    QCOMPARE(ReadSetting(pictray::fs::DefaultEnv(), key::app1, files.profile), std::string("open"));
    w->Command(cmd::AppsChanged);
    QCOMPARE(ReadSetting(pictray::fs::DefaultEnv(), key::app1, files.profile), std::string("/usr/bin/viewer"));
    QCOMPARE(ReadSetting(pictray::fs::DefaultEnv(), key::app3, files.profile), std::string("open"));
    QVERIFY(boxes.texts.isEmpty());
  }
};

QTEST_MAIN(CommandTableTest)
#include "pictray_command_table_test.moc"
