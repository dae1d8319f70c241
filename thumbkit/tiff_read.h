// TIFF pictures for thumbnails.
#pragma once

#include <string>

#include "engine/jpeg/jpeg_decode.h"

namespace thumbkit {

enum class TiffResult { kRead, kFailed, kNoPlainPicture };

// Decodes the first directory of the TIFF file at `path` into `pic` as
// 24-bit B,G,R, transparency composited on white, strip by strip or tile by
// tile. kNoPlainPicture (and `pic` empty) when that directory holds no
// full-size picture for display: raw sensor data (colour filter array,
// linear raw, a DNG, a compression the library lacks, old-style JPEG as in
// camera files) or a reduced-size image, as cameras write before their
// raw data. kFailed (and `pic` empty) when the file cannot be opened, is
// corrupt or cut short, has more than pictray::kMaxDecodePixels pixels, or
// tiles of more pixels than the picture (and above a megapixel).
TiffResult ReadTiff(const std::string& path, pictray::Picture& pic);

}  // namespace thumbkit
