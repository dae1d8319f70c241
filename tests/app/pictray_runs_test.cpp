// The window driving whole runs on real folders: list-up, a classification
// and the move checked on disk; the Exif button on fixture pictures; the
// pre-read program run and waited for before list-up.
#include <sys/stat.h>

#include <optional>

#include <QAbstractButton>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>

#include "app/pictray/list_models.h"
#include "app/pictray/main_window.h"
#include "engine/settings/profile.h"
#include "tests/app/pictray_window_support.h"

using pictray::Control;
using pictray::app::MainWindow;
namespace cmd = pictray::cmd;

class RunsTest : public QObject {
  Q_OBJECT

  static void ListUp(MainWindow& w, BoxAnswerer& boxes, const QString& folder) {
    w.findChild<QLineEdit*>("ED01")->setText(folder);
    qobject_cast<QAbstractButton*>(w.control(Control::BT02))->click();
    WaitFor(w, boxes, "Listup終了");
  }
  static void WaitFor(MainWindow& w, BoxAnswerer& boxes, const QString& text) {
    QVERIFY(WaitForRun(w, boxes, text));
    QCoreApplication::processEvents();
  }
  // A stand-in companion program: after `first` it leaves a file in the
  // folder it is given.
  static bool WriteCompanion(QTemporaryDir& programDir, const char* first) {
    QFile f(programDir.filePath("Twinscan"));
    if (!f.open(QIODevice::WriteOnly)) return false;
    f.write(QByteArray("#!/bin/sh\n") + first + "\ntouch \"$1/made-by-pre-read\"\n");
    f.close();
    return f.setPermissions(f.permissions() | QFileDevice::ExeOwner);
  }
  static QAbstractButton* Button(MainWindow& w, Control c) {
    return qobject_cast<QAbstractButton*>(w.control(c));
  }
  static void Fill(const QString& folder, std::initializer_list<const char*> names) {
    QVERIFY(QDir().mkpath(folder));
    for (const char* n : names) {
      QFile f(folder + "/" + n);
      QVERIFY(f.open(QIODevice::WriteOnly));
      f.write(n);
    }
  }
  static QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(missing)");
  }
  static QStringList Summary(MainWindow& w) {
    QStringList out;
    QTreeWidget* lv = w.summaryList();
    for (int i = 0; i < lv->topLevelItemCount(); ++i)
      out << lv->topLevelItem(i)->text(0) + "=" + lv->topLevelItem(i)->text(1);
    out.sort();
    return out;
  }

 private slots:
  void listClassifyAndMoveEndToEnd() {
    QTemporaryDir programDir, folder;
    for (const char* n : {"IMG_0001.jpg", "IMG_0002.jpg", "DSC_0003.jpg", "memo.txt"}) {
      QFile f(folder.filePath(n));
      QVERIFY(f.open(QIODevice::WriteOnly));
      f.write(n);
    }
    BoxAnswerer boxes;
    auto w = StartPictray(programDir);
    ListUp(*w, boxes, folder.path());
    QCOMPARE(w->fileListModel()->rowCount(), 4);

    w->findChild<QLineEdit*>("CB01")->setText("IMG_%%##");
    qobject_cast<QAbstractButton*>(w->control(Control::BT04))->click();
    QCOMPARE(boxes.texts.last(), QString("キャラクタセット処理終了"));
    qobject_cast<QAbstractButton*>(w->control(Control::BT06))->click();
    QCOMPARE(Summary(*w), (QStringList{"IIMMGG_00##=2", "jpg=1", "txt=1"}));
    QVERIFY(w->control(Control::BT01)->isEnabled());

    qobject_cast<QAbstractButton*>(w->control(Control::BT01))->click();
    WaitFor(*w, boxes, "移動処理終了");
    QDir d(folder.path());
    QVERIFY(QFile::exists(d.filePath("IIMMGG_00##/IMG_0001.jpg")));
    QVERIFY(QFile::exists(d.filePath("IIMMGG_00##/IMG_0002.jpg")));
    QVERIFY(QFile::exists(d.filePath("jpg/DSC_0003.jpg")));
    QVERIFY(QFile::exists(d.filePath("txt/memo.txt")));
    QCOMPARE(d.entryList(QDir::Files), QStringList());
    QCOMPARE(w->moveResultList()->topLevelItemCount(), 3);
    for (std::size_t i = 0; i < 4; ++i) QCOMPARE(w->state().rows.kind(i), std::string("M"));
  }

  // The move acts on the listed folder, only while the folder field names
  // it (a trailing "/" or a relative path name it too) and no run works.
  void moveActsOnlyOnTheListedFolder() {
    const struct {
      const char* what;
      QString field;  // under the parent of folders A and B
      bool busy;
      const char* refusal;  // part of the message ("%A": folder A); nullptr: it moves
    } cases[] = {
        {"another folder", "/B", false, "/B」はリストアップしたフォルダ「%A」"},
        {"while a run works", "/A", true, "処理中は実行できません"},
        {"trailing slash", "/A/", false, nullptr},
        {"relative path", "A", false, nullptr},
    };
    for (const auto& c : cases) {
      QTemporaryDir programDir, parent;
      const QString a = parent.filePath("A"), b = parent.filePath("B");
      Fill(a, {"x.jpg"});
      Fill(b, {"x.jpg"});
      BoxAnswerer boxes;
      auto w = StartPictray(programDir);
      ListUp(*w, boxes, a);
      Button(*w, Control::BT06)->click();
      const QString before = QDir::currentPath();
      QDir::setCurrent(parent.path());
      const QString field = c.field.startsWith('/') ? parent.path() + c.field : c.field;
      w->findChild<QLineEdit*>("ED01")->setText(field);
      std::optional<pictray::RunRegistry::Guard> busy;
      if (c.busy) busy.emplace(w->state().runs);
      Button(*w, Control::BT01)->click();
      busy.reset();
      QDir::setCurrent(before);
      if (c.refusal) {
        QVERIFY2(boxes.texts.last().contains(QString::fromUtf8(c.refusal).replace("%A", a)), c.what);
        QVERIFY2(QFile::exists(a + "/x.jpg"), c.what);
      } else {
        WaitFor(*w, boxes, "移動処理終了");
        QVERIFY2(QFile::exists(a + "/jpg/x.jpg"), c.what);
      }
      QVERIFY2(QFile::exists(b + "/x.jpg"), c.what);
    }
  }

  // The list menu takes the last move back after naming how many files go
  // back, lists the folder again, and then has nothing more to take back.
  void undoMenuTakesTheMoveBackAndListsTheFolderAgain() {
    QTemporaryDir programDir, folder, state;
    qputenv("XDG_STATE_HOME", state.path().toUtf8());
    for (const char* n : {"a.jpg", "b.txt"}) {
      QFile f(folder.filePath(n));
      QVERIFY(f.open(QIODevice::WriteOnly));
      f.write(n);
    }
    BoxAnswerer boxes;
    auto w = StartPictray(programDir);
    ListUp(*w, boxes, folder.path());
    qobject_cast<QAbstractButton*>(w->control(Control::BT06))->click();
    qobject_cast<QAbstractButton*>(w->control(Control::BT01))->click();
    WaitFor(*w, boxes, "移動処理終了");
    const QDir::Filters all = QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot;
    QCOMPARE(QDir(folder.path()).entryList(all), (QStringList{"jpg", "txt"}));

    const int before = boxes.texts.size();
    w->Command(cmd::MenuUndoMove);
    WaitFor(*w, boxes, "元に戻しました: 2件");
    QVERIFY(boxes.texts.value(before).endsWith(QString::fromUtf8("の移動（2件）を元に戻しますか？")));
    QCOMPARE(QDir(folder.path()).entryList(all), (QStringList{"a.jpg", "b.txt"}));
    QTRY_VERIFY(boxes.texts.count("Listup終了") == 2 && !w->state().runs.Active());
    QCOMPARE(w->fileListModel()->rowCount(), 2);
    QCOMPARE(w->state().rows.kind(0), std::string());

    w->Command(cmd::MenuUndoMove);
    QCOMPARE(boxes.texts.last(), QString::fromUtf8("元に戻せる移動はありません: ") + folder.path());
  }

  // With the move chained, an analysis hands its results to the move, which
  // is not refused as a second run.
  void chainedMoveFollowsAnAnalysis() {
    QTemporaryDir programDir, folder;
    QVERIFY(QFile::copy(QString(PICTRAY_TEST_DATA) + "/jpeg/cam_canon_II_A.jpg", folder.filePath("a.jpg")));
    BoxAnswerer boxes;
    auto w = StartPictray(programDir);
    ListUp(*w, boxes, folder.path());
    w->state().MoveOn = 1;
    Button(*w, Control::BT13)->click();
    WaitFor(*w, boxes, "移動処理終了");
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files), QStringList());
  }

  // An aborted analysis ends with its button up, as a finished one does.
  void analysisButtonsComeBackUpAfterAnAbort() {
    QTemporaryDir programDir, folder;
    Fill(folder.path(), {"a.jpg", "b.jpg", "c.jpg"});
    BoxAnswerer boxes;
    auto w = StartPictray(programDir);
    ListUp(*w, boxes, folder.path());
    const std::pair<Control, const char*> cases[] = {{Control::BT13, "SIZE解析処理中止"},
                                                     {Control::BT14, "NG解析処理中止"}};
    for (const auto& [button, aborted] : cases) {
      Button(*w, button)->click();
      // The run waits for the window before its first row, so the abort is seen.
      w->Command(cmd::Abort);
      WaitFor(*w, boxes, QString::fromUtf8(aborted));
      QVERIFY2(!Button(*w, button)->isChecked(), aborted);
    }
  }

  // The pre-read program gets the folder's bytes, whole, whether list-up
  // starts it or 1051 does, and whatever the folder's name is.
  void preReadProgramGetsTheFolderBytes() {
    QTemporaryDir programDir, parent;
    QVERIFY(WriteCompanion(programDir, "printf '%s' \"$1\" > received-folder"));
    const std::string folder = parent.path().toStdString() + "/\xff\xfe";
    QVERIFY(::mkdir(folder.c_str(), 0755) == 0);
    const QString received = programDir.filePath("received-folder");
    const QString before = QDir::currentPath();
    for (const std::string& given : {folder, std::string("\xff\xfe")}) {
      QFile::remove(received);
      QVERIFY(QDir::setCurrent(parent.path()));
      BoxAnswerer boxes;
      pictray::app::StartOptions o;
      o.programDir = MakeProgramDir(programDir).toStdString();
      o.CurrentDir = given;
      auto w = MainWindow::Create(o);
      QDir::setCurrent(before);
      Button(*w, Control::BT101)->setChecked(true);
      w->show();
      WaitFor(*w, boxes, "Listup終了");
      QCOMPARE(ReadAll(received), QByteArray::fromStdString(folder));

      QFile::remove(received);
      Button(*w, Control::BT101)->setChecked(true);
      w->Command(cmd::PreReadNow);
      QVERIFY(QTest::qWaitFor([&] { return QFile::exists(received); }, 5000));
      QTRY_COMPARE(ReadAll(received), QByteArray::fromStdString(folder));
    }
  }

  void exifButtonLabelsListedFixtures() {
    QTemporaryDir programDir, folder;
    for (const char* n : {"cam_canon_II_A.jpg", "cam_nikon_MM_A.jpg", "plain.png"})
      QVERIFY(QFile::copy(QString(PICTRAY_TEST_DATA) + "/jpeg/" + n, folder.filePath(n)));
    BoxAnswerer boxes;
    auto w = StartPictray(programDir);
    ListUp(*w, boxes, folder.path());
    qobject_cast<QAbstractButton*>(w->control(Control::BT07))->click();
    WaitFor(*w, boxes, "セット処理終了");
    auto& rows = w->state().rows;
    for (std::size_t i = 0; i < rows.ListMax(); ++i) {
      const std::string name = rows.name(i);
      if (name == "plain.png") continue;
      QVERIFY2(!rows.target(i).empty(), name.c_str());
      QCOMPARE(rows.kind(i), std::string("E"));
    }
    QVERIFY(!qobject_cast<QAbstractButton*>(w->control(Control::BT07))->isChecked());
    QVERIFY(!Summary(*w).isEmpty());
  }

  void closingDuringARunWaitsForItWithoutHanging() {
    QTemporaryDir programDir, folder;
    for (int i = 0; i < 20000; ++i) QFile(folder.filePath(QString("f%1.jpg").arg(i))).open(QIODevice::WriteOnly);
    BoxAnswerer boxes;
    auto w = StartPictray(programDir);
    // Exif makes the run read every file, so it is still busy when the window goes.
    qobject_cast<QAbstractButton*>(w->control(Control::BT07))->setChecked(true);
    w->findChild<QLineEdit*>("ED01")->setText(folder.path());
    qobject_cast<QAbstractButton*>(w->control(Control::BT02))->click();
    QVERIFY(QTest::qWaitFor([&] { return w->state().rows.ListMax() > 0; }, 10000));
    QElapsedTimer t;
    t.start();
    w.reset();
    QVERIFY(t.elapsed() < 5000);
    QCOMPARE(QDir(programDir.path()).entryList({"*Pictray.ini"}), QStringList{"Pictray.ini"});
  }

  void preReadProgramThatCannotStartDoesNothing() {
    QTemporaryDir programDir, folder;
    QFile(folder.filePath("a.jpg")).open(QIODevice::WriteOnly);
    BoxAnswerer boxes;
    auto w = StartPictray(programDir);
    for (const char* app : {"no-such-program", " ", "notes.txt"}) {
      pictray::WriteProfileString("Section1", "ZenApp", app, w->state().profile);
      qobject_cast<QAbstractButton*>(w->control(Control::BT101))->setChecked(true);
      boxes.texts.clear();
      ListUp(*w, boxes, folder.path());
      QCOMPARE(boxes.texts, QStringList{"Listup終了"});
      QCOMPARE(w->fileListModel()->rowCount(), 1);
    }
  }

  void listupRefusedDuringARunStartsNoPreReadProgram() {
    QTemporaryDir programDir, folder;
    QVERIFY(WriteCompanion(programDir, ""));
    BoxAnswerer boxes;
    auto w = StartPictray(programDir);
    qobject_cast<QAbstractButton*>(w->control(Control::BT101))->setChecked(true);
    w->findChild<QLineEdit*>("ED01")->setText(folder.path());
    {
      pictray::RunRegistry::Guard busy(w->state().runs);
      qobject_cast<QAbstractButton*>(w->control(Control::BT02))->click();
      QTest::qWait(300);
    }
    QCOMPARE(boxes.captions, QStringList{"err/err"});
    QVERIFY(!QFile::exists(folder.filePath("made-by-pre-read")));
    QVERIFY(!qobject_cast<QAbstractButton*>(w->control(Control::BT02))->isChecked());
  }

  void preReadProgramRunsAndIsWaitedForBeforeListup() {
    QTemporaryDir programDir, folder;
    QVERIFY(WriteCompanion(programDir, "sleep 0.3"));
    BoxAnswerer boxes;
    auto w = StartPictray(programDir);
    qobject_cast<QAbstractButton*>(w->control(Control::BT101))->setChecked(true);
    ListUp(*w, boxes, folder.path());
    // Listed after the program ended: its file is in the list.
    QCOMPARE(w->fileListModel()->rowCount(), 1);
    QCOMPARE(w->state().rows.name(0), std::string("made-by-pre-read"));
    const std::string ini = programDir.filePath("Twinscan.ini").toStdString();
    QCOMPARE(pictray::GetProfileString("Section0", "Px", "", 0, ini),
             std::to_string(w->frameGeometry().left() + 100));
  }
};

QTEST_MAIN(RunsTest)
#include "pictray_runs_test.moc"
