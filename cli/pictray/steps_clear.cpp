// The steps of the commands on the rows (engine/runs/run_commands.h): clear,
// done at once as its button does once its question is answered yes. The
// list-up and the undo are the program's own calls, not steps.
#include "cli/pictray/cli_steps.h"

namespace pictray::cli {

StepResult RunClearStep(const std::string& step, CliContext& ctx) {
  const RowsCommand* c = FindRowsWord(step);
  if (!c || !c->now) return StepResult::NotMine;
  if (ctx.checkOnly) return StepResult::Done;
  c->now(ctx.state, ctx.host);
  return StepResult::Done;
}

}  // namespace pictray::cli
