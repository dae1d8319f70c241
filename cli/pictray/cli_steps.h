// Steps of pictray-cli: each module offers one function that handles the
// steps it knows and answers NotMine for the others.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "engine/run/pictray_state.h"
#include "engine/run/run_host.h"
#include "engine/runs/run_commands.h"
#include "texts/texts.h"

namespace pictray::cli {

struct CliContext {
  PictrayState& state;
  RunHost& host;
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

// libthumbkit.so of the program's folder, open while this object lives.
class ThumbnailLibrary {
 public:
  ThumbnailLibrary() = default;
  ThumbnailLibrary(const ThumbnailLibrary&) = delete;
  ThumbnailLibrary& operator=(const ThumbnailLibrary&) = delete;
  ~ThumbnailLibrary();
  // Opens `folder`/libthumbkit.so and puts its MakeMinImage into st.MMI;
  // false with the reason in `error` when either cannot be had.
  bool Load(const std::string& folder, PictrayState& st, std::string* error);

 private:
  void* handle_ = nullptr;
};

}  // namespace pictray::cli
