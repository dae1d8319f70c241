// What the labels need from a picture or video of a format other than
// JPEG: its Exif values, the byte order of its Exif block and its pixel
// size. HEIF stills are read through their item boxes or libheif, CR3 and
// PNG through their own boxes and chunks (their Exif blocks decoded by
// libexiv2), other stills through libexiv2, videos through libavformat; a
// JPEG is never read here (the JPEG reader decides its labels).
#pragma once

#include <optional>
#include <string>

#include "engine/fs/read_only_file.h"
#include "engine/marks/file_kind.h"

namespace pictray::meta {

struct MediaInfo {
  // What the detector found the file to be; None for a kind not read here
  // (JPEG, BMP).
  marks::FileKind format = marks::FileKind::None;
  bool readable = false;   // parsed without an error
  bool hasExif = false;    // an Exif block (a video's header counts as one)
  bool littleEndian = false;
  // "YYYY:MM:DD HH:MM:SS" for the dates; absent when the file has none.
  std::optional<std::string> dateTime, dateTimeOriginal, model, software;
  int width = 0, height = 0;  // 0 when unknown or beyond belief
  // The Exif Orientation tag (1..8; 1 when absent). A HEIF's pixels come
  // from libheif already turned by its own boxes, never by this tag.
  int orientation = 1;
};

// Whether the file's name says it is a picture or video of a format read
// here or by the JPEG reader (its extension, in any case).
bool NamedAsFormatReadHere(const std::string& path);

// Whether a still's pixel size is read: the library finds a TIFF-based
// file's size by searching every sub-image, which costs more than its Exif.
enum class PixelSize { Read, Skip };

// Reads everything above from `file`, opened at `path` by the caller: every
// library reads that one open file (the path names it in their messages).
// Never throws: a damaged file comes back with `readable` false.
MediaInfo ReadMediaInfo(const fs::ReadOnlyFile& file, const std::string& path, PixelSize size = PixelSize::Read);

}  // namespace pictray::meta
