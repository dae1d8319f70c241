#include "app/common/process_spawn.h"

#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QObject>
#include <QTimer>

#include <cerrno>
#include <cstdlib>

extern char** environ;

namespace pictray::ui {
namespace {

constexpr int kReapPollMs = 50;

bool IsExecutableFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

}  // namespace

pid_t SpawnProgram(const std::string& program, const std::vector<std::string>& args,
                   const std::string& workDir) {
  posix_spawn_file_actions_t actions;
  posix_spawnattr_t attr;
  posix_spawn_file_actions_init(&actions);
  posix_spawnattr_init(&attr);
  if (!workDir.empty()) posix_spawn_file_actions_addchdir_np(&actions, workDir.c_str());
  sigset_t none, all;
  sigemptyset(&none);
  sigfillset(&all);
  posix_spawnattr_setsigmask(&attr, &none);
  posix_spawnattr_setsigdefault(&attr, &all);
  posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  std::vector<std::string> words{program};
  words.insert(words.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& w : words) argv.push_back(w.data());
  argv.push_back(nullptr);
  pid_t pid = -1;
  const int rc = ::posix_spawn(&pid, program.c_str(), &actions, &attr, argv.data(), environ);
  posix_spawnattr_destroy(&attr);
  posix_spawn_file_actions_destroy(&actions);
  if (rc == 0) return pid;
  errno = rc;
  return -1;
}

void WhenEnded(QObject* owner, pid_t pid, std::function<void(int exitCode)> ended) {
  auto* timer = new QTimer(owner);
  QObject::connect(timer, &QTimer::timeout, timer, [timer, pid, ended = std::move(ended)] {
    int status = 0;
    const pid_t done = ::waitpid(pid, &status, WNOHANG);
    if (done == 0) return;  // still running
    timer->stop();
    timer->deleteLater();
    const int code = done == pid && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    if (ended) ended(code);
  });
  timer->start(kReapPollMs);
}

std::string FindInPath(const std::string& name) {
  const char* path = std::getenv("PATH");
  std::string folders = path ? path : "/usr/local/bin:/usr/bin:/bin";
  std::size_t start = 0;
  while (start <= folders.size()) {
    const std::size_t colon = folders.find(':', start);
    const std::string folder = folders.substr(start, colon == std::string::npos ? std::string::npos : colon - start);
    if (!folder.empty() && IsExecutableFile(folder + "/" + name)) return folder + "/" + name;
    if (colon == std::string::npos) break;
    start = colon + 1;
  }
  return {};
}

pid_t SpawnOnPath(const std::string& program, const std::string& path, const std::string& workDir) {
  const std::string name = program == "open" ? "xdg-open" : program;
  const std::string found = name.find('/') == std::string::npos ? FindInPath(name) : name;
  if (found.empty()) {
    errno = ENOENT;
    return -1;
  }
  return SpawnProgram(found, {path}, workDir);
}

}  // namespace pictray::ui
