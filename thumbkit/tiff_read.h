// TIFF pictures for thumbnails.
#pragma once

#include "engine/fs/read_only_file.h"
#include "thumbkit/row_sink.h"

namespace thumbkit {

// Decodes the first directory of the TIFF file `f` into `sink` as
// 24-bit B,G,R, transparency composited on white, strip by strip or one
// row of tiles at a time, holding that band alone; what it holds (the
// library's strip or tile too) is taken from `budget` first.
// kNoPlainPicture (before any row) when that directory holds no full-size
// picture for display: raw sensor data (colour filter array, linear raw, a
// DNG, a compression the library lacks, old-style JPEG as in camera files)
// or a reduced-size image, as cameras write before their raw data.
// kFailed when the file is not open, is corrupt or cut short, has
// more than kMaxStreamedPixels pixels, tiles of more pixels than the
// picture (and above a megapixel), or needs more than the whole budget.
Streamed StreamTiff(const pictray::fs::ReadOnlyFile& f, const BudgetCalls& budget, RowSink& sink);

}  // namespace thumbkit
