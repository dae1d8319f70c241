// The boxes libexiv2 descends into in an ISO media container (CR3, JPEG
// XL): it copies every box's body before reading it, at every level, so a
// deep nest costs the rest of the file once per level.
#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>

#include "engine/meta/bounded_walks.h"
#include "engine/meta/iso_boxes.h"

namespace pictray::meta {
namespace {

// A camera's file nests four levels.
constexpr int kMaxDepth = 16;
constexpr std::uint32_t kMaxBoxes = 1 << 16;
// Copies below the top level: a camera's "moov" and what it holds, twice.
constexpr std::uint64_t kMaxNestedCopy = 64 << 20;

// The maker's box that holds the Exif boxes of a CR3.
constexpr unsigned char kMakerUuid[16] = {0x85, 0xC0, 0xB6, 0x87, 0x82, 0x0F, 0x11, 0xE0,
                                          0x81, 0x11, 0xF4, 0xCE, 0x46, 0x2B, 0x6A, 0x48};

struct Walk {
  const fs::ReadOnlyFile& file;
  std::uint32_t boxes = 0;
  std::uint64_t copied = 0;

  // Up to `most` boxes filling [at, end); false where the library would
  // throw or where the nest goes beyond the bounds.
  bool Boxes(std::uint64_t at, std::uint64_t end, int depth, long most = LONG_MAX) {
    for (long n = 0; at < end && n < most; ++n) {
      if (++boxes > kMaxBoxes || depth > kMaxDepth) return false;
      unsigned char b[16];
      const std::size_t got = file.ReadAt(at, b, static_cast<std::size_t>(std::min<std::uint64_t>(sizeof b, end - at)));
      Cursor c(b, got);
      std::uint64_t size = c.Number(4), header = 8;
      const auto type = static_cast<std::uint32_t>(c.Number(4));
      if (size == 1) {
        size = c.Number(8);
        header = 16;
      }
      if (c.failed() || size < header || size > end - at) return false;
      if (depth > 0 && (copied += size - header) > kMaxNestedCopy) return false;
      if (!Inside(type, at + header, at + size, depth)) return false;
      at += size;
    }
    return true;
  }

  // The children of a box whose body is [from, to), for the boxes the
  // library reads as containers.
  bool Inside(std::uint32_t type, std::uint64_t from, std::uint64_t to, int depth) {
    if (type == FourCC("moov") || type == FourCC("iprp") || type == FourCC("ipco")) return Boxes(from, to, depth + 1);
    if (type == FourCC("meta")) return to - from >= 4 && Boxes(from + 4, to, depth + 1);
    if (type == FourCC("iinf")) {
      unsigned char n[2];
      if (to - from < 6 || file.ReadAt(from + 4, n, 2) != 2) return false;
      return Boxes(from + 6, to, depth + 1, static_cast<std::int16_t>(n[0] << 8 | n[1]));
    }
    if (type == FourCC("uuid") && to - from >= 16) {
      unsigned char id[16];
      if (file.ReadAt(from, id, 16) != 16) return false;
      if (std::memcmp(id, kMakerUuid, 16) == 0) return Boxes(from + 16, to, depth + 1);
    }
    return true;
  }
};

}  // namespace

bool Exiv2BoxesBounded(const fs::ReadOnlyFile& file) { return Walk{file}.Boxes(0, file.size(), 0); }

}  // namespace pictray::meta
