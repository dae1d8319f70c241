// How long the Pictray window's event loop is kept from running while it
// lists a folder and then runs the size analysis over every row.
// Usage (offscreen): bench_window_stall FOLDER
// Prints "listup S", "size S", "total S", "longest_stall MS" (the longest
// time between two turns of a 1 ms timer) and when that stall ended (S).
#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>

#include "app/pictray/main_window.h"
#include "tests/app/box_answerer.h"

namespace {

// Serves events until `done` holds.
void ServeUntil(const std::function<bool()>& done) {
  QEventLoop loop;
  QTimer check;
  QObject::connect(&check, &QTimer::timeout, [&] {
    if (done()) loop.quit();
  });
  check.start(20);
  loop.exec();
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
    return 2;
  }
  const QString folder = QString::fromLocal8Bit(argv[1]);
  QTemporaryDir programDir;
  QFile::link(QString(PICTRAY_BIN_DIR) + "/libthumbkit.so", programDir.filePath("libthumbkit.so"));
  pictray::app::StartOptions options;
  options.programDir = programDir.path().toStdString();
  auto w = pictray::app::MainWindow::Create(options);
  if (!w) return 1;
  w->show();
  BoxAnswerer boxes;

  QElapsedTimer clock;
  qint64 last = 0, longest = 0, longestAt = 0;
  QTimer tick;
  QObject::connect(&tick, &QTimer::timeout, [&] {
    const qint64 now = clock.elapsed();
    if (now - last > longest) {
      longest = now - last;
      longestAt = now;
    }
    last = now;
  });
  clock.start();
  tick.start(1);

  w->findChild<QLineEdit*>("ED01")->setText(folder);
  qobject_cast<QAbstractButton*>(w->control(pictray::Control::BT02))->click();
  ServeUntil([&] { return boxes.texts.contains("Listup終了") && !w->state().runs.Active(); });
  const qint64 listed = clock.elapsed();
  qobject_cast<QAbstractButton*>(w->control(pictray::Control::BT13))->click();
  ServeUntil([&] { return boxes.texts.contains("SIZE解析処理終了") && !w->state().runs.Active(); });
  const qint64 total = clock.elapsed();
  std::printf("rows %zu\nlistup %.3f\nsize %.3f\ntotal %.3f\nlongest_stall %lld\nlongest_stall_ended %.3f\n",
              w->state().rows.ListMax(), listed / 1000.0, (total - listed) / 1000.0, total / 1000.0,
              static_cast<long long>(longest), longestAt / 1000.0);
  return 0;
}
