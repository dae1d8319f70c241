// Whether a file holds everything its structure promises: the test a
// broken JPEG fails when it cannot be read whole, for the other formats.
// Only the structure is read (directories, box and strip headers), with
// pread and within bounds; the pictures are never decoded.
#pragma once

#include "engine/fs/read_only_file.h"
#include "engine/marks/file_kind.h"

namespace pictray::meta {

// TIFF and the RAWs built on it (ORF and RW2 with their own marks): every
// directory of the chains, the sub-directories and the Exif directory
// within the file, every value and every strip, tile or embedded picture
// they point at too. True for a file of another kind.
bool TiffWhole(const fs::ReadOnlyFile& file);

// ISO media files (MOV/MP4, HEIF, CR3): top-level boxes that fill the file
// exactly, the last one included (an old movie's closing 32-bit zero aside).
bool BoxesWhole(const fs::ReadOnlyFile& file);

// The check above that fits a file of `kind`; true for a kind without one
// (PNG and WebP, whose reading walks every chunk to the end, CRW, MRW).
bool FileWhole(const fs::ReadOnlyFile& file, marks::FileKind kind);

}  // namespace pictray::meta
