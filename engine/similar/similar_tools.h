// What the search for the same pictures works with: the thumbnail library,
// the folder of its feature cache and how many threads it may use. The
// front end that loads the library fills it.
#pragma once

#include <string>

#include "engine/colour/thumbnail.h"

namespace pictray::similar {

struct SimilarTools {
  ThumbnailCalls lib;    // draws every format the thumbnail library reads
  std::string cacheDir;  // the feature cache's folder; "" keeps no cache
  unsigned threads = 2;
};

}  // namespace pictray::similar
