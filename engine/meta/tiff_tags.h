// The TIFF and Exif tags our own walks read, by their numbers.
#pragma once

#include <cstdint>

namespace pictray::meta {

enum TiffTag : std::uint16_t {
  kImageWidth = 0x100,
  kImageLength = 0x101,
  kModel = 0x110,
  kOrientation = 0x112,
  kSoftware = 0x131,
  kDateTime = 0x132,
  kDateTimeOriginal = 0x9003,
  kStripOffsets = 0x111,
  kStripByteCounts = 0x117,
  kTileOffsets = 0x144,
  kTileByteCounts = 0x145,
  kSubIfds = 0x14A,
  kJpegOffset = 0x201,
  kJpegLength = 0x202,
  kExifIfd = 0x8769,
  kGpsIfd = 0x8825,
};

}  // namespace pictray::meta
