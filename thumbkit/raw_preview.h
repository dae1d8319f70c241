// Camera raw files for thumbnails, drawn from the largest JPEG preview the
// camera embedded in them.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/fs/read_only_file.h"
#include "engine/jpeg/jpeg_decode.h"
#include "thumbkit/geometry.h"
#include "thumbkit/jpeg_part.h"

namespace thumbkit {

// Finds the largest JPEG preview image in the raw file `f` (any
// format the metadata library reads, CR3 and other ISO media containers
// included) and decodes its parts as DecodeJpegPartsInMemory does
// (jpeg_part.h), the file read and the preview decoded once. Nothing is
// heard when the file cannot be read, holds no JPEG preview, or its preview
// is above kMaxPreviewBytes.
void DecodeRawPreviewParts(const pictray::fs::ReadOnlyFile& f, const BudgetCalls& budget, std::uint32_t edge,
                           const std::vector<int>& parts, int partX, const PartSink& sink);

}  // namespace thumbkit
