// Steps of pictray-cli: each module offers one function that handles the
// steps it knows and answers NotMine for the others.
#pragma once

#include <ostream>
#include <string>

#include "engine/run/pictray_state.h"
#include "engine/run/run_host.h"

namespace pictray::cli {

struct CliContext {
  PictrayState& state;
  RunHost& host;
  std::string folder;  // source folder as given
  std::ostream& err;   // move results and failures
  // True while the steps are checked before any runs: a handler then only
  // answers Done for a step it knows (doing nothing) and NotMine otherwise.
  bool checkOnly = false;
};

enum class StepResult { NotMine, Done, Failed };

using StepFn = StepResult (*)(const std::string& step, CliContext& ctx);

// char=PATTERN, phrase=TEXT, ext, clear, move.
StepResult RunNameStep(const std::string& step, CliContext& ctx);
// exif, info, header, size, ng.
StepResult RunJpegStep(const std::string& step, CliContext& ctx);

}  // namespace pictray::cli
