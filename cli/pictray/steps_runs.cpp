// Steps of the command table. Each step reads its value, records its choice
// as its button does and runs to its end before the next step; the runs read
// their dialogs' settings from the settings file.
#include <algorithm>

#include "cli/pictray/cli_steps.h"
#include "engine/colour/rgb_name.h"
#include "engine/journal/tab_fields.h"
#include "engine/move/move_run.h"
#include "engine/settings/profile.h"
#include "engine/settings/settings_keys.h"

namespace pictray::cli {
namespace {

bool ReadText(const std::string&, const std::string& value, CliContext&, RunChoice& choice) {
  choice.text = value;
  return true;
}
bool ReadCells(const std::string& step, const std::string& value, CliContext& ctx, RunChoice& choice) {
  std::vector<int> cells;
  std::string error;
  if (!ParseCells(value, ReadPartX(*ctx.state.env, ctx.state.profile), &cells, &error)) {
    ctx.err << "pictray-cli: " << step << ": " << error << "\n";
    return false;
  }
  choice.strJpos_bit = MakeJposBit(cells);
  return true;
}
bool ReadAllColour(const std::string& step, const std::string& value, CliContext& ctx, RunChoice& choice) {
  return ReadColourChoice(false, step, value, ctx, choice);
}
bool ReadPartColour(const std::string& step, const std::string& value, CliContext& ctx, RunChoice& choice) {
  return ReadColourChoice(true, step, value, ctx, choice);
}

// What the command line adds to a command: how its value is read, and
// whether its run draws thumbnails (the thumbnail library is then loaded).
struct StepValue {
  int id;
  bool (*read)(const std::string& step, const std::string& value, CliContext& ctx, RunChoice& choice);
  bool drawsThumbnails;
};
constexpr StepValue kStepValues[] = {
    {cmd::CharClass, ReadText, false},         {cmd::PhraseClass, ReadText, false},
    {cmd::RgbAnalysis, ReadCells, true},    {cmd::RgbRatio, nullptr, true},          {cmd::RgbStrength, nullptr, true},
    {cmd::Sharpness, nullptr, true},
    {cmd::AllColour, ReadAllColour, false}, {cmd::PartColour, ReadPartColour, true},
};

// Move result lines as LV02 shows them, then every file left in place; false
// when the move left files or could not keep its journal.
bool ReportMove(const MoveReport& report, CliContext& ctx) {
  for (const MoveResultLine& l : report.lines)
    ctx.err << EscapeField(l.folder) << '\t' << l.count << '\t' << EscapeField(l.firstFile) << '\t'
            << EscapeField(l.path) << '\t' << l.mode << '\n';
  for (const MoveFailure& f : report.failures)
    ctx.err << "not moved: " << texts::Words(MoveFailureMessage(f), ctx.language) << '\n';
  return report.failures.empty() && !report.refused && report.journalError == 0;
}

}  // namespace

StepResult RunCommandStep(const std::string& step, CliContext& ctx) {
  std::string value;
  const RunCommand* c = FindRunStep(step, &value);
  if (!c) return StepResult::NotMine;
  const auto* own =
      std::find_if(std::begin(kStepValues), std::end(kStepValues), [c](const StepValue& v) { return v.id == c->id; });
  const bool known = own != std::end(kStepValues);
  auto choice = std::make_shared<RunChoice>();
  if (known && own->read && !own->read(step, value, ctx, *choice)) return StepResult::Failed;
  if (ctx.checkOnly) {
    ctx.needsThumbnails = ctx.needsThumbnails || (known && own->drawsThumbnails);
    return StepResult::Done;
  }
  PictrayState& st = ctx.state;
  bool moved = true;
  if (c->now) {
    c->now(st, ctx.host, *choice);
  } else {
    choice->moved = [&ctx, &moved](const MoveReport& report) { moved = ReportMove(report, ctx); };
    const int mode = SelectRun(*c, st.flags);
    RunToEnd(PrepareRuns(*c, mode, st, ctx.host, ctx.folder, choice), st.runs);
  }
  if (!moved) return StepResult::Failed;
  // The automatic move, when the run's end calls for it, is the next step.
  if (const RunCommand* move = MoveThatFollows(ctx.host.TakeEnd())) return RunCommandStep(std::string(move->verb), ctx);
  return StepResult::Done;
}

}  // namespace pictray::cli
