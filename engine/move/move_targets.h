// The target folders of a move run: found or made once per run, inside the
// source folder.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "engine/fs/env.h"
#include "engine/move/journalled_move.h"
#include "engine/move/move_announcer.h"
#include "engine/move/move_report.h"

namespace pictray {

// A target folder as the run found or made it, checked once per run.
struct TargetFolder {
  bool ready = false;
  bool created = false;
  MoveFailReason reason = MoveFailReason::FolderNotCreated;
  int err = 0;
  long line = -1;  // its LV02 line, once a file arrived
};

// A target is one or more folder names below the source folder (a date's
// "2023/06/14"), none of them "", "." or "..".
inline constexpr int kMaxTargetDepth = kMaxMoveFolderDepth;
bool IsSafeTarget(const std::string& target);

// The folder is made through the frame, between two journal records, so
// that an undo takes it away again (the folders above it too, each when
// missing); the frame tells when a record failed.
TargetFolder OpenTargetFolder(MoveFrame& frame, const std::string& target);

struct MoveRefusal {
  MoveFailReason reason;
  int err;
};

// Why a picture must stay for its sidecars' sake: one could not be looked
// at, or a different file holds its name in `target`. A sidecar gone since
// list-up holds nothing back.
std::optional<MoveRefusal> SidecarsHoldBack(const fs::Env& env, int sourceFd, const std::string& target,
                                            const std::vector<MoveAnnouncer::Sidecar>& sidecars);

}  // namespace pictray
