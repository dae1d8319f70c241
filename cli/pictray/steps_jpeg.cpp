// Steps of the JPEG and Exif runs: exif, info, header, size, ng. Each sets
// the selection flag as its button does and runs synchronously; the runs
// read ExifSel, NullCheck, NullByte and JlibCheck from the settings file.
#include "cli/pictray/cli_steps.h"
#include "engine/runs/jpeg_runs.h"

namespace pictray::cli {

StepResult RunJpegStep(const std::string& step, CliContext& ctx) {
  int id = 0;
  if (step == "exif") id = cmd::Exif;
  else if (step == "info") id = cmd::Info;
  else if (step == "header") id = cmd::HeaderCheck;
  else if (step == "size") id = cmd::SizeAnalysis;
  else if (step == "ng") id = cmd::NgAnalysis;
  else return StepResult::NotMine;
  if (ctx.checkOnly) return StepResult::Done;

  const JpegRunChoice choice = SelectJpegAnalysis(id, ctx.state.flags);
  ctx.state.blocks.val.Start(ctx.folder, choice.mode);
  choice.run(ctx.state.blocks.val, ctx.state, ctx.host, RunRegistry::Guard(ctx.state.runs));
  return StepResult::Done;
}

}  // namespace pictray::cli
