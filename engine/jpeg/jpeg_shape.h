// What a JPEG says about the picture it holds before its pixels: its size,
// the Orientation tag that turns it for showing and the date it was taken.
// The marker chain is followed up to the first scan, every segment within
// its own 16-bit length, so a damaged file costs at most its head.
#pragma once

#include <string>

#include "engine/fs/read_only_file.h"

namespace pictray {

struct JpegShape {
  bool readable = false;      // a start of image and a frame header were found
  int width = 0, height = 0;  // as stored, before the Orientation tag
  int orientation = 1;        // the Exif tag, 1..8; 1 when absent or out of range
  std::string dateTaken;      // DateTimeOriginal, else DateTime; "" when neither
  // The Exif names the camera (Make or Model, not empty) and holds
  // DateTimeOriginal: as a camera writes it, and most exports do not keep.
  bool camera = false;
};

JpegShape ReadJpegShape(const fs::ReadOnlyFile& file);

}  // namespace pictray
