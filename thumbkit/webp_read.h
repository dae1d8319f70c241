// WebP pictures for thumbnails, decoded scaled down or cropped to the
// pixels the thumbnail needs.
#pragma once

#include <cstdint>
#include <string>

#include "engine/jpeg/jpeg_decode.h"
#include "thumbkit/geometry.h"

namespace thumbkit {

// Decodes the WebP file at `path` for an edge x edge thumbnail of part
// `part` of its partX x partX grid (see PartRegion), transparency
// composited on white: the whole picture at a scale that still gives twice
// the thumbnail's pixels (full scale when it has fewer); a cell alone, at
// full scale. `region` is the part on `pic`, `full` its size at full
// scale. 0 on success; 1 (and
// `pic` empty) when the file cannot be read, is corrupt or cut short, is
// bigger than kMaxFileBytes, or the decoded raster would hold more than
// pictray::kMaxDecodePixels pixels.
int DecodeWebp(const std::string& path, std::uint32_t edge, int part, int partX, pictray::Picture& pic,
               Region& region, Size& full);

}  // namespace thumbkit
