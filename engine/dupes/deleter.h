// Starting the deleter program (erasekit) with a path's bytes and waiting
// for it.
#pragma once

#include <string>

#include "engine/fs/env.h"

namespace pictray::dupes {

struct DeleterRun {
  int startError = 0;   // errno when it could not be started
  int exitStatus = -1;  // its exit status; -1 when it did not end by itself
  std::string output;   // what it wrote to standard output and error
};

// Runs `program path` in the folder `workDir` (an argument list, no shell;
// the path's bytes as they are) and waits for it to end, whatever became of
// reading its output.
DeleterRun RunDeleter(const fs::Env& env, const std::string& program, const std::string& path,
                      const std::string& workDir);

}  // namespace pictray::dupes
