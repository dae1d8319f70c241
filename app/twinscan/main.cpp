// Twinscan [FOLDER]: finds the copies among the files of one folder.
#include <sys/stat.h>

#include <QApplication>
#include <QFile>

#include "app/common/message_box.h"
#include "app/common/qt_translations.h"
#include "app/twinscan/twinscan_window.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  pictray::ui::InstallQtTranslations(app);  // without it Qt's own dialogs stay English
  const std::string programPath = QFile::encodeName(QCoreApplication::applicationFilePath()).toStdString();
  // The command line as one text, as a folder with blanks may arrive split.
  std::string cmdLine;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) cmdLine += ' ';
    cmdLine += argv[i];
  }
  struct stat st {};
  if (::stat(pictray::twinscan::TwinscanWindow::DeleterPath(programPath).c_str(), &st) != 0) {
    pictray::ui::MessageBox1Q(nullptr, "erasekit dll_error", "err", "err");
    return 1;
  }
  pictray::twinscan::TwinscanWindow window(programPath, cmdLine);
  window.show();
  return app.exec();
}
