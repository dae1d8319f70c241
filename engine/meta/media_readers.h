// The readers behind ReadMediaInfo, one per backend: libexiv2 for the
// stills, libavformat for the movies, libheif for the HEIF files our item
// boxes do not describe plainly. Each reads the file the caller opened and
// fills what it finds into a MediaInfo; a damaged file may throw.
#pragma once

#include <cstddef>

#include "engine/fs/read_only_file.h"
#include "engine/meta/media_info.h"

namespace pictray::meta {

// The pixel size, unless it is beyond belief.
void KeepSize(MediaInfo& info, long long w, long long h);

// libexiv2's process-wide switches, set once before any read.
void InitExiv2Once();

// A still libexiv2 reads, made of the class its kind names.
void ReadStill(const fs::ReadOnlyFile& file, const std::string& path, marks::FileKind kind, PixelSize size,
               MediaInfo& info);

// The formats with readers of their own, their Exif blocks decoded by libexiv2.
void ReadCr3(const fs::ReadOnlyFile& file, PixelSize size, MediaInfo& info);
void ReadPng(const fs::ReadOnlyFile& file, PixelSize size, MediaInfo& info);
// A HEIF item's Exif: a 4-byte offset to the TIFF header, then the block
// (of at most this many bytes).
constexpr std::size_t kMaxExifBlock = 4 << 20;
void KeepHeifExif(MediaInfo& info, const std::string& block);
// The values of the Exif block `tiff` (from its TIFF header on) when it is
// plain: only directories, entries and values the library reads as they
// stand, none it decodes further. False, `info` untouched, for any other
// block: the library's to decode.
bool ReadPlainExifBlock(const unsigned char* tiff, std::size_t size, MediaInfo& info);
// The same values as libexiv2 decodes them, from any block; may throw.
void DecodeExifBlock(const unsigned char* tiff, std::size_t size, MediaInfo& info);

// A BigTIFF's values and size, read by our own directory walk.
void ReadBigTiff(const fs::ReadOnlyFile& file, PixelSize size, MediaInfo& info);

void ReadVideo(const fs::ReadOnlyFile& file, MediaInfo& info);
void ReadHeif(const fs::ReadOnlyFile& file, MediaInfo& info);

}  // namespace pictray::meta
