// The two result panes: colour rows, the popup menus and what their entries
// do, the toggles' settings, the preview square and the file icons.
#include <QApplication>
#include <QContextMenuEvent>
#include <QTimer>
#include <QDir>
#include <QIcon>
#include <QImage>
#include <QFile>
#include <QLibrary>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>

#include <atomic>
#include <future>
#include <memory>

#include "app/common/file_icons.h"
#include "app/pictray/file_list_pane.h"
#include "app/pictray/list_models.h"
#include "app/pictray/preview.h"
#include "app/pictray/result_pane.h"
#include "engine/settings/profile.h"
#include "engine/settings/settings_keys.h"
#include "tests/app/pictray_window_support.h"

using pictray::Row;
using pictray::app::FileListModel;
using pictray::app::FileListPane;
using pictray::app::PaneLinks;
using pictray::app::ResultPane;
namespace cmd = pictray::cmd;
namespace ui = pictray::ui;

// Answers the platform's own message boxes (the questions and reports of the
// result list): records "title|text" and presses the button asked for.
class SystemBoxAnswerer : public QObject {
 public:
  explicit SystemBoxAnswerer(QList<QMessageBox::StandardButton> answers) : answers_(std::move(answers)) {
    connect(&timer_, &QTimer::timeout, this, [this] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (!box || box->property("answered").toBool()) return;
      box->setProperty("answered", true);
      seen << box->windowTitle() + "|" + box->text();
      const QMessageBox::StandardButton answer = answers_.isEmpty() ? QMessageBox::Ok : answers_.takeFirst();
      QAbstractButton* b = box->button(answer);
      QTimer::singleShot(0, b ? b : box->buttons().first(), &QAbstractButton::click);
    });
    timer_.start(5);
  }
  QStringList seen;

 private:
  QList<QMessageBox::StandardButton> answers_;
  QTimer timer_;
};

class PanesTest : public QObject {
  Q_OBJECT

  QTemporaryDir dir;
  QList<QPair<int, int>> commands;  // (id, lparam) the panes sent

  // Each pane writes its settings into `settings` (the test's folder when null).
  PaneLinks Links(const QTemporaryDir* settings = nullptr) {
    const QTemporaryDir& ini = settings ? *settings : dir;
    PaneLinks links;
    links.command = [this](int id, int lparam) { commands << qMakePair(id, lparam); };
    links.listedFolder = [this] { return dir.path().toStdString(); };
    links.files = {ini.filePath("work.ini").toStdString(), ini.filePath("Pictray.ini").toStdString()};
    links.programDir = dir.path().toStdString();
    return links;
  }
  static QTreeWidgetItem* ResultRow(ResultPane& pane, const QString& folder, const QString& path) {
    pane.SetMoveResult(pane.LV02->topLevelItemCount(),
                       {folder.toStdString(), 1, "a.jpg", path.toStdString(), "new"});
    return pane.LV02->topLevelItem(pane.LV02->topLevelItemCount() - 1);
  }
  static QStringList Captions(QMenu* menu) {
    QStringList captions;
    for (QAction* a : menu->actions())
      if (!a->isSeparator()) captions << a->text();
    return captions;
  }
  static QAction* Entry(QMenu* menu, int id) {
    for (QAction* a : menu->actions())
      if (a->data().toInt() == id) return a;
    return nullptr;
  }

 private slots:
  // Colour rows in their colour; the notes column shows the strength's
  // notes only on rows it classified (a phrase shares its letter "T").
  void colourRowsAreDrawnInTheirColourOnWhiteOrBlack() {
    pictray::FileList rows;
    rows.append({Row{"a.jpg", "128_064_000", "A", ""}, Row{"p.jpg", "000_255_000", "P", ""},
                 Row{"t.jpg", "200", "T", "12_5_250", cmd::RgbStrength}, Row{"r.jpg", "128_064_000", "R", ""},
                 Row{"q.jpg", "R5G3B2", "P", ""}, Row{"m.jpg", "Misc", "C", ""},
                 Row{"x.jpg", "999_000_000", "A", ""}, Row{"n.jpg", "Misc", "C", "12_5_250"},
                 Row{"f.jpg", "2024", "T", "12_5_250", cmd::PhraseClass}});
    FileListModel model(rows);
    model.SetItemCount(rows.ListMax());
    const struct {
      int row;
      QColor text;
      bool colourRow;
      const char* notes = "";
    } cases[] = {{0, QColor(128, 64, 0), true},  {1, QColor(0, 255, 0), true}, {2, QColor(12, 5, 250), true, "12_5_250"},
                 {3, Qt::black, false},          {4, Qt::black, false},        {5, Qt::black, false},
                 {6, Qt::black, false},          {7, Qt::black, false},        {8, Qt::black, false}};
    for (bool black : {false, true}) {
      model.SetBlackBack(black);
      for (const auto& c : cases) {
        const QModelIndex i = model.index(c.row, 1);
        QCOMPARE(i.data(Qt::ForegroundRole).value<QColor>(), c.text);
        const QColor back = black && c.colourRow ? QColor(Qt::black) : QColor(Qt::white);
        QCOMPARE(i.data(Qt::BackgroundRole).value<QColor>(), back);
        QCOMPARE(model.index(c.row, 3).data().toString(), QString(c.notes));
      }
    }
  }

  void resultRowsOfAColourFolderFollowBlackBack() {
    PaneLinks links = Links();
    ResultPane pane(links, nullptr);
    QTreeWidgetItem* red = ResultRow(pane, "255_000_000", "/x/255_000_000");
    QTreeWidgetItem* misc = ResultRow(pane, "Misc", "/x/Misc");
    pane.CK21->setChecked(false);
    QCOMPARE(red->foreground(0).color(), QColor(255, 0, 0));
    QCOMPARE(red->background(0).color(), QColor(Qt::white));
    pane.CK21->click();
    QCOMPARE(red->foreground(0).color(), QColor(255, 0, 0));
    QCOMPARE(red->background(0).color(), QColor(Qt::black));
    QCOMPARE(misc->foreground(0).color(), QColor(Qt::black));
    QCOMPARE(misc->background(0).color(), QColor(Qt::white));
    // The long path stays whole in its tooltip.
    QCOMPARE(red->toolTip(3), QString("/x/255_000_000"));
  }

  void togglesWriteTheirKeysAtOnceIntoBothFiles() {
    QTemporaryDir settings;
    PaneLinks links = Links(&settings);
    std::atomic<int> MoveOn{0};
    links.MoveOn = &MoveOn;
    ResultPane pane(links, nullptr);
    const struct {
      QPushButton* toggle;
      const pictray::SettingKey& key;
    } toggles[] = {{pane.CK20, pictray::key::MoveSoon},
                   {pane.CK21, pictray::key::BlackBack},
                   {pane.CK22, pictray::key::ReadDay}};
    for (const auto& t : toggles) {
      for (const char* expected : {"1", "0"}) {
        t.toggle->click();
        QCOMPARE(pictray::ReadSetting(pictray::fs::DefaultEnv(), t.key, links.files.profile), std::string(expected));
        QCOMPARE(pictray::ReadSetting(pictray::fs::DefaultEnv(), t.key, links.files.GRprofile), std::string(expected));
      }
    }
    pane.CK20->click();
    QCOMPARE(MoveOn.load(), 1);
    commands.clear();
    pane.BT21->click();
    QCOMPARE(commands, (QList<QPair<int, int>>{{cmd::OpenFolderApp3, 0}}));
    // A new pane starts from what the settings file holds.
    ResultPane again(links, nullptr);
    QVERIFY(again.CK20->isChecked() && !again.CK21->isChecked() && !again.CK22->isChecked());
  }

  void fileListPopupHasSixEntriesAndEachActsOnTheSelectedRow() {
    pictray::FileList rows;
    FileListModel model(rows);
    FileListPane pane(rows, &model, Links(), nullptr);
    QVERIFY(!pane.BuildPopup());  // an empty list shows no menu
    rows.append({Row{"a.jpg", "128_064_000", "A", ""}, Row{"b.jpg", "Misc", "C", ""}});
    model.SetItemCount(2);
    std::unique_ptr<QMenu> menu(pane.BuildPopup());
    QCOMPARE(Captions(menu.get()),
             (QStringList{"open", "Set Clear", "Part Color", "All Color", "RGB", "Property"}));
    for (QAction* a : menu->actions()) QVERIFY(a->isSeparator() || !a->icon().isNull());
    commands.clear();
    Entry(menu.get(), FileListPane::AllColor)->trigger();  // nothing without a selection
    QVERIFY(commands.isEmpty());

    pane.view()->selectRow(1);
    const struct {
      int entry;
      QPair<int, int> sent;
    } forwarded[] = {{FileListPane::PartColor, {cmd::PartColour, 0}},
                     {FileListPane::AllColor, {cmd::AllColour, 0}},
                     {FileListPane::Rgb, {cmd::RgbAnalysis, 1}}};
    for (const auto& f : forwarded) {
      commands.clear();
      Entry(menu.get(), f.entry)->trigger();
      QCOMPARE(commands, (QList<QPair<int, int>>{f.sent}));
    }
    Entry(menu.get(), FileListPane::SetClear)->trigger();
    QCOMPARE(rows.cell(1, 0) + "|" + rows.cell(1, 1) + "|" + rows.cell(1, 2), std::string("b.jpg||"));
    QCOMPARE(rows.cell(0, 1) + "|" + rows.cell(0, 2), std::string("128_064_000|A"));
    // The current row moving (a click, a key) previews it; no row, nothing.
    pane.view()->selectionModel()->clearCurrentIndex();
    commands.clear();
    pane.view()->setCurrentIndex(model.index(0, 0));
    QCOMPARE(commands, (QList<QPair<int, int>>{{cmd::Preview, 0}}));
  }

  void resultPopupNeedsASelectionAndClearAllAnsweredNoKeepsTheList() {
    ResultPane pane(Links(), nullptr);
    ResultRow(pane, "Misc", "/x/Misc");
    QVERIFY(!pane.BuildPopup());
    pane.LV02->topLevelItem(0)->setSelected(true);
    std::unique_ptr<QMenu> menu(pane.BuildPopup());
    const QStringList captions = Captions(menu.get());
    QCOMPARE(captions.mid(2), (QStringList{"Clear All", "Read Set", "Break Folda"}));
    QVERIFY(captions[0].startsWith("AppOpen1: ") && captions[1].startsWith("AppOpen2: "));
    {
      SystemBoxAnswerer boxes({QMessageBox::No});
      pane.PopupCommand(ResultPane::ClearAll);
      QCOMPARE(boxes.seen, QStringList{"Pictray|結果リスト消去?"});
      QCOMPARE(pane.LV02->topLevelItemCount(), 1);
    }
    SystemBoxAnswerer boxes({QMessageBox::Yes});
    pane.PopupCommand(ResultPane::ClearAll);
    QCOMPARE(pane.LV02->topLevelItemCount(), 0);
  }

  // The popup opens over LV02's rows only, and acts on the row under it.
  void resultPopupOpensOverAResultRowOnly() {
    ResultPane pane(Links(), nullptr);
    pane.resize(900, 300);
    pane.show();
    QTreeWidgetItem* rows[] = {ResultRow(pane, "Misc", "/x/Misc"), ResultRow(pane, "red", "/x/red")};
    rows[0]->setSelected(true);
    QWidget* viewport = pane.LV02->viewport();
    const struct {
      QWidget* target;
      QPoint at;
      bool opens;
    } cases[] = {{viewport, QPoint(5, viewport->height() - 3), false},  // below the rows
                 {&pane, QPoint(pane.width() - 3, pane.height() - 3), false},
                 {viewport, pane.LV02->visualItemRect(rows[1]).center(), true}};
    for (const auto& c : cases) {
      QString opened;
      QTimer::singleShot(0, [&] {
        if (QWidget* popup = QApplication::activePopupWidget()) opened = popup->objectName(), popup->close();
      });
      QContextMenuEvent e(QContextMenuEvent::Mouse, c.at, c.target->mapToGlobal(c.at));
      QApplication::sendEvent(c.target, &e);
      QTest::qWait(0);
      QCOMPARE(opened == "popupLV02", c.opens);
    }
    QVERIFY(!rows[0]->isSelected() && rows[1]->isSelected());
  }

  // A folder taken away since the move (by an undo) is not acted on: the
  // entry says so and its row goes.
  void resultEntriesOnAFolderThatIsGoneSaySoAndDropTheRow() {
    for (const int entry : {ResultPane::AppOpen1, ResultPane::BreakFoldaId}) {
      QStringList said;
      PaneLinks links = Links();
      links.message = [&](const std::string& text, pictray::Button, pictray::Button) {
        said << QString::fromStdString(text);
        return 6;
      };
      ResultPane pane(links, nullptr);
      const QString gone = dir.filePath("gone");
      ResultRow(pane, "gone", gone)->setSelected(true);
      SystemBoxAnswerer boxes({QMessageBox::Ok});
      pane.PopupCommand(entry);
      QCOMPARE(said, QStringList{QString::fromUtf8("フォルダがありません: ") + gone});
      QCOMPARE(pane.LV02->topLevelItemCount(), 0);
    }
  }

  void breakFoldaDissolvesTwoFoldersOfWhichOneKeepsAFile() {
    QTemporaryDir source;
    QDir s(source.path());
    QVERIFY(s.mkpath("red") && s.mkpath("blue/inner"));
    for (const char* f : {"red/a.jpg", "red/b.jpg", "blue/c.jpg", "blue/inner/d.jpg"}) {
      QFile file(s.filePath(f));
      QVERIFY(file.open(QIODevice::WriteOnly));
    }
    ResultPane pane(Links(), nullptr);
    const QString red = s.filePath("red"), blue = s.filePath("blue");
    ResultRow(pane, "red", red)->setSelected(true);
    ResultRow(pane, "blue", blue)->setSelected(true);
    SystemBoxAnswerer boxes({QMessageBox::Ok});
    pane.PopupCommand(ResultPane::BreakFoldaId);
    QCOMPARE(boxes.seen, (QStringList{"Pictray|フォルダを解体しますか", red + "|解体OK", blue + "|解体失敗",
                                      "Pictray|処理終了"}));
    QCOMPARE(pane.LV02->topLevelItemCount(), 1);
    QCOMPARE(pane.LV02->topLevelItem(0)->text(0), QString("blue"));
    QVERIFY(!s.exists("red") && s.exists("a.jpg") && s.exists("b.jpg") && s.exists("c.jpg"));
    QVERIFY(s.exists("blue/inner/d.jpg"));
  }

  void readSetListsTheResultFolderAfresh() {
    QTemporaryDir programDir, source;
    QDir s(source.path());
    QVERIFY(s.mkpath("red"));
    for (const char* f : {"red/a.jpg", "red/b.jpg", "c.jpg"}) {
      QFile file(s.filePath(f));
      QVERIFY(file.open(QIODevice::WriteOnly));
    }
    BoxAnswerer boxes;
    auto w = StartPictray(programDir);
    QVERIFY(w);
    ResultPane* pane = w->resultPane();
    ResultRow(*pane, "red", s.filePath("red"))->setSelected(true);
    pane->PopupCommand(ResultPane::ReadSet);
    QVERIFY(WaitForRun(*w, boxes, "Listup終了"));
    QCOMPARE(w->fileListModel()->rowCount(), 2);
    QCOMPARE(w->findChild<QLineEdit*>("ED01")->text(), s.filePath("red"));
    QCOMPARE(pane->LV02->topLevelItemCount(), 0);
  }

  void previewDrawsAJpegAndMarksAFileThatCannotBeDrawn() {
    QLibrary lib(QString(PICTRAY_BIN_DIR) + "/libthumbkit.so");
    auto MMI = reinterpret_cast<MakeMinImageFn>(lib.resolve("MakeMinImage"));
    QVERIFY(MMI);
    const QImage red = pictray::app::MakePreview(MMI, PICTRAY_DEMO_DIR "/colour_red.jpg", 75);
    QCOMPARE(red.size(), QSize(75, 75));
    const QColor centre = red.pixelColor(20, 20);
    QVERIFY2(centre.red() > 180 && centre.green() < 80 && centre.blue() < 80, qPrintable(centre.name()));
    for (const char* unreadable : {PICTRAY_DEMO_DIR "/notes.txt", "/nonexistent/x.jpg"}) {
      const QImage square = pictray::app::MakePreview(MMI, unreadable, 75);
      QCOMPARE(square.pixelColor(0, 0), QColor(Qt::black));
      QCOMPARE(square.pixelColor(74, 37), QColor(Qt::black));
      QCOMPARE(square.pixelColor(1, 1), QColor(Qt::white));
      QCOMPARE(square.pixelColor(37, 37), QColor(Qt::white));
    }
  }

  // A slow square does not hold the window: each request returns at once.
  // Of the clicks meanwhile only the newest is drawn and shown; the slow
  // square, stale by then, never shows.
  void previewOfTheNewestClickShowsWhileASlowOneIsDrawn() {
    std::promise<void> release;
    const std::shared_future<void> released = release.get_future().share();
    std::atomic<int> draws{0};
    QStringList shown;
    pictray::app::PreviewDrawer drawer(
        [&](const std::string& path) {
          ++draws;
          if (path == "slow") released.wait();
          QImage square(1, 1, QImage::Format_RGB888);
          square.setText("path", QString::fromStdString(path));
          return square;
        },
        [&](const QImage& square) { shown << square.text("path"); });
    for (const char* path : {"slow", "a", "b"}) drawer.Request(path);
    release.set_value();
    QTRY_COMPARE(shown, QStringList{"b"});
    QCOMPARE(draws.load(), 2);
  }

  // The library cannot stop a decode: the drawer goes at once while a square
  // is still drawn, the worker lets go of the draw function when it ends,
  // and the square is never shown.
  void aDrawerGoesWithoutWaitingForItsSquare() {
    struct Gate {
      std::promise<void> entered, letGo;
      ~Gate() { letGo.set_value(); }
    };
    auto gate = std::make_shared<Gate>();
    std::future<void> entered = gate->entered.get_future();
    std::future<void> letGo = gate->letGo.get_future();
    std::promise<void> release;
    const std::shared_future<void> released = release.get_future().share();
    QStringList shown;
    auto drawer = std::make_unique<pictray::app::PreviewDrawer>(
        [gate = std::move(gate), released](const std::string&) {
          gate->entered.set_value();
          released.wait();
          return QImage(1, 1, QImage::Format_RGB888);
        },
        [&](const QImage&) { shown << "square"; });
    drawer->Request("slow");
    entered.wait();
    drawer.reset();
    release.set_value();
    letGo.wait();
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    QVERIFY(shown.isEmpty());
  }

  // The outside program's button checks for the archiver library first, then
  // for the program itself, and says which one is missing.
  void relayButtonNamesWhatIsMissing() {
    QTemporaryDir programDir;
    PaneLinks links = Links();
    links.programDir = programDir.path().toStdString();
    QStringList said;
    links.message = [&](const std::string& text, pictray::Button c1, pictray::Button) {
      said << QString::fromStdString(text + (c1 == pictray::Button::Err ? "/err" : "/other"));
      return 6;
    };
    ResultPane pane(links, nullptr);
    pane.BT22->click();
    QFile zip(programDir.filePath("7-zip32.dll"));
    QVERIFY(zip.open(QIODevice::WriteOnly));
    zip.close();
    pane.BT22->click();
    QCOMPARE(said, (QStringList{"7zip dll_error/err", "relay.exe_error/err"}));
  }

  void aMovedRowIsFoundInItsTargetFolder() {
    const struct {
      Row row;
      const char* path;
    } cases[] = {{Row{"a.jpg", "red", "M", ""}, "/src/red/a.jpg"},
                 {Row{"a.jpg", "red", "C", ""}, "/src/a.jpg"},
                 {Row{"a.jpg", "", "M", ""}, "/src/a.jpg"}};
    for (const auto& c : cases) QCOMPARE(pictray::app::PathOfRow("/src", c.row), std::string(c.path));
  }

  void fileIconsFollowWhatThePathIs() {
    QTemporaryDir d;
    QFile readme(d.filePath("README"));
    QVERIFY(readme.open(QIODevice::WriteOnly));
    readme.close();
    QFile doc(d.filePath("a.txt"));
    QVERIFY(doc.open(QIODevice::WriteOnly));
    doc.close();
    QVERIFY(QFile::link(d.filePath("a.txt"), d.filePath("link")));
    const struct {
      QString path;
      ui::FileCase kind;
    } cases[] = {{d.path(), ui::FileCase::Folder},
                 {d.filePath("README"), ui::FileCase::Program},
                 {d.filePath("a.txt"), ui::FileCase::Other},
                 {d.filePath("link"), ui::FileCase::Shortcut}};
    for (const auto& c : cases) {
      QCOMPARE(ui::RetFileCase(c.path), c.kind);
      QVERIFY2(!ui::GetIconHandle(c.path).isNull(), qPrintable(c.path));
    }
    QVERIFY(ui::GetIconHandle("non").isNull());
    QVERIFY(ui::GetIconHandle(d.filePath("missing.txt")).isNull());

    // Twinscan beside Pictray shows the icon installed under its desktop id.
    QVERIFY(QDir(d.path()).mkpath("theme/hicolor/48x48/apps"));
    QFile index(d.filePath("theme/hicolor/index.theme"));
    QVERIFY(index.open(QIODevice::WriteOnly) && index.write("[Icon Theme]\nDirectories=48x48/apps\n[48x48/apps]\nSize=48\n"));
    index.close();
    QImage glyph(48, 48, QImage::Format_RGB32);
    QVERIFY(glyph.save(d.filePath("theme/hicolor/48x48/apps/org.pictray.Twinscan.png")));
    QVERIFY(QFile::copy(d.filePath("README"), d.filePath("Twinscan")));
    QIcon::setThemeSearchPaths({d.filePath("theme")});
    QIcon::setThemeName("hicolor");
    QCOMPARE(ui::GetIconHandle(d.filePath("Twinscan")).name(), QString("org.pictray.Twinscan"));
  }
};

QTEST_MAIN(PanesTest)
#include "pictray_panes_test.moc"
