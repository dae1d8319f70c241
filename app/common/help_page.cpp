#include "app/common/help_page.h"

#include <sys/stat.h>

#include <QCoreApplication>

#include "app/common/process_spawn.h"

namespace pictray::ui {
namespace {

// The desktop's choice first, then Debian's browser alternatives.
constexpr const char* kOpeners[] = {"xdg-open", "sensible-browser", "x-www-browser"};

// `text`, translated, with %1 replaced by the page's path as it is.
std::string WithPage(const char* text, const std::string& helpfile) {
  std::string out = QCoreApplication::translate("ui", text).toUtf8().toStdString();
  if (const std::size_t at = out.find("%1"); at != std::string::npos) out.replace(at, 2, helpfile);
  return out;
}

std::string NoBrowserMessage(const std::string& helpfile) {
  return WithPage(
      QT_TRANSLATE_NOOP("ui", "ヘルプを表示するブラウザを起動できません。次のファイルをブラウザで開いて下さい: %1"),
      helpfile);
}

}  // namespace

std::string HelpPageEnding() {
  return QCoreApplication::translate("ui", "help.html", "the end of the help page's file name")
      .toUtf8()
      .toStdString();
}

void OpenHelpPage(QObject* owner, const std::string& helpfile,
                  const std::function<void(const std::string&)>& report) {
  struct stat st {};
  if (::stat(helpfile.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
    report(WithPage(QT_TRANSLATE_NOOP("ui", "ヘルプファイルがありません: %1"), helpfile));
    return;
  }
  for (const char* name : kOpeners) {
    const std::string opener = FindInPath(name);
    if (opener.empty()) continue;
    const pid_t pid = SpawnProgram(opener, {helpfile}, {});
    if (pid < 0) continue;
    WhenEnded(owner, pid, [report, helpfile](int code) {
      if (code != 0) report(NoBrowserMessage(helpfile));
    });
    return;
  }
  report(NoBrowserMessage(helpfile));
}

}  // namespace pictray::ui
