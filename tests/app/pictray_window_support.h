// Starting the Pictray main window in tests and waiting for its runs.
#pragma once

#include <QFile>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

#include "app/pictray/main_window.h"
#include "tests/app/box_answerer.h"

// A program folder holding the thumbnail library, as build/bin does.
inline QString MakeProgramDir(QTemporaryDir& dir, bool withLibrary = true) {
  if (withLibrary) QFile::link(QString(PICTRAY_BIN_DIR) + "/libthumbkit.so", dir.filePath("libthumbkit.so"));
  return dir.path();
}

// Builds and shows the window as start-up does, with `arg` as the command line.
inline std::unique_ptr<pictray::app::MainWindow> StartPictray(QTemporaryDir& programDir,
                                                              const QString& arg = {}) {
  pictray::app::StartOptions o;
  o.programDir = MakeProgramDir(programDir).toStdString();
  o.CurrentDir = arg.toStdString();
  auto w = pictray::app::MainWindow::Create(o);
  if (w) w->show();
  return w;
}

// Waits until the box `text` was answered, no run is active any more and
// the window has shown the run's end: the run lets its registration go
// before its end reaches the window, and until then its buttons stay off.
inline bool WaitForRun(pictray::app::MainWindow& w, BoxAnswerer& boxes, const QString& text) {
  return QTest::qWaitFor(
      [&] { return boxes.texts.contains(text) && !w.state().runs.Active() && w.fileListView()->isEnabled(); },
      15000);
}
