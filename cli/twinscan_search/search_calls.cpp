// libtwinscansearch.so: twinscan-cli's search for the same pictures, which
// stands on libexiv2 and the picture readers. The command line loads it
// only for --similar, so that looking for copies alone starts without them.
#include "engine/similar/similar_search.h"

extern "C" __attribute__((visibility("default"))) const pictray::similar::SearchCalls* TwinscanSearchCalls() {
  return &pictray::similar::kLinkedSearch;
}
