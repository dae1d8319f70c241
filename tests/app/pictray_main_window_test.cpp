#include <sys/stat.h>

#include <cstdio>
#include <thread>

#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QGuiApplication>
#include <QScreen>
#include <QSplitter>
#include <QTableView>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>

#include "app/common/window_place.h"
#include "app/pictray/list_models.h"
#include "app/pictray/main_window.h"
#include "app/pictray/qt_run_host.h"
#include "app/pictray/result_pane.h"
#include "engine/settings/profile.h"
#include "tests/app/pictray_window_support.h"

using pictray::Control;
using pictray::app::MainWindow;
using pictray::app::StartOptions;
namespace cmd = pictray::cmd;

class MainWindowTest : public QObject {
  Q_OBJECT

  static void Fill(QTemporaryDir& folder, std::initializer_list<const char*> names) {
    for (const char* n : names) {
      QFile f(folder.filePath(QString::fromUtf8(n)));
      QVERIFY(f.open(QIODevice::WriteOnly));
      f.write(n);
    }
  }
  static void WaitForListup(MainWindow& w, BoxAnswerer& boxes, const QString& last = "Listup終了") {
    QVERIFY(WaitForRun(w, boxes, last));
    QCoreApplication::processEvents();
  }
  static QString Ini(const QTemporaryDir& d) { return d.filePath("Pictray.ini"); }
  static QAbstractButton* Button(MainWindow& w, Control c) {
    return qobject_cast<QAbstractButton*>(w.control(c));
  }
  static void ListUp(MainWindow& w, BoxAnswerer& boxes, const QString& folder) {
    w.findChild<QLineEdit*>("ED01")->setText(folder);
    Button(w, Control::BT02)->click();
    WaitForListup(w, boxes);
  }

 private slots:
  void firstStartCreatesSettingsAndWorkingCopyAndStoresPlaceAtExit() {
    QTemporaryDir programDir;
    {
      auto w = StartPictray(programDir);
      QVERIFY(w);
      QCOMPARE(w->windowTitle(), QString("Pictray"));
      QVERIFY(QFile::exists(Ini(programDir)));
      QVERIFY(QFile::exists(QString::fromStdString(w->settings().profile)));
      QCOMPARE(w->frameGeometry().size(),
               QSize(1500, 1000).boundedTo(QGuiApplication::primaryScreen()->availableGeometry().size()));
      w->resize(1500, 1000);
      QCoreApplication::processEvents();
      const QList<int> panes = w->findChild<QSplitter*>("panes")->sizes();
      // The file list takes the room the result pane leaves.
      QVERIFY2(panes[0] > 2 * panes[1], qPrintable(QString("%1 / %2").arg(panes[0]).arg(panes[1])));
      w->move(70, 80);
      w->resize(900, 700);
    }
    const std::string ini = Ini(programDir).toStdString();
    QCOMPARE(QDir(programDir.path()).entryList({"*Pictray.ini"}), QStringList{"Pictray.ini"});
    QCOMPARE(pictray::GetProfileString(pictray::fs::DefaultEnv(), "Section0", "Pw", "", 0, ini), std::string("900"));
    QCOMPARE(pictray::GetProfileString(pictray::fs::DefaultEnv(), "Section0", "Ph", "", 0, ini), std::string("700"));
  }

  // A place stored on a larger screen or past its edge is brought back
  // inside the screen the window opens on.
  void aStoredPlaceOutsideTheScreenIsBroughtInside() {
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    const struct {
      QRect stored;
    } cases[] = {{QRect(screen.right() + 500, screen.bottom() + 500, 600, 400)},
                 {QRect(-3000, -3000, screen.width() * 3, screen.height() * 2)},
                 {QRect(screen.left() + 10, screen.top() + 20, 500, 350)}};
    for (const auto& c : cases) {
      QTemporaryDir programDir;
      {
        auto first = StartPictray(programDir);  // creates the settings file
      }
      const std::string ini = Ini(programDir).toStdString();
      for (const auto& [key, value] : {std::pair{"Px", c.stored.x()}, {"Py", c.stored.y()},
                                       {"Pw", c.stored.width()}, {"Ph", c.stored.height()}})
        QVERIFY(pictray::WriteProfileString(pictray::fs::DefaultEnv(), "Section0", key, std::to_string(value), ini));
      auto w = StartPictray(programDir);
      // The frame the window manager adds is not known before the window shows; the rest must fit.
      const QRect placed(w->pos(), w->size());
      QVERIFY2(screen.contains(placed) || (screen.contains(placed.topLeft()) && w->size() == w->minimumSizeHint()),
               qPrintable(QString("%1,%2 %3x%4").arg(placed.x()).arg(placed.y()).arg(placed.width()).arg(placed.height())));
      if (screen.contains(c.stored)) QCOMPARE(w->pos(), c.stored.topLeft());  // a place on the screen is kept
    }
  }

  // The splitter gives its room to the lists: dragged down, the file list
  // shows at least 14 rows; dragged up, LV02 at least 10; the controls below
  // LV02 keep their natural size inside the window; a summary name shows whole;
  // the help lines keep room to be read.
  void theListsTakeTheRoomTheSplitterGives() {
    for (const QSize& size : {QSize(1500, 1000), QSize(1024, 700), QSize(900, 600)}) {
      QTemporaryDir programDir;
      auto w = StartPictray(programDir);
      w->resize(size);
      auto* LV01 = w->findChild<QTableView*>("LV01");
      auto* LV02 = w->findChild<QTreeWidget*>("LV02");
      auto* splitter = w->findChild<QSplitter*>("panes");
      auto* row = new QTreeWidgetItem(LV02, QStringList{"folder", "1", "a.jpg", "/x/folder", "new"});
      w->resultPane()->SetSummary({{"2023_12_31 23_59_59", 3151}});
      const QString where = QString("%1x%2 ").arg(size.width()).arg(size.height());
      splitter->setSizes({10000, 1});
      QTest::qWait(0);
      const int fileRows = LV01->viewport()->height() / LV01->verticalHeader()->defaultSectionSize();
      QVERIFY2(fileRows >= 14, qPrintable(where + QString::number(fileRows)));
      splitter->setSizes({1, 10000});
      QTest::qWait(0);
      const int resultRows = LV02->viewport()->height() / LV02->visualItemRect(row).height();
      QVERIFY2(resultRows >= 10, qPrintable(where + QString::number(resultRows)));
      for (const char* name : {"LV03", "BT22", "preview", "CK20", "CK22"}) {
        auto* control = w->findChild<QWidget*>(name);
        QVERIFY2(w->rect().contains(QRect(control->mapTo(w.get(), QPoint(0, 0)), control->size())), qPrintable(where + name));
        QVERIFY2(control->height() >= control->minimumSizeHint().height(), qPrintable(where + name));
      }
      const QAbstractItemView* summary = w->summaryList();
      QVERIFY2(summary->sizeHintForColumn(0) <= w->summaryList()->columnWidth(0), qPrintable(where + "LV03"));
      for (const QWidget* help : w->findChildren<QWidget*>("patternHelp"))
        QVERIFY2(help->width() >= 200, qPrintable(where + "help " + QString::number(help->width())));
    }
  }

  // Both windows fit with the window manager's frame inside the available
  // area (the frame is known only once shown: the window is fitted again then).
  void theFrameFitsIntoTheScreenToo() {
    const QRect area(0, 0, 1024, 700);
    const QMargins frame(4, 30, 4, 4);
    const struct {
      QRect client;
      QMargins frame;
      QSize least;
      QRect expected;
    } cases[] = {
        {{0, 0, 1500, 1000}, frame, {400, 300}, {4, 30, 1016, 666}},
        {{100, 100, 800, 500}, frame, {400, 300}, {100, 100, 800, 500}},
        {{900, 600, 400, 300}, frame, {400, 300}, {620, 396, 400, 300}},
        {{50, 50, 500, 400}, frame, {1100, 800}, {4, 30, 1100, 800}},
        {{0, 0, 1500, 1000}, {}, {400, 300}, {0, 0, 1024, 700}},
    };
    for (const auto& c : cases) QCOMPARE(pictray::ui::FitWithFrame(c.client, c.frame, area, c.least), c.expected);
  }

  void missingThumbnailLibraryEndsWithDllError() {
    QTemporaryDir programDir;
    BoxAnswerer boxes;
    StartOptions o;
    o.programDir = MakeProgramDir(programDir, false).toStdString();
    QVERIFY(!MainWindow::Create(o));
    QCOMPARE(boxes.texts, QStringList{"dll_Error"});
    QCOMPARE(boxes.captions, QStringList{"err/err"});
    QCOMPARE(QDir(programDir.path()).entryList({"*Pictray.ini"}), QStringList{"Pictray.ini"});
  }

  // Named at start, then left as it was, also by the window's close.
  void settingsFileTooLargeIsNamedAndNeverWritten() {
    QTemporaryDir programDir;
    const QString ini = programDir.filePath("Pictray.ini");
    const QByteArray text = "[Section0]\nPx=120\n" + QByteArray(2 << 20, ';');
    QFile f(ini);
    QVERIFY(f.open(QIODevice::WriteOnly) && f.write(text) == text.size());
    f.close();
    BoxAnswerer boxes;
    auto w = StartPictray(programDir);
    QVERIFY(w);
    QCOMPARE(boxes.texts, QStringList{"設定ファイルが大きすぎます: " + ini});
    w.reset();
    QVERIFY(f.open(QIODevice::ReadOnly));
    QVERIFY(f.readAll() == text);
  }

  void commandLineFolderIsListed() {
    QTemporaryDir programDir, folder;
    Fill(folder, {"a.jpg", "b.jpg", "日本.png"});
    BoxAnswerer boxes;
    auto w = StartPictray(programDir, folder.path());
    WaitForListup(*w, boxes);
    QCOMPARE(w->fileListModel()->rowCount(), 3);
    QCOMPARE(w->findChild<QLineEdit*>("ED01")->text(), folder.path());
    QCOMPARE(w->statusPart(1)->text(), QString("3/3"));
    QVERIFY(!qobject_cast<QAbstractButton*>(w->control(Control::BT02))->isChecked());
    QVERIFY(w->control(Control::BT04)->isEnabled());
  }

  void commandLineFileListsItsFolderAndSelectsIt() {
    QTemporaryDir programDir, folder;
    Fill(folder, {"a.jpg", "b.jpg", "c.jpg"});
    BoxAnswerer boxes;
    auto w = StartPictray(programDir, folder.filePath("b.jpg"));
    WaitForListup(*w, boxes, "b.jpg");
    QVERIFY(!boxes.texts.contains("Listup終了"));
    const QModelIndexList sel = w->fileListView()->selectionModel()->selectedRows();
    QCOMPARE(sel.size(), 1);
    QCOMPARE(sel[0].data().toString(), QString("b.jpg"));
    QCOMPARE(w->findChild<QLineEdit*>("CB01")->text(), QString("b.jpg"));
  }

  void commandLinePathDropsQuotesAndJoinsUnquotedBlanks() {
    char prog[] = "Pictray", a[] = "/tmp/my", b[] = "pictures", q[] = "\"/tmp/a b\"";
    char* split[] = {prog, a, b};
    QCOMPARE(pictray::app::CommandLinePath(3, split), std::string("/tmp/my pictures"));
    char* quoted[] = {prog, q};
    QCOMPARE(pictray::app::CommandLinePath(2, quoted), std::string("/tmp/a b"));
    QCOMPARE(pictray::app::CommandLinePath(1, split), std::string());
  }

  void relativeCommandLineFolderIsMadeWhole() {
    QTemporaryDir programDir, parent;
    QVERIFY(QDir(parent.path()).mkdir("pics"));
    QFile(parent.filePath("pics/a.jpg")).open(QIODevice::WriteOnly);
    const QString before = QDir::currentPath();
    QVERIFY(QDir::setCurrent(parent.path()));
    BoxAnswerer boxes;
    auto w = StartPictray(programDir, "pics");
    // Made whole at start: a later change of the current folder does not matter.
    QDir::setCurrent(before);
    WaitForListup(*w, boxes);
    QCOMPARE(w->findChild<QLineEdit*>("ED01")->text(), parent.filePath("pics"));
    QCOMPARE(w->fileListModel()->rowCount(), 1);
  }

  void folderWhoseNameIsNotUtf8IsListedByItsBytes() {
    QTemporaryDir programDir, parent;
    const std::string folder = parent.path().toStdString() + "/bad\xff\xfename";
    QVERIFY(::mkdir(folder.c_str(), 0755) == 0);
    std::FILE* file = std::fopen((folder + "/inside.jpg").c_str(), "w");
    QVERIFY(file);
    std::fclose(file);
    BoxAnswerer boxes;
    StartOptions o;
    o.programDir = MakeProgramDir(programDir).toStdString();
    o.CurrentDir = folder;
    auto w = MainWindow::Create(o);
    w->show();
    WaitForListup(*w, boxes);
    QCOMPARE(w->state().rows.ListMax(), 1u);
    QCOMPARE(w->state().rows.name(0), std::string("inside.jpg"));
    QVERIFY(w->findChild<QLineEdit*>("ED01")->text().contains(QChar(0xFFFD)));
  }

  void commandLinePathThatDoesNotExistDoesNothing() {
    QTemporaryDir programDir;
    BoxAnswerer boxes;
    auto w = StartPictray(programDir, "/no/such/path");
    QTest::qWait(300);
    QCOMPARE(w->fileListModel()->rowCount(), 0);
    QVERIFY(boxes.texts.isEmpty());
  }

  void listUpButtonFillsTheListAndClearListEmptiesIt() {
    QTemporaryDir programDir, folder;
    Fill(folder, {"x1.jpg", "x2.jpg"});
    QDir(folder.path()).mkdir("sub");
    BoxAnswerer boxes;
    auto w = StartPictray(programDir);
    w->findChild<QLineEdit*>("ED01")->setText(folder.path());
    qobject_cast<QAbstractButton*>(w->control(Control::BT02))->click();
    WaitForListup(*w, boxes);
    QCOMPARE(w->fileListModel()->rowCount(), 2);
    w->Command(cmd::ClearList);
    QCOMPARE(w->fileListModel()->rowCount(), 0);
    QCOMPARE(w->state().rows.ListMax(), 0u);
    QCOMPARE(w->statusPart(1)->text(), QString());
  }

  void clearAnalysesAsksOnlyWhenThereAreRows() {
    QTemporaryDir programDir, folder;
    BoxAnswerer boxes;
    auto w = StartPictray(programDir);
    w->Command(cmd::ClearAnalyses);
    QTest::qWait(50);
    QVERIFY(boxes.texts.isEmpty());
    Fill(folder, {"a", "b"});
    w->findChild<QLineEdit*>("ED01")->setText(folder.path());
    qobject_cast<QAbstractButton*>(w->control(Control::BT02))->click();
    WaitForListup(*w, boxes);
    w->state().rows.setTarget(0, "t1", "C");
    w->state().rows.setTarget(1, "t2", "C");
    boxes.Queue({7});
    w->Command(cmd::ClearAnalyses);
    QCOMPARE(boxes.texts.last(), QString("解析クリアしますか?"));
    QCOMPARE(w->state().rows.target(0), std::string("t1"));
    boxes.Queue({6});
    w->Command(cmd::ClearAnalyses);
    QCOMPARE(w->state().rows.target(0), std::string());
    QCOMPARE(w->state().rows.kind(1), std::string());
  }

  void searchSelectsTheRowOrSaysNotFound() {
    QTemporaryDir programDir, folder;
    Fill(folder, {"one.jpg", "two.jpg"});
    BoxAnswerer boxes;
    auto w = StartPictray(programDir, folder.path());
    WaitForListup(*w, boxes);
    auto* CB01 = w->findChild<QLineEdit*>("CB01");
    CB01->setText("two.jpg");
    w->Command(cmd::Search);
    QCOMPARE(w->fileListView()->selectionModel()->selectedRows().value(0).data().toString(), QString("two.jpg"));
    CB01->setText("two");
    w->Command(cmd::MenuSearch);
    QCOMPARE(boxes.texts.last(), QString("Not Found"));
    QVERIFY(w->fileListView()->selectionModel()->selectedRows().isEmpty());
  }

  void closeBoxIsRefusedUnlessWinCloseIsOne() {
    QTemporaryDir programDir;
    BoxAnswerer boxes;
    auto w = StartPictray(programDir);
    w->WinClose = "0";
    w->close();
    QCOMPARE(boxes.texts.last(), QString("メニューから終了して下さい"));
    QVERIFY(w->isVisible());
    w->WinClose = "1";
    boxes.Queue({7});
    w->close();
    QCOMPARE(boxes.texts.last(), QString("Pictray 終了しますか？"));
    QCOMPARE(boxes.captions.last(), QString("終了する/しない"));
    QVERIFY(w->isVisible());
    w->childbit1 = 1;
    w->Command(cmd::MenuExit);
    QCOMPARE(boxes.texts.last(), QString("ダイアログ起動中"));
    QVERIFY(w->isVisible());
    w->childbit1 = 0;
    w->WinClose = "0";
    boxes.Queue({6});
    w->Command(cmd::MenuExit);
    QCOMPARE(boxes.texts.last(), QString("Pictray終了しますか？"));
    QVERIFY(!w->isVisible());
  }

  void sortingIsRefusedWhileARunIsActive() {
    QTemporaryDir programDir, folder;
    Fill(folder, {"b", "a"});
    BoxAnswerer boxes;
    auto w = StartPictray(programDir, folder.path());
    WaitForListup(*w, boxes);
    const std::string first = w->state().rows.name(0);
    {
      pictray::RunRegistry::Guard busy(w->state().runs);
      w->fileListView()->horizontalHeader()->sectionClicked(0);
      QCOMPARE(w->state().rows.name(0), first);
      w->Command(cmd::ClearList);
      QCOMPARE(w->state().rows.ListMax(), 2u);
    }
    QHeaderView* header = w->fileListView()->horizontalHeader();
    header->sectionClicked(0);
    QCOMPARE(w->state().rows.name(0), std::string("a"));
    // The header shows the order the rows stand in.
    QVERIFY(header->isSortIndicatorShown());
    QCOMPARE(header->sortIndicatorSection(), 0);
    QCOMPARE(header->sortIndicatorOrder(), Qt::AscendingOrder);
    header->sectionClicked(0);
    QCOMPARE(w->state().rows.name(0), std::string("b"));
    QCOMPARE(header->sortIndicatorOrder(), Qt::DescendingOrder);
    w->Command(cmd::ClearList);
    QVERIFY(!header->isSortIndicatorShown());
  }

  void gridMenuStoresPartXAndGreysTheChosenItem() {
    QTemporaryDir programDir;
    BoxAnswerer boxes;
    auto w = StartPictray(programDir);
    w->Command(cmd::Grid8);
    QCOMPARE(boxes.texts.last(), QString("8X8に設定"));
    QCOMPARE(w->Pimg, 37);
    QCOMPARE(pictray::GetProfileString(pictray::fs::DefaultEnv(), "Section0", "PartX", "", 0, Ini(programDir).toStdString()),
             std::string("8"));
    w->Command(cmd::Grid4);
    QCOMPARE(w->Pimg, 75);
  }

  // An analysis refused during a run leaves its button up and the choice
  // of the other buttons as it was.
  void refusedAnalysisButtonsComeBackUp() {
    QTemporaryDir programDir, folder;
    Fill(folder, {"a.jpg"});
    BoxAnswerer boxes;
    auto w = StartPictray(programDir);
    ListUp(*w, boxes, folder.path());
    Button(*w, Control::BT11)->setChecked(true);
    pictray::RunRegistry::Guard busy(w->state().runs);
    for (Control c : {Control::BT07, Control::BT08, Control::BT12, Control::BT13, Control::BT14, Control::BT15,
                      Control::BT16, Control::BT17}) {
      boxes.texts.clear();
      Button(*w, c)->click();
      QCOMPARE(boxes.texts, QStringList{"処理中は実行できません。中断するか終了を待って下さい"});
      QVERIFY(!Button(*w, c)->isChecked());
      QVERIFY(Button(*w, Control::BT11)->isChecked());
    }
  }

  // An id outside the command table is reported, never dropped silently.
  void anUnknownCommandSaysSo() {
    QTemporaryDir programDir;
    BoxAnswerer boxes;
    auto w = StartPictray(programDir);
    w->Command(9999);
    QCOMPARE(boxes.texts, QStringList{"不明なコマンドです: 9999"});
  }

  // A run's message waits until the open box has been answered, instead of
  // opening on top of it.
  void boxesOpenOneAtATime() {
    QTemporaryDir programDir;
    BoxAnswerer boxes;
    boxes.answerAfterMs = 300;
    auto w = StartPictray(programDir);
    pictray::ui::WindowCalls calls(*w);
    pictray::app::QtRunHost host(*w, calls);
    std::thread run;
    QTimer::singleShot(50, [&] {
      run = std::thread([&] {
        host.MessageBox1Q(pictray::Message{pictray::Said::ListupEnd}, pictray::Button::Yes, pictray::Button::Yes);
      });
    });
    w->Command(cmd::Grid8);
    QVERIFY(QTest::qWaitFor([&] { return boxes.texts.size() == 2; }, 5000));
    run.join();
    QCOMPARE(boxes.texts, (QStringList{"8X8に設定", "Listup終了"}));
    QCOMPARE(boxes.mostOpen, 1);
  }

  void abortSetsEveryFlagAndNextRunClearsItsOwn() {
    QTemporaryDir programDir, folder;
    Fill(folder, {"a"});
    BoxAnswerer boxes;
    auto w = StartPictray(programDir);
    w->Command(cmd::Abort);
    QCOMPARE(w->state().blocks.val21.abort.load(), 1);
    QCOMPARE(w->state().blocks.val3.abort.load(), 1);
    w->findChild<QLineEdit*>("ED01")->setText(folder.path());
    qobject_cast<QAbstractButton*>(w->control(Control::BT02))->click();
    WaitForListup(*w, boxes);
    QCOMPARE(w->fileListModel()->rowCount(), 1);
    QCOMPARE(w->state().blocks.val21.abort.load(), 1);
  }
};

QTEST_MAIN(MainWindowTest)
#include "pictray_main_window_test.moc"
