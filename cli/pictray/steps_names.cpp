// Steps of the name classifications, clearing the analyses and the move.
#include <string_view>

#include "engine/journal/tab_fields.h"
#include "cli/pictray/cli_steps.h"
#include "engine/runs/move_run.h"
#include "engine/runs/name_sets.h"

namespace pictray::cli {
namespace {

bool Takes(std::string_view step, std::string_view prefix, std::string* value) {
  if (step.substr(0, prefix.size()) != prefix) return false;
  *value = std::string(step.substr(prefix.size()));
  return true;
}

// Move result lines as LV02 shows them, then every file left in place.
StepResult Move(CliContext& ctx) {
  PictrayState& st = ctx.state;
  PrepareMove(ctx.host, st, ctx.folder);
  st.blocks.val21.Start(ctx.folder);
  const MoveReport report = ThreadMakeFoldaAndMove(st.blocks.val21, st, ctx.host, RunRegistry::Guard(st.runs));
  for (const MoveResultLine& l : report.lines)
    ctx.err << EscapeField(l.folder) << '\t' << l.count << '\t' << EscapeField(l.firstFile) << '\t'
            << EscapeField(l.path) << '\t' << l.mode << '\n';
  for (const MoveFailure& f : report.failures) ctx.err << "not moved: " << texts::Words(MoveFailureMessage(f), ctx.language) << '\n';
  return report.failures.empty() && !report.refused && report.journalError == 0 ? StepResult::Done
                                                                                : StepResult::Failed;
}

}  // namespace

StepResult RunNameStep(const std::string& step, CliContext& ctx) {
  std::string value;
  enum { Char, Phrase, Ext, Clear, MoveStep } which;
  if (Takes(step, "char=", &value)) which = Char;
  else if (Takes(step, "phrase=", &value)) which = Phrase;
  else if (step == "ext") which = Ext;
  else if (step == "clear") which = Clear;
  else if (step == "move") which = MoveStep;
  else return StepResult::NotMine;
  if (ctx.checkOnly) return StepResult::Done;

  PictrayState& st = ctx.state;
  switch (which) {
    case Char: SetList04(ctx.host, st, value); break;
    case Phrase: SetList05(ctx.host, st, value); break;
    case Ext: SetList06(ctx.host, st); break;
    case Clear:
      st.rows.clearAnalyses();
      st.flags.Reset();
      ctx.host.SetSummary({});
      break;
    case MoveStep: return Move(ctx);
  }
  return StepResult::Done;
}

}  // namespace pictray::cli
