// HEIF pictures (HEIC and AVIF) for thumbnails.
#pragma once

#include <string>

#include "engine/jpeg/jpeg_decode.h"

namespace thumbkit {

// Decodes the primary image of the HEIF file at `path` (HEVC or AV1 coded,
// turned and mirrored as the file says) into `pic` as 24-bit B,G,R,
// transparency composited on white. 0 on success; 1 (and `pic` empty) when
// the file cannot be opened, is corrupt or cut short, its codec is missing,
// or it claims more than pictray::kMaxDecodePixels pixels (refused before
// decoding).
int ReadHeif(const std::string& path, pictray::Picture& pic);

}  // namespace thumbkit
