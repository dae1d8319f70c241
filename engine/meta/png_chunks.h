// What a PNG's chunks say of its size and Exif: the header, the "eXIf"
// chunk and the text chunks of a "Raw profile type exif" (or APP1), the
// Exif block's "Exif\0\0" start taken off wherever it is written. libexiv2
// refuses an "eXIf" chunk with that start and a profile without it.
#pragma once

#include <optional>
#include <string>

#include "engine/fs/read_only_file.h"

namespace pictray::meta {

struct PngMeta {
  long long width = 0, height = 0;
  std::optional<std::string> exif;  // the TIFF structure of the first Exif block
};

// Nothing when the chunks do not lead from the header to IEND within the
// file, a chunk's type is not letters (a file padded with zeros is not a
// chain of empty chunks) or too many stand on the way.
std::optional<PngMeta> ReadPngMeta(const fs::ReadOnlyFile& file);

}  // namespace pictray::meta
