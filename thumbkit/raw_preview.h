// Camera raw files for thumbnails, drawn from the largest JPEG preview the
// camera embedded in them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/jpeg/jpeg_decode.h"
#include "thumbkit/geometry.h"
#include "thumbkit/jpeg_part.h"

namespace thumbkit {

// Finds the largest JPEG preview image in the raw file at `path` (any
// format the metadata library reads, CR3 and other ISO media containers
// included) and decodes it as DecodeJpegPart does (jpeg_part.h). 1 (and
// `pic` empty) when the file cannot be read, holds no JPEG preview, its
// preview is above kMaxPreviewBytes or cannot be decoded.
int DecodeRawPreviewPart(const std::string& path, std::uint32_t edge, int part, int partX, pictray::Picture& pic,
                         Size& full);

// The parts of the preview as DecodeJpegParts hears them, the file read
// and the preview decoded once.
void DecodeRawPreviewParts(const std::string& path, std::uint32_t edge, const std::vector<int>& parts, int partX,
                           const PartSink& sink);

}  // namespace thumbkit
