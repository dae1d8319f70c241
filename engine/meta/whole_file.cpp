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

bool FileWhole(const fs::ReadOnlyFile& file, Format format) {
  switch (format) {
    case Format::Tiff:
      return TiffWhole(file);
    case Format::Raw:
      return IsRaf(file) ? RafPartsWithin(file) : TiffWhole(file);
    case Format::Heif:
    case Format::Bmff:
    case Format::Cr3:
    case Format::Video:
      return BoxesWhole(file);
    case Format::None:
    case Format::Png:
    case Format::WebP:
      break;  // their reading walks every chunk to the end
  }
  return true;
}

}  // namespace pictray::meta
