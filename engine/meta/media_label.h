// The Exif label of a picture or video of another format, in the shape the
// JPEG reader gives: the value `ExifSel` chooses, cut and sanitised by the
// same rules, then the Exif block's byte order. A file without an Exif
// block is "NoExif", one without the value "NoData", a damaged one
// "file_error".
#pragma once

#include <string>

#include "engine/meta/media_info.h"

namespace pictray::meta {

std::string MediaExifLabel(const MediaInfo& info, const std::string& ExifSel,
                           const std::string& disabledchar, bool orderTag);

// "%dX%d", or "" when the size is not known.
std::string MediaSizeLabel(const MediaInfo& info);

}  // namespace pictray::meta
