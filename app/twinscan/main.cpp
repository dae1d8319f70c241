// Twinscan [--lang ja|en] [FOLDER]: finds the copies among the files of one folder.
#include <sys/stat.h>

#include <QApplication>
#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <cstdlib>

#include "app/common/language.h"
#include "app/common/message_box.h"
#include "app/common/text_bytes.h"
#include "app/common/qt_translations.h"
#include "app/twinscan/twinscan_window.h"
#include "engine/settings/program_folders.h"

namespace {

int RunTwinscan(int argc, char** argv) {
  using namespace pictray;
  const ui::LanguageArgument language = ui::TakeLanguageArgument(argc, argv);
  if (!language.error.isEmpty()) {
    std::fprintf(stderr, "Twinscan: %s\n", qPrintable(language.error));
    return 2;
  }
  QApplication app(argc, argv);
  const std::string programPath = QFile::encodeName(QCoreApplication::applicationFilePath()).toStdString();
  // Started through the link "twinscan" it is still Twinscan (message box
  // titles, the desktop's window class).
  app.setApplicationName(QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName());
  const ProgramFolders folders = LocateProgramFolders(fs::DefaultEnv(), programPath.substr(0, programPath.rfind('/')));
  QString error;
  if (!ui::InstallTranslations(app, ui::ChosenLanguage(language), ui::TextOf(folders.dataDir + "/translations"),
                               {"common", "twinscan"}, &error))
    std::fprintf(stderr, "Twinscan: %s\n", qPrintable(error));  // the window stays Japanese
  // Qt's own dialogs (file pickers, standard buttons) speak the window's Japanese too.
  if (ui::ChosenLanguage(language) == ui::Language::Japanese) ui::InstallQtTranslations(app);
  // The command line as one text, as a folder with blanks may arrive split.
  std::string cmdLine;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) cmdLine += ' ';
    cmdLine += argv[i];
  }
  struct stat st {};
  if (::stat(twinscan::TwinscanWindow::DeleterPath(programPath).c_str(), &st) != 0) {
    ui::MessageBox1Q(nullptr, "erasekit dll_error", Button::Err, Button::Err);
    return 1;
  }
  twinscan::TwinscanWindow window(programPath, cmdLine);
  window.show();
  return app.exec();
}

}  // namespace

int main(int argc, char** argv) {
  const int code = RunTwinscan(argc, argv);
  // A thumbnail may still be decoding: the thumbnail library cannot stop it,
  // and the libraries' static destructors must not run under it.
  std::fflush(nullptr);
  std::quick_exit(code);
}
