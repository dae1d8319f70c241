#include "app/pictray/program_launcher.h"

#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QByteArray>
#include <QDesktopServices>
#include <QEventLoop>
#include <QTimer>
#include <QUrl>
#include <QWidget>

#include <functional>

#include "engine/fs/paths.h"
#include "engine/settings/program_folders.h"
#include "engine/settings/settings_keys.h"

extern char** environ;

namespace pictray::app {
namespace {

constexpr int kReapPollMs = 50;

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
  const std::string ini = LocateProgramFolders(programDir).settingsDir + "/Twinscan.ini";
  const QRect g = window->frameGeometry();
  WriteSetting(key::twinscan::Px, std::to_string(g.left() + 100), ini);
  WriteSetting(key::twinscan::Py, std::to_string(g.top() + 300), ini);
}

// A file URL built from the path's bytes, so that a name that is not UTF-8
// reaches the desktop unchanged.
QUrl FileUrl(const std::string& path) {
  return QUrl::fromEncoded("file://" + QByteArray::fromStdString(path).toPercentEncoding("/"));
}

// Handles what needs no process ("open", nothing configured) and the
// companion's place; returns the program still to be started, or "".
std::string PrepareLaunch(QWidget* window, const std::string& application, const std::string& folder,
                          const std::string& programDir) {
  const std::string program = ResolveProgram(application, programDir);
  if (program == "open") {
    QDesktopServices::openUrl(FileUrl(folder));
    return {};
  }
  if (!program.empty() && IsCompanion(program)) WriteCompanionPlace(window, programDir);
  return program;
}

// Starts `program` in `programDir` with the bytes of `folder` as its one
// argument (QProcess would pass its arguments through UTF-8). The process
// id, or -1 when it cannot be started.
pid_t Spawn(const std::string& program, const std::string& folder, const std::string& programDir) {
  posix_spawn_file_actions_t actions;
  posix_spawnattr_t attr;
  posix_spawn_file_actions_init(&actions);
  posix_spawnattr_init(&attr);
  posix_spawn_file_actions_addchdir_np(&actions, programDir.c_str());
  // The program starts with the signals as a fresh process has them.
  sigset_t none, all;
  sigemptyset(&none);
  sigfillset(&all);
  posix_spawnattr_setsigmask(&attr, &none);
  posix_spawnattr_setsigdefault(&attr, &all);
  posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  std::string arg0 = program, arg1 = folder;
  char* argv[] = {arg0.data(), arg1.data(), nullptr};
  pid_t pid = -1;
  const int rc = ::posix_spawn(&pid, program.c_str(), &actions, &attr, argv, environ);
  posix_spawnattr_destroy(&attr);
  posix_spawn_file_actions_destroy(&actions);
  return rc == 0 ? pid : -1;
}

// Collects the process once it has ended, polling from `owner`'s event loop,
// then calls `ended`. Until then the process is left alone.
void WhenEnded(QObject* owner, pid_t pid, std::function<void()> ended) {
  auto* timer = new QTimer(owner);
  QObject::connect(timer, &QTimer::timeout, timer, [timer, pid, ended = std::move(ended)] {
    int status = 0;
    if (::waitpid(pid, &status, WNOHANG) == 0) return;  // still running
    timer->stop();
    timer->deleteLater();
    if (ended) ended();
  });
  timer->start(kReapPollMs);
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
  if (!wait) {
    shellOpenSub(window, application, folder, programDir);
    return;
  }
  const std::string program = PrepareLaunch(window, application, folder, programDir);
  if (program.empty()) return;
  const pid_t pid = Spawn(program, folder, programDir);
  if (pid < 0) return;
  QEventLoop loop;
  WhenEnded(&loop, pid, [&loop] { loop.quit(); });
  window->setEnabled(false);
  loop.exec(QEventLoop::ExcludeUserInputEvents);
  window->setEnabled(true);
}

void shellOpenSub(QWidget* window, const std::string& application, const std::string& folder,
                  const std::string& programDir, std::function<void()> ended) {
  const std::string program = PrepareLaunch(window, application, folder, programDir);
  if (program.empty()) return;
  const pid_t pid = Spawn(program, folder, programDir);
  if (pid >= 0) WhenEnded(window, pid, std::move(ended));
}

}  // namespace pictray::app
