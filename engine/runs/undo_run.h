// The undo of a folder's last run, for every front end: Pictray's menu 5020,
// Twinscan's undo of an extraction and both command lines' --undo. What
// differs is only how each meets it (its turns): the windows ask and follow
// it with boxes and bars, the command lines take it back at once and print.
#pragma once

#include <atomic>
#include <functional>
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

// How a front end meets the undo, in the order they come; a null one is
// passed over (a null confirm takes the run back without a question).
struct UndoTurns {
  JournalRefused passedOver;  // a journal that cannot be read
  std::function<void()> nothingToUndo;
  std::function<bool(const JournalRun&)> confirm;
  std::function<void()> starting;  // right before the first file goes back
  UndoCallbacks callbacks;
  std::function<void(const UndoReport&)> ended;
};

// Takes back the newest run of `folder` in `journals` that still has
// something to undo; false when nothing was taken back (none, or not
// confirmed). Once `abort` is set no further file is taken up.
bool UndoLastRunOf(const fs::Env& env, const std::string& journals, const std::string& folder,
                   const UndoTurns& turns, const std::atomic<int>* abort);

// Pictray's window: the question and the end in boxes, the files moved back
// told as the undo's rows; "nothing to undo" names `folder`.
UndoTurns UndoTurnsOnHost(RunHost& host, const std::string& folder);

}  // namespace pictray
