// Pictray's undo run (menu 5020): takes back the listed folder's last
// move run, on a worker thread, touching the window only through its host.
// Twinscan's undo of an extraction is with its other runs.
#pragma once

#include <string>

#include "engine/journal/undo.h"
#include "engine/run/run_host.h"
#include "engine/run/run_state.h"

namespace pictray {

// The question before an undo: when the run was and how many files go back.
Message UndoQuestion(const JournalRun& run);

Said UndoLeftSaid(UndoLeftReason reason);
// How an undo ended: refused, or how many went back, whether it was
// stopped, and every thing left with its reason.
Message UndoEndMessage(const UndoReport& report);

// Takes `run` back (its folder is in val21.folder's place), with PR01 and
// the status bar following it, and says how it ended; files left where they
// are are named with their reasons. `guard` is the run's registration.
UndoReport ThreadUndoMove(const fs::Env& env, ParamBlock& val21, const JournalRun& run, RunHost& host, RunRegistry::Guard guard);

}  // namespace pictray
