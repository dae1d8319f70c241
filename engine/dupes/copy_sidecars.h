// The sidecars that go with the surplus copies of a grouped table, so that
// an extracted copy keeps its .xmp/.aae/.thm beside it and the kept
// picture keeps its own.
#pragma once

#include <cstddef>
#include <unordered_map>
#include <vector>

#include "engine/list/twin_table.h"

namespace pictray::dupes {

// By row of a surplus copy: the rows of the sidecars that go with it. A
// sidecar goes with the picture whose whole name it extends when that is a
// surplus copy; else, by its stem, with the first of the stem's pictures
// when every one of them is a surplus copy (a sidecar some staying picture
// may own stays). A sidecar that is itself a surplus copy goes as a copy.
std::unordered_map<std::size_t, std::vector<std::size_t>> SidecarsOfCopies(const std::vector<FileRec>& lpData);

}  // namespace pictray::dupes
