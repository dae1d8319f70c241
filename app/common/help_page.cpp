#include "app/common/help_page.h"

#include <sys/stat.h>

#include "app/common/process_spawn.h"

namespace pictray::ui {
namespace {

// The desktop's choice first, then Debian's browser alternatives.
constexpr const char* kOpeners[] = {"xdg-open", "sensible-browser", "x-www-browser"};

std::string NoBrowserMessage(const std::string& helpfile) {
  return "ヘルプを表示するブラウザを起動できません。次のファイルをブラウザで開いて下さい: " + helpfile;
}

}  // namespace

void OpenHelpPage(QObject* owner, const std::string& helpfile,
                  const std::function<void(const std::string&)>& report) {
  struct stat st {};
  if (::stat(helpfile.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
    report("ヘルプファイルがありません: " + helpfile);
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
