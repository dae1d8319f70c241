// What a file is by its first bytes: the one detector that the JPEG checks,
// the metadata readers (libexiv2 only makes the image class it names), the
// NG check, the similar search, Twinscan's Live Photo check and the
// thumbnail library's dispatch all ask, so that they never disagree on a
// format.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "engine/fs/read_only_file.h"

namespace pictray::marks {

enum class FileKind : std::uint8_t {
  None,  // no format read here
  Jpeg,
  Png,
  Bmp,
  WebP,
  Tiff,     // TIFF and the raw files built on it (NEF, NRW, ARW, SR2, DNG, PEF, SRW), told apart only by their directories
  BigTiff,  // TIFF with 64-bit offsets
  Cr2,      // a TIFF whose header goes on as a CR2's
  Crw,
  Orf,
  Rw2,
  Raf,
  Mrw,
  Heif,    // HEIC/HEIF and AVIF
  Cr3,
  JxlBox,  // JPEG XL in its box container
  Movie,   // MOV, MP4, M4V, 3GP, and QuickTime's files older than "ftyp"
};

// The bytes read from a file's start: enough for an "ftyp" box with its
// first compatible brands.
constexpr std::size_t kHeadBytes = 128;

// What a file whose first `n` bytes are `head` is.
FileKind KindOfHead(const unsigned char* head, std::size_t n);

// What `file` is by its first kHeadBytes; None when it cannot be read.
FileKind KindOfFile(const fs::ReadOnlyFile& file);

// Whether libheif reads a file that lists `brand` among its compatible
// brands (it never looks at the major one).
bool LibheifTakesBrand(std::string_view brand);

}  // namespace pictray::marks
