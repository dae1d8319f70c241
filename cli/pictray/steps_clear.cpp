// The step clear: the analyses' targets, kinds and choices go, as they do
// when the button's question is answered yes.
#include "cli/pictray/cli_steps.h"

namespace pictray::cli {

StepResult RunClearStep(const std::string& step, CliContext& ctx) {
  if (step != "clear") return StepResult::NotMine;
  if (ctx.checkOnly) return StepResult::Done;
  PictrayState& st = ctx.state;
  st.rows.clearAnalyses();
  st.flags.Reset();
  ctx.host.SetSummary({});
  return StepResult::Done;
}

}  // namespace pictray::cli
