#include <QCheckBox>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QListView>
#include <QProgressBar>
#include <QTabWidget>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>
#include <QtTest>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <set>

#include "app/twinscan/file_table_model.h"
#include "app/twinscan/folder_list.h"
#include "app/twinscan/qt_twinscan_host.h"
#include "app/twinscan/review_models.h"
#include "app/twinscan/review_pane.h"
#include "app/twinscan/thumbnail_drawer.h"
#include "app/twinscan/twinscan_window.h"
#include "engine/dupes/decisions.h"
#include "engine/dupes/twinscan_profile.h"
#include "engine/fs/folder_lock.h"
#include "engine/runs/twinscan_run.h"
#include "tests/support/japanese_texts.h"
#include "engine/settings/profile.h"
#include "engine/settings/settings_keys.h"
#include "tests/app/box_answerer.h"
#include "tests/support/temp_dir.h"

using pictray::testing::TempDir;
using pictray::twinscan::TwinscanWindow;
namespace fs = std::filesystem;
namespace cmd = pictray::twinscan::cmd;

class TwinscanTest : public QObject {
  Q_OBJECT

  // A program folder holding Twinscan.ini (with `ini` lines) and erasekit,
  // and a source folder with one pair of copies and one single file.
  struct Setup {
    TempDir bin, src;
    std::string program;
    Setup(const std::string& ini, bool thumbnails = false) {
      program = bin.path() + "/Twinscan";
      std::ofstream(bin.path() + "/Twinscan.ini") << "[Section0]\n" << ini;
      fs::create_symlink(std::string(PICTRAY_BIN_DIR) + "/erasekit", bin.path() + "/erasekit");
      if (thumbnails) fs::create_symlink(std::string(PICTRAY_BIN_DIR) + "/libthumbkit.so", bin.path() + "/libthumbkit.so");
      src.Write("a.jpg", std::string(500, 'a'));
      src.Write("b.jpg", std::string(500, 'a'));
      src.Write("c.jpg", std::string(500, 'c'));
    }
    std::vector<std::string> SameFolders() const {
      std::vector<std::string> found;
      for (const auto& e : fs::directory_iterator(src.path()))
        if (e.is_directory()) found.push_back(e.path().filename().string());
      return found;
    }
  };

  // `files` small files in the source folder, one in ten a copy of the one
  // before it.
  static void FillLargeFolder(const TempDir& src, int files) {
    for (int i = 0; i < files; ++i) {
      const int content = i % 10 == 9 ? i - 1 : i;
      src.Write("f" + std::to_string(i) + ".dat", "file " + std::to_string(content));
    }
  }

  static int Copies(const TwinscanWindow& w) {
    int n = 0;
    for (const auto& r : w.model()->lpData()) n += r.sameno == "1";
    return n;
  }

  // The files left at the top of the source folder.
  static std::set<std::string> FilesLeft(const TempDir& src) {
    std::set<std::string> left;
    for (const auto& e : fs::directory_iterator(src.path()))
      if (e.is_regular_file()) left.insert(e.path().filename().string());
    return left;
  }

  // Group and member index of the file named `name` in the window's review.
  static std::pair<int, int> PlaceInReview(const TwinscanWindow& w, const std::string& name) {
    for (std::size_t g = 0; g < w.review.groups.size(); ++g)
      for (std::size_t m = 0; m < w.review.groups[g].members.size(); ++m)
        if (w.model()->lpData()[w.review.groups[g].members[m].row].filename == name) return {int(g), int(m)};
    return {-1, -1};
  }

  // Selects group `group` of the review, wherever the group list shows it.
  static void SelectGroup(TwinscanWindow& w, int group) {
    QTableView* list = w.reviewPane()->groupList();
    const int row = static_cast<const pictray::twinscan::GroupListModel*>(list->model())->RowOf(std::size_t(group));
    list->setCurrentIndex(list->model()->index(row, 0));
  }

  // Selects `name` in the review and presses `key` on the member view (or
  // on the group list).
  static void PressOn(TwinscanWindow& w, const std::string& name, Qt::Key key, bool onGroup = false) {
    const auto [g, m] = PlaceInReview(w, name);
    QVERIFY2(g >= 0, name.c_str());
    pictray::twinscan::ReviewPane* pane = w.reviewPane();
    SelectGroup(w, g);
    pane->memberView()->setCurrentIndex(pane->memberView()->model()->index(m, 0));
    QTest::keyClick(onGroup ? static_cast<QWidget*>(pane->groupList()) : pane->memberView(), key);
  }

  // Where `picture` is drawn in `image`, its top left within `area`; (-1, -1) when nowhere.
  static QPoint FindPicture(const QImage& image, const QRect& area, const QImage& picture) {
    const QImage want = picture.convertToFormat(QImage::Format_RGB32);
    for (int y = area.top(); y + want.height() <= area.bottom() + 1; ++y)
      for (int x = area.left(); x + want.width() <= area.right() + 1; ++x)
        if (image.pixel(x, y) == want.pixel(0, 0) && image.copy(x, y, want.width(), want.height()) == want)
          return {x, y};
    return {-1, -1};
  }

  // Twinscan.ini's value of `key`.
  static std::string Stored(const Setup& s, const char* key) {
    return pictray::GetProfileString(pictray::fs::DefaultEnv(), "Section0", key, "", 0, s.bin.path() + "/Twinscan.ini");
  }

  // While it lives, the folder browser that opens picks `folder`.
  struct ChooseInFolderBrowser {
    QTimer timer;
    ChooseInFolderBrowser(QWidget& w, const std::string& folder) {
      QObject::connect(&timer, &QTimer::timeout, &w, [folder] {
        if (auto* d = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
          d->selectFile(QString::fromStdString(folder));
          static_cast<QDialog*>(d)->accept();
        }
      });
      timer.start(5);
    }
  };

  static QColor MeanColour(const QImage& image) {
    return image.scaled(1, 1, Qt::IgnoreAspectRatio, Qt::SmoothTransformation).pixelColor(0, 0);
  }

  std::unique_ptr<TempDir> state_;

 private slots:
  void initTestCase() {
    // The trash of the deletion tests stays inside a temporary folder.
    static TempDir home;
    qputenv("HOME", QByteArray::fromStdString(home.path()));
    qputenv("XDG_DATA_HOME", QByteArray::fromStdString(home.path() + "/data"));
  }

  // Each test keeps its journals and the review's decisions to itself.
  void init() {
    state_ = std::make_unique<TempDir>();
    qputenv("XDG_STATE_HOME", QByteArray::fromStdString(state_->path()));
  }

  void startWithAFolderGroupsAndNothingMoves() {
    Setup s("MoveSoon=0\n");
    TwinscanWindow w(s.program, "\"" + s.src.path() + "\"");
    w.show();
    QTRY_COMPARE(w.countLabel()->text(), QString("3"));
    QTRY_COMPARE(Copies(w), 1);
    QCOMPARE(w.model()->rowCount(), 3);
    QVERIFY(s.SameFolders().empty());
    QVERIFY(w.samedir.empty());
    QCOMPARE(w.resultList()->rowCount(), 0);
  }

  // The listing is to be seen advancing, so the run waits until the window
  // is shown.
  void theRunStartsOnlyAfterTheWindowAppears() {
    Setup s("");
    TwinscanWindow w(s.program, s.src.path());
    QTest::qWait(400);
    QCOMPARE(w.countLabel()->text(), QString("999->99"));
    w.show();
    QTRY_COMPARE(w.countLabel()->text(), QString("3"));
    w.hide();
    w.show();  // a second showing does not list again
    QTest::qWait(300);
    QCOMPARE(w.model()->rowCount(), 3);
    QCOMPARE(Copies(w), 1);
  }

  // Headers sit over their columns' text: the name columns on the left,
  // the others on the right.
  void columnHeadersAndTheirAlignment() {
    Setup s("");
    TwinscanWindow w(s.program, "");
    const char* const names[] = {"file", "folda", "filename", "path", "size", "組内番号", "残すファイル", "比較キー"};
    for (int c = 0; c < 8; ++c) {
      QCOMPARE(w.model()->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString(), QString::fromUtf8(names[c]));
      const auto align = w.model()->headerData(c, Qt::Horizontal, Qt::TextAlignmentRole).value<Qt::Alignment>();
      QCOMPARE(bool(align & Qt::AlignRight), c >= 3);
    }
    const QStringList names2 = {QString::fromUtf8("フォルダ名"), QString::fromUtf8("件数"),
                                QString::fromUtf8("1件目ファイル"), "path", "mode"};
    for (int c = 0; c < 5; ++c) {
      QTableWidgetItem* h = w.resultList()->horizontalHeaderItem(c);
      QCOMPARE(h->text(), names2[c]);
      QCOMPARE(bool(Qt::Alignment(h->textAlignment()) & Qt::AlignRight), c > 0);
    }
    // A first start's stored 400 x 400 opens at a size that shows a useful list.
    QVERIFY2(w.width() >= 760 && w.height() >= 560, qPrintable(QString("%1x%2").arg(w.width()).arg(w.height())));
  }

  // The result list ends above the count's line at any window size.
  void theResultListStaysClearOfTheCount_data() {
    QTest::addColumn<QSize>("size");
    QTest::newRow("default 400x400") << QSize(400, 400);
    QTest::newRow("640x480") << QSize(640, 480);
    QTest::newRow("1200x900") << QSize(1200, 900);
  }
  void theResultListStaysClearOfTheCount() {
    QFETCH(QSize, size);
    Setup s("");
    TwinscanWindow w(s.program, "");
    w.resize(size);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QTRY_VERIFY(w.resultList()->mapTo(w.centralWidget(), QPoint(0, w.resultList()->height())).y() <
                w.countLabel()->geometry().top());
  }

  void startWithMoveSoonExtractsAtOnce() {
    Setup s("MoveSoon=1\n");
    TwinscanWindow w(s.program, s.src.path());
    w.show();
    QTRY_VERIFY(!w.samedir.empty());
    QVERIFY(w.button(cmd::Extract)->isChecked());
    const std::vector<std::string> made = s.SameFolders();
    QCOMPARE(made.size(), std::size_t(1));
    QCOMPARE(w.samedir, s.src.path() + "/" + made[0] + "/");
    QCOMPARE(w.resultList()->rowCount(), 1);
    QCOMPARE(w.resultList()->item(0, 1)->text(), QString("1"));
    const QString folda = w.resultList()->item(0, 0)->text();
    QVERIFY(folda == "a_same" || folda == "b_same");
    const std::string moved = w.resultList()->item(0, 2)->text().toStdString();
    QVERIFY(fs::exists(w.samedir + folda.toStdString() + "/" + moved));
    QVERIFY(!fs::exists(s.src.path() + "/" + moved));
    QVERIFY(fs::exists(s.src.path() + "/c.jpg"));
  }

  // The extraction is taken back while its folder is there; the folder is
  // listed again and the button goes off with the folder.
  void undoTakesTheExtractionBackWhileItsFolderIsThere() {
    Setup s("MoveSoon=1\n");
    BoxAnswerer boxes;
    TwinscanWindow w(s.program, s.src.path());
    QVERIFY(!w.undoAction()->isEnabled());
    w.show();
    QTRY_VERIFY(!w.samedir.empty());
    QTRY_VERIFY(!w.running());
    QVERIFY(w.undoAction()->isEnabled());
    QCOMPARE(w.undoAction()->text(), QString::fromUtf8("抽出を元に戻す"));
    w.undoAction()->trigger();
    QTRY_VERIFY(!w.running());
    QCOMPARE(boxes.texts.size(), 2);
    QVERIFY(boxes.texts[0].endsWith(QString::fromUtf8("の抽出（1件）を元に戻しますか？")));
    QCOMPARE(boxes.texts[1], QString::fromUtf8("元に戻しました: 1件"));
    QVERIFY(s.SameFolders().empty());
    QVERIFY(w.samedir.empty());
    QVERIFY(!w.undoAction()->isEnabled());
    QCOMPARE(w.model()->rowCount(), 3);
    // Grouped again as at a start: the next extraction finds the copy.
    QCOMPARE(Copies(w), 1);
  }

  // The keys say themselves in the tooltips and do their command, Escape
  // only while a run works to stop, Ctrl+Z only while there is something to
  // take back.
  void keysDoTheirCommandsOnlyWhileAllowed() {
    Setup s("MoveSoon=1\n");
    BoxAnswerer boxes;
    TwinscanWindow w(s.program, s.src.path());
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QTRY_VERIFY(!w.samedir.empty());
    QTRY_VERIFY(!w.running());
    QVERIFY(w.undoAction()->toolTip().contains("Ctrl+Z"));
    QVERIFY(w.button(cmd::Stop)->toolTip().contains("Esc"));
    QVERIFY(w.button(cmd::Quit)->toolTip().contains("Ctrl+Q"));
    QVERIFY(!w.button(cmd::Stop)->isEnabled());
    QTest::keyClick(&w, Qt::Key_Escape);
    QTest::keyClick(&w, Qt::Key_Z, Qt::ControlModifier);
    QTRY_COMPARE(boxes.texts.size(), 2);  // the undo asked, and told what it did
    QTRY_VERIFY(!w.running());
    QTRY_VERIFY(!w.undoAction()->isEnabled());
    QTest::keyClick(&w, Qt::Key_Z, Qt::ControlModifier);
    QTest::qWait(50);
    QCOMPARE(boxes.texts.size(), 2);  // nothing left to take back: the key does nothing
  }

  void moveSoonAndDeleteSoonTrashTheCopiesAndOfferToEnd() {
    Setup s("MoveSoon=1\nDeleteSoon=1\n");
    BoxAnswerer boxes;
    boxes.Queue({7});
    TwinscanWindow w(s.program, s.src.path());
    w.show();
    QTRY_COMPARE(boxes.texts.size(), 1);
    QCOMPARE(boxes.texts[0], QString::fromUtf8("(3->2)抽出ファイルの削除を実行しました"));
    QCOMPARE(boxes.captions[0], QString::fromUtf8("yes/プログラム終了"));
    QTRY_VERIFY(!w.isVisible());  // the second button ends the program
    QVERIFY(s.SameFolders().empty());
    QVERIFY(w.samedir.empty());
    QCOMPARE(w.model()->rowCount(), 2);
  }

  void buttonsExtractThenDeleteAfterAskingAndTellWhatWasLeft() {
    Setup s("");
    const std::string m(1000, 'm');
    s.src.Write("m1.jpg", m);
    s.src.Write("m2.jpg", m);
    BoxAnswerer boxes;
    boxes.Queue({6, 6, 6});
    TwinscanWindow w(s.program, s.src.path());
    w.show();
    QTRY_COMPARE(w.countLabel()->text(), QString("5"));
    QTRY_VERIFY(!w.running());
    QCOMPARE(Copies(w), 2);
    // One copy changes after grouping: it is left where it is.
    for (const auto& r : w.model()->lpData())
      if (r.filename.starts_with("m") && r.sameno == "1") s.src.Write(r.filename, std::string(1000, 'x'));
    w.button(cmd::Extract)->click();
    QTRY_VERIFY(!w.running());
    QCOMPARE(boxes.texts.size(), 1);
    const std::vector<std::string> made = s.SameFolders();
    QCOMPARE(made.size(), std::size_t(1));
    QCOMPARE(boxes.texts[0], QString::fromStdString("[" + made[0] + "/] ") +
                                 QString::fromUtf8("フォルダを作成して抽出: 1件、500 バイト（内容が一致しない・変更された1件は残しました）"));
    QVERIFY(!w.button(cmd::Extract)->isChecked());
    QVERIFY(w.button(cmd::Delete)->isEnabled());
    QVERIFY(fs::exists(s.src.path() + "/m1.jpg") && fs::exists(s.src.path() + "/m2.jpg"));

    w.button(cmd::Delete)->click();
    QTRY_VERIFY(!w.running());
    QCOMPARE(boxes.texts.value(1), QString::fromUtf8("抽出フォルダの削除を実行しますか？"));
    QCOMPARE(boxes.captions.value(1), QString::fromUtf8("削除する/しない"));
    QCOMPARE(boxes.texts.value(2), QString::fromUtf8("(5->4)抽出ファイルの削除を実行しました"));
    QVERIFY(!w.button(cmd::Delete)->isChecked());
    QVERIFY(w.isVisible());  // the first button keeps the program open
    QVERIFY(s.SameFolders().empty());
    QCOMPARE(w.countLabel()->text(), QString("5->4"));
  }

  void extractionWithoutCopiesSaysSoAndKeepsButtonsOff() {
    Setup s("");
    fs::remove(s.src.path() + "/b.jpg");
    BoxAnswerer boxes;
    TwinscanWindow w(s.program, s.src.path());
    w.show();
    QTRY_COMPARE(w.countLabel()->text(), QString("2"));
    QTRY_VERIFY(!w.running());
    w.button(cmd::Extract)->click();
    QTRY_VERIFY(!w.running());
    QCOMPARE(boxes.texts.value(0), QString::fromUtf8("抽出ファイル無し"));
    QVERIFY(!w.button(cmd::Extract)->isChecked());
    QVERIFY(!w.button(cmd::OpenSame)->isEnabled());
    QVERIFY(!w.button(cmd::Delete)->isEnabled());
    QVERIFY(s.SameFolders().empty());
    w.Command(cmd::Clear);
    QVERIFY(w.button(cmd::Delete)->isEnabled());
  }

  void emptyStartKeepsTheExtractPreferenceAndSavesIt() {
    Setup s("");
    TwinscanWindow w(s.program, "");
    w.show();
    QCOMPARE(w.countLabel()->text(), QString("999->99"));
    w.button(cmd::Extract)->click();
    QVERIFY(w.button(cmd::Extract)->isChecked());
    w.close();
    const std::string ini = s.bin.path() + "/Twinscan.ini";
    QCOMPARE(pictray::GetProfileString(pictray::fs::DefaultEnv(), "Section0", "MoveSoon", "", 0, ini), std::string("1"));
    QCOMPARE(pictray::GetProfileString(pictray::fs::DefaultEnv(), "Section0", "DeleteSoon", "", 0, ini), std::string("0"));
    QCOMPARE(pictray::GetProfileString(pictray::fs::DefaultEnv(), "Section0", "Pw", "", 0, ini), std::to_string(w.width()));
  }

  // Given relative to where the program starts, or named in bytes that are
  // not UTF-8: the folder is extracted and its extraction trashed.
  void oddlyGivenFoldersAreExtractedAndTrashed_data() {
    QTest::addColumn<bool>("relative");
    QTest::addColumn<QByteArray>("name");
    QTest::newRow("relative") << true << QByteArray("photos");
    QTest::newRow("not UTF-8") << false << QByteArray("ph\xF6tos");
  }
  void oddlyGivenFoldersAreExtractedAndTrashed() {
    QFETCH(bool, relative);
    QFETCH(QByteArray, name);
    Setup s("MoveSoon=1\nDeleteSoon=1\n");
    const std::string folder = s.src.path() + "/" + name.toStdString();
    fs::create_directory(folder);
    for (const char* f : {"a.jpg", "b.jpg", "c.jpg"}) fs::rename(s.src.path() + "/" + f, folder + "/" + f);
    const fs::path started = fs::current_path();
    fs::current_path(s.src.path());
    BoxAnswerer boxes;
    TwinscanWindow w(s.program, relative ? name.toStdString() : folder);
    w.show();
    QTRY_COMPARE(boxes.texts.size(), 1);
    fs::current_path(started);
    QCOMPARE(boxes.texts[0], QString::fromUtf8("(3->2)抽出ファイルの削除を実行しました"));
    QCOMPARE(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 2);
  }

  void aFolderBusyWithAnotherRunIsRefusedAndNothingMoves() {
    Setup s("");
    BoxAnswerer boxes;
    TwinscanWindow w(s.program, s.src.path());
    w.show();
    QTRY_COMPARE(Copies(w), 1);
    QTRY_VERIFY(!w.running());
    pictray::FolderLock other;
    QCOMPARE(other.TryLock(pictray::fs::DefaultEnv(), s.src.path()), 0);
    w.button(cmd::Extract)->click();
    QTRY_VERIFY(!w.running());
    QCOMPARE(boxes.texts.value(0), QString::fromUtf8(pictray::kFolderBusy));
    QCOMPARE(boxes.captions.value(0), QString("err/err"));
    QVERIFY(s.SameFolders().empty());
    QVERIFY(w.button(cmd::Delete)->isEnabled());
  }

  void deletionIsRefusedWhileTheFolderHoldsMoreThanTheCopies() {
    Setup s("MoveSoon=1\n");
    BoxAnswerer boxes;
    TwinscanWindow w(s.program, s.src.path());
    w.show();
    QTRY_VERIFY(!w.samedir.empty());
    std::ofstream(w.samedir + "notes.txt") << "mine";
    w.button(cmd::Delete)->click();
    QTRY_VERIFY(!w.running());
    QCOMPARE(boxes.texts.value(1), QString::fromUtf8("抽出フォルダを削除しません／抽出したファイル以外のものがあります"
                                                     "（1件）: notes.txt"));
    QVERIFY(fs::exists(w.samedir + "notes.txt"));
  }

  // The stop control, on only while the run works, ends it between two
  // files: the listing it stopped shows nothing and nothing moves.
  // The stop control ends a run before its next file: pressed while the
  // undo waits for its question, so that no file can go first.
  void theStopControlEndsARunBetweenFiles() {
    Setup s("MoveSoon=1\n");
    FillLargeFolder(s.src, 100);
    BoxAnswerer boxes;
    TwinscanWindow w(s.program, s.src.path());
    QPushButton* stop = w.button(cmd::Stop);
    QVERIFY(!stop->isEnabled());
    w.show();
    QTRY_VERIFY(!w.samedir.empty() && !w.running());
    boxes.texts.clear();
    boxes.leaveOpen = [&](const QString& text) {
      if (!text.endsWith(QString::fromUtf8("の抽出（11件）を元に戻しますか？"))) return false;
      w.Command(cmd::Stop);
      QTimer::singleShot(0, QApplication::activeModalWidget()->findChild<QPushButton*>("BT01"), &QPushButton::click);
      return true;
    };
    w.Command(cmd::UndoExtract);
    QTRY_VERIFY(!w.running());
    QCOMPARE(boxes.texts.last(), QString::fromUtf8(pictray::kTwinscanAborted));
    QCOMPARE(boxes.texts.count(QString::fromUtf8(pictray::kTwinscanAborted)), 1);
    QVERIFY(!stop->isEnabled());
    QVERIFY(w.button(cmd::Extract)->isEnabled());
    QCOMPARE(std::distance(fs::directory_iterator(w.samedir), fs::directory_iterator()), 11);
  }

  // Closing at any moment of a run stops it; the window closes once the
  // run's end has come, asks nothing more, and every file is still there.
  void closingDuringARunStopsItAndWaitsForIt() {
    enum class Moment { Listing, Grouping, Extracting, Asking };
    const struct {
      Moment moment;
      const char* ini;
      const char* MoveSoon;
    } cases[] = {{Moment::Listing, "MoveSoon=1\n", "1"},
                 {Moment::Grouping, "MoveSoon=1\n", "1"},
                 {Moment::Extracting, "MoveSoon=1\n", "1"},
                 {Moment::Asking, "MoveSoon=0\nDeleteSoon=1\n", "0"}};
    for (const auto& c : cases) {
      Setup s(c.ini);
      FillLargeFolder(s.src, 300);
      BoxAnswerer boxes;
      TwinscanWindow w(s.program, s.src.path());
      bool closed = false;
      auto closeOnce = [&] {
        if (closed) return;
        closed = true;
        QTimer::singleShot(0, &w, [&] { w.close(); });  // as the close box's event
      };
      auto closeFrom = [&](QProgressBar* bar) {
        connect(bar, &QProgressBar::valueChanged, &w, [=](int value) {
          if (value >= 10) closeOnce();
        });
      };
      if (c.moment == Moment::Listing) closeFrom(w.findChild<QProgressBar*>("2008"));
      if (c.moment == Moment::Extracting) closeFrom(w.findChild<QProgressBar*>("2009"));
      if (c.moment == Moment::Grouping) connect(w.model(), &QAbstractItemModel::modelReset, &w, closeOnce);
      const QString asked = QString::fromUtf8("抽出ファイルはありません");
      boxes.leaveOpen = [&](const QString& text) {
        if (text != asked) return false;
        closeOnce();
        return true;
      };
      w.show();
      QTRY_VERIFY_WITH_TIMEOUT(!w.isVisible(), 30000);
      QVERIFY(!w.running());
      QCOMPARE(boxes.texts, c.moment == Moment::Asking ? QStringList{asked} : QStringList{});
      QCOMPARE(pictray::GetProfileString(pictray::fs::DefaultEnv(), "Section0", "MoveSoon", "", 0, s.bin.path() + "/Twinscan.ini"),
               std::string(c.MoveSoon));
      int files = 0;
      for (const auto& e : fs::recursive_directory_iterator(s.src.path())) files += e.is_regular_file();
      QCOMPARE(files, 303);
    }
  }

  // While the run works the window goes on serving its events.
  void theWindowServesEventsWhileTheRunWorks() {
    Setup s("");
    FillLargeFolder(s.src, 3000);
    TwinscanWindow w(s.program, s.src.path());
    int ticksWhileRunning = 0;
    QTimer ticker;
    connect(&ticker, &QTimer::timeout, &w, [&] { ticksWhileRunning += w.running(); });
    ticker.start(5);
    w.show();
    QTRY_VERIFY(w.running());
    QTRY_VERIFY(!w.running());
    // The run lasts at least its two pauses between steps (100 ms each): a
    // window the run held would see no tick in them, a loaded machine a few.
    QVERIFY2(ticksWhileRunning >= 3, qPrintable(QString::number(ticksWhileRunning)));
    QCOMPARE(w.countLabel()->text(), QString::fromUtf8("3003    同じファイル 301 組、余分 301 件"));
    QCOMPARE(Copies(w), 301);
  }

  // On, a toggle acts at the next start without a question: it has to look
  // on, and say so.
  void togglesStandOutWhenOnAndSayWhatTheyDo() {
    Setup s("");
    TwinscanWindow w(s.program, "");
    w.show();
    for (int id : {cmd::Extract, cmd::Delete}) {
      QPushButton* b = w.button(id);
      b->setChecked(false);
      const QColor off = MeanColour(b->grab().toImage());
      b->setChecked(true);
      const QColor on = MeanColour(b->grab().toImage());
      const int distance = std::abs(on.red() - off.red()) + std::abs(on.green() - off.green()) +
                           std::abs(on.blue() - off.blue());
      QVERIFY2(distance > 150, qPrintable(QString::number(distance)));
      QVERIFY(b->toolTip().contains(QString::fromUtf8("確認なし")));
    }
  }

  // What the review leaves chosen is what the extraction moves: the kept
  // file stays, a file or group left out stays, every other copy goes.
  void reviewChoicesReachTheExtraction() {
    struct Press {
      const char* file;
      Qt::Key key;
      bool onGroup;
    };
    const struct {
      const char* name;
      std::vector<Press> presses;
      std::set<std::string> pStay;  // of p.jpg, p2.jpg, p3.jpg
    } cases[] = {
        {"as found", {}, {"p.jpg"}},
        {"another kept (Space)", {{"p3.jpg", Qt::Key_Space, false}}, {"p3.jpg"}},
        {"one left out (Delete)", {{"p2.jpg", Qt::Key_Delete, false}}, {"p.jpg", "p2.jpg"}},
        {"group left out", {{"p2.jpg", Qt::Key_Delete, true}}, {"p.jpg", "p2.jpg", "p3.jpg"}},
        {"kept (Enter), then the former left out",
         {{"p3.jpg", Qt::Key_Return, false}, {"p.jpg", Qt::Key_Delete, false}},
         {"p.jpg", "p3.jpg"}},
        {"the kept one cannot be left out", {{"p.jpg", Qt::Key_Delete, false}}, {"p.jpg"}},
    };
    for (const auto& c : cases) {
      init();  // what one case decides is not the next one's
      Setup s("");
      for (const char* f : {"p.jpg", "p2.jpg", "p3.jpg"}) s.src.Write(f, std::string(700, 'p'));
      BoxAnswerer boxes;
      TwinscanWindow w(s.program, s.src.path());
      w.show();
      QTRY_VERIFY(w.review.groups.size() == 2 && !w.running());
      QCOMPARE(w.reviewPane()->summary()->text(), QString::fromUtf8("2 組、余分 3 件（1.9 KB）"));
      const auto [pg, pm] = PlaceInReview(w, "p.jpg");
      QCOMPARE(std::size_t(pm), w.review.groups[std::size_t(pg)].kept);
      for (const Press& p : c.presses) PressOn(w, p.file, p.key, p.onGroup);
      w.reviewPane()->button(cmd::ExtractChosen)->click();
      QTRY_VERIFY(!w.running());
      std::set<std::string> stay = c.pStay;
      stay.insert("c.jpg");
      // The pair a.jpg, b.jpg as found: one of the two stays.
      const std::set<std::string> left = FilesLeft(s.src);
      stay.insert(left.contains("a.jpg") ? "a.jpg" : "b.jpg");
      QVERIFY2(left == stay, c.name);
      QVERIFY2(!w.button(cmd::Extract)->isChecked(), c.name);  // BT01 keeps its own meaning
      QVERIFY2(w.review.groups.empty(), c.name);  // the groups that were extracted are gone
    }
  }

  // The group list and the files are reached by Tab, arrows move, and every
  // control of the review has a name.
  void theReviewIsReachedByKeyboardAndNamed() {
    Setup s("");
    TwinscanWindow w(s.program, s.src.path());
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QTRY_VERIFY(!w.review.groups.empty() && !w.running());
    pictray::twinscan::ReviewPane* pane = w.reviewPane();
    QVERIFY(pane->isVisible());  // shown by itself after a search without extraction
    pane->groupList()->setFocus();
    QTest::keyClick(pane->groupList(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(pane->memberView()));
    QCOMPARE(pane->currentMember(), 0);
    // The kept file leaves its group only once another is kept.
    QVERIFY(!pane->button(cmd::LeaveOut)->isEnabled());
    QTest::keyClick(pane->memberView(), Qt::Key_Right);
    QCOMPARE(pane->currentMember(), 1);
    QVERIFY(pane->button(cmd::LeaveOut)->isEnabled());
    for (QWidget* c : std::initializer_list<QWidget*>{pane->groupList(), pane->memberView(), w.similarBox(),
                                                       pane->button(cmd::MakeKept), pane->button(cmd::LeaveOut),
                                                       pane->button(cmd::LeaveOutGroup), pane->button(cmd::ExtractChosen)})
      QVERIFY(!c->accessibleName().isEmpty());
    const QAbstractItemModel* groups = pane->groupList()->model();
    for (int c = 0; c < groups->columnCount(); ++c)
      QVERIFY(!groups->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString().isEmpty());
  }

  // Every choice in the review is taken back by Ctrl+Z, last first, and the
  // keys stay where the user works: a click on a button leaves them on the
  // files, so that a Space after "make kept" never leaves the whole group.
  void reviewChoicesAreTakenBackAndTheKeysStayOnTheFiles() {
    Setup s("");
    for (const char* f : {"p.jpg", "p2.jpg", "p3.jpg"}) s.src.Write(f, std::string(700, 'p'));
    BoxAnswerer boxes;
    TwinscanWindow w(s.program, s.src.path());
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QTRY_VERIFY(w.review.groups.size() == 2 && !w.running());
    const std::vector<pictray::dupes::TwinGroup> found = w.review.groups;
    // An extraction to take back, as after an automatic one that left copies of the same pictures.
    TempDir extracted;
    w.samedir = extracted.path();
    w.undoAction()->setEnabled(true);
    pictray::twinscan::ReviewPane* pane = w.reviewPane();
    QWidget* cards = pane->memberView();
    QWidget* list = pane->groupList();
    const struct {
      const char* what;
      const char* file;  // selected first; nullptr: as the last step left it
      QWidget* on;       // where the key goes; the click is on "残すファイルにする"
      QKeySequence key;  // none: the click
      const char* kept;  // of p.jpg's group; nullptr: the group is out
      std::size_t files;
      QWidget* focus;  // after the step
    } steps[] = {
        {"make kept by a click", "p3.jpg", cards, {}, "p3.jpg", 3, cards},
        {"Space on the file now kept", nullptr, cards, QKeySequence(Qt::Key_Space), "p3.jpg", 3, cards},
        {"not the same", "p2.jpg", cards, QKeySequence(Qt::Key_Delete), "p3.jpg", 2, cards},
        {"group left out", "p3.jpg", list, QKeySequence(Qt::Key_Delete), nullptr, 0, list},
        {"undo on the list: the group is back", nullptr, list, QKeySequence::Undo, "p3.jpg", 2, list},
        {"undo on the files: p2 is back", nullptr, cards, QKeySequence::Undo, "p3.jpg", 3, cards},
        {"undo: p is kept again", nullptr, cards, QKeySequence::Undo, "p.jpg", 3, cards},
        {"nothing left to take back", nullptr, cards, QKeySequence::Undo, "p.jpg", 3, cards},
    };
    for (const auto& step : steps) {
      if (step.file) {
        const auto [g, m] = PlaceInReview(w, step.file);
        SelectGroup(w, g);
        pane->memberView()->setCurrentIndex(pane->memberView()->model()->index(m, 0));
      }
      step.on->setFocus();
      if (step.key.isEmpty())
        QTest::mouseClick(pane->button(cmd::MakeKept), Qt::LeftButton);
      else
        QTest::keySequence(step.on, step.key);
      const auto [g, m] = PlaceInReview(w, "p3.jpg");
      QVERIFY2((g >= 0) == (step.kept != nullptr), step.what);
      if (step.kept) {
        const pictray::dupes::TwinGroup& group = w.review.groups[std::size_t(g)];
        QVERIFY2(w.model()->lpData()[group.members[group.kept].row].filename == step.kept, step.what);
        QVERIFY2(group.members.size() == step.files, step.what);
        QVERIFY2(pane->currentGroup() == g, step.what);  // the group taken back is shown
      }
      QVERIFY2(QApplication::focusWidget() == step.focus, step.what);
      // Ctrl+Z reaches the extraction's undo (which asks) only once no choice is left to take back.
      QTRY_VERIFY(!w.running());
      QVERIFY2(boxes.texts.size() == (&step == std::end(steps) - 1 ? 1 : 0), step.what);
    }
    QVERIFY(w.review.groups == found);
    QVERIFY(!pane->button(cmd::UndoChoice)->isEnabled());
  }

  // A selected thumbnail shows the picture's own pixels: the file's card is
  // framed and the group's row filled around it, never tinted.
  void aSelectedThumbnailKeepsThePicturesColours_data() {
    QTest::addColumn<bool>("cards");
    QTest::newRow("the files' cards") << true;
    QTest::newRow("the group list") << false;
  }
  void aSelectedThumbnailKeepsThePicturesColours() {
    QFETCH(bool, cards);
    Setup s("", true);
    for (const char* f : {"IMG_0003.jpg", "colour_mixed.jpg"}) {
      fs::copy_file(std::string(PICTRAY_DEMO_DIR) + "/" + f, s.src.path() + "/" + f);
      fs::copy_file(std::string(PICTRAY_DEMO_DIR) + "/" + f, s.src.path() + "/copy of " + f);
    }
    TwinscanWindow w(s.program, s.src.path());
    w.resize(1200, 800);
    w.show();
    QTRY_VERIFY(w.review.groups.size() == 3 && !w.running());
    QAbstractItemView* view = cards ? static_cast<QAbstractItemView*>(w.reviewPane()->memberView())
                                    : static_cast<QAbstractItemView*>(w.reviewPane()->groupList());
    const QModelIndex first = view->model()->index(0, cards ? 0 : 1), second = view->model()->index(1, 0);
    QTRY_VERIFY(view->model()->data(first, Qt::DecorationRole).value<QPixmap>().toImage().pixelColor(5, 5) !=
                QColor(0xee, 0xee, 0xee));  // drawn, no longer the square that waits for it
    const QImage picture = view->model()->data(first, Qt::DecorationRole).value<QPixmap>().toImage();
    auto shown = [&](const QModelIndex& selected) {
      view->setCurrentIndex(selected);
      QApplication::processEvents();
      return view->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    };
    const QImage plain = shown(second), chosen = shown(first);
    const QRect cell = view->visualRect(first);
    const QPoint at = FindPicture(plain, cell, picture);
    QVERIFY2(at.x() >= 0, "the thumbnail is drawn as it is when not selected");
    QVERIFY(FindPicture(chosen, QRect(at, picture.size()), picture) == at);
    QVERIFY(plain.copy(cell) != chosen.copy(cell));  // the selection shows
  }

  // The group list sorts on the values, not on their texts: the largest
  // surplus first, then by the column whose header is clicked, a click on
  // it again the other way round.
  void theGroupListSortsByValue() {
    const struct {
      const char* name;
      int files;
      const char* size;
    } made[] = {{"a9.jpg", 2, "56000"}, {"b.jpg", 2, "506700"}, {"a10.jpg", 3, "1000"}, {"C.jpg", 2, "600"}};
    std::vector<pictray::dupes::FileRec> rows;
    pictray::dupes::TwinReview review;
    for (const auto& m : made) {
      pictray::dupes::TwinGroup g;
      for (int f = 0; f < m.files; ++f) {
        g.members.push_back({rows.size(), {}});
        rows.push_back({});
        rows.back().filename = m.name;
        rows.back().size = m.size;
        rows.back().identity.size = std::stoll(m.size);
      }
      review.groups.push_back(g);
    }
    pictray::twinscan::ThumbnailDrawer none({}, 128, 40, 0, [] {});
    pictray::twinscan::ReviewPane pane(nullptr, {&review, &rows, &none}, [](int) {});
    pane.resize(900, 500);
    pane.show();
    pane.ShowNew();
    QTableView* list = pane.groupList();
    using Model = pictray::twinscan::GroupListModel;
    const struct {
      int clicked;  // -1: as shown
      QStringList kept;
    } cases[] = {
        {-1, {"b.jpg", "a9.jpg", "a10.jpg", "C.jpg"}},
        {Model::kFiles, {"a10.jpg", "b.jpg", "a9.jpg", "C.jpg"}},
        {Model::kFiles, {"b.jpg", "a9.jpg", "C.jpg", "a10.jpg"}},
        {Model::kKept, {"a9.jpg", "a10.jpg", "b.jpg", "C.jpg"}},
        {Model::kSurplus, {"b.jpg", "a9.jpg", "a10.jpg", "C.jpg"}},
        {Model::kSurplus, {"C.jpg", "a10.jpg", "a9.jpg", "b.jpg"}},
    };
    for (const auto& c : cases) {
      if (c.clicked >= 0) {
        QHeaderView* header = list->horizontalHeader();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(c.clicked) + header->sectionSize(c.clicked) / 2, 5));
      }
      QStringList shown;
      for (int r = 0; r < list->model()->rowCount(); ++r)
        shown << list->model()->data(list->model()->index(r, Model::kKept), Qt::DisplayRole).toString();
      QCOMPARE(shown, c.kept);
    }
    // The selected group stays selected through a sort.
    list->setCurrentIndex(list->model()->index(0, 0));
    const int selected = pane.currentGroup();
    list->sortByColumn(Model::kFiles, Qt::DescendingOrder);
    QCOMPARE(pane.currentGroup(), selected);
    QCOMPARE(list->currentIndex().row(), static_cast<const Model*>(list->model())->RowOf(std::size_t(selected)));
  }

  // The folders searched are a list: Ctrl+O adds a chosen folder and
  // searches nothing, Enter in the list or F5 searches them all, a drop
  // adds and searches at once. Only a start with a folder or a drop
  // extracts at once with "同ファイル抽出" held down.
  void theFolderListIsSearchedFromTheWindow_data() {
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("ini");
    QTest::addColumn<int>("rows");  // of both folders, after a start that extracted or not
    QTest::addColumn<bool>("extracted");
    QTest::newRow("Ctrl+O, then Enter in the list") << "Enter" << "" << 8 << false;
    QTest::newRow("Ctrl+O, then F5, 同ファイル抽出 held down") << "F5" << "MoveSoon=1\n" << 7 << false;
    QTest::newRow("a drop, 同ファイル抽出 held down") << "drop" << "MoveSoon=1\n" << 7 << true;
  }
  void theFolderListIsSearchedFromTheWindow() {
    QFETCH(QString, how);
    QFETCH(QString, ini);
    QFETCH(int, rows);
    QFETCH(bool, extracted);
    Setup s(ini.toStdString());
    TempDir other;
    for (const char* f : {"x.jpg", "x (1).jpg", "y.jpg", "y - Copy.jpg", "z.jpg"})
      other.Write(f, std::string(300, f[0]));
    BoxAnswerer boxes;
    TwinscanWindow w(s.program, s.src.path());
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QTRY_VERIFY(w.model()->rowCount() > 0 && !w.running());
    QCOMPARE(w.folderList()->Paths(), std::vector<std::string>{s.src.path()});
    const std::size_t groupsBefore = w.review.groups.size();
    if (how == "drop") {
      QMimeData dropped;
      dropped.setUrls({QUrl::fromLocalFile(QString::fromStdString(other.path()))});
      QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
      QApplication::sendEvent(&w, &enter);
      QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
      QApplication::sendEvent(&w, &drop);
    } else {
      ChooseInFolderBrowser chooser(w, other.path());
      QTest::keySequence(&w, QKeySequence("Ctrl+O"));
      QTRY_COMPARE(w.folderList()->count(), 2);
      QVERIFY(!w.running());  // added, not searched
      QCOMPARE(w.review.groups.size(), groupsBefore);
      w.activateWindow();  // back from the folder browser
      QVERIFY(QTest::qWaitForWindowActive(&w));
      if (how == "F5") {
        QTest::keySequence(&w, QKeySequence(Qt::Key_F5));
      } else {
        w.folderList()->setFocus();
        QTest::keyClick(w.folderList(), Qt::Key_Return);
      }
    }
    QTRY_COMPARE(w.model()->rowCount(), rows);
    QTRY_VERIFY(!w.running());
    QCOMPARE(w.folderList()->Paths(), (std::vector<std::string>{s.src.path(), other.path()}));
    QCOMPARE(Stored(s, "Folders"), s.src.path() + "\t" + other.path());
    QCOMPARE(w.TargetFolda, s.src.path());
    int sameFolders = 0;
    for (const auto& e : fs::directory_iterator(other.path())) sameFolders += e.is_directory();
    QCOMPARE(sameFolders, extracted ? 1 : 0);
    QCOMPARE(w.review.groups.size(), extracted ? std::size_t(0) : std::size_t(rows == 8 ? 3 : 2));
    QVERIFY(boxes.texts.isEmpty());
    // A toggle over what was searched offers it again, named as searched.
    boxes.Queue({7});
    w.subfoldersBox()->click();
    QTRY_COMPARE(boxes.texts.size(), 1);
    QCOMPARE(boxes.texts[0], QString::fromStdString("サブフォルダも探すようにしました。" + s.src.path() +
                                                    " ほか 1 フォルダ をもう一度探しますか？"));
    QCOMPARE(Stored(s, "Subfolders"), std::string("1"));
  }

  // A search waits for a folder to search and for every listed folder to
  // be one, and keeps the table shown; a reference folder that cannot be
  // read at a start is named.
  void aListNamingNoFolderSearchesNothing() {
    Setup s("");
    BoxAnswerer boxes;
    TwinscanWindow w(s.program, s.src.path());
    w.show();
    QTRY_VERIFY(w.model()->rowCount() == 3 && !w.running());
    const std::string file = s.src.path() + "/a.jpg", gone = s.src.path() + "/gone";
    const struct {
      std::vector<std::string> folders, references;
      std::string said;
    } cases[] = {
        {{}, {}, "探すフォルダを「＋」かドロップで加えてください"},
        {{file}, {}, "フォルダがありません: " + file},
        {{s.src.path()}, {gone}, "フォルダがありません: " + gone},
    };
    for (const auto& c : cases) {
      w.folderList()->SetPaths(c.folders);
      w.referenceList()->SetPaths(c.references);
      w.Command(cmd::SearchAgain);
      QTRY_COMPARE(boxes.texts.last(), QString::fromStdString(c.said));
      QVERIFY(!w.running());
      QCOMPARE(w.model()->rowCount(), 3);
      QCOMPARE(w.TargetFolda, s.src.path());
    }
    Setup started("References=" + gone + "\n");
    TwinscanWindow given(started.program, started.src.path());
    given.show();
    QTRY_COMPARE(boxes.texts.last(),
                 QString::fromStdString("フォルダを開けません: " + gone + " (" + std::strerror(ENOENT) + ")"));
    QTRY_VERIFY(!given.running());
  }

  // The lists and the toggle are kept in Twinscan.ini as the user changes
  // them, and the search takes them: subfolders by their path below their
  // folder, a reference folder's files as such. A start with a folder
  // searches it alone, against the references kept, and stores nothing.
  void theLibraryIsKeptInTwinscanIniAndSearched() {
    Setup s("");
    TempDir b, lib;
    fs::create_directories(s.src.path() + "/sub");
    s.src.Write("sub/a.jpg", std::string(500, 'a'));
    lib.Write("r.jpg", std::string(500, 'r'));
    QVERIFY(pictray::dupes::WriteTwinscanLibrary(pictray::fs::DefaultEnv(), s.bin.path() + "/Twinscan.ini",
                                                 {{s.src.path(), b.path()}, {lib.path()}, false}));
    BoxAnswerer boxes;
    {
      TwinscanWindow w(s.program, "");
      QCOMPARE(w.folderList()->Paths(), (std::vector<std::string>{s.src.path(), b.path()}));
      QCOMPARE(w.referenceList()->Paths(), std::vector<std::string>{lib.path()});
      QVERIFY(!w.subfoldersBox()->isChecked());
      const struct {
        std::function<void()> change;
        std::string folders, references, subfolders;
      } steps[] = {
          {[&] { w.subfoldersBox()->click(); }, s.src.path() + "\t" + b.path(), lib.path(), "1"},
          {[&] {
             w.folderList()->setCurrentRow(1, QItemSelectionModel::ClearAndSelect);
             QTest::keyClick(w.folderList(), Qt::Key_Delete);
           },
           s.src.path(), lib.path(), "1"},
          // Typed over with a trailing "/": kept whole, once.
          {[&] { w.referenceList()->item(0)->setText(QString::fromStdString(lib.path() + "//")); }, s.src.path(),
           lib.path(), "1"},
      };
      for (const auto& step : steps) {
        step.change();
        QCOMPARE(Stored(s, "Folders"), step.folders);
        QCOMPARE(Stored(s, "References"), step.references);
        QCOMPARE(Stored(s, "Subfolders"), step.subfolders);
      }
      QVERIFY(boxes.texts.isEmpty());  // nothing listed: no question
      w.show();
      w.Command(cmd::SearchAgain);
      QTRY_VERIFY(w.model()->rowCount() == 5 && !w.running());
      std::set<std::pair<std::string, bool>> listed;
      for (const auto& r : w.model()->lpData()) listed.insert({r.filename, r.reference});
      QCOMPARE(listed, (std::set<std::pair<std::string, bool>>{
                           {"a.jpg", false}, {"b.jpg", false}, {"c.jpg", false}, {"sub/a.jpg", false}, {"r.jpg", true}}));
    }
    TwinscanWindow again(s.program, "");
    QCOMPARE(again.folderList()->Paths(), std::vector<std::string>{s.src.path()});
    QCOMPARE(again.referenceList()->Paths(), std::vector<std::string>{lib.path()});
    QVERIFY(again.subfoldersBox()->isChecked());
    TwinscanWindow given(s.program, b.path());
    QCOMPARE(given.folderList()->Paths(), std::vector<std::string>{b.path()});
    QCOMPARE(given.referenceList()->Paths(), std::vector<std::string>{lib.path()});
    QCOMPARE(Stored(s, "Folders"), s.src.path());
  }

  // A reference folder's files are never marked as copies, stay kept (the
  // review cannot make another kept), never move, and a group of theirs
  // alone is not shown.
  void aReferenceFileIsNeverMarkedNorMoved() {
    Setup s("");
    TempDir lib;
    fs::create_directories(s.src.path() + "/sub");
    s.src.Write("sub/a.jpg", std::string(500, 'a'));
    fs::create_directories(lib.path() + "/2024");
    lib.Write("2024/a.jpg", std::string(500, 'a'));
    lib.Write("l.jpg", std::string(500, 'l'));
    lib.Write("l (1).jpg", std::string(500, 'l'));
    QVERIFY(pictray::dupes::WriteTwinscanLibrary(pictray::fs::DefaultEnv(), s.bin.path() + "/Twinscan.ini",
                                                 {{}, {lib.path()}, true}));
    BoxAnswerer boxes;
    TwinscanWindow w(s.program, s.src.path());
    w.show();
    QTRY_VERIFY(w.review.groups.size() == 1 && !w.running());
    const auto keptName = [&] {
      const auto& g = w.review.groups[0];
      return w.model()->lpData()[g.members[g.kept].row].filename;
    };
    QCOMPARE(keptName(), std::string("2024/a.jpg"));
    for (const auto& r : w.model()->lpData())
      if (r.reference) QCOMPARE(r.folda, std::string("---"));
    PressOn(w, "sub/a.jpg", Qt::Key_Space);
    QCOMPARE(keptName(), std::string("2024/a.jpg"));
    QVERIFY(!w.reviewPane()->button(cmd::MakeKept)->isEnabled());
    w.Command(cmd::ExtractChosen);
    QTRY_VERIFY(!w.running());
    QCOMPARE(FilesLeft(s.src), std::set<std::string>{"c.jpg"});
    QVERIFY(!fs::exists(s.src.path() + "/sub/a.jpg"));
    for (const char* f : {"2024/a.jpg", "l.jpg", "l (1).jpg"}) QVERIFY2(fs::exists(lib.path() + "/" + f), f);
  }

  // After an extraction over several folders, the deletion takes every
  // folder's extraction folder, each checked first (a nested folder of a
  // copy's path is the extraction's own), and the undo brings every copy
  // back.
  void deletionAndUndoTakeEveryExtractionFolderOfATree_data() {
    QTest::addColumn<QString>("then");
    QTest::newRow("delete") << "delete";
    QTest::newRow("delete, a file added to one") << "refused";
    QTest::newRow("undo") << "undo";
  }
  void deletionAndUndoTakeEveryExtractionFolderOfATree() {
    QFETCH(QString, then);
    Setup s("");
    TempDir other;
    fs::create_directories(other.path() + "/DCIM");
    other.Write("DCIM/p.jpg", std::string(400, 'p'));
    other.Write("DCIM/p (1).jpg", std::string(400, 'p'));
    QVERIFY(pictray::dupes::WriteTwinscanLibrary(pictray::fs::DefaultEnv(), s.bin.path() + "/Twinscan.ini",
                                                 {{s.src.path(), other.path()}, {}, true}));
    const auto tree = [&] {
      std::map<std::string, std::string> files;
      for (const TempDir* d : {&s.src, &other})
        for (const auto& e : fs::recursive_directory_iterator(d->path()))
          if (e.is_regular_file()) files[e.path().string()] = pictray::testing::ReadWhole(e.path().string());
      return files;
    };
    const auto before = tree();
    BoxAnswerer boxes;
    TwinscanWindow w(s.program, "");
    w.show();
    w.Command(cmd::SearchAgain);
    QTRY_VERIFY(w.review.groups.size() == 2 && !w.running());
    w.button(cmd::Extract)->click();
    QTRY_VERIFY(!w.running());
    QCOMPARE(w.samedirs.size(), std::size_t(2));
    const std::vector<std::string> dirs = w.samedirs;
    QVERIFY(fs::exists(dirs[1] + "p_same/DCIM/p (1).jpg"));
    boxes.texts.clear();
    if (then == "undo") {
      w.undoAction()->trigger();
      QTRY_VERIFY(!w.running());
      QCOMPARE(boxes.texts.value(1), QString::fromUtf8("元に戻しました: 2件"));
      QCOMPARE(tree(), before);
    } else {
      if (then == "refused") std::ofstream(dirs[1] + "p_same/DCIM/notes.txt") << "mine";
      w.button(cmd::Delete)->click();
      QTRY_VERIFY(!w.running());
      QCOMPARE(boxes.texts.value(1), then == "refused" ? QString::fromUtf8("抽出フォルダを削除しません／抽出したファイル以外のものがあります"
                                                                           "（1件）: p_same/DCIM/notes.txt")
                                                       : QString::fromUtf8("(5->3)抽出ファイルの削除を実行しました"));
    }
    for (const std::string& dir : dirs) QCOMPARE(fs::exists(dir), then == "refused");
    QCOMPARE(w.samedirs.empty(), then != "refused");
  }

  // "Not the same" and "leave out group" last once "選んだとおりに抽出"
  // carries them out, not before (a choice taken back is never stored) nor
  // when it is refused; the next search hides them, from "同ファイル抽出"
  // too, and says how many, and forgetting them shows them again.
  void reviewDecisionsLastFromTheirExtractionUntilForgotten_data() {
    QTest::addColumn<bool>("similar");
    QTest::newRow("copies") << false;
    QTest::newRow("similar pictures too") << true;
  }
  void reviewDecisionsLastFromTheirExtractionUntilForgotten() {
    QFETCH(bool, similar);
    Setup s(similar ? "Similar=1\n" : "", similar);
    for (const char* f : {"p.jpg", "p2.jpg", "q.jpg", "q2.jpg", "r.jpg", "r2.jpg"}) s.src.Write(f, std::string(600, f[0]));
    const std::string store = state_->path() + "/twinscan/decisions";
    BoxAnswerer boxes;
    TwinscanWindow w(s.program, s.src.path());
    w.show();
    QTRY_VERIFY(w.review.groups.size() == 4 && !w.running());
    PressOn(w, "p2.jpg", Qt::Key_Delete);
    PressOn(w, "q.jpg", Qt::Key_Delete, true);
    w.Command(cmd::UndoChoice);  // q's group comes back
    PressOn(w, "r.jpg", Qt::Key_Delete, true);
    QCOMPARE(w.review.groups.size(), std::size_t(2));
    QVERIFY(!fs::exists(store));
    {
      pictray::FolderLock busy;
      QCOMPARE(busy.TryLock(pictray::fs::DefaultEnv(), s.src.path()), 0);
      w.Command(cmd::ExtractChosen);
      QTRY_VERIFY(!w.running());
      QCOMPARE(boxes.texts.last(), QString::fromUtf8(pictray::kFolderBusy));
    }
    QVERIFY(!fs::exists(store));
    w.Command(cmd::ExtractChosen);
    QTRY_VERIFY(!w.running());
    QCOMPARE(pictray::dupes::CountDecisions(pictray::fs::DefaultEnv(), store), std::size_t(2));
    QCOMPARE(FilesLeft(s.src), (std::set<std::string>{"a.jpg", "c.jpg", "p.jpg", "p2.jpg", "q.jpg", "r.jpg", "r2.jpg"}));

    QLabel* hidden = w.reviewPane()->hiddenLine();
    QPushButton* forget = w.reviewPane()->button(cmd::ForgetDecisions);
    QVERIFY(!forget->isVisibleTo(&w));
    w.Command(cmd::SearchAgain);
    QTRY_VERIFY(!w.running() && w.model()->rowCount() == 7);
    QVERIFY(w.review.groups.empty());
    QCOMPARE(hidden->text(), QString::fromUtf8("以前の判断で 2 組・2 件を表示していません"));
    QVERIFY(forget->isVisibleTo(&w));
    QCOMPARE(w.findChild<QTabWidget*>()->currentWidget(), static_cast<QWidget*>(w.reviewPane()));
    w.button(cmd::Extract)->click();
    QTRY_VERIFY(!w.running());
    QCOMPARE(boxes.texts.last(), QString::fromUtf8("抽出ファイル無し"));

    boxes.texts.clear();
    forget->click();
    QTRY_VERIFY(w.review.groups.size() == 2 && !w.running());
    QVERIFY(!fs::exists(store));
    QCOMPARE(boxes.texts.value(0), QString::fromUtf8("「同じではない」「グループごと外す」で選んだ 2 件の判断を忘れますか？ "
                                                     "隠していたファイルが次に探すときにまた表示されます"));
    QCOMPARE(boxes.texts.value(1), QString::fromStdString("判断を忘れました。" + s.src.path() + " をもう一度探しますか？"));
    QVERIFY(!forget->isVisibleTo(&w));
  }

  // Turning "似た画像も探す" on or off over a listed folder asks whether to
  // search it again; only a yes does.
  void togglingTheSimilarSearchOffersToSearchAgain_data() {
    QTest::addColumn<int>("answer");
    QTest::newRow("yes") << 6;
    QTest::newRow("no") << 7;
  }
  void togglingTheSimilarSearchOffersToSearchAgain() {
    QFETCH(int, answer);
    Setup s("", true);
    BoxAnswerer boxes;
    boxes.Queue({answer});
    TwinscanWindow w(s.program, s.src.path());
    w.show();
    QTRY_VERIFY(w.model()->rowCount() == 3 && !w.running());
    int listed = 0;
    connect(w.model(), &QAbstractItemModel::modelReset, &w, [&] { ++listed; });
    w.similarBox()->click();
    QTRY_COMPARE(boxes.texts.size(), 1);
    QCOMPARE(boxes.texts[0], QString::fromStdString("似た画像も探すようにしました。" + s.src.path() + " をもう一度探しますか？"));
    QCOMPARE(boxes.captions[0], QString::fromUtf8("OK/しない"));
    if (answer == 6) QTRY_VERIFY(listed > 0);
    QTRY_VERIFY(!w.running());
    QCOMPARE(listed > 0, answer == 6);
    QCOMPARE(w.model()->rowCount(), 3);
    QCOMPARE(Copies(w), 1);
  }

  // The search for the same pictures is kept on or off in Twinscan.ini; without
  // the thumbnail library it cannot be turned on.
  void theSimilarSearchToggleIsKept() {
    const struct {
      bool library;
      const char* ini;
      bool checked;        // at the start
      const char* stored;  // after a click, or nullptr: it cannot be clicked
    } cases[] = {{true, "", false, "1"}, {true, "Similar=1\n", true, "0"}, {false, "Similar=1\n", false, nullptr}};
    for (const auto& c : cases) {
      Setup s(c.ini, c.library);
      const std::string ini = s.bin.path() + "/Twinscan.ini";
      {
        TwinscanWindow w(s.program, "");
        QCOMPARE(w.similarBox()->isChecked(), c.checked);
        QCOMPARE(w.similarBox()->isEnabled(), c.stored != nullptr);
        if (!c.stored) continue;
        w.similarBox()->click();
        QCOMPARE(pictray::GetProfileString(pictray::fs::DefaultEnv(), "Section0", "Similar", "", 0, ini),
                 std::string(c.stored));
      }
      TwinscanWindow again(s.program, "");
      QCOMPARE(again.similarBox()->isChecked(), std::string(c.stored) == "1");
    }
  }

  // The files of a group show their thumbnails, drawn by the library for
  // every format it reads, and their lines.
  void theReviewShowsThumbnailsAndLines() {
    Setup s("", true);
    for (const char* f : {"panorama_wide.jpg", "夏休み_01.png"}) {
      const std::string from = std::string(PICTRAY_DEMO_DIR) + "/" + f;
      fs::copy_file(from, s.src.path() + "/" + f);
      fs::copy_file(from, s.src.path() + "/copy of " + f);
    }
    TwinscanWindow w(s.program, s.src.path());
    w.show();
    QTRY_VERIFY(w.review.groups.size() == 3 && !w.running());
    const struct {
      const char* file;
      QSize shown;  // the picture alone, without the white the library leaves beside it
    } pictures[] = {{"panorama_wide.jpg", {128, 25}}, {"夏休み_01.png", {128, 128}}};
    for (const auto& [f, shown] : pictures) {
      const auto [g, m] = PlaceInReview(w, f);
      SelectGroup(w, g);
      const QAbstractItemModel* members = w.reviewPane()->memberView()->model();
      const QModelIndex kept = members->index(m, 0);
      QTRY_VERIFY(members->data(kept, Qt::DecorationRole).value<QPixmap>().toImage().pixelColor(5, 5) != QColor(0xee, 0xee, 0xee));
      const QImage thumbnail = members->data(kept, Qt::DecorationRole).value<QPixmap>().toImage();
      QCOMPARE(thumbnail.size(), shown);
      QVERIFY(MeanColour(thumbnail) != QColor(0xdd, 0xdd, 0xdd));  // not the square of an unreadable file
      const QStringList lines = members->data(kept, Qt::DisplayRole).toString().split('\n');
      QCOMPARE(lines.value(0), QString::fromUtf8(f));
      QCOMPARE(lines.value(1), QString::fromStdString(s.src.path() + "/"));
      QVERIFY(lines.contains(QString::fromUtf8("★ 残すファイル")));
      QCOMPARE(members->data(members->index(1 - m, 0), Qt::DisplayRole).toString().split('\n').last(),
               QString::fromUtf8("同一ファイル"));
    }
  }

  // A review replaced before its thumbnails arrive never shows them.
  void thumbnailsOfAReplacedReviewAreDropped() {
    pictray::ThumbnailLibrary lib;
    QVERIFY(lib.Load(std::string(PICTRAY_BIN_DIR) + "/libthumbkit.so"));
    const pictray::ThumbnailCalls calls = lib.calls();
    QVERIFY(calls.Drawing());
    int arrived = 0;
    pictray::twinscan::ThumbnailDrawer drawer(calls, 64, 16, 1, [&] { ++arrived; });
    const std::string path = std::string(PICTRAY_DEMO_DIR) + "/DSC_0102.jpg";
    QVERIFY(!drawer.Find(path));
    drawer.Forget();
    QTRY_VERIFY(!drawer.drawing());
    QCoreApplication::processEvents();
    QCOMPARE(arrived, 0);
    QVERIFY(!drawer.Find(path));  // asked for again, for the new review
    QTRY_COMPARE(arrived, 1);
    QVERIFY(drawer.Find(path));
  }

  // How a copy differs from its kept file, in the review's words.
  void differencesAreSaidInWords() {
    using pictray::dupes::PictureKind;
    const pictray::dupes::PictureFacts kept{4000, 3000, "2024:05:01 10:20:30", PictureKind::Jpeg};
    const struct {
      pictray::dupes::PictureFacts copy;
      pictray::dupes::Likeness likeness;
      const char* filename;
      const char* words;
    } cases[] = {
        {kept, {}, "a.jpg", "同一ファイル"},
        {kept, {false, 3, 0.98, 100}, "a.jpg", "似た画像"},
        {{2000, 1500, "", PictureKind::Jpeg}, {false, 2, 0.97, 100}, "a.jpg", "小さい"},
        {{8000, 6000, "", PictureKind::Jpeg}, {false, 2, 0.97, 100}, "a.jpg", "大きい"},
        {{3680, 2760, "", PictureKind::Jpeg}, {false, 5, 0.95, 92}, "a.jpg", "小さい、92%に切り抜き"},
        {{4000, 3000, "", PictureKind::Heif}, {false, 1, 0.99, 100}, "a.heic", "同じ画像のHEIC"},
    };
    for (const auto& c : cases) {
      pictray::dupes::TwinReview review;
      review.groups = {{{{0, {}}, {1, c.likeness}}, 0, {}}};
      review.facts = {kept, c.copy};
      std::vector<pictray::dupes::FileRec> rows(2);
      rows[1].filename = c.filename;
      const pictray::twinscan::ReviewSource source{&review, &rows, nullptr};
      QCOMPARE(pictray::twinscan::DifferenceText(source, review.groups[0], 1), QString::fromUtf8(c.words));
    }
    QCOMPARE(pictray::twinscan::SizeText(512), QString::fromUtf8("512 バイト"));
    QCOMPARE(pictray::twinscan::SizeText(5 * 1024 * 1024 + 300 * 1024), QString("5.3 MB"));
  }

  // The kept card says which step of the keep rule kept it, and a kept file
  // the user chose says so; the group list's tooltip says the same.
  void theKeptCardSaysWhyItStays_data() {
    QTest::addColumn<QString>("kept");
    QTest::addColumn<QString>("copy");
    QTest::addColumn<QString>("why");
    QTest::newRow("copy marker") << "IMG_1.jpg" << "IMG_1 (1).jpg" << "理由: コピーの印なし";
    QTest::newRow("shorter name") << "ab.jpg" << "abc.jpg" << "理由: 名前が短い 6 < 7 バイト";
  }
  void theKeptCardSaysWhyItStays() {
    QFETCH(QString, kept);
    QFETCH(QString, copy);
    QFETCH(QString, why);
    Setup s("");
    s.src.Write(kept.toStdString(), std::string(700, 'k'));
    s.src.Write(copy.toStdString(), std::string(700, 'k'));
    // One modification time, so that no date tells them apart.
    fs::last_write_time(s.src.path() + "/" + copy.toStdString(),
                        fs::last_write_time(s.src.path() + "/" + kept.toStdString()));
    TwinscanWindow w(s.program, s.src.path());
    w.show();
    QTRY_VERIFY(w.review.groups.size() == 2 && !w.running());
    const auto [g, m] = PlaceInReview(w, kept.toStdString());
    QVERIFY(g >= 0);
    SelectGroup(w, g);
    const QAbstractItemModel* members = w.reviewPane()->memberView()->model();
    const QAbstractItemModel* groups = w.reviewPane()->groupList()->model();
    const QModelIndex keptCell = groups->index(w.reviewPane()->currentRow(), pictray::twinscan::GroupListModel::kKept);
    QStringList lines = members->data(members->index(m, 0), Qt::DisplayRole).toString().split('\n');
    QCOMPARE(lines.value(lines.size() - 2), QString::fromUtf8("★ 残すファイル"));
    QCOMPARE(lines.last(), why);
    QVERIFY(groups->data(keptCell, Qt::ToolTipRole).toString().endsWith("\n" + why));
    QVERIFY(!members->data(members->index(1 - m, 0), Qt::DisplayRole).toString().contains(QString::fromUtf8("理由")));

    PressOn(w, copy.toStdString(), Qt::Key_Space);
    const int nowKept = int(w.review.groups[std::size_t(g)].kept);
    lines = members->data(members->index(nowKept, 0), Qt::DisplayRole).toString().split('\n');
    QCOMPARE(lines.value(0), copy);
    QCOMPARE(lines.last(), QString::fromUtf8("理由: 選択による"));
  }

  // Keep= that does not read is named when the window appears, and the
  // default order keeps the files; one that reads keeps them its way.
  void aRefusedKeepRuleIsToldAndTheDefaultOrderKeeps_data() {
    QTest::addColumn<QString>("keep");
    QTest::addColumn<QString>("told");  // empty: nothing
    QTest::addColumn<QString>("kept");
    const QString notice = QString::fromUtf8(
        "Twinscan.ini の Keep= を使えません: %1。"
        "代わりに既定の順 reference,companions,original,camera,pixels,size,format,date,name で残すファイルを選びます。");
    QTest::newRow("read") << "oldest" << "" << "IMG_2 (1).jpg";
    QTest::newRow("unknown word") << "oldest, bogus"
                                  << notice.arg(QString::fromUtf8(
                                         "残す規則に知らない語があります: \"bogus\"（使える語: reference, companions, original, camera, "
                                         "pixels, size か largest, format, date か oldest, name, folder:パス）"))
                                  << "IMG_2.jpg";
    QTest::newRow("a step twice") << "oldest,date" << notice.arg(QString::fromUtf8("残す規則で \"date\" が2回あります"))
                                  << "IMG_2.jpg";
    QTest::newRow("reference not first") << "size,reference"
                                         << notice.arg(QString::fromUtf8("残す規則の \"reference\" は先頭に置くか省いてください"))
                                         << "IMG_2.jpg";
  }
  void aRefusedKeepRuleIsToldAndTheDefaultOrderKeeps() {
    QFETCH(QString, keep);
    QFETCH(QString, told);
    QFETCH(QString, kept);
    Setup s("Keep=" + keep.toStdString() + "\n");
    s.src.Write("IMG_2.jpg", std::string(700, 'k'));
    s.src.Write("IMG_2 (1).jpg", std::string(700, 'k'));
    const std::string older = s.src.path() + "/IMG_2 (1).jpg";
    fs::last_write_time(older, fs::last_write_time(s.src.path() + "/IMG_2.jpg") - std::chrono::hours(24));
    BoxAnswerer boxes;
    TwinscanWindow w(s.program, s.src.path());
    w.show();
    QTRY_VERIFY(w.review.groups.size() == 2 && !w.running());
    QCOMPARE(boxes.texts, told.isEmpty() ? QStringList() : QStringList{told});
    const auto [g, m] = PlaceInReview(w, kept.toStdString());
    QVERIFY(g >= 0);
    QCOMPARE(std::size_t(m), w.review.groups[std::size_t(g)].kept);
  }

  // The count line follows the run's steps as its host tells them, with
  // the time left where it is known.
  void theCountLineFollowsTheRunWithTheTimeLeft() {
    Setup s("");
    TwinscanWindow w(s.program, "");
    pictray::twinscan::QtTwinscanHost host(w);
    host.SetStep(pictray::TwinscanStep::Listing, 5, 10);
    QTRY_COMPARE(w.countLabel()->text(), QString::fromUtf8("一覧作成 5/10"));
    host.SetSearchProgress(pictray::SearchPhase::Comparing, 3, 9);  // a new step shows at once
    QTRY_COMPARE(w.countLabel()->text(), QString::fromUtf8("画像の比較 3/9"));
    w.kenbuf = "1000";
    w.ShowRunProgress(pictray::texts::ProgressStep::Measuring, 250, 1000, 75);
    QCOMPARE(w.countLabel()->text(), QString::fromUtf8("1000    画像の測定 250/1000、残り 1:15"));
    QCOMPARE(w.findChild<QProgressBar*>("2008")->value(), 25);
  }

  // Pictures the similar search could not compare are counted in the count
  // line and the review, and listed with why; a new search closes the list.
  void skippedPicturesAreCountedAndListed() {
    Setup s("Similar=1\n", true);
    fs::copy_file(std::string(PICTRAY_DEMO_DIR) + "/DSC_0102.jpg", s.src.path() + "/DSC_0102.jpg");
    // The photo with a frame that claims 60000 x 60000 pixels.
    std::string big(fs::file_size(s.src.path() + "/DSC_0102.jpg"), '\0');
    std::ifstream(s.src.path() + "/DSC_0102.jpg", std::ios::binary).read(big.data(), std::streamsize(big.size()));
    const std::size_t sof = big.rfind("\xFF\xC0");
    QVERIFY(sof != std::string::npos);
    big[sof + 5] = '\xEA', big[sof + 6] = '\x60', big[sof + 7] = '\xEA', big[sof + 8] = '\x60';
    s.src.Write("huge.jpg", big);
    TwinscanWindow w(s.program, s.src.path());
    w.show();
    QTRY_VERIFY(w.review.groups.size() == 1 && !w.running());
    const QString count = QString::fromUtf8("比べなかった画像 1 件");
    QVERIFY2(w.countLabel()->text().endsWith("    " + count), qPrintable(w.countLabel()->text()));
    QCOMPARE(w.reviewPane()->skippedLine()->text(), count);
    QVERIFY(w.reviewPane()->skippedLine()->isVisibleTo(&w));
    w.reviewPane()->findChild<QPushButton*>("listSkipped")->click();
    auto* list = w.reviewPane()->findChild<QDialog*>("skippedList");
    QVERIFY(list && list->isVisible());
    const QAbstractItemModel* files = list->findChild<QTableView*>("skippedFiles")->model();
    QCOMPARE(files->rowCount(), 1);
    QCOMPARE(files->data(files->index(0, 0)).toString(), QString::fromStdString(s.src.path() + "/huge.jpg"));
    QCOMPARE(files->data(files->index(0, 1)).toString(), QString::fromUtf8("大きすぎて描けない"));

    const QPointer<QDialog> open(list);
    fs::remove(s.src.path() + "/huge.jpg");
    w.Command(cmd::SearchAgain);
    QTRY_VERIFY(!open);  // closed with the review it listed
    QTRY_VERIFY(!w.running());
    QVERIFY(!w.countLabel()->text().contains(count));
    QVERIFY(!w.reviewPane()->skippedLine()->isVisibleTo(&w));
  }

  // Help pages and folders reach the desktop's opener or a program as their
  // bytes; what cannot start is named with the reason.
  void helpAndFoldersOpenInOutsideProgramsOrSayWhyNot() {
    Setup s("");
    TempDir opener;
    std::ofstream(opener.path() + "/xdg-open") << "#!/bin/sh\ncd '" << opener.path()
                                               << "' && printf '%s' \"$1\" > part && /bin/mv part opened\n";
    fs::permissions(opener.path() + "/xdg-open", fs::perms::owner_all);
    const auto opened = [&] {
      std::ifstream f(opener.path() + "/opened");
      return std::string(std::istreambuf_iterator<char>(f), {});
    };
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QByteArray::fromStdString(opener.path()));
    BoxAnswerer boxes;
    TwinscanWindow w(s.program, "");
    const std::string page = s.bin.path() + "/Twinscanhelp.html";
    w.Command(cmd::Help);
    QCOMPARE(boxes.texts.value(0), QString::fromStdString("ヘルプファイルがありません: " + page));
    fs::copy_file(std::string(PICTRAY_BIN_DIR) + "/Twinscanhelp.html", page);
    w.Command(cmd::Help);
    QTRY_VERIFY(fs::exists(opener.path() + "/opened"));
    QCOMPARE(opened(), page);
    w.samedir = s.src.path() + "/\xFF\xFE";
    fs::create_directory(w.samedir);
    for (const std::string& app : {opener.path() + "/xdg-open", std::string("open"), opener.path() + "/gone"}) {
      fs::remove(opener.path() + "/opened");
      QVERIFY(pictray::WriteSetting(pictray::fs::DefaultEnv(), pictray::key::twinscan::OPENAPP, app, s.bin.path() + "/Twinscan.ini"));
      w.Command(cmd::OpenSame);
      if (app.ends_with("gone"))
        QCOMPARE(boxes.texts.last(),
                 QString::fromStdString("アプリ「" + app + "」を起動できません: " + std::strerror(ENOENT)));
      else
        QTRY_COMPARE(opened(), w.samedir);
    }
    qputenv("PATH", "/nonexistent");
    w.Command(cmd::Help);
    qputenv("PATH", path);
    QVERIFY(boxes.texts.last().startsWith("ヘルプを表示するブラウザを起動できません"));
  }
};

QTEST_MAIN(TwinscanTest)
#include "twinscan_test.moc"
