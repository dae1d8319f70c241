// Taking a journalled run back: each moved file returns to its first name
// while it is still the very file that was moved and that name is free;
// folders the run made go once empty. Nothing is ever replaced, and nothing
// outside the run's folder is touched. The undo writes its own records into
// the run's journal, so an undo that is killed can be undone again; what an
// undo could not take back is tried again by the next, and an undo of a run
// wholly back does nothing.
#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "engine/journal/journal.h"

namespace pictray {

// Why an undo left something where it is (kept in the journal as a number).
enum class UndoLeftReason {
  NameTaken = 1,       // another file or folder holds the first name
  Changed = 2,         // the file was changed (or replaced) after the move
  Missing = 3,         // nothing is where the run put the file
  FolderNotEmpty = 5,  // a folder the run made holds other things now
  Failed = 6,          // the system refused (see err)
  Refused = 7,         // the record names something outside the run's folder
};

struct UndoLeft {
  std::string path;    // where it is now (a folder: the folder; Refused: the record's name)
  std::string origin;  // where it came from ("" for a folder)
  UndoLeftReason reason = UndoLeftReason::Failed;
  int err = 0;
};

struct UndoReport {
  std::size_t back = 0;            // files taken back now
  std::size_t foldersRemoved = 0;  // folders the run made, removed now
  std::vector<UndoLeft> left;
  bool aborted = false;
  // Nothing was done: another run moves files of the folder (EWOULDBLOCK in
  // `error`), or the folder or the journal cannot be opened.
  bool refused = false;
  int error = 0;  // errno of what stopped the undo (also a journal write)
  std::string errorPath;  // what could not be opened or written
};

struct UndoCallbacks {
  std::function<void(std::size_t done, std::size_t total)> progress;
};

// What of `run` is still to take back, in the order an undo takes it up.
std::vector<const JournalEntry*> UndoOrder(const JournalRun& run);

// True when everything of `run` still to take back was left by an undo
// (and none of it is yet to be tried).
bool LeftByAnUndo(const JournalRun& run);

// The newest run of `folder` in `dir` that still has something to undo,
// passing over runs an undo left things of (LeftByAnUndo) while an older
// one has something to undo; false when there is none. Journals that
// cannot be read go to `refused`.
bool LastUndoableRun(const fs::Env& env, const std::string& dir, const std::string& folder, JournalRun& run,
                     const JournalRefused& refused = {});

// Takes `run` back, holding the folder's move lock throughout. Once `abort`
// is set no further entry is taken up (an undo again continues).
UndoReport UndoRun(const fs::Env& env, const JournalRun& run, const UndoCallbacks& cb, const std::atomic<int>* abort);

// The run's local start time, "YYYY/MM/DD HH:MM:SS".
std::string RunTimeText(const JournalRun& run);

}  // namespace pictray
