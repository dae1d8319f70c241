// Pictray: start-up. The window is built from the program's folder and the
// path given on the command line.
#include <QApplication>
#include <QFileInfo>

#include "app/pictray/main_window.h"

namespace {

// The path of the command line: one argument, or several joined by blanks
// (a path with blanks given without quotes); surrounding quotes removed.
std::string CommandLinePath(int argc, char** argv) {
  std::string path;
  for (int i = 1; i < argc; ++i) path += (i > 1 ? " " : "") + std::string(argv[i]);
  if (path.size() >= 2 && path.front() == '"' && path.back() == '"') path = path.substr(1, path.size() - 2);
  return path;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  pictray::app::StartOptions options;
  options.ProName = QFileInfo(QString::fromLocal8Bit(argv[0])).completeBaseName().toStdString();
  app.setApplicationName(QString::fromStdString(options.ProName));
  options.programDir = QCoreApplication::applicationDirPath().toStdString();
  options.CurrentDir = CommandLinePath(argc, argv);
  std::unique_ptr<pictray::app::MainWindow> window = pictray::app::MainWindow::Create(options);
  if (!window) return 1;
  window->show();
  return app.exec();
}
