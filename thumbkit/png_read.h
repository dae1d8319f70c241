// PNG pictures for thumbnails.
#pragma once

#include <string>

#include "engine/jpeg/jpeg_decode.h"

namespace thumbkit {

// Decodes the PNG file at `path` into `pic` as 24-bit B,G,R: palettes and
// grey expanded, 16-bit samples scaled to 8, interlaced files assembled,
// transparency composited on white. 0 on success; 1 (and `pic` empty) when
// the file cannot be opened, is corrupt or cut short, or has more than
// pictray::kMaxDecodePixels pixels.
int ReadPng(const std::string& path, pictray::Picture& pic);

}  // namespace thumbkit
