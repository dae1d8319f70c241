// BMP pictures for thumbnails.
#pragma once

#include "engine/fs/read_only_file.h"
#include "thumbkit/row_sink.h"

namespace thumbkit {

// Hands the rows of the 24-bit uncompressed bottom-up BMP file `f`
// to `sink`, reading each from the file as it is handed over: the files
// pictray::readBMP takes, but above its pixel budget too, within
// kMaxStreamedPixels. kFailed for any other file, one that cannot be read,
// or whose pixel rows do not fit inside it.
Streamed StreamBmp(const pictray::fs::ReadOnlyFile& f, const BudgetCalls& budget, RowSink& sink);

}  // namespace thumbkit
