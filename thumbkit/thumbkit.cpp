#include "thumbkit/thumbkit.h"

#include <cstring>
#include <exception>
#include <string>

#include "engine/jpeg/file_bytes.h"
#include "engine/jpeg/jpeg_decode.h"
#include "thumbkit/area_scale.h"
#include "thumbkit/geometry.h"
#include "thumbkit/jpeg_part.h"
#include "thumbkit/png_read.h"

namespace thumbkit {
namespace {

constexpr int kDrawn = 0, kCannotRead = 1, kNotSupported = 9;

enum class Format { kUnreadable, kUnknown, kJpeg, kPng, kBmp };

// By the first bytes, whatever the name says. An empty file is no picture
// of any format: it cannot be read.
Format Sniff(const std::string& path) {
  pictray::jpegio::ReadFile f(path);
  if (!f.ok()) return Format::kUnreadable;
  unsigned char b[8] = {};
  const std::size_t n = f.ReadAt(0, b, sizeof b);
  static const unsigned char kPng[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  if (n == 0) return Format::kUnreadable;
  if (n >= 2 && b[0] == 0xFF && b[1] == 0xD8) return Format::kJpeg;
  if (n == 8 && std::memcmp(b, kPng, 8) == 0) return Format::kPng;
  if (n >= 2 && b[0] == 'B' && b[1] == 'M') return Format::kBmp;
  return Format::kUnknown;
}

// The bottom-up surface seen from its top row.
BgrRaster<std::uint8_t> Surface(unsigned char* surface, std::uint32_t edge) {
  const auto stride = static_cast<std::ptrdiff_t>((3 * std::size_t(edge) + 3) & ~std::size_t(3));
  return {surface + (edge - 1) * stride, -stride, edge, edge};
}

void FillWhite(const BgrRaster<std::uint8_t>& square) {
  for (std::uint32_t y = 0; y < square.height; ++y) std::memset(square.Row(y), 0xFF, 3 * std::size_t(square.width));
}

int Draw(const BgrRaster<std::uint8_t>& square, const std::string& path, int part, int partX) {
  const Format format = Sniff(path);
  if (format == Format::kUnreadable) return kCannotRead;
  if (format == Format::kUnknown) return kNotSupported;
  pictray::Picture pic;
  Region region;
  Size full;
  if (format == Format::kJpeg) {
    // The decoder cuts the part out itself, at a reduced scale.
    if (DecodeJpegPart(path, square.width, part, partX, pic, full) != 0) return kCannotRead;
    region = {{0, pic.dwWidth}, {0, pic.dwHeight}};
  } else {
    const bool read = format == Format::kPng ? ReadPng(path, pic) == 0 : pictray::readBMP(path, pic) == 1;
    if (!read) return kCannotRead;
    region = PartRegion(pic.dwWidth, pic.dwHeight, part, partX);
    full = {region.x.size, region.y.size};
  }
  const Size fit = FitSize(full.w, full.h, square.width);
  const auto rowLength = static_cast<std::ptrdiff_t>(pic.dwLength);
  const std::uint8_t* top = pic.lpBMP() + (std::ptrdiff_t(pic.dwHeight) - 1 - region.y.from) * rowLength;
  AreaScale({top + 3 * std::size_t(region.x.from), -rowLength, region.x.size, region.y.size},
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
