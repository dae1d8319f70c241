// Steps of pictray-cli: each module offers one function that handles the
// steps it knows and answers NotMine for the others.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "cli/pictray/cli_host.h"
#include "engine/colour/thumbnail_library.h"
#include "engine/run/pictray_state.h"
#include "engine/run/run_host.h"
#include "engine/runs/run_commands.h"
#include "texts/texts.h"

namespace pictray::cli {

struct CliContext {
  PictrayState& state;
  CliHost& host;
  std::string folder;  // source folder as given
  std::ostream& err;   // move results and failures
  texts::Language language;  // of the messages
  // True while the steps are checked before any runs: a handler then only
  // answers Done for a step it knows (doing nothing), Failed for one it
  // knows whose argument is wrong (saying why on `err`), NotMine otherwise.
  bool checkOnly = false;
  // Set while checking by a step that draws thumbnails.
  bool needsThumbnails = false;
};

enum class StepResult { NotMine, Done, Failed };

using StepFn = StepResult (*)(const std::string& step, CliContext& ctx);

// clear.
StepResult RunClearStep(const std::string& step, CliContext& ctx);
// The command table's steps: char=PATTERN, phrase=TEXT, ext, exif, info,
// header, size, ng, rgb=CELLS, ratio, strength, allcolor=LISTFILE,
// partcolor=LISTFILE@CELLS, move.
StepResult RunCommandStep(const std::string& step, CliContext& ctx);

// The colours of allcolor=LISTFILE, and with `cellsToo` the cells of
// partcolor=LISTFILE@CELLS, into `choice`; false once the reason is said.
bool ReadColourChoice(bool cellsToo, const std::string& step, const std::string& value, CliContext& ctx,
                      RunChoice& choice);

// The cells of "all" or of a comma list of numbers 1..PartX*PartX; false
// with the reason for anything else.
bool ParseCells(const std::string& text, int partX, std::vector<int>* cells, std::string* error);

// Opens `folder`/libthumbkit.so in `library` and puts its calls into st's
// MMI...; false with the reason in `error` when it cannot be had.
bool LoadThumbnails(const std::string& folder, ThumbnailLibrary& library, PictrayState& st, std::string* error);

}  // namespace pictray::cli
