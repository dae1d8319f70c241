// HEIF pictures (HEIC and AVIF) for thumbnails.
#pragma once

#include "engine/fs/read_only_file.h"
#include "thumbkit/row_sink.h"

namespace thumbkit {

// Decodes the primary image of the HEIF file `f` (HEVC or AV1 coded,
// turned and mirrored as the file says) and hands its rows to `sink` as
// 24-bit B,G,R, transparency composited on white, straight from the
// library's decoded image. The library decodes the whole image (a grid
// too) and converts its colours in a second image: both are taken from
// `budget` before decoding. kFailed when the file is not open, is
// corrupt or cut short, its codec is missing, it claims more than
// kMaxStreamedPixels pixels or needs more than the whole budget.
Streamed StreamHeif(const pictray::fs::ReadOnlyFile& f, const BudgetCalls& budget, RowSink& sink);

}  // namespace thumbkit
