#include "thumbkit/thumbkit.h"

#include <cstring>
#include <exception>
#include <string>
#include <string_view>

#include "engine/jpeg/file_bytes.h"
#include "engine/jpeg/jpeg_decode.h"
#include "thumbkit/area_scale.h"
#include "thumbkit/geometry.h"
#include "thumbkit/heif_read.h"
#include "thumbkit/jpeg_part.h"
#include "thumbkit/png_read.h"
#include "thumbkit/raw_preview.h"
#include "thumbkit/tiff_read.h"
#include "thumbkit/webp_read.h"

namespace thumbkit {
namespace {

constexpr int kDrawn = 0, kCannotRead = 1, kNotSupported = 9;

enum class Format { kUnreadable, kUnknown, kJpeg, kPng, kBmp, kWebp, kHeif, kTiff, kRaw };

bool Starts(const unsigned char* b, std::size_t n, std::string_view with, std::size_t at = 0) {
  return n >= at + with.size() && std::memcmp(b + at, with.data(), with.size()) == 0;
}

// ISO media files by their major brand: HEIF stills and AVIF, or a camera's
// raw file (CR3).
Format MediaBrand(const unsigned char* b, std::size_t n) {
  if (!Starts(b, n, "ftyp", 4) || n < 12) return Format::kUnknown;
  const std::string_view brand(reinterpret_cast<const char*>(b + 8), 4);
  if (brand == "crx ") return Format::kRaw;
  for (const std::string_view heif : {"heic", "heix", "heim", "heis", "hevc", "hevx", "mif1", "msf1", "avif", "avis"})
    if (brand == heif) return Format::kHeif;
  return Format::kUnknown;
}

// By the first bytes, whatever the name says. An empty file is no picture
// of any format: it cannot be read.
Format Sniff(const std::string& path) {
  pictray::jpegio::ReadFile f(path);
  if (!f.ok()) return Format::kUnreadable;
  unsigned char b[16] = {};
  const std::size_t n = f.ReadAt(0, b, sizeof b);
  if (n == 0) return Format::kUnreadable;
  if (Starts(b, n, "\xFF\xD8")) return Format::kJpeg;
  if (Starts(b, n, "\x89PNG\r\n\x1A\n")) return Format::kPng;
  if (Starts(b, n, "BM")) return Format::kBmp;
  if (Starts(b, n, "RIFF") && Starts(b, n, "WEBP", 8)) return Format::kWebp;
  // Plain TIFF and BigTIFF; also the raw files built on TIFF (CR2, NEF,
  // ARW, DNG, PEF, SRW...), told apart by their first directory.
  for (const std::string_view tiff : {std::string_view("II*\0", 4), std::string_view("MM\0*", 4),
                                      std::string_view("II+\0", 4), std::string_view("MM\0+", 4)})
    if (Starts(b, n, tiff)) return Format::kTiff;
  // Raw files with signatures of their own: ORF, RW2, RAF, MRW, CRW.
  for (const std::string_view raw : {std::string_view("IIRO"), std::string_view("IIRS"), std::string_view("MMOR"),
                                     std::string_view("IIU\0", 4), std::string_view("FUJIFILMCCD-RAW"),
                                     std::string_view("\0MRM", 4), std::string_view("II\x1A\0\0\0HEAPCCDR", 14)})
    if (Starts(b, n, raw)) return Format::kRaw;
  return MediaBrand(b, n);
}

// The bottom-up surface seen from its top row.
BgrRaster<std::uint8_t> Surface(unsigned char* surface, std::uint32_t edge) {
  const auto stride = static_cast<std::ptrdiff_t>((3 * std::size_t(edge) + 3) & ~std::size_t(3));
  return {surface + (edge - 1) * stride, -stride, edge, edge};
}

void FillWhite(const BgrRaster<std::uint8_t>& square) {
  for (std::uint32_t y = 0; y < square.height; ++y) std::memset(square.Row(y), 0xFF, 3 * std::size_t(square.width));
}

// A decoded picture: `region` is the part to draw on `pic`, `full` the
// part's size at full scale, whose aspect the thumbnail keeps.
struct Decoded {
  pictray::Picture pic;
  Region region;
  Size full;
};

// Decoders that cut the part out of a reduced decode themselves.
bool DecodePartOf(Format format, const std::string& path, std::uint32_t edge, int part, int partX, Decoded& d) {
  if (format == Format::kWebp) return DecodeWebp(path, edge, part, partX, d.pic, d.region, d.full) == 0;
  const bool read = format == Format::kJpeg ? DecodeJpegPart(path, edge, part, partX, d.pic, d.full) == 0
                                            : DecodeRawPreviewPart(path, edge, part, partX, d.pic, d.full) == 0;
  d.region = {{0, d.pic.dwWidth}, {0, d.pic.dwHeight}};
  return read;
}

// The others decode the whole picture at full scale; a TIFF that holds no
// plain picture is a camera's raw file.
bool Decode(Format format, const std::string& path, std::uint32_t edge, int part, int partX, Decoded& d) {
  switch (format) {
    case Format::kJpeg:
    case Format::kWebp:
    case Format::kRaw:
      return DecodePartOf(format, path, edge, part, partX, d);
    case Format::kTiff: {
      const TiffResult tiff = ReadTiff(path, d.pic);
      if (tiff == TiffResult::kNoPlainPicture) return DecodePartOf(Format::kRaw, path, edge, part, partX, d);
      if (tiff == TiffResult::kFailed) return false;
      break;
    }
    case Format::kPng:
      if (ReadPng(path, d.pic) != 0) return false;
      break;
    case Format::kHeif:
      if (ReadHeif(path, d.pic) != 0) return false;
      break;
    case Format::kBmp:
      if (pictray::readBMP(path, d.pic) != 1) return false;
      break;
    case Format::kUnreadable:
    case Format::kUnknown:
      return false;
  }
  d.region = PartRegion(d.pic.dwWidth, d.pic.dwHeight, part, partX);
  d.full = {d.region.x.size, d.region.y.size};
  return true;
}

int Draw(const BgrRaster<std::uint8_t>& square, const std::string& path, int part, int partX) {
  const Format format = Sniff(path);
  if (format == Format::kUnreadable) return kCannotRead;
  if (format == Format::kUnknown) return kNotSupported;
  Decoded d;
  if (!Decode(format, path, square.width, part, partX, d)) return kCannotRead;
  const Size fit = FitSize(d.full.w, d.full.h, square.width);
  const pictray::Picture& pic = d.pic;
  const auto rowLength = static_cast<std::ptrdiff_t>(pic.dwLength);
  const std::uint8_t* top = pic.lpBMP() + (std::ptrdiff_t(pic.dwHeight) - 1 - d.region.y.from) * rowLength;
  AreaScale({top + 3 * std::size_t(d.region.x.from), -rowLength, d.region.x.size, d.region.y.size},
            {square.top, square.step, fit.w, fit.h});
  return kDrawn;
}

}  // namespace
}  // namespace thumbkit

extern "C" __attribute__((visibility("default"))) int MakeMinImage(unsigned char* surface, const char* path, int edge,
                                                                   int part, int partX) {
  using namespace thumbkit;
  if (!surface || edge <= 0) return kCannotRead;
  const BgrRaster<std::uint8_t> square = Surface(surface, static_cast<std::uint32_t>(edge));
  FillWhite(square);
  if (!path || partX < 1 || part < 0 || part > std::int64_t(partX) * partX) return kCannotRead;
  try {
    return Draw(square, path, part, partX);
  } catch (const std::exception&) {
    // Only memory for the resampler's sums can run out, before it writes.
    return kCannotRead;
  }
}
