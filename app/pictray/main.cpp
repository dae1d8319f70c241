// Pictray [--lang ja|en] [PATH]: start-up. The window is built from the
// program's folder and the path given on the command line.
#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "app/common/language.h"
#include "app/common/qt_translations.h"
#include "app/common/text_bytes.h"
#include "app/pictray/main_window.h"
#include "engine/settings/program_folders.h"

namespace {

// The program file as the file system's bytes (Qt's own answer is text),
// links resolved: started through a link of another name it is still itself.
std::filesystem::path ProgramFile() {
  std::error_code ec;
  const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::filesystem::path(pictray::ui::BytesOf(QCoreApplication::applicationFilePath())) : exe;
}

// Start-up to the end of the window's event loop; the window and Qt are
// gone when it returns.
int RunPictray(int argc, char** argv) {
  using namespace pictray;
  const ui::LanguageArgument language = ui::TakeLanguageArgument(argc, argv);
  if (!language.error.isEmpty()) {
    std::fprintf(stderr, "Pictray: %s\n", qPrintable(language.error));
    return 2;
  }
  QApplication app(argc, argv);
  const std::filesystem::path program = ProgramFile();
  app::StartOptions options;
  options.ProName = program.stem().native();
  app.setApplicationName(ui::TextOf(options.ProName));
  options.programDir = program.parent_path().native();
  QString error;
  const ProgramFolders folders = LocateProgramFolders(fs::DefaultEnv(), options.programDir);
  if (!ui::InstallTranslations(app, ui::ChosenLanguage(language), ui::TextOf(folders.dataDir + "/translations"),
                               {"common", "pictray"}, &error))
    std::fprintf(stderr, "Pictray: %s\n", qPrintable(error));  // the window stays Japanese
  // Qt's own dialogs (folder browser, file pickers) speak the window's Japanese too.
  if (ui::ChosenLanguage(language) == ui::Language::Japanese) ui::InstallQtTranslations(app);
  options.CurrentDir = app::CommandLinePath(argc, argv);
  std::unique_ptr<app::MainWindow> window = app::MainWindow::Create(options);
  if (!window) return 1;
  window->show();
  return app.exec();
}

}  // namespace

int main(int argc, char** argv) {
  const int code = RunPictray(argc, argv);
  // A preview may still be decoding: the thumbnail library cannot stop it,
  // and the libraries' static destructors must not run under it.
  std::fflush(nullptr);
  std::quick_exit(code);
}
