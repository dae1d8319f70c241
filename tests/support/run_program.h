// Runs a program of the build with an argument list (no shell) and collects
// its exit status and output.
#pragma once

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <sstream>
#include <string>
#include <vector>

#include "tests/support/temp_dir.h"

extern char** environ;

namespace pictray::testing {

struct ProgramRun {
  int status = -1;
  std::string out, err;
  std::vector<std::string> lines;  // of out
};

// args[0] is the program's path; its output is kept in files in `scratch`.
inline ProgramRun RunProgram(const TempDir& scratch, std::vector<std::string> args) {
  const std::string out = scratch.path() + "/out.txt", err = scratch.path() + "/err.txt";
  posix_spawn_file_actions_t fa;
  posix_spawn_file_actions_init(&fa);
  posix_spawn_file_actions_addopen(&fa, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&fa, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  ProgramRun r;
  pid_t pid;
  if (posix_spawn(&pid, argv[0], &fa, nullptr, argv.data(), environ) == 0 &&
      ::waitpid(pid, &r.status, 0) == pid && WIFEXITED(r.status))
    r.status = WEXITSTATUS(r.status);
  posix_spawn_file_actions_destroy(&fa);
  r.out = ReadWhole(out);
  r.err = ReadWhole(err);
  std::istringstream in(r.out);
  for (std::string line; std::getline(in, line);) r.lines.push_back(line);
  return r;
}

}  // namespace pictray::testing
