// The window driving whole runs on real folders: list-up, a classification
// and the move checked on disk; the Exif button on fixture pictures; the
// pre-read program run and waited for before list-up.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <future>
#include <optional>
#include <thread>
#include <utility>

#include <QAbstractButton>
#include <QDir>
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
  static void ReleaseFifo(const QByteArray& path) {
    const int fd = ::open(path.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd >= 0) ::close(fd);
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
  // back, lists the folder again without the folders the undo removed, and
  // then has nothing more to take back. The journals are read by the run:
  // one that is a FIFO holds the run, never the window.
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
    QCOMPARE(w->moveResultList()->topLevelItemCount(), 2);

    const int before = boxes.texts.size();
    w->Command(cmd::MenuUndoMove);
    WaitFor(*w, boxes, "元に戻しました: 2件");
    QVERIFY(boxes.texts.value(before).endsWith(QString::fromUtf8("の移動（2件）を元に戻しますか？")));
    QCOMPARE(QDir(folder.path()).entryList(all), (QStringList{"a.jpg", "b.txt"}));
    QTRY_VERIFY(boxes.texts.count("Listup終了") == 2 && !w->state().runs.Active() && w->fileListView()->isEnabled());
    QCOMPARE(w->fileListModel()->rowCount(), 2);
    QCOMPARE(w->state().rows.kind(0), std::string());
    QCOMPARE(w->moveResultList()->topLevelItemCount(), 0);

    const QString nothingToUndo = QString::fromUtf8("元に戻せる移動はありません: ") + folder.path();
    w->Command(cmd::MenuUndoMove);
    WaitFor(*w, boxes, nothingToUndo);

    const QDir journals(state.path() + "/pictray/journals");
    const QStringList names = journals.entryList(QDir::Files);
    QCOMPARE(names.size(), 1);
    const QByteArray fifo = QFile::encodeName(journals.filePath(names[0]));
    QVERIFY(QFile::remove(journals.filePath(names[0])) && ::mkfifo(fifo.constData(), 0600) == 0);
    boxes.texts.clear();
    w->Command(cmd::MenuUndoMove);
    // A writer that comes and goes gives a reader waiting on the FIFO its end.
    auto refused = [&] {
      ReleaseFifo(fifo);
      return boxes.texts == QStringList{nothingToUndo} && !w->state().runs.Active();
    };
    QTRY_VERIFY_WITH_TIMEOUT(refused(), 15000);
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
    // More rows than a run has workers.
    Fill(folder.path(), {"a.jpg", "b.jpg", "c.jpg", "d.jpg", "e.jpg", "f.jpg", "g.jpg", "h.jpg"});
    BoxAnswerer boxes;
    auto w = StartPictray(programDir);
    ListUp(*w, boxes, folder.path());
    const std::pair<Control, const char*> cases[] = {{Control::BT13, "SIZE解析処理中止"},
                                                     {Control::BT14, "NG解析処理中止"}};
    for (const auto& [button, aborted] : cases) {
      // While the rows are held the run writes none, so the abort comes
      // before the last row is handed out.
      std::promise<void> held, release;
      std::thread holder([&] {
        bool first = true;
        w->state().rows.forEach([&](std::size_t, const pictray::Row&) {
          if (!std::exchange(first, false)) return;
          held.set_value();
          release.get_future().wait();
        });
      });
      held.get_future().wait();
      Button(*w, button)->click();
      w->Command(cmd::Abort);
      release.set_value();
      holder.join();
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

  // Closing at any moment of a run stops it; the window closes once the
  // runs have ended, asks nothing after the closing question, and leaves
  // only its settings file behind.
  void closingDuringARunWaitsForItWithoutHanging() {
    enum class Moment { ListUp, Analysis, Move, Asking };
    const QString closingQuestion = QString::fromUtf8("Pictray 終了しますか？");
    for (const Moment moment : {Moment::ListUp, Moment::Analysis, Moment::Move, Moment::Asking}) {
      QTemporaryDir programDir, folder;
      const int files = moment == Moment::Asking ? 1 : 300;
      for (int i = 0; i < files; ++i) QFile(folder.filePath(QString("f%1.jpg").arg(i))).open(QIODevice::WriteOnly);
      BoxAnswerer boxes;
      auto w = StartPictray(programDir);
      boxes.leaveOpen = [&](const QString& text) {
        if (moment != Moment::Asking || text != "Listup終了") return false;
        QTimer::singleShot(0, w.get(), [&] { w->close(); });  // as the close box's event
        return true;
      };
      // Exif makes list-up read every file.
      Button(*w, Control::BT07)->setChecked(moment == Moment::ListUp);
      w->findChild<QLineEdit*>("ED01")->setText(folder.path());
      Button(*w, Control::BT02)->click();
      if (moment == Moment::ListUp) {
        QTRY_VERIFY(w->state().rows.ListMax() > 0);
      } else if (moment != Moment::Asking) {
        WaitFor(*w, boxes, "Listup終了");
        if (moment == Moment::Move) Button(*w, Control::BT06)->click();
        Button(*w, moment == Moment::Move ? Control::BT01 : Control::BT13)->click();
      }
      if (moment != Moment::Asking) w->close();
      QTRY_VERIFY_WITH_TIMEOUT(!w->isVisible(), 30000);
      QVERIFY(!w->state().runs.Active());
      QCOMPARE(boxes.texts.last(), closingQuestion);
      w.reset();
      QCOMPARE(QDir(programDir.path()).entryList({"*Pictray.ini"}), QStringList{"Pictray.ini"});
    }
  }

  void preReadProgramThatCannotStartDoesNothing() {
    QTemporaryDir programDir, folder;
    QFile(folder.filePath("a.jpg")).open(QIODevice::WriteOnly);
    BoxAnswerer boxes;
    auto w = StartPictray(programDir);
    for (const char* app : {"no-such-program", " ", "notes.txt"}) {
      pictray::WriteProfileString(pictray::fs::DefaultEnv(), "Section1", "ZenApp", app, w->state().profile);
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
    QCOMPARE(pictray::GetProfileString(pictray::fs::DefaultEnv(), "Section0", "Px", "", 0, ini),
             std::to_string(w->frameGeometry().left() + 100));
  }
};

QTEST_MAIN(RunsTest)
#include "pictray_runs_test.moc"
