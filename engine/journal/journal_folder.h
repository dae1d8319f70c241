// The journal folder as its writer sees it: how a new journal is named and
// how the old ones of a folder are pruned (the readers' side is in
// journal.h).
#pragma once

#include <cstdint>
#include <string>

#include "engine/fs/env.h"

namespace pictray {

// The name of a new journal of the folder `key`, begun at `timeNs` by the
// process `pid`: the folder's hash first, so that its journals sort by time.
std::string JournalFileName(const std::string& key, std::int64_t timeNs, int pid);

// Removes the oldest journals of the folder `key` in `dir` beyond
// kJournalsKept.
void PruneJournals(const fs::Env& env, const std::string& dir, const std::string& key);

}  // namespace pictray
