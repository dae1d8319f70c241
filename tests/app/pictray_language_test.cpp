// Pictray in English: every text of the window and its dialogs, the
// window's own messages, the engine's composed texts and the help page.

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QtTest>
#include <functional>
#include <memory>
#include <optional>

#include "app/pictray/all_rgb_dialog.h"
#include "app/pictray/analysis_dialog.h"
#include "app/pictray/controls.h"
#include "app/pictray/display_dialog.h"
#include "app/pictray/part_rgb_dialog.h"
#include "app/pictray/prgb_dialog.h"
#include "app/pictray/properties_dialog.h"
#include "app/pictray/rgb_dialog.h"
#include "app/pictray/srgb_dialog.h"
#include "engine/run/command_ids.h"
#include "tests/app/language_support.h"
#include "tests/app/pictray_window_support.h"

namespace app = pictray::app;
namespace cmd = pictray::cmd;
namespace ui = pictray::ui;
using pictray::Control;

namespace {

// Pictray's translations.
class PictrayEnglish : public English {
 public:
  PictrayEnglish() : English({"common", "pictray"}) {}
};

// Where a text is shown too narrow for it, as "text (needed > width)".
QStringList CutTexts(QWidget* top) {
  QStringList cut;
  auto check = [&](const QString& text, int needed, int width) {
    if (needed > width) cut << QString("%1 (%2 > %3)").arg(text).arg(needed).arg(width);
  };
  for (QAbstractButton* b : top->findChildren<QAbstractButton*>()) {
    if (b->text().isEmpty() || !b->isVisible()) continue;
    if (qobject_cast<QCheckBox*>(b) || qobject_cast<QRadioButton*>(b)) {
      check(b->text(), b->sizeHint().width(), b->width());
      continue;
    }
    int needed = 0;
    for (const QString& line : b->text().split('\n'))
      needed = std::max(needed, b->fontMetrics().horizontalAdvance(line));
    check(b->text(), needed + (b->icon().isNull() ? 0 : b->iconSize().width()) + 12, b->width());
  }
  for (QLabel* l : top->findChildren<QLabel*>()) {
    // The help lines beside the result list are cut short on purpose when
    // the window is narrow; each carries the whole line as its tooltip.
    if (l->text().isEmpty() || l->wordWrap() || !l->isVisible() || l->toolTip() == l->text()) continue;
    check(l->text(), l->fontMetrics().horizontalAdvance(l->text()), l->width());
  }
  for (QGroupBox* g : top->findChildren<QGroupBox*>())
    if (g->isVisible()) check(g->title(), g->fontMetrics().horizontalAdvance(g->title()), g->width());
  return cut;
}

using DialogFactory = std::function<QDialog*(const app::SettingsFiles&, const QString& dir)>;

// Each dialog of the window, made as the window makes it.
const QList<QPair<const char*, DialogFactory>>& Dialogs() {
  static const QList<QPair<const char*, DialogFactory>> dialogs = {
      {"RGB analysis", [](auto& f, auto&) { return new app::RgbDialog(nullptr, f); }},
      {"RGB ratio sort", [](auto& f, auto&) { return new app::PrgbDialog(nullptr, f); }},
      {"RGB strength sort", [](auto& f, auto&) { return new app::SrgbDialog(nullptr, f); }},
      {"Analysis settings", [](auto& f, auto&) { return new app::AnalysisDialog(nullptr, f); }},
      {"Display settings", [](auto& f, auto&) { return new app::DisplayDialog(nullptr, f); }},
      {"Properties",
       [](auto& f, auto& d) { return new app::PropertiesDialog(nullptr, f, d.toStdString(), "Pictray", QIcon()); }},
      {"All colours (all RGB)",
       [](auto& f, auto& d) { return new app::AllRgbDialog(nullptr, f, "", 10, (d + "/none.jpg").toStdString()); }},
      {"Part colours (part RGB)",
       [](auto& f, auto& d) {
         return new app::PartRgbDialog(nullptr, f, "", 10, (d + "/none.jpg").toStdString(), nullptr,
                                       (d + "/bit.$$$").toStdString());
       }},
  };
  return dialogs;
}

}  // namespace

class PictrayLanguageTest : public QObject {
  Q_OBJECT

  QTemporaryDir dir_;
  app::SettingsFiles files_{dir_.filePath("work.ini").toStdString(), dir_.filePath("Pictray.ini").toStdString()};

 private slots:
  // The window, its menus and every dialog show English only, and name
  // every button and list in English.
  void englishWindowAndDialogsShowNoJapanese_data() {
    QTest::addColumn<int>("dialog");  // -1: the main window
    QTest::newRow("main window") << -1;
    for (int i = 0; i < Dialogs().size(); ++i) QTest::newRow(Dialogs()[i].first) << i;
  }
  void englishWindowAndDialogsShowNoJapanese() {
    QFETCH(int, dialog);
    PictrayEnglish english;
    QVERIFY(english.ok);
    QTemporaryDir programDir;
    BoxAnswerer boxes;
    std::unique_ptr<QWidget> top;
    QString title;
    if (dialog < 0) {
      top = StartPictray(programDir);
      QVERIFY(top);
      title = "Undo the move";  // a menu entry
    } else {
      top.reset(Dialogs()[dialog].second(files_, dir_.path()));
      title = Dialogs()[dialog].first;
    }
    const QStringList shown = ShownTexts(top.get());
    QVERIFY2(shown.contains(title), qPrintable(shown.join(" | ")));
    for (const QString& t : shown) QVERIFY2(!HasJapanese(t), qPrintable(t));
    QCOMPARE(UnnamedControls(top.get()), QStringList());
    QVERIFY(boxes.texts.isEmpty());
  }

  // The texts of buttons, labels and groups fit their controls at
  // 1024 x 700, in either language.
  void textsFitTheirControls_data() {
    QTest::addColumn<bool>("english");
    QTest::addColumn<int>("dialog");
    for (const bool english : {false, true}) {
      const char* language = english ? "English" : "Japanese";
      QTest::addRow("%s main window", language) << english << -1;
      for (int i = 0; i < Dialogs().size(); ++i) QTest::addRow("%s %s", language, Dialogs()[i].first) << english << i;
    }
  }
  void textsFitTheirControls() {
    QFETCH(bool, english);
    QFETCH(int, dialog);
    std::optional<PictrayEnglish> translations;
    if (english) translations.emplace();
    QTemporaryDir programDir;
    BoxAnswerer boxes;
    std::unique_ptr<QWidget> top;
    if (dialog < 0) {
      top = StartPictray(programDir);
      QVERIFY(top);
      top->setWindowState(Qt::WindowNoState);
      top->resize(1024, 700);
    } else {
      top.reset(Dialogs()[dialog].second(files_, dir_.path()));
      top->show();
    }
    QVERIFY(QTest::qWaitForWindowExposed(top.get()));
    QVERIFY(top->width() <= 1024 && top->height() <= 700);
    const QStringList cut = CutTexts(top.get());
    QVERIFY2(cut.isEmpty(), qPrintable(cut.join(" | ")));
  }

  // Every text of the translation files has an English translation that
  // holds no Japanese, and so has every template of the engine's texts.
  void everyTranslationIsEnglish_data() {
    QTest::addColumn<QString>("file");
    QTest::newRow("common") << "common_en.ts";
    QTest::newRow("pictray") << "pictray_en.ts";
  }
  void everyTranslationIsEnglish() {
    QFETCH(QString, file);
    PictrayEnglish english;
    VerifyEveryTranslationIsEnglish(PICTRAY_SOURCE_DIR "/translations/" + file);
  }

  // The window's own messages are English; names keep their bytes, also
  // where they look like a marker.
  void windowMessagesAreEnglish_data() {
    QTest::addColumn<int>("command");
    QTest::addColumn<QString>("field");  // the folder field ("<dir>" stands for a temporary folder)
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("captions");
    QTest::newRow("unknown command") << 99999 << ""
                                     << "Unknown command: 99999"
                                     << "OK/OK";
    QTest::newRow("grid") << cmd::Grid4 << ""
                          << "Set to 4X4"
                          << "OK/OK";
    QTest::newRow("nothing to undo, no folder") << cmd::MenuUndoMove << ""
                                                << "There is no move to undo: "
                                                << "OK/OK";
    QTest::newRow("nothing to undo in a folder") << cmd::MenuUndoMove << "<dir>/夏_%2"
                                                 << "There is no move to undo: <dir>/夏_%2"
                                                 << "OK/OK";
    QTest::newRow("move before listing") << cmd::MoveStart << "<dir>"
                                         << "No folder is listed. List a folder before moving"
                                         << "OK/OK";
    QTest::newRow("help page missing") << cmd::MenuHelp << ""
                                       << "The help file is missing: <program>/Pictrayhelp_en.html"
                                       << "OK/OK";
  }
  void windowMessagesAreEnglish() {
    QFETCH(int, command);
    QFETCH(QString, field);
    QFETCH(QString, message);
    QFETCH(QString, captions);
    PictrayEnglish english;
    QTemporaryDir programDir, folder;
    BoxAnswerer boxes;
    auto w = StartPictray(programDir);
    QVERIFY(w);
    auto fill = [&](QString s) { return s.replace("<dir>", folder.path()).replace("<program>", programDir.path()); };
    static_cast<QLineEdit*>(w->control(Control::ED01))->setText(fill(field));
    w->Command(command);
    QTRY_COMPARE(boxes.texts.size(), 1);
    QCOMPARE(boxes.texts[0], fill(message).replace('\n', QChar(0x240A)));
    QCOMPARE(boxes.captions[0], captions);
  }
};

QTEST_MAIN(PictrayLanguageTest)
#include "pictray_language_test.moc"
