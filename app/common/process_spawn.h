// Starting outside programs without a shell: the arguments reach the
// program as the bytes they are, and the window learns when it has ended.
#pragma once

#include <sys/types.h>

#include <functional>
#include <string>
#include <vector>

class QObject;

namespace pictray::ui {

// Starts `program` (a path) in `workDir` with `args` after its own name, its
// signals as a fresh process has them. The process id, or -1 (errno says
// why) when it cannot be started.
pid_t SpawnProgram(const std::string& program, const std::vector<std::string>& args,
                   const std::string& workDir);

// Collects the process once it has ended, polling from `owner`'s event loop,
// then calls `ended` with its exit code (-1 when a signal ended it). Until
// then the process is left alone.
void WhenEnded(QObject* owner, pid_t pid, std::function<void(int exitCode)> ended);

// The executable file `name` in one of the folders of PATH, or "".
std::string FindInPath(const std::string& name);

// Starts `program` on `path`, the path's bytes its one argument: "open" is
// the desktop's opener (xdg-open), a bare name is looked up in PATH. The
// process id, or -1 (errno says why).
pid_t SpawnOnPath(const std::string& program, const std::string& path, const std::string& workDir);

}  // namespace pictray::ui
