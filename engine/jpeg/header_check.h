// Small checks on the first (and last) bytes of a file; none decodes and
// none keeps state, so any thread may call them.
#pragma once

#include <span>
#include <string>

#include "engine/fs/read_only_file.h"

namespace pictray {

// "JPEG" when the file's first two bytes are FF D8; empty otherwise, for a
// shorter file, or when it cannot be opened.
std::string JpegHedarCheck(const fs::ReadOnlyFile& file);

// 1 "BM", 2 FF D8, 3 the PNG signature (tested in that order); 0 otherwise
// and when the file cannot be opened.
int FileHedarCheck(const fs::ReadOnlyFile& file);

// 1 (broken) when the file does not start with FF D8 or does not end with
// FF D9; 0 for a sound file, an empty file or one that did not open.
int JEndHedarCheck(const fs::ReadOnlyFile& file);
// As above on the whole file held in memory.
int JEndHedarCheck(std::span<const unsigned char> file);

// Exif-header label from the first 100 bytes: "" (cannot open), "NoJPEG",
// "Exif" (identifier at offset 6, 24 or 32), or else the text at offset 24
// up to its first 00 byte (at most 76 bytes).
std::string ExifHedarCheck(const fs::ReadOnlyFile& file);

}  // namespace pictray
