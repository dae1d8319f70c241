// Whether a file holds everything its structure promises: the test a
// broken JPEG fails when it cannot be read whole, for the other formats.
// Only the structure is read (directories, box and strip headers), with
// pread and within bounds; the pictures are never decoded.
#pragma once

#include "engine/fs/read_only_file.h"
#include "engine/meta/media_info.h"

namespace pictray::meta {

// TIFF and the RAWs built on it (ORF and RW2 with their own marks): every
// directory of the chains, the sub-directories and the Exif directory
// within the file, every value and every strip, tile or embedded picture
// they point at too. True for a file of another kind.
bool TiffWhole(const fs::ReadOnlyFile& file);

// ISO media files (MOV/MP4, HEIF, CR3): top-level boxes that fill the file
// exactly, the last one included (an old movie's closing 32-bit zero aside).
bool BoxesWhole(const fs::ReadOnlyFile& file);

// The check above for a file of `format`, as ReadMediaInfo found it.
bool FileWhole(const fs::ReadOnlyFile& file, Format format);

}  // namespace pictray::meta
