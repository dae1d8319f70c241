// The Exif of a CR3, read from its boxes: the maker's box in "moov" holds
// IFD0 ("CMT1") and the Exif directory ("CMT2"), each a TIFF structure of
// its own. libexiv2 tells a CR3 from other box files only by more of its
// first bytes than a label reads, and only the two boxes are needed.
#pragma once

#include <optional>
#include <string>

#include "engine/fs/read_only_file.h"

namespace pictray::meta {

struct Cr3Exif {
  std::string ifd0, exif;  // TIFF structures; empty when the box is missing
};

// Nothing when the file has no maker's box (a camera always writes it),
// when the boxes on the way to it or in it run beyond their container, or
// a box is beyond belief.
std::optional<Cr3Exif> ReadCr3Exif(const fs::ReadOnlyFile& file);

}  // namespace pictray::meta
