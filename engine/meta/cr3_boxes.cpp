#include "engine/meta/cr3_boxes.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "engine/meta/iso_boxes.h"

namespace pictray::meta {
namespace {

constexpr int kMaxBoxes = 4096;
constexpr std::uint64_t kMaxTiffBox = 1 << 20;

constexpr unsigned char kMakerUuid[16] = {0x85, 0xC0, 0xB6, 0x87, 0x82, 0x0F, 0x11, 0xE0,
                                          0x81, 0x11, 0xF4, 0xCE, 0x46, 0x2B, 0x6A, 0x48};

struct Found {
  std::uint64_t from = 0, to = 0;  // the body
};

// Calls each(type, body) for the boxes filling [from, to) of the file
// until it answers false; false when a box runs beyond `to`.
template <class Each>
bool Boxes(const fs::ReadOnlyFile& file, std::uint64_t from, std::uint64_t to, Each&& each) {
  for (int n = 0; from < to; ++n) {
    unsigned char b[16];
    Cursor c(b, file.ReadAt(from, b, static_cast<std::size_t>(std::min<std::uint64_t>(sizeof b, to - from))));
    const std::optional<BoxHeader> box = ReadBoxHeader(c, to - from);
    if (n == kMaxBoxes || !box) return false;
    if (!each(box->type, Found{from + box->header, from + box->size})) return true;
    from += box->size;
  }
  return true;
}

// The first child of `type` among the boxes of [from, to); false when the
// walk fails.
bool Child(const fs::ReadOnlyFile& file, Found in, std::uint32_t type, std::optional<Found>& out) {
  return Boxes(file, in.from, in.to, [&](std::uint32_t t, Found body) {
    if (t == type) out = body;
    return !out;
  });
}

bool IsMakerBox(const fs::ReadOnlyFile& file, Found uuid) {
  unsigned char id[16];
  return uuid.to - uuid.from >= 16 && file.ReadAt(uuid.from, id, 16) == 16 && std::memcmp(id, kMakerUuid, 16) == 0;
}

bool Body(const fs::ReadOnlyFile& file, Found box, std::string& out) {
  if (box.to - box.from > kMaxTiffBox) return false;
  out.resize(static_cast<std::size_t>(box.to - box.from));
  return file.ReadAt(box.from, out.data(), out.size()) == out.size();
}

}  // namespace

std::optional<Cr3Exif> ReadCr3Exif(const fs::ReadOnlyFile& file) {
  std::optional<Found> moov, maker;
  if (!Child(file, Found{0, file.size()}, FourCC("moov"), moov) || !moov) return std::nullopt;
  const bool walked = Boxes(file, moov->from, moov->to, [&](std::uint32_t type, Found body) {
    if (type == FourCC("uuid") && IsMakerBox(file, body)) maker = Found{body.from + 16, body.to};
    return !maker;
  });
  if (!walked || !maker) return std::nullopt;
  Cr3Exif out;
  bool ok = true;
  const bool inside = Boxes(file, maker->from, maker->to, [&](std::uint32_t type, Found body) {
    if (type == FourCC("CMT1")) ok = ok && Body(file, body, out.ifd0);
    if (type == FourCC("CMT2")) ok = ok && Body(file, body, out.exif);
    return ok;
  });
  if (!inside || !ok) return std::nullopt;
  return out;
}

}  // namespace pictray::meta
