#include <exiv2/exiv2.hpp>

#include <array>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>

#include "engine/meta/ciff_values.h"
#include "engine/meta/cr3_boxes.h"
#include "engine/meta/exiv2_image.h"
#include "engine/meta/media_readers.h"
#include "engine/meta/png_chunks.h"
#include "engine/meta/raf_header.h"

namespace pictray::meta {
namespace {

void LockXmp(void* mutex, bool lock) {
  if (lock)
    static_cast<std::mutex*>(mutex)->lock();
  else
    static_cast<std::mutex*>(mutex)->unlock();
}

}  // namespace

// libexiv2 keeps process-wide switches (BMFF, the log level) and an XMP
// toolkit that needs a lock across threads: set them once, before any read.
void InitExiv2Once() {
  static std::once_flag once;
  static std::mutex xmpMutex;
  std::call_once(once, [] {
    Exiv2::LogMsg::setLevel(Exiv2::LogMsg::mute);
    Exiv2::XmpParser::initialize(LockXmp, &xmpMutex);
    Exiv2::enableBMFF(true);
  });
}

namespace {

// A text value up to its first 00 byte.
std::string Text(const Exiv2::Exifdatum& datum) {
  std::string v = datum.toString();
  if (const auto nul = v.find('\0'); nul != std::string::npos) v.resize(nul);
  return v;
}

// The tags a label reads, by number and IFD (comparing the keys' names
// cost more than decoding the block).
struct WantedTag {
  std::uint16_t tag;
  int ifd;
  std::optional<std::string> MediaInfo::*field;
};

// An RW2's IFD0 comes out under a group of its own.
const std::array<WantedTag, 5>& WantedTags() {
  static const std::array<WantedTag, 5> tags = [] {
    const auto wanted = [](const char* key, std::optional<std::string> MediaInfo::*field) {
      const Exiv2::ExifKey k(key);
      return WantedTag{k.tag(), k.ifdId(), field};
    };
    return std::array<WantedTag, 5>{wanted("Exif.Image.DateTime", &MediaInfo::dateTime),
                                    wanted("Exif.Photo.DateTimeOriginal", &MediaInfo::dateTimeOriginal),
                                    wanted("Exif.Image.Model", &MediaInfo::model),
                                    wanted("Exif.Image.Software", &MediaInfo::software),
                                    wanted("Exif.PanasonicRaw.Model", &MediaInfo::model)};
  }();
  return tags;
}

void KeepExif(MediaInfo& info, const Exiv2::ExifData& exif, Exiv2::ByteOrder order) {
  info.hasExif = !exif.empty();
  info.littleEndian = order != Exiv2::bigEndian;
  static const Exiv2::ExifKey orientation("Exif.Image.Orientation");
  for (const Exiv2::Exifdatum& datum : exif) {
    if (datum.tag() == orientation.tag() && datum.ifdId() == orientation.ifdId() && datum.count() == 1) {
      const long o = datum.toLong();
      if (o >= 1 && o <= 8) info.orientation = static_cast<int>(o);
    }
    for (const WantedTag& w : WantedTags())
      if (datum.tag() == w.tag && datum.ifdId() == w.ifd && !(info.*w.field)) info.*w.field = Text(datum);
  }
}

Exiv2::ByteOrder Decode(Exiv2::ExifData& exif, const std::string& tiff) {
  if (tiff.empty()) return Exiv2::invalidByteOrder;
  return Exiv2::ExifParser::decode(exif, reinterpret_cast<const Exiv2::byte*>(tiff.data()),
                                   static_cast<std::uint32_t>(tiff.size()));
}

long SizeTag(const Exiv2::ExifData& exif, const char* key) {
  const auto it = exif.findKey(Exiv2::ExifKey(key));
  return it == exif.end() ? 0 : it->toLong();
}

// The full image of a RAW whose size libexiv2 takes from elsewhere: a
// RAF's preview, an RW2's sensor with its borders.
std::optional<std::pair<long long, long long>> FullImageSize(const fs::ReadOnlyFile& file, marks::FileKind kind,
                                                            const Exiv2::ExifData& exif) {
  if (kind == marks::FileKind::Raf) return RafImageSize(file);
  if (kind != marks::FileKind::Rw2) return std::nullopt;
  const long top = SizeTag(exif, "Exif.PanasonicRaw.SensorTopBorder");
  const long left = SizeTag(exif, "Exif.PanasonicRaw.SensorLeftBorder");
  // libexiv2 names the bottom and right borders ImageHeight and ImageWidth.
  const long bottom = SizeTag(exif, "Exif.PanasonicRaw.ImageHeight");
  const long right = SizeTag(exif, "Exif.PanasonicRaw.ImageWidth");
  if (right <= left || bottom <= top) return std::nullopt;
  return std::pair<long long, long long>(right - left, bottom - top);
}

// A CRW's byte order and capture time from its own heaps.
void KeepCiffValues(const fs::ReadOnlyFile& file, MediaInfo& info) {
  const std::optional<CiffValues> ciff = ReadCiffValues(file);
  if (!ciff) return;
  info.littleEndian = ciff->littleEndian;
  if (ciff->captureTime) info.dateTimeOriginal = ciff->captureTime;
}

}  // namespace

// Reads what the still holds through libexiv2 (which throws on a damaged file).
void ReadStill(const fs::ReadOnlyFile& file, const std::string& path, marks::FileKind kind, PixelSize size,
               MediaInfo& info) {
  const std::unique_ptr<Exiv2::Image> image = OpenExiv2Image(file, path, kind);
  if (!image) return;
  image->readMetadata();
  KeepExif(info, image->exifData(), image->byteOrder());
  if (kind == marks::FileKind::Crw) KeepCiffValues(file, info);
  if (size == PixelSize::Read) {
    const auto full = FullImageSize(file, kind, image->exifData());
    KeepSize(info, full ? full->first : image->pixelWidth(), full ? full->second : image->pixelHeight());
  }
  info.readable = true;
}

// A CR3's IFD0, its size the full image's; its Exif directory is the first
// directory of a TIFF structure of its own, so its values come out under
// IFD0's group.
void ReadCr3(const fs::ReadOnlyFile& file, PixelSize size, MediaInfo& info) {
  const std::optional<Cr3Exif> cr3 = ReadCr3Exif(file);
  if (!cr3) return;
  Exiv2::ExifData ifd0, exif;
  const Exiv2::ByteOrder order = Decode(ifd0, cr3->ifd0);
  Decode(exif, cr3->exif);
  KeepExif(info, ifd0, order);
  info.hasExif = !ifd0.empty() || !exif.empty();
  const WantedTag& original = WantedTags()[1];
  for (const Exiv2::Exifdatum& datum : exif)
    if (datum.tag() == original.tag && datum.ifdId() == WantedTags()[0].ifd && !info.dateTimeOriginal)
      info.dateTimeOriginal = Text(datum);
  if (size == PixelSize::Read)
    KeepSize(info, SizeTag(ifd0, "Exif.Image.ImageWidth"), SizeTag(ifd0, "Exif.Image.ImageLength"));
  info.readable = true;
}

// A PNG's header and Exif block. The picture is sound when its chunks are,
// whatever its Exif block holds.
void ReadPng(const fs::ReadOnlyFile& file, PixelSize size, MediaInfo& info) {
  const std::optional<PngMeta> png = ReadPngMeta(file);
  if (!png) return;
  info.readable = true;
  if (size == PixelSize::Read) KeepSize(info, png->width, png->height);
  if (!png->exif) return;
  try {
    Exiv2::ExifData exif;
    const Exiv2::ByteOrder order = Decode(exif, *png->exif);
    KeepExif(info, exif, order);
  } catch (...) {  // an Exif block libexiv2 refuses: no Exif
    info.hasExif = false;
  }
}

void KeepHeifExif(MediaInfo& info, const std::string& block) {
  const std::size_t size = block.size();
  if (size < 8 || size > kMaxExifBlock) return;
  const auto* p = reinterpret_cast<const unsigned char*>(block.data());
  const std::uint32_t skip = std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | p[3];
  if (skip > size - 4) return;
  if (!ReadPlainExifBlock(p + 4 + skip, size - 4 - skip, info)) DecodeExifBlock(p + 4 + skip, size - 4 - skip, info);
}

void DecodeExifBlock(const unsigned char* tiff, std::size_t size, MediaInfo& info) {
  Exiv2::ExifData exif;
  const Exiv2::ByteOrder order = Exiv2::ExifParser::decode(exif, tiff, static_cast<std::uint32_t>(size));
  KeepExif(info, exif, order);
}

}  // namespace pictray::meta
