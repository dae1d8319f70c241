#include "engine/meta/whole_file.h"

#include <algorithm>
#include <cstdint>

#include "engine/meta/iso_boxes.h"
#include "engine/meta/raf_header.h"

namespace pictray::meta {
namespace {

// A fragmented movie has a few thousand top-level boxes.
constexpr std::uint32_t kMaxTopBoxes = 1 << 16;

}  // namespace

bool BoxesWhole(const fs::ReadOnlyFile& file) {
  std::uint64_t at = 0;
  for (std::uint32_t n = 0; at < file.size(); ++n) {
    unsigned char b[16] = {};
    const std::size_t got = file.ReadAt(at, b, sizeof b);
    if (file.size() - at == 4 && got == 4 && std::all_of(b, b + 4, [](unsigned char x) { return x == 0; }))
      return true;  // an old movie's closing 32-bit zero
    Cursor c(b, got);
    const std::optional<BoxHeader> box = ReadBoxHeader(c, file.size() - at);
    if (n >= kMaxTopBoxes || !box) return false;
    at += box->size;
  }
  return true;
}

bool FileWhole(const fs::ReadOnlyFile& file, marks::FileKind kind) {
  using marks::FileKind;
  switch (kind) {
    case FileKind::Tiff:
    case FileKind::BigTiff:
    case FileKind::Cr2:
    case FileKind::Orf:
    case FileKind::Rw2:
      return TiffWhole(file);
    case FileKind::Raf:
      return RafPartsWithin(file);
    case FileKind::Heif:
    case FileKind::JxlBox:
    case FileKind::Cr3:
    case FileKind::Movie:
      return BoxesWhole(file);
    default:
      return true;
  }
}

}  // namespace pictray::meta
