#include "app/pictray/program_launcher.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QEventLoop>
#include <QWidget>

#include "app/common/process_spawn.h"
#include "engine/fs/paths.h"
#include "engine/settings/program_folders.h"
#include "engine/settings/settings_keys.h"

namespace pictray::app {
namespace {

std::string BaseName(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool IsCompanion(const std::string& program) {
  const std::string base = BaseName(program);
  return base == "Twinscan" || base == "Twinscan.exe";
}

bool IsExecutableFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

std::string Trimmed(const std::string& text) {
  const char* blanks = " \t\r\n\v\f";
  const std::size_t first = text.find_first_not_of(blanks);
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

void WriteCompanionPlace(QWidget* window, const std::string& programDir) {
  const fs::Env& env = fs::DefaultEnv();
  const std::string ini = LocateProgramFolders(env, programDir).settingsDir + "/Twinscan.ini";
  const QRect g = window->frameGeometry();
  WriteSetting(env, key::twinscan::Px, std::to_string(g.left() + 100), ini);
  WriteSetting(env, key::twinscan::Py, std::to_string(g.top() + 300), ini);
}

// Handles nothing configured and the companion's place; returns the
// program still to be started ("open" for the desktop's opener), or "".
std::string PrepareLaunch(QWidget* window, const std::string& application, const std::string& programDir) {
  const std::string program = ResolveProgram(application, programDir);
  if (!program.empty() && IsCompanion(program)) WriteCompanionPlace(window, programDir);
  return program;
}

}  // namespace

std::string ResolveProgram(const std::string& application, const std::string& programDir) {
  const std::string app = Trimmed(application);
  if (app.empty() || app == "open") return app;
  std::string path = AbsolutePath(app.front() == '/' ? app : programDir + "/" + app);
  // The companion keeps its Windows name in older settings files.
  const std::string exe = ".exe";
  const bool windowsName = path.size() > exe.size() && path.ends_with(exe);
  if (windowsName && !IsExecutableFile(path)) path.resize(path.size() - exe.size());
  return IsExecutableFile(path) ? path : std::string();
}

void shellOpenSubStalone(QWidget* window, const std::string& application, const std::string& folder,
                         bool wait, const std::string& programDir) {
  // The desktop's opener hands the folder on; it is not waited for.
  if (!wait || ResolveProgram(application, programDir) == "open") {
    shellOpenSub(window, application, folder, programDir);
    return;
  }
  const std::string program = PrepareLaunch(window, application, programDir);
  if (program.empty()) return;
  const pid_t pid = ui::SpawnOnPath(program, folder, programDir);
  if (pid < 0) return;
  QEventLoop loop;
  ui::WhenEnded(&loop, pid, [&loop](int) { loop.quit(); });
  window->setEnabled(false);
  loop.exec(QEventLoop::ExcludeUserInputEvents);
  window->setEnabled(true);
}

void shellOpenSub(QWidget* window, const std::string& application, const std::string& folder,
                  const std::string& programDir, std::function<void()> ended) {
  const std::string program = PrepareLaunch(window, application, programDir);
  if (program.empty()) return;
  const pid_t pid = ui::SpawnOnPath(program, folder, programDir);
  if (pid < 0) return;
  ui::WhenEnded(window, pid, [ended = std::move(ended)](int) {
    if (ended) ended();
  });
}

}  // namespace pictray::app
