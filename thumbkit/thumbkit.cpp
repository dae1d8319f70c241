#include "thumbkit/thumbkit.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <string>
#include <string_view>
#include <vector>

#include "engine/fs/read_only_file.h"
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
  pictray::fs::ReadOnlyFile f(path);
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

// Draws `region` of `pic`, a part `full` pixels big at full scale, into
// the square with its aspect kept.
void DrawRegion(const BgrRaster<std::uint8_t>& square, const pictray::Picture& pic, Region region, Size full) {
  const Size fit = FitSize(full.w, full.h, square.width);
  const auto rowLength = static_cast<std::ptrdiff_t>(pic.dwLength);
  const std::uint8_t* top = pic.lpBMP() + (std::ptrdiff_t(pic.dwHeight) - 1 - region.y.from) * rowLength;
  AreaScale({top + 3 * std::size_t(region.x.from), -rowLength, region.x.size, region.y.size},
            {square.top, square.step, fit.w, fit.h});
}

enum class Whole { kRead, kFailed, kRawInside };

// The formats decoded whole at full scale; a TIFF that holds no plain
// picture is a camera's raw file.
Whole ReadWhole(Format format, const std::string& path, pictray::Picture& pic) {
  switch (format) {
    case Format::kTiff: {
      const TiffResult tiff = ReadTiff(path, pic);
      if (tiff == TiffResult::kNoPlainPicture) return Whole::kRawInside;
      return tiff == TiffResult::kFailed ? Whole::kFailed : Whole::kRead;
    }
    case Format::kPng:
      return ReadPng(path, pic) == 0 ? Whole::kRead : Whole::kFailed;
    case Format::kHeif:
      return ReadHeif(path, pic) == 0 ? Whole::kRead : Whole::kFailed;
    case Format::kBmp:
      return pictray::readBMP(path, pic) == 1 ? Whole::kRead : Whole::kFailed;
    default:
      return Whole::kFailed;
  }
}

// Decodes the parts of the file, each format as few times as it can: JPEG
// and raw previews once a scale, the whole-picture formats once, WebP
// (which cuts a cell out at full scale) once a part. `sink` hears every
// part that decodes.
void DecodeParts(Format format, const std::string& path, std::uint32_t edge, const std::vector<int>& parts, int partX,
                 const PartSink& sink) {
  if (format == Format::kJpeg) return DecodeJpegParts(path, edge, parts, partX, sink);
  if (format == Format::kRaw) return DecodeRawPreviewParts(path, edge, parts, partX, sink);
  if (format == Format::kWebp) {
    for (std::size_t i = 0; i < parts.size(); ++i) {
      pictray::Picture pic;
      Region region;
      Size full;
      if (DecodeWebp(path, edge, parts[i], partX, pic, region, full) == 0) sink(i, pic, region, full);
    }
    return;
  }
  pictray::Picture pic;
  const Whole whole = ReadWhole(format, path, pic);
  if (whole == Whole::kRawInside) return DecodeParts(Format::kRaw, path, edge, parts, partX, sink);
  if (whole == Whole::kFailed) return;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    const Region region = PartRegion(pic.dwWidth, pic.dwHeight, parts[i], partX);
    sink(i, pic, region, {region.x.size, region.y.size});
  }
}

// Draws part parts[i] into squares[i] and answers it in results[i] (which
// hold kCannotRead when called) for every part.
void DrawParts(const std::vector<BgrRaster<std::uint8_t>>& squares, const std::string& path,
               const std::vector<int>& parts, int partX, int* results) {
  const Format format = Sniff(path);
  if (format == Format::kUnreadable) return;
  if (format == Format::kUnknown) {
    std::fill(results, results + parts.size(), kNotSupported);
    return;
  }
  DecodeParts(format, path, squares.front().width, parts, partX,
              [&](std::size_t i, const pictray::Picture& pic, Region region, Size full) {
                try {
                  DrawRegion(squares[i], pic, region, full);
                  results[i] = kDrawn;
                } catch (const std::exception&) {
                  // Only memory for the resampler's sums can run out, before it writes.
                }
              });
}

// The cells of MakeMinImages that are asked for rightly: squares white,
// every answer kCannotRead until its cell is drawn.
int DrawCells(unsigned char* const* surfaces, const char* path, int edge, const int* parts, int count, int partX,
              int* results) {
  std::vector<BgrRaster<std::uint8_t>> squares;
  std::vector<int> valid;
  std::vector<int> validAt;
  for (int i = 0; i < count; ++i) {
    results[i] = kCannotRead;
    if (!surfaces[i]) continue;
    const BgrRaster<std::uint8_t> square = Surface(surfaces[i], static_cast<std::uint32_t>(edge));
    FillWhite(square);
    if (!path || partX < 1 || parts[i] < 0 || parts[i] > std::int64_t(partX) * partX) continue;
    squares.push_back(square);
    valid.push_back(parts[i]);
    validAt.push_back(i);
  }
  if (valid.empty()) return kCannotRead;
  std::vector<int> drawn(valid.size(), kCannotRead);
  try {
    DrawParts(squares, path, valid, partX, drawn.data());
  } catch (const std::exception&) {
    // A reader out of memory: what was drawn stays drawn.
  }
  for (std::size_t k = 0; k < valid.size(); ++k) results[validAt[k]] = drawn[k];
  return std::all_of(results, results + count, [](int r) { return r == kDrawn; }) ? kDrawn : kCannotRead;
}

constexpr int kStopped = 2;

// Hands the rows of the decoded picture to `row`, top row first.
int HandRows(const std::string& path, PictureRowFn row, void* ctx) {
  const Format format = Sniff(path);
  if (format == Format::kUnreadable) return kCannotRead;
  if (format == Format::kUnknown) return kNotSupported;
  // An edge no picture reaches: every decoder keeps full scale.
  constexpr std::uint32_t kFullScale = 1u << 30;
  int result = kCannotRead;
  DecodeParts(format, path, kFullScale, {0}, 1, [&](std::size_t, const pictray::Picture& pic, Region region, Size) {
    result = kDrawn;
    for (std::uint32_t y = 0; y < region.y.size && result == kDrawn; ++y) {
      const std::uint8_t* bgr = pic.lpBMP() + std::size_t(pic.dwHeight - 1 - region.y.from - y) * pic.dwLength;
      if (row(ctx, bgr + 3 * std::size_t(region.x.from), region.x.size, region.y.size) == 0) result = kStopped;
    }
  });
  return result;
}

}  // namespace
}  // namespace thumbkit

extern "C" __attribute__((visibility("default"))) int MakeMinImage(unsigned char* surface, const char* path, int edge,
                                                                   int part, int partX) {
  if (!surface || edge <= 0) return thumbkit::kCannotRead;
  int result = thumbkit::kCannotRead;
  thumbkit::DrawCells(&surface, path, edge, &part, 1, partX, &result);
  return result;
}

extern "C" __attribute__((visibility("default"))) int MakeMinImages(unsigned char* const* surfaces, const char* path,
                                                                    int edge, const int* parts, int count, int partX,
                                                                    int* results) {
  if (!surfaces || !parts || !results || count < 1 || edge <= 0) return thumbkit::kCannotRead;
  return thumbkit::DrawCells(surfaces, path, edge, parts, count, partX, results);
}

extern "C" __attribute__((visibility("default"))) int PictureRows(const char* path, PictureRowFn row, void* ctx) {
  if (!path || !row) return thumbkit::kCannotRead;
  try {
    return thumbkit::HandRows(path, row, ctx);
  } catch (const std::exception&) {
    // A reader out of memory.
    return thumbkit::kCannotRead;
  }
}
