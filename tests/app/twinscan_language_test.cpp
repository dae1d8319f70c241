#include <QAbstractButton>
#include <QLabel>
#include <QListView>
#include <QTableView>
#include <QToolButton>
#include <QTabWidget>
#include <QtTest>
#include <filesystem>
#include <fstream>
#include <optional>

#include "app/common/language.h"
#include "app/twinscan/file_table_model.h"
#include "app/twinscan/properties_dialog.h"
#include "app/twinscan/review_models.h"
#include "app/twinscan/review_pane.h"
#include "app/twinscan/twinscan_window.h"
#include "tests/app/box_answerer.h"
#include "tests/app/language_support.h"
#include "tests/support/temp_dir.h"

using pictray::testing::TempDir;
using pictray::twinscan::TwinscanWindow;
namespace fs = std::filesystem;
namespace ui = pictray::ui;

class TwinscanLanguageTest : public QObject {
  Q_OBJECT

  // A program folder with Twinscan.ini (`ini` lines) and erasekit, and a
  // source folder with one pair of copies and one single file.
  struct Setup {
    TempDir bin, src;
    std::string program;
    explicit Setup(const std::string& ini) {
      program = bin.path() + "/Twinscan";
      std::ofstream(bin.path() + "/Twinscan.ini") << "[Section0]\n" << ini;
      fs::create_symlink(PICTRAY_BIN_DIR "/erasekit", bin.path() + "/erasekit");
      src.Write("a.jpg", std::string(500, 'a'));
      src.Write("b.jpg", std::string(500, 'a'));
      src.Write("c.jpg", std::string(500, 'c'));
    }
  };

 private slots:
  void initTestCase() {
    static TempDir home;
    qputenv("HOME", QByteArray::fromStdString(home.path()));
    qputenv("XDG_DATA_HOME", QByteArray::fromStdString(home.path() + "/data"));
  }

  // Every text of the window and its properties dialog is English, and the
  // buttons hold their English texts at 1024 x 700.
  void englishWindowAndDialogShowNoJapanese() {
    English english({"common", "twinscan"});
    QVERIFY(english.ok);
    Setup s("");
    TwinscanWindow w(s.program, "");
    w.resize(1024, 700);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    const QStringList shown = ShownTexts(&w);
    QVERIFY(shown.contains("Extract copies"));
    for (const QString& t : shown) QVERIFY2(!HasJapanese(t), qPrintable(t));

    pictray::twinscan::PropertiesDialog dialog(&w, w.profile, "Twinscan", w.windowIcon());
    const QStringList dialogTexts = ShownTexts(&dialog);
    QVERIFY(dialogTexts.contains("Properties"));
    for (const QString& t : dialogTexts) QVERIFY2(!HasJapanese(t), qPrintable(t));
  }

  // The texts of buttons and labels fit their controls in either language
  // at 1024 x 700, the window and its properties dialog alike.
  void textsFitTheirControls_data() {
    QTest::addColumn<bool>("english");
    QTest::newRow("Japanese") << false;
    QTest::newRow("English") << true;
  }
  void textsFitTheirControls() {
    QFETCH(bool, english);
    std::optional<English> translations;
    if (english) translations.emplace(QStringList{"common", "twinscan"});
    Setup s("");
    TwinscanWindow w(s.program, "");
    w.resize(1024, 700);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    pictray::twinscan::PropertiesDialog dialog(&w, w.profile, "Twinscan", w.windowIcon());
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    // Every page of the window's tabs in turn, each laid out as it shows.
    auto* tabs = w.findChild<QTabWidget*>();
    for (int page = 0; page < tabs->count(); ++page) {
      tabs->setCurrentIndex(page);
      QApplication::processEvents();
      for (QWidget* top : {static_cast<QWidget*>(&w), static_cast<QWidget*>(&dialog)}) {
        for (QAbstractButton* b : top->findChildren<QAbstractButton*>()) {
          const auto* tool = qobject_cast<QToolButton*>(b);
          if (!b->isVisible() || b->text().isEmpty() || (tool && tool->toolButtonStyle() == Qt::ToolButtonIconOnly))
            continue;
          const int icon = b->icon().isNull() ? 0 : b->iconSize().width();
          const int needed = b->fontMetrics().horizontalAdvance(b->text()) + icon + 12;
          QVERIFY2(needed <= b->width(), qPrintable(b->text()));
        }
        for (QLabel* l : top->findChildren<QLabel*>())
          if (l->isVisible() && !l->text().isEmpty() && !l->wordWrap())
            QVERIFY2(l->fontMetrics().horizontalAdvance(l->text()) <= l->width(), qPrintable(l->text()));
      }
    }
  }

  // Every text of the translation files has an English translation that
  // holds no Japanese (a text added without one fails here).
  void everyTranslationIsEnglish_data() {
    QTest::addColumn<QString>("file");
    QTest::newRow("common") << "common_en.ts";
    QTest::newRow("twinscan") << "twinscan_en.ts";
  }
  void everyTranslationIsEnglish() {
    QFETCH(QString, file);
    English english({"common", "twinscan"});
    VerifyEveryTranslationIsEnglish(PICTRAY_SOURCE_DIR "/translations/" + file);
  }

  // What the runs say and ask reaches the user in English.
  void messagesOfTheRunsAreEnglish() {
    English english({"common", "twinscan"});
    Setup s("");
    s.src.Write("夏_%2.jpg", std::string(300, 'n'));
    s.src.Write("夏_%2 copy.jpg", std::string(300, 'n'));
    BoxAnswerer boxes;
    boxes.Queue({6, 6, 6});
    TwinscanWindow w(s.program, s.src.path());
    w.show();
    QTRY_COMPARE(w.countLabel()->text(), QString("5"));
    QTRY_VERIFY(!w.running());
    w.button(pictray::twinscan::cmd::Extract)->click();
    QTRY_COMPARE(boxes.texts.size(), 1);
    QTRY_VERIFY(!w.running());
    w.button(pictray::twinscan::cmd::Delete)->click();
    QTRY_COMPARE(boxes.texts.size(), 3);
    QTRY_VERIFY(!w.running());
    QVERIFY2(boxes.texts[0].startsWith("Created the folder [same"), qPrintable(boxes.texts[0]));
    QCOMPARE(boxes.texts[1], QString("Delete the extraction folder?"));
    QCOMPARE(boxes.captions[1], QString("Delete/Don't"));
    QCOMPARE(boxes.texts[2], QString("(5->3) The extracted files were deleted"));
    QCOMPARE(boxes.captions[2], QString("OK/Quit the program"));
    for (const QString& t : boxes.texts + boxes.captions) QVERIFY2(!HasJapanese(t), qPrintable(t));
  }

  // A refused Keep= and the kept card's reason are told in English.
  void theKeepNoticeAndTheKeptReasonAreEnglish() {
    English english({"common", "twinscan"});
    Setup s("Keep=bogus\n");
    s.src.Write("IMG_3 (1).jpg", std::string(300, 'n'));
    s.src.Write("IMG_3.jpg", std::string(300, 'n'));
    BoxAnswerer boxes;
    TwinscanWindow w(s.program, s.src.path());
    w.show();
    QTRY_VERIFY(w.review.groups.size() == 2 && !w.running());
    const QString told = boxes.texts.value(0);
    QVERIFY(told.startsWith("Keep= in Twinscan.ini cannot be used: The keep rule has an unknown word: \"bogus\""));
    QVERIFY(told.endsWith(". The default order reference,companions,original,camera,pixels,size,format,date,name "
                          "chooses the kept files instead."));
    QStringList lines;
    for (const auto& g : w.review.groups) {
      const std::size_t row = g.members[g.kept].row;
      if (w.model()->lpData()[row].filename != "IMG_3.jpg") continue;
      const QAbstractItemModel* members = w.reviewPane()->memberView()->model();
      const auto* groups = static_cast<const pictray::twinscan::GroupListModel*>(w.reviewPane()->groupList()->model());
      w.reviewPane()->groupList()->selectRow(groups->RowOf(std::size_t(&g - w.review.groups.data())));
      lines = members->data(members->index(int(g.kept), 0), Qt::DisplayRole).toString().split('\n');
    }
    QCOMPARE(lines.value(lines.size() - 2), QString("★ Kept"));
    QCOMPARE(lines.last(), QString("Why: no copy marker"));
  }

  void languageArgument_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<bool>("given");
    QTest::addColumn<int>("language");  // 0 Japanese, 1 English
    QTest::addColumn<bool>("bad");
    QTest::addColumn<QStringList>("rest");
    QTest::newRow("none") << QStringList{"/pics/a b"} << false << 0 << false << QStringList{"/pics/a b"};
    QTest::newRow("en before the folder") << QStringList{"--lang", "en", "/pics"} << true << 1 << false
                                          << QStringList{"/pics"};
    QTest::newRow("ja with =") << QStringList{"/pics", "--lang=ja"} << true << 0 << false << QStringList{"/pics"};
    QTest::newRow("last one counts") << QStringList{"--lang=ja", "--lang", "en"} << true << 1 << false
                                     << QStringList{};
    QTest::newRow("unknown language") << QStringList{"--lang", "fr", "/pics"} << true << 0 << true << QStringList{};
    QTest::newRow("value missing") << QStringList{"/pics", "--lang"} << true << 0 << true << QStringList{};
  }
  void languageArgument() {
    QFETCH(QStringList, args);
    QFETCH(bool, given);
    QFETCH(int, language);
    QFETCH(bool, bad);
    QFETCH(QStringList, rest);
    std::vector<QByteArray> bytes{"Twinscan"};
    for (const QString& a : args) bytes.push_back(a.toUtf8());
    std::vector<char*> argv;
    for (QByteArray& b : bytes) argv.push_back(b.data());
    argv.push_back(nullptr);
    int argc = int(bytes.size());
    const ui::LanguageArgument a = ui::TakeLanguageArgument(argc, argv.data());
    QCOMPARE(a.given, given);
    QCOMPARE(!a.error.isEmpty(), bad);
    if (bad) return;
    QCOMPARE(int(a.language), language);
    QStringList left;
    for (int i = 1; i < argc; ++i) left << QString::fromUtf8(argv[i]);
    QCOMPARE(left, rest);
    QCOMPARE(argv[argc], nullptr);
  }
};

QTEST_MAIN(TwinscanLanguageTest)
#include "twinscan_language_test.moc"
