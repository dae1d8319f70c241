// A RAF's own header: where its preview, the sensor data's header (a
// directory of tag, size, value entries) and the sensor data lie.
#pragma once

#include <optional>
#include <utility>

#include "engine/fs/read_only_file.h"

namespace pictray::meta {

// The three parts within the file.
bool RafPartsWithin(const fs::ReadOnlyFile& file);

// The full image's width and height: the cropped size the sensor data's
// header gives (exiftool's ImageSize), else its full size; nothing when it
// gives neither.
std::optional<std::pair<long long, long long>> RafImageSize(const fs::ReadOnlyFile& file);

}  // namespace pictray::meta
