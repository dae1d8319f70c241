// What a move run did: the folders files went to, the files left in place
// and why, and the messages that say so.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "engine/run/message.h"
#include "engine/run/run_host.h"

namespace pictray {

enum class MoveFailReason {
  SourceFolder,        // the source folder cannot be opened
  UnsafeTarget,        // not 1 to 3 path components: "", ".", "..", a leading or trailing "/", NUL
  TargetNotFolder,     // the target name is taken by a file
  FolderNotCreated,
  DifferentFileThere,  // the target folder holds another file of that name
  SourceMissing,
  SourceChanged,
  MoveFailed,
  JournalStopped,      // the run stopped before it, as its journal could not be written
  SidecarTargetTaken,  // a different file holds a sidecar's name in the target; both stay
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

}  // namespace pictray
