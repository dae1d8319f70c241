// Pictray: start-up. The window is built from the program's folder and the
// path given on the command line.
#include <QApplication>
#include <QFileInfo>

#include <filesystem>
#include <system_error>

#include "app/common/qt_translations.h"
#include "app/common/text_bytes.h"
#include "app/pictray/main_window.h"

namespace {

// The program's folder as the file system's bytes (Qt's own answer is text).
std::string ProgramFolder() {
  std::error_code ec;
  const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? pictray::ui::BytesOf(QCoreApplication::applicationDirPath()) : exe.parent_path().native();
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  pictray::ui::InstallQtTranslations(app);  // without it Qt's own dialogs stay English
  pictray::app::StartOptions options;
  options.ProName = QFileInfo(QString::fromLocal8Bit(argv[0])).completeBaseName().toStdString();
  app.setApplicationName(QString::fromStdString(options.ProName));
  options.programDir = ProgramFolder();
  options.CurrentDir = pictray::app::CommandLinePath(argc, argv);
  std::unique_ptr<pictray::app::MainWindow> window = pictray::app::MainWindow::Create(options);
  if (!window) return 1;
  window->show();
  return app.exec();
}
