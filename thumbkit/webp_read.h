// WebP pictures for thumbnails, decoded scaled down or cropped to the
// pixels the thumbnail needs.
#pragma once

#include <cstdint>
#include <functional>
#include "engine/fs/budget_calls.h"
#include "engine/fs/read_only_file.h"
#include "engine/jpeg/jpeg_decode.h"
#include "thumbkit/geometry.h"

namespace thumbkit {

// Hears the decoded picture: `region` is the part on `pic`, `full` its
// size at full scale.
using WebpUse = std::function<void(const pictray::Picture& pic, Region region, Size full)>;

// Decodes the WebP file `f` for an edge x edge thumbnail of part
// `part` of its partX x partX grid (see PartRegion), transparency
// composited on white, and hands it to `use`: the whole picture at a scale
// that still gives twice the thumbnail's pixels (full scale when it has
// fewer); a cell alone, at full scale. The file, the picture and what the
// decoder holds are taken from `budget` first and given back once `use`
// has returned. 0 when decoded; 1 when the file cannot be read, is corrupt
// or cut short, is bigger than kMaxFileBytes, or needs more than the whole
// budget.
int DecodeWebp(const pictray::fs::ReadOnlyFile& f, const BudgetCalls& budget, std::uint32_t edge, int part, int partX,
               const WebpUse& use);

}  // namespace thumbkit
