// What the search for the same pictures works with: the thumbnail library,
// the folder of its feature cache, how many threads it may use, and the
// search's own calls. The front end that loads the library fills it.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "engine/colour/thumbnail.h"
#include "engine/dupes/dupes.h"
#include "engine/fs/env.h"
#include "engine/list/twin_groups.h"
#include "engine/list/twin_table.h"
#include "engine/similar/picture_match.h"

namespace pictray::similar {

struct SimilarTools;

using SearchProgress = std::function<void(SearchPhase phase, std::size_t done, std::size_t total)>;

// similar_search.h's FindSimilar and ReadFacts, handed in rather than
// linked by the runs: a command line that looks for copies alone then
// never loads the picture libraries the search stands on.
struct SearchCalls {
  dupes::TwinReview (*find)(const fs::Env& env, std::vector<dupes::FileRec>& lpData,
                            std::vector<dupes::TwinGroup> copies, const SimilarTools& tools, const dupes::KeepRule& rule, const SearchProgress& progress, dupes::AbortFlag abort,
                            const MatchLimits& limits) = nullptr;
  std::vector<dupes::PictureFacts> (*facts)(const fs::Env& env, const std::vector<dupes::FileRec>& lpData,
                                            const std::vector<dupes::TwinGroup>& groups) = nullptr;
  bool (*same)(const fs::Env& env, const std::string& kept, const std::string& copy,
               const SimilarTools& tools) = nullptr;
};

struct SimilarTools {
  ThumbnailCalls lib;    // draws every format the thumbnail library reads
  std::string cacheDir;  // the feature cache's folder; "" keeps no cache
  unsigned threads = 2;
  SearchCalls search;    // kLinkedSearch, or a loaded module's
};

}  // namespace pictray::similar
