#include "engine/dupes/deleter.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

extern char** environ;

namespace pictray::dupes {
namespace {

constexpr std::size_t kMaxOutput = 64 * 1024;

// Starts the program with both output streams on `out`. Returns 0 or an errno.
int Spawn(const std::string& program, const std::string& path, const std::string& workDir, int out,
          pid_t& pid) {
  posix_spawn_file_actions_t actions;
  if (const int e = ::posix_spawn_file_actions_init(&actions); e != 0) return e;
  int e = ::posix_spawn_file_actions_adddup2(&actions, out, 1);
  if (e == 0) e = ::posix_spawn_file_actions_adddup2(&actions, out, 2);
  if (e == 0 && !workDir.empty()) e = ::posix_spawn_file_actions_addchdir_np(&actions, workDir.c_str());
  std::string arg0 = program, arg1 = path;
  char* argv[] = {arg0.data(), arg1.data(), nullptr};
  if (e == 0) e = ::posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, environ);
  ::posix_spawn_file_actions_destroy(&actions);
  return e;
}

}  // namespace

DeleterRun RunDeleter(const fs::Env& env, const std::string& program, const std::string& path,
                      const std::string& workDir) {
  DeleterRun run;
  int pipeFds[2];
  if (env.Pipe(pipeFds) != 0) {
    run.startError = errno;
    return run;
  }
  pid_t pid = 0;
  run.startError = Spawn(program, path, workDir, pipeFds[1], pid);
  env.Close(pipeFds[1]);
  if (run.startError == 0) {
    char buf[4096];
    for (;;) {
      const ssize_t n = env.Read(pipeFds[0], buf, sizeof buf);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      if (run.output.size() < kMaxOutput) run.output.append(buf, static_cast<std::size_t>(n));
    }
  }
  env.Close(pipeFds[0]);
  if (run.startError != 0) return run;
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0)
    if (errno != EINTR) return run;
  if (WIFEXITED(status)) run.exitStatus = WEXITSTATUS(status);
  return run;
}

}  // namespace pictray::dupes
