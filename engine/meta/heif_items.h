// The primary picture of a HEIF file as its item boxes describe it: its
// coded size and its Exif item. Only the "meta" box and the Exif item are
// read; libheif's reader copies every top-level box it does not know,
// the "mdat" with the coded picture included, before it answers, and that
// copy cost more than everything else an Exif label needs.
#pragma once

#include <optional>
#include <string>

#include "engine/fs/read_only_file.h"

namespace pictray::meta {

struct HeifItems {
  long long width = 0, height = 0;  // as coded, before any turn; 0 without "ispe"
  // The Exif item's bytes (its 4-byte offset to the TIFF header first);
  // absent when no Exif item describes the primary picture.
  std::optional<std::string> exif;
};

// Nothing when the file holds anything this reader does not follow as
// libheif would (a cropped picture, an item elsewhere than in the file or
// "idat", a box out of bounds, ...): libheif then decides.
std::optional<HeifItems> ReadHeifItems(const fs::ReadOnlyFile& file);

}  // namespace pictray::meta
