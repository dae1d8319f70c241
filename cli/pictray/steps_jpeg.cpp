// Steps of the JPEG and Exif runs: exif, info, header, size, ng. Each sets
// the selection flag as its button does and runs synchronously; the runs
// read ExifSel, NullCheck, NullByte and JlibCheck from the settings file.
#include "cli/pictray/cli_steps.h"
#include "engine/jpeg/jpeg_runs.h"

namespace pictray::cli {

StepResult RunJpegStep(const std::string& step, CliContext& ctx) {
  enum { Exif, Info, Header, Size, Ng } which;
  if (step == "exif") which = Exif;
  else if (step == "info") which = Info;
  else if (step == "header") which = Header;
  else if (step == "size") which = Size;
  else if (step == "ng") which = Ng;
  else return StepResult::NotMine;
  if (ctx.checkOnly) return StepResult::Done;

  PictrayState& st = ctx.state;
  ParamBlock& val = st.blocks.val;
  switch (which) {
    case Exif:
      st.flags.M_Exif = 1;
      st.flags.M_Hed = 0;
      val.Start(ctx.folder, 1);
      ThreadExDate(val, st, ctx.host);
      break;
    case Info:
      st.flags.M_Info = 1;
      st.flags.M_Hed = 0;
      val.Start(ctx.folder, 2);
      ThreadExDate(val, st, ctx.host);
      break;
    case Header:
      st.flags.M_Hed = 1;
      st.flags.M_Exif = 0;
      st.flags.M_Info = 0;
      val.Start(ctx.folder, 3);
      ThreadExDate(val, st, ctx.host);
      break;
    case Size:
      st.flags.M_Size = 1;
      val.Start(ctx.folder, 1);
      ThreadJpegImageSize(val, st, ctx.host);
      break;
    case Ng:
      st.flags.M_NG = 1;
      val.Start(ctx.folder, 1);
      ThreadJpegIError(val, st, ctx.host);
      break;
  }
  return StepResult::Done;
}

}  // namespace pictray::cli
