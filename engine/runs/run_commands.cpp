#include "engine/runs/run_commands.h"

#include <algorithm>
#include <thread>

#include "engine/run/command_ids.h"
#include "engine/runs/colour_runs.h"
#include "engine/runs/jpeg_runs.h"
#include "engine/runs/listup.h"
#include "engine/move/move_run.h"
#include "engine/runs/name_sets.h"
#include "engine/runs/selected_colour_runs.h"

namespace pictray {
namespace {

int SelectJpeg(int id, AnalysisFlags& flags) { return SelectJpegAnalysis(id, flags).mode; }

// A run that needs nothing but its block.
template <void (*Thread)(ParamBlock&, PictrayState&, RunHost&, RunRegistry::Guard), ParamBlock ParamBlocks::*Block>
void Plain(PictrayState& st, RunHost& host, const RunChoice&, RunRegistry::Guard g) {
  Thread(st.blocks.*Block, st, host, std::move(g));
}
constexpr CommandRun ExDate = Plain<ThreadExDate, &ParamBlocks::val>;
constexpr CommandRun ImageSize = Plain<ThreadJpegImageSize, &ParamBlocks::val>;
constexpr CommandRun IError = Plain<ThreadJpegIError, &ParamBlocks::val>;
constexpr CommandRun RatioEven = Plain<ThreadRGBPer, &ParamBlocks::valrp>;
constexpr CommandRun RatioOdd = Plain<ThreadRGBPer2, &ParamBlocks::valrp2>;
constexpr CommandRun Strength = Plain<ThreadTopRGB, &ParamBlocks::valrp>;
constexpr CommandRun Sharpness = Plain<ThreadSharpness, &ParamBlocks::valrp>;
constexpr CommandRun ListUp = Plain<ThreadSetListView, &ParamBlocks::val3>;

void Rgb(PictrayState& st, RunHost& host, const RunChoice& c, RunRegistry::Guard g) {
  ThreadRGB(st.blocks.val, st, host, c.strJpos_bit, std::move(g));
}
void AllColour(PictrayState& st, RunHost& host, const RunChoice& c, RunRegistry::Guard g) {
  ThreadAllColor(st.blocks.val5, st, host, *c.colours, c.workfile, std::move(g));
}
void PartColour(PictrayState& st, RunHost& host, const RunChoice& c, RunRegistry::Guard g) {
  ThreadPartColor(st.blocks.val6, st, host, *c.colours, c.strJpos_bit, std::move(g));
}
void PrepareRatio(PictrayState& st, RunHost&, const std::string& folder) { PrepareRatioRun(st, folder); }
void PrepareMoveRun(PictrayState& st, RunHost& host, const std::string& folder) {
  PrepareMove(host, st, folder, cmd::RgbStrength);
}
void Move(PictrayState& st, RunHost& host, const RunChoice& c, RunRegistry::Guard g) {
  const MoveReport report = ThreadMakeFoldaAndMove(st.blocks.val21, st, host, std::move(g));
  if (c.moved) c.moved(report);
}

RunWork WorkOf(CommandRun run, PictrayState& st, RunHost& host, std::shared_ptr<const RunChoice> choice) {
  return [run, &st, &host, choice](RunRegistry::Guard g) { run(st, host, *choice, std::move(g)); };
}

// The folder's last move run taken back, as the caller's turns meet it.
void Undo(PictrayState& st, RunHost&, const RunChoice& c, RunRegistry::Guard /*held until the undo returns*/) {
  ParamBlock& val21 = st.blocks.val21;
  if (val21.folder.empty()) {
    if (c.undo.nothingToUndo) c.undo.nothingToUndo();
    return;
  }
  UndoLastRunOf(*st.env, st.journalDir, val21.folder, c.undo, &val21.abort);
}

// The analyses' targets, kinds and choices go.
void ClearAnalyses(PictrayState& st, RunHost& host) {
  st.rows.clearAnalyses();
  st.flags.Reset();
  host.SetSummary({});
}

void CharClass(PictrayState& st, RunHost& host, const RunChoice& c) { SetList04(host, st, c.text); }
void PhraseClass(PictrayState& st, RunHost& host, const RunChoice& c) { SetList05(host, st, c.text); }
void ExtClass(PictrayState& st, RunHost& host, const RunChoice&) { SetList06(host, st); }

using R = Refusal;
using F = AnalysisFlags;
using B = ParamBlocks;
// clang-format off
constexpr RunCommand kCommands[] = {
    {cmd::CharClass, "char=", "C", R::WhileRunning, nullptr, nullptr, nullptr, nullptr, {}, CharClass},
    {cmd::PhraseClass, "phrase=", "T", R::WhileRunning, nullptr, nullptr, nullptr, nullptr, {}, PhraseClass},
    {cmd::ExtClass, "ext", "e", R::WhileRunning, nullptr, nullptr, nullptr, nullptr, {}, ExtClass},
    {cmd::Exif, "exif", "E", R::WhileRunningWithRows, &F::M_Exif, SelectJpeg, &B::val, nullptr, {ExDate}, nullptr},
    {cmd::Info, "info", "I", R::WhileRunningWithRows, &F::M_Info, SelectJpeg, &B::val, nullptr, {ExDate}, nullptr},
    {cmd::HeaderCheck, "header", "H", R::WhileRunningWithRows, &F::M_Hed, SelectJpeg, &B::val, nullptr, {ExDate}, nullptr},
    {cmd::SizeAnalysis, "size", "Z", R::WhileRunningWithRows, &F::M_Size, SelectJpeg, &B::val, nullptr, {ImageSize}, nullptr},
    {cmd::NgAnalysis, "ng", "G", R::WhileRunningWithRows, &F::M_NG, SelectJpeg, &B::val, nullptr, {IError}, nullptr},
    {cmd::RgbAnalysis, "rgb=", "R", R::WhileRunning, nullptr, nullptr, &B::val, nullptr, {Rgb}, nullptr},
    {cmd::RgbRatio, "ratio", "P", R::WhileRunningWithRows, &F::M_RP, nullptr, &B::valrp, PrepareRatio, {RatioEven, RatioOdd}, nullptr},
    {cmd::RgbStrength, "strength", "T", R::WhileRunningWithRows, &F::M_RS, nullptr, &B::valrp, nullptr, {Strength}, nullptr},
    {cmd::Sharpness, "sharpness", "S", R::WhileRunningWithRows, &F::M_Sharp, nullptr, &B::valrp, nullptr, {Sharpness}, nullptr},
    {cmd::AllColour, "allcolor=", "A", R::WhileRunning, nullptr, nullptr, &B::val5, nullptr, {AllColour}, nullptr},
    {cmd::PartColour, "partcolor=", "P", R::WhileRunning, nullptr, nullptr, &B::val6, nullptr, {PartColour}, nullptr},
    {cmd::MoveStart, "move", "", R::WhileRunning, nullptr, nullptr, &B::val21, PrepareMoveRun, {Move}, nullptr},
};

constexpr RowsCommand kRowsCommands[] = {
    {cmd::ListUp, "", R::WhileRunning, nullptr, &B::val3, ListUp},
    {cmd::ClearAnalyses, "clear", R::WhileRunning, ClearAnalyses, nullptr, nullptr},
    {cmd::MenuUndoMove, "--undo", R::WhileRunning, nullptr, &B::val21, Undo},
};
// clang-format on

}  // namespace

std::span<const RunCommand> RunCommands() { return kCommands; }

const RunCommand* FindRunCommand(int id) {
  const auto* it =
      std::find_if(std::begin(kCommands), std::end(kCommands), [id](const RunCommand& c) { return c.id == id; });
  return it == std::end(kCommands) ? nullptr : it;
}

std::string KindOf(int id) { return std::string(FindRunCommand(id)->kind); }

std::string ShownNotes(const Row& row) {
  return row.by == cmd::RgbStrength || row.by == cmd::Exif ? row.notes : "";
}

const RunCommand* FindRunStep(std::string_view step, std::string* value) {
  for (const RunCommand& c : kCommands) {
    const bool takesValue = c.verb.ends_with('=');
    if (takesValue ? !step.starts_with(c.verb) : step != c.verb) continue;
    *value = std::string(step.substr(c.verb.size()));
    return &c;
  }
  return nullptr;
}

const RunCommand* FindListUpAnalysis(std::string_view verb) {
  for (const RunCommand& c : kCommands)
    if (c.flag && c.verb == verb) return &c;
  return nullptr;
}

std::span<const RowsCommand> RowsCommands() { return kRowsCommands; }

const RowsCommand* FindRowsCommand(int id) {
  for (const RowsCommand& c : kRowsCommands)
    if (c.id == id) return &c;
  return nullptr;
}

const RowsCommand* FindRowsWord(std::string_view word) {
  if (word.empty()) return nullptr;  // the list-up has no word
  for (const RowsCommand& c : kRowsCommands)
    if (c.word == word) return &c;
  return nullptr;
}

bool RefusedNow(Refusal refusal, const PictrayState& st) {
  return st.runs.Active() && (refusal == Refusal::WhileRunning || !st.rows.empty());
}

RunWork PrepareRowsRun(const RowsCommand& c, PictrayState& st, RunHost& host, const std::string& folder,
                       std::shared_ptr<const RunChoice> choice) {
  (st.blocks.*c.block).Start(folder);
  return WorkOf(c.run, st, host, std::move(choice));
}

const RunCommand* MoveThatFollows(const RunEnd& end) { return end.moveDue ? FindRunCommand(cmd::MoveStart) : nullptr; }

int SelectRun(const RunCommand& c, AnalysisFlags& flags) {
  if (c.select) return c.select(c.id, flags);
  if (c.flag) (flags.*c.flag).store(1);
  return 1;
}

std::vector<RunWork> PrepareRuns(const RunCommand& c, int mode, PictrayState& st, RunHost& host,
                                 const std::string& folder, std::shared_ptr<const RunChoice> choice) {
  (st.blocks.*c.block).Start(folder, mode);
  if (c.prepare) c.prepare(st, host, folder);
  std::vector<RunWork> works;
  for (CommandRun run : c.runs)
    if (run) works.push_back(WorkOf(run, st, host, choice));
  return works;
}

void RunToEnd(std::vector<RunWork> runs, RunRegistry& registry) {
  std::vector<RunRegistry::Guard> guards;
  for (std::size_t i = 0; i < runs.size(); ++i) guards.emplace_back(registry);
  std::vector<std::thread> others;
  for (std::size_t i = 1; i < runs.size(); ++i)
    others.emplace_back([&runs, &guards, i] { runs[i](std::move(guards[i])); });
  if (!runs.empty()) runs.front()(std::move(guards.front()));
  for (std::thread& t : others) t.join();
}

}  // namespace pictray
