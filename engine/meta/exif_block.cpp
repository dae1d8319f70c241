// An Exif block in memory (a TIFF header, IFD0 and its Exif directory),
// read for the labels' values without libexiv2 when the block is plain:
// decoding a whole block into the library's keyed values costs more than
// everything else a HEIF label needs. Any block that is not plain goes to
// the library, so that nothing it would answer differently is answered here.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "engine/meta/media_readers.h"
#include "engine/meta/tiff_tags.h"

namespace pictray::meta {
namespace {

// Tags the library decodes beyond their value (embedded XMP, IPTC and
// Photoshop blocks, makers' notes, sub-images, strips, tiles, thumbnails):
// a block holding one is the library's to read.
bool DecodedFurther(std::uint16_t tag) {
  switch (tag) {
    case 0x02BC: case 0x83BB: case 0x8649: case 0x927C: case 0xC634: case kSubIfds: case kStripOffsets:
    case kStripByteCounts: case kTileOffsets: case kTileByteCounts: case kJpegOffset: case kJpegLength:
      return true;
    default:
      return false;
  }
}

constexpr std::uint16_t kAscii = 2, kShort = 3, kLong = 4, kIfd = 13;
constexpr std::uint32_t kMaxEntries = 256;  // the library reads no longer directory
constexpr std::uint32_t kMaxCount = 0x10000000;  // nor an entry this long

std::uint32_t TypeBytes(std::uint16_t type) {
  static constexpr std::uint8_t kBytes[] = {0, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8, 4};
  return type < sizeof kBytes ? kBytes[type] : 0;
}

struct Block {
  const unsigned char* p;
  std::uint32_t n;
  bool little;

  std::uint32_t Number(std::uint32_t at, int bytes) const {
    std::uint32_t v = 0;
    for (int i = 0; i < bytes; ++i) v |= std::uint32_t(p[at + i]) << (8 * (little ? i : bytes - 1 - i));
    return v;
  }
};

struct Entry {
  std::uint16_t type = 0;
  std::uint32_t count = 0, valueAt = 0;
};

// The wanted entries of the plain directory at `at`, whose next-directory
// offset is *next; nothing when the directory is not plain: empty, longer
// than the library reads, cut by the block's end, out of tag order, with
// an entry of no TIFF type or decoded further, or a wanted value that lies
// outside the block.
template <std::size_t N>
std::optional<std::array<std::optional<Entry>, N>> Directory(const Block& b, std::uint32_t at,
                                                            const std::array<std::uint16_t, N>& wanted,
                                                            std::uint32_t* next) {
  if (at < 8 || at > b.n || b.n - at < 2) return std::nullopt;
  const std::uint32_t count = b.Number(at, 2);
  if (count == 0 || count > kMaxEntries || (b.n - at - 2) / 12 < count || b.n - at - 2 - count * 12 < 4)
    return std::nullopt;
  std::array<std::optional<Entry>, N> found{};
  std::uint32_t previous = 0;
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::uint32_t e = at + 2 + i * 12;
    const std::uint32_t tag = b.Number(e, 2);
    const Entry entry{static_cast<std::uint16_t>(b.Number(e + 2, 2)), b.Number(e + 4, 4), e + 8};
    if ((i > 0 && tag <= previous) || DecodedFurther(static_cast<std::uint16_t>(tag)) ||
        TypeBytes(entry.type) == 0 || entry.count >= kMaxCount)
      return std::nullopt;
    previous = tag;
    for (std::size_t w = 0; w < N; ++w) {
      if (tag != wanted[w]) continue;
      Entry value = entry;
      const std::uint32_t bytes = TypeBytes(entry.type) * entry.count;
      if (bytes > 4) value.valueAt = b.Number(e + 8, 4);
      if (value.valueAt == 0 || value.valueAt > b.n || bytes > b.n - value.valueAt) return std::nullopt;
      found[w] = value;
    }
  }
  *next = b.Number(at + 2 + count * 12, 4);
  return found;
}

// An ASCII value up to its first 00 byte, or nothing when not ASCII.
std::optional<std::string> Text(const Block& b, const std::optional<Entry>& e, bool* plain) {
  if (!e) return std::nullopt;
  if (e->type != kAscii || e->count == 0) {
    *plain = false;
    return std::nullopt;
  }
  const char* at = reinterpret_cast<const char*>(b.p + e->valueAt);
  std::string v(at, e->count);
  if (const auto nul = v.find('\0'); nul != std::string::npos) v.resize(nul);
  return v;
}

}  // namespace

bool ReadPlainExifBlock(const unsigned char* tiff, std::size_t size, MediaInfo& info) {
  if (size < 8 || size > kMaxExifBlock) return false;
  const bool little = tiff[0] == 'I' && tiff[1] == 'I';
  if (!little && !(tiff[0] == 'M' && tiff[1] == 'M')) return false;
  const Block b{tiff, static_cast<std::uint32_t>(size), little};
  if (b.Number(2, 2) != 42) return false;
  const std::uint32_t ifd0At = b.Number(4, 4);
  std::uint32_t next = 0;
  const auto ifd0 = Directory<5>(b, ifd0At, {kModel, kOrientation, kSoftware, kDateTime, kExifIfd}, &next);
  if (!ifd0) return false;
  const auto& [model, orientation, software, dateTime, exifPointer] = *ifd0;
  MediaInfo read = info;
  bool plain = true;
  if (exifPointer) {
    const std::uint32_t exifAt = b.Number(exifPointer->valueAt, 4);
    const bool pointer = (exifPointer->type == kLong || exifPointer->type == kIfd) && exifPointer->count == 1;
    std::uint32_t afterExif = 0;
    const auto exif = pointer && exifAt != ifd0At ? Directory<1>(b, exifAt, {kDateTimeOriginal}, &afterExif)
                                                  : std::nullopt;
    // The library reads a directory after the Exif one, which may hold more.
    if (!exif || afterExif != 0) return false;
    read.dateTimeOriginal = Text(b, (*exif)[0], &plain);
  }
  if (orientation) {
    if (orientation->type != kShort || orientation->count != 1) return false;
    if (const std::uint32_t o = b.Number(orientation->valueAt, 2); o >= 1 && o <= 8) read.orientation = static_cast<int>(o);
  }
  read.model = Text(b, model, &plain);
  read.software = Text(b, software, &plain);
  read.dateTime = Text(b, dateTime, &plain);
  if (!plain) return false;
  read.hasExif = true;
  read.littleEndian = little;
  info = std::move(read);
  return true;
}

}  // namespace pictray::meta
