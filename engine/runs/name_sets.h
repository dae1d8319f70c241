// The three classifications by name: character pattern ("C"), fixed phrase
// ("T") and extension ("e"). They run on the window's thread, work only on
// rows without a kind, and end with the summary, the uniformity question
// and their end message, or with command 1001 when MoveOn is 1.
#pragma once

#include <string>

#include "engine/run/pictray_state.h"
#include "engine/run/run_host.h"

namespace pictray {

// Target = MatchPatName(name, pattern) with disabled characters as "_".
void SetList04(RunHost& host, PictrayState& st, const std::string& pattern);
// Names containing `phrase` (bytes, case-sensitive) get the phrase, with
// disabled characters as "_", as their target.
void SetList05(RunHost& host, PictrayState& st, const std::string& phrase);
// Target = the extension without its ".", letter case kept; a name without
// one gets kind "e" with an empty target (it is not moved).
void SetList06(RunHost& host, PictrayState& st);

// The extension of a file name: the bytes after its last ".", "" without one.
std::string NameExtension(const std::string& name);

}  // namespace pictray
