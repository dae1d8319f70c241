// The companions that go with the surplus copies of a grouped table, so that
// an extracted copy keeps its .xmp/.aae/.thm and its Live Photo video beside
// it and the kept picture keeps its own.
#pragma once

#include <cstddef>
#include <unordered_map>
#include <vector>

#include "engine/list/twin_table.h"

namespace pictray::dupes {

// By row of a surplus copy: the rows of the companions (dupes::IsCompanion)
// that go with it. A sidecar goes with the picture whose whole name it
// extends when that is a surplus copy; else, by its stem in its folder, a
// sidecar or a Live Photo video goes with the first of the stem's files
// when every one of them is a surplus copy (a companion some staying file
// may own stays). A companion is never a copy itself.
std::unordered_map<std::size_t, std::vector<std::size_t>> SidecarsOfCopies(const std::vector<FileRec>& lpData);

}  // namespace pictray::dupes
