// Pictray's name classifications, analyses and move, one row each, for the
// window and pictray-cli alike: the command id, the command line's step, when
// it is refused, what its button records, its parameter block, the step that
// prepares the rows and the runs (or, for a classification, the work done on
// the caller's thread). The window adds its buttons and dialogs,
// the command line the reading of its step's value; neither wires a run.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engine/colour/selected_colours.h"
#include "engine/run/pictray_state.h"
#include "engine/run/run_host.h"
#include "engine/runs/undo_run.h"

namespace pictray {

struct MoveReport;

// When a command is refused because a run is registered.
enum class Refusal {
  WhileRunning,          // always: its run would write the rows another run works on
  WhileRunningWithRows,  // with rows only: on an empty list it only records its choice for the next list-up
};

// What a dialog (the window) or a step's value (the command line) chose.
struct RunChoice {
  std::string text;         // the name classifications' pattern or phrase
  std::string strJpos_bit;  // the grid cells (RGB analysis, part colour), as MakeJposBit gives them
  // The selected-colour runs; only they hold the set (a bit per colour).
  std::optional<SelectedColours> colours;
  std::string workfile;     // all colour: the settings' working copy it notes the colours in
  // The move's report, on the run's thread once the move has ended.
  std::function<void(const MoveReport&)> moved;
  // The undo's turns: the window's boxes and bars, or the command line's lines.
  UndoTurns undo;
};

// A run with all it needs, waiting for its registration and a thread.
using RunWork = std::function<void(RunRegistry::Guard)>;
using CommandRun = void (*)(PictrayState& st, RunHost& host, const RunChoice& choice, RunRegistry::Guard guard);

struct RunCommand {
  int id;
  std::string_view verb;  // pictray-cli's step; ending in '=' it takes a value
  // The letter of the rows it classifies, in the file list's kind column;
  // two commands that classify alike share one. Empty for the move.
  std::string_view kind;
  Refusal refusal;
  std::atomic<int> AnalysisFlags::*flag;  // what its button records for list-up; null for none
  // Records the choice as the button does and gives the block's mode; null:
  // the flag (if any) is set and the mode is 1.
  int (*select)(int id, AnalysisFlags& flags);
  ParamBlock ParamBlocks::*block;  // null for a classification
  // On the caller's thread before the runs; the rows may change. Null for none.
  void (*prepare)(PictrayState& st, RunHost& host, const std::string& folder);
  CommandRun runs[2];  // the second is the ratio's worker of the odd rows; null elsewhere
  // A classification: its work on the rows, on the caller's thread, instead
  // of runs. Null for the others.
  void (*now)(PictrayState& st, RunHost& host, const RunChoice& choice);
};

std::span<const RunCommand> RunCommands();
const RunCommand* FindRunCommand(int id);
// The kind letter of the command's rows (KindOf(cmd::Exif) is "E").
std::string KindOf(int id);
// The notes column of a row: the strength analysis's colour, or where an
// Exif label's date came from ("NameDate", "FileDate"), while that
// analysis's result is the row's; else nothing.
std::string ShownNotes(const Row& row);
// The command of a pictray-cli step ("exif", "rgb=1,2") and its value.
const RunCommand* FindRunStep(std::string_view step, std::string* value);
// An analysis list-up can run (its button records a flag), by its step
// ("exif"); null for any other word.
const RunCommand* FindListUpAnalysis(std::string_view verb);

// The automatic move when a run's end says it is due, else null: the window
// and the command line run it as the step after that run.
const RunCommand* MoveThatFollows(const RunEnd& end);

// Records the command's choice in `flags`; the mode its block starts with.
int SelectRun(const RunCommand& c, AnalysisFlags& flags);
// For a command with runs: starts the block on `folder`, prepares the rows
// and hands back the runs, each for a thread of its own; they run at the
// same time.
std::vector<RunWork> PrepareRuns(const RunCommand& c, int mode, PictrayState& st, RunHost& host,
                                 const std::string& folder, std::shared_ptr<const RunChoice> choice);
// List-up, clear and the undo: commands on the rows themselves, beside the
// table above. Every run works on the rows, so each is refused while one is
// registered. The window keeps its buttons and questions, pictray-cli its
// options; neither wires a run.
struct RowsCommand {
  int id;
  std::string_view word;  // pictray-cli's step or option; empty for the list-up every call starts with
  Refusal refusal;
  // The rows changed at once, on the caller's thread; null for a run.
  void (*now)(PictrayState& st, RunHost& host);
  ParamBlock ParamBlocks::*block;  // the run's; null for work done at once
  CommandRun run;                  // on a thread of its own; null for work done at once
};

std::span<const RowsCommand> RowsCommands();
const RowsCommand* FindRowsCommand(int id);
// The command of a pictray-cli step or option ("clear", "--undo").
const RowsCommand* FindRowsWord(std::string_view word);

// True when a command with `refusal` must not start now, as a registered
// run works on the rows.
bool RefusedNow(Refusal refusal, const PictrayState& st);

// For a command with a run: starts its block on `folder` and hands back the
// run, for a thread of its own.
RunWork PrepareRowsRun(const RowsCommand& c, PictrayState& st, RunHost& host, const std::string& folder,
                       std::shared_ptr<const RunChoice> choice);

// Does `runs` to their end: every one registered first, the first on this
// thread, the others on threads of their own.
void RunToEnd(std::vector<RunWork> runs, RunRegistry& registry);

}  // namespace pictray
