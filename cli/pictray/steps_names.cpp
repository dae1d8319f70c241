// Steps of the name classifications and clearing the analyses: they work
// on the rows on the caller's thread, as their buttons do.
#include <string_view>

#include "cli/pictray/cli_steps.h"
#include "engine/runs/name_sets.h"

namespace pictray::cli {
namespace {

bool Takes(std::string_view step, std::string_view prefix, std::string* value) {
  if (step.substr(0, prefix.size()) != prefix) return false;
  *value = std::string(step.substr(prefix.size()));
  return true;
}

}  // namespace

StepResult RunNameStep(const std::string& step, CliContext& ctx) {
  std::string value;
  enum { Char, Phrase, Ext, Clear } which;
  if (Takes(step, "char=", &value)) which = Char;
  else if (Takes(step, "phrase=", &value)) which = Phrase;
  else if (step == "ext") which = Ext;
  else if (step == "clear") which = Clear;
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
  }
  return StepResult::Done;
}

}  // namespace pictray::cli
