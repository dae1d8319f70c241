// PNG pictures for thumbnails.
#pragma once

#include "engine/fs/read_only_file.h"
#include "thumbkit/row_sink.h"

namespace thumbkit {

// Decodes the PNG file `f` into `sink` as 24-bit B,G,R: palettes and
// grey expanded, 16-bit samples scaled to 8, transparency composited on
// white. A plain file streams through one row; an interlaced one is
// assembled in one B,G,R picture first, each pixel put in place as its pass
// brings it. What is held is taken from `budget` first. kFailed when the
// file is not open, is corrupt or cut short, has more than
// kMaxStreamedPixels pixels or needs more than the whole budget.
Streamed StreamPng(const pictray::fs::ReadOnlyFile& f, const BudgetCalls& budget, RowSink& sink);

}  // namespace thumbkit
