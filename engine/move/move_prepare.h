// The steps before a move, on the window's thread: they settle the target
// folder names the run will use.
#pragma once

#include <string>

#include "engine/fs/env.h"
#include "engine/run/pictray_state.h"
#include "engine/run/run_host.h"

namespace pictray {

inline constexpr const char* kColourMatchFolder = "1-1-1";

// "SRgb3" on: the purely numeric targets of the rows the command `strength`
// classified become RED, GREEN or BLUE ("SRgb0"), or RED1, RED2, ... when
// taken; other rows keep theirs.
void BeforMoveCheck(RunHost& host, PictrayState& st, const std::string& S, int strength);
// When the first target is "1-1-1" and that folder exists, offers to move
// into the next free N-N-N instead.
void BeforFoldaCheck(RunHost& host, PictrayState& st, const std::string& S);
// Next free name N-N-N beside the folder `path` (given with a trailing "/").
std::string GetNewFoldaName(const fs::Env& env, const std::string& path);

// Command 1001 before the run starts: empties LV03 and LV02, then both checks.
void PrepareMove(RunHost& host, PictrayState& st, const std::string& S, int strength);

}  // namespace pictray
