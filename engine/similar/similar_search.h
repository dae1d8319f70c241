// The search for the same picture: every picture of a grouped table
// measured (the cache first), near hashes compared, and groups formed
// around the file that stays, with the table's sets of exact copies.
#pragma once

#include <cstddef>
#include <functional>
#include <vector>

#include "engine/dupes/dupes.h"
#include "engine/fs/env.h"
#include "engine/list/twin_groups.h"
#include "engine/list/twin_table.h"
#include "engine/similar/picture_match.h"
#include "engine/similar/similar_tools.h"

namespace pictray::similar {

// Facts (pixel size as shown, date taken, kind) of the rows of `groups`;
// other rows stay empty.
std::vector<dupes::PictureFacts> ReadFacts(const fs::Env& env, const std::vector<dupes::FileRec>& lpData,
                                           const std::vector<dupes::TwinGroup>& groups);

// lpData grouped by SetFolda, `copies` its exact sets (dupes::GroupsOfTable).
// Measures every picture (cache first), finds the same pictures, groups them
// with the exact sets, marks lpData from the groups (dupes::MarkGroups) and
// returns them with every row's facts. Reports progress per phase, on the
// caller's thread; stops between two files once `abort` is set, and then
// returns `copies` and the facts read so far, leaving lpData unmarked.
dupes::TwinReview FindSimilar(const fs::Env& env, std::vector<dupes::FileRec>& lpData,
                              std::vector<dupes::TwinGroup> copies, const SimilarTools& tools, const dupes::KeepRule& rule, const SearchProgress& progress, dupes::AbortFlag abort,
                              const MatchLimits& limits = {});

// Whether the pictures at `kept` and `copy`, measured again from their
// bytes (the cache left aside), are still the same picture: what an
// extraction asks right before it moves a copy of the same picture, and a
// deletion before it trashes one.
bool StillSamePicture(const fs::Env& env, const std::string& kept, const std::string& copy,
                      const SimilarTools& tools);

// The search as linked into the caller, for SimilarTools::search.
inline constexpr SearchCalls kLinkedSearch{&FindSimilar, &ReadFacts, &StillSamePicture};

}  // namespace pictray::similar
