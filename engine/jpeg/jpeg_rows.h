// Decoding a JPEG one pixel row at a time, for work that looks at every
// pixel of the full-size picture and need not keep it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "engine/fs/read_only_file.h"

namespace pictray {

enum class RowsOutcome { Done, Failed, Stopped };

// The rows JpegToBuffer would make, each handed over once it is decoded:
// `row(arrayRow, bgr, width, height)` gets the row's place in JpegToBuffer's
// bottom-up array (height - 1 first: the picture's top row comes first) and
// its pixels as B,G,R (no padding), converted as JpegToBuffer converts.
// Holding one row, it takes pictures up to kMaxCheckPixels; a file whose
// data ends early hands over the rows its data reaches and is Done. `row`
// answers false to stop the decoding (Stopped); Failed is any other
// failure JpegToBuffer has.
RowsOutcome JpegForEachRow(
    const fs::ReadOnlyFile& file,
    const std::function<bool(std::uint32_t arrayRow, const std::uint8_t* bgr, std::uint32_t width,
                             std::uint32_t height)>& row);

}  // namespace pictray
