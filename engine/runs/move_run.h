// The move: pre-move checks on the window's thread, then the run that
// creates the target folders inside the source folder and moves the files.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "engine/run/pictray_state.h"
#include "engine/run/run_host.h"
#include "engine/run/run_state.h"

namespace pictray {

inline constexpr const char* kColourMatchFolder = "1-1-1";

enum class MoveFailReason {
  SourceFolder,        // the source folder cannot be opened
  UnsafeTarget,        // not one path component: "", ".", "..", "/" or NUL
  TargetNotFolder,     // the target name is taken by a file
  FolderNotCreated,
  DifferentFileThere,  // the target folder holds another file of that name
  SourceMissing,
  SourceChanged,
  MoveFailed,
  JournalStopped,      // the run stopped before it, as its journal could not be written
};

struct MoveFailure {
  std::size_t row = 0;
  std::string name, target;
  MoveFailReason reason = MoveFailReason::MoveFailed;
  int err = 0;  // errno where one explains it
};

struct MoveReport {
  int moved = 0;
  std::vector<MoveResultLine> lines;  // as shown in LV02
  std::vector<MoveFailure> failures;  // files left where they were
  bool aborted = false;
  bool refused = false;  // another run was moving files of this folder; nothing was done
  // The journal could not be made (nothing was moved) or written (the run
  // stopped there): its errno and path.
  int journalError = 0;
  std::string journalPath;
};

// A file left where it was: its name, target, reason and errno.
Message MoveFailureMessage(const MoveFailure& f);
// The move's end: the journal that stopped it, if one did, and how many
// files were left in place for each reason.
Message MoveEndMessage(const MoveReport& report);

// Strength results (kind "T" in row 0, "SRgb3" on): purely numeric targets
// become RED, GREEN or BLUE ("SRgb0"), or RED1, RED2, ... when taken.
void BeforMoveCheck(RunHost& host, PictrayState& st, const std::string& S);
// When the first target is "1-1-1" and that folder exists, offers to move
// into the next free N-N-N instead.
void BeforFoldaCheck(RunHost& host, PictrayState& st, const std::string& S);
// Next free name N-N-N beside the folder `path` (given with a trailing "/").
std::string GetNewFoldaName(const fs::Env& env, const std::string& path);

// Command 1001 before the run starts: empties LV03 and LV02, then both checks.
void PrepareMove(RunHost& host, PictrayState& st, const std::string& S);

// The move run (called on a worker thread; the source folder and abort flag
// come from val21). Rows become "M" only when their file was moved; files
// that cannot be moved stay where they are and are listed in the report and
// the end message. Rows already "M" are not moved again. The run holds the
// source folder's lock throughout; when another run holds it, nothing is
// moved and the run says so. Each move is written to a journal in
// st.journalDir before it is made and marked right after, so that the run
// can be taken back; without a journal nothing moves. `guard` is the run's registration, taken by
// whoever started it and held until the run returns.
MoveReport ThreadMakeFoldaAndMove(ParamBlock& val21, PictrayState& st, RunHost& host,
                                  RunRegistry::Guard guard);

}  // namespace pictray
