// The main window's controls as the builder makes them: each under its name,
// each sending its own command id, the file list answering from the rows.
#include <QAbstractButton>
#include <QApplication>
#include <QPalette>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QTableView>
#include <QtTest>

#include "app/common/control_factory.h"
#include "app/pictray/list_models.h"
#include "app/pictray/window_builder.h"
#include "engine/run/command_ids.h"

using pictray::Control;
using pictray::app::PreReadButton;
using pictray::app::WindowBuilder;
using pictray::app::WindowControls;
namespace cmd = pictray::cmd;

class WindowBuilderTest : public QObject {
  Q_OBJECT

  QMainWindow window;
  pictray::FileList rows;
  QList<int> sent;
  WindowControls built;

 private slots:
  void initTestCase() {
    const PreReadButton preRead{"viewer", true, "/nowhere"};
    built = WindowBuilder(window, [this](int id) { sent << id; }).Build(rows, preRead);
  }

  void everyControlIsHandedBackUnderItsName() {
    const std::pair<Control, const char*> named[] = {
        {Control::BT01, "BT01"}, {Control::BT02, "BT02"}, {Control::BT03, "BT03"}, {Control::BT04, "BT04"},
        {Control::BT05, "BT05"}, {Control::BT06, "BT06"}, {Control::BT07, "BT07"}, {Control::BT08, "BT08"},
        {Control::BT09, "BT09"}, {Control::BT10, "BT10"}, {Control::BT11, "BT11"}, {Control::BT12, "BT12"},
        {Control::BT13, "BT13"}, {Control::BT14, "BT14"}, {Control::BT15, "BT15"}, {Control::BT16, "BT16"}, {Control::BT17, "BT17"},
        {Control::BT101, "BT101"}, {Control::ED01, "ED01"}, {Control::CB01, "CB01"}, {Control::LV01, "LV01"},
        {Control::LV02, "LV02"},  {Control::LV03, "LV03"},  {Control::PR01, "PR01"},  {Control::PR02, "PR02"}};
    for (const auto& [c, name] : named) {
      QVERIFY2(built.controls.count(c), name);
      QCOMPARE(built.controls.at(c)->objectName(), QString(name));
    }
    QCOMPARE(built.controls.at(Control::ED01), built.ED01);
    QCOMPARE(built.controls.at(Control::LV01), built.LV01);
    QCOMPARE(built.controls.at(Control::BT101), built.BT101);
    QCOMPARE(built.statusParts[1]->objectName(), QString("status1"));
    // Nothing to move before a list has targets; the pre-read switch as stored.
    QVERIFY(!built.controls.at(Control::BT01)->isEnabled());
    QVERIFY(built.BT101->isChecked());
    QCOMPARE(built.BT101->toolTip(), QString("viewer"));
  }

  // Every toggle looks unmistakably on when it is on, in the default and in
  // a dark palette: far apart in colour, not a shade of grey.
  void everyToggleStandsOutWhenOn() {
    auto look = [](QPushButton* b, bool on) {
      b->setChecked(on);
      return b->grab().toImage().scaled(1, 1, Qt::IgnoreAspectRatio, Qt::SmoothTransformation).pixelColor(0, 0);
    };
    QPalette dark(QColor(55, 55, 55), QColor(40, 40, 40));
    const QPalette light = QApplication::palette();
    window.show();
    int toggles = 0;
    for (const QPalette& palette : {light, dark}) {
      QApplication::setPalette(palette);
      for (QPushButton* b : window.findChildren<QPushButton*>()) {
        if (!b->isCheckable() || !b->isVisible()) continue;
        const bool was = b->isChecked();
        const QColor off = look(b, false), on = look(b, true);
        b->setChecked(was);
        const int distance = std::abs(on.red() - off.red()) + std::abs(on.green() - off.green()) + std::abs(on.blue() - off.blue());
        QVERIFY2(distance > 150, qPrintable(b->objectName() + ": " + QString::number(distance)));
        ++toggles;
      }
    }
    QApplication::setPalette(light);
    QVERIFY(toggles >= 2 * 10);
  }

  void everyButtonMenuItemAndTheNameFieldSendTheirCommand() {
    for (auto* b : window.findChildren<QAbstractButton*>()) {
      if (pictray::ui::ControlId(b) < 0) continue;
      sent.clear();
      b->setEnabled(true);  // BT01 starts disabled
      b->click();
      QCOMPARE(sent, QList<int>{pictray::ui::ControlId(b)});
    }
    sent.clear();
    for (QAction* menu : window.menuBar()->actions())
      for (QAction* item : menu->menu()->actions())
        if (!item->isSeparator()) item->trigger();
    QCOMPARE(sent, (QList<int>{cmd::MenuOpen, cmd::MenuListUp, cmd::MenuClear, cmd::MenuSearch, cmd::Abort,
                               cmd::MenuUndoMove, cmd::MenuExit, cmd::Grid4, cmd::Grid8, cmd::MenuAnalysisSettings, cmd::MenuDisplaySettings,
                               cmd::MenuProperties, cmd::MenuHelp}));
    sent.clear();
    emit built.CB01->returnPressed();
    emit built.ED01->returnPressed();
    QCOMPARE(sent, (QList<int>{cmd::Search, cmd::MenuListUp}));
  }

  void theFileListAnswersFromTheRows() {
    rows.append({pictray::Row{"a.jpg", "", "", ""}});
    built.fileListModel->SetItemCount(1);
    QCOMPARE(built.LV01->model(), built.fileListModel);
    QCOMPARE(built.LV01->model()->index(0, 0).data().toString(), QString("a.jpg"));
  }
};

QTEST_MAIN(WindowBuilderTest)
#include "pictray_window_builder_test.moc"
