// Pictray: start-up. The window is built from the program's folder and the
// path given on the command line.
#include <QApplication>
#include <QFileInfo>

#include "app/pictray/main_window.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  pictray::app::StartOptions options;
  options.ProName = QFileInfo(QString::fromLocal8Bit(argv[0])).completeBaseName().toStdString();
  app.setApplicationName(QString::fromStdString(options.ProName));
  options.programDir = QCoreApplication::applicationDirPath().toStdString();
  options.CurrentDir = pictray::app::CommandLinePath(argc, argv);
  std::unique_ptr<pictray::app::MainWindow> window = pictray::app::MainWindow::Create(options);
  if (!window) return 1;
  window->show();
  return app.exec();
}
