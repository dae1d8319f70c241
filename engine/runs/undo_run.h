// Pictray's undo run ("移動を元に戻す"): takes back the listed folder's last
// move run, on a worker thread, touching the window only through its host.
// Twinscan's undo of an extraction is with its other runs.
#pragma once

#include <string>

#include "engine/journal/undo.h"
#include "engine/run/run_host.h"
#include "engine/run/run_state.h"

namespace pictray {

inline constexpr const char* kUndoMoveLabel = "移動を元に戻す";
inline constexpr const char* kUndoExtractLabel = "抽出を元に戻す";
inline constexpr const char* kNothingToUndo = "元に戻せる移動はありません";

// The question before an undo: when the run was and how many files go back.
std::string UndoQuestion(const JournalRun& run);

// Takes `run` back (its folder is in val21.folder's place), with PR01 and
// the status bar following it, and says how it ended; files left where they
// are are named with their reasons. `guard` is the run's registration.
UndoReport ThreadUndoMove(const fs::Env& env, ParamBlock& val21, const JournalRun& run, RunHost& host, RunRegistry::Guard guard);

}  // namespace pictray
