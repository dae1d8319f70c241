// Pictures for the same-picture tests: a generated scene, its variants,
// each written in a format the thumbnail library reads, and the library
// itself loaded from the build.
#pragma once

#include <libheif/heif.h>
#include <png.h>
#include <tiffio.h>
#include <webp/encode.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <csetjmp>
#include <cstdio>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "engine/colour/thumbnail_library.h"
#include "engine/dupes/dupes.h"
#include "engine/dupes/groups.h"
#include "tests/support/scene.h"
#include "tests/support/jpeg_writer.h"
#include "tests/support/temp_dir.h"

namespace pictray::testing {

// Each pixel mapped through `f` per channel.
template <typename F>
Rgb8 Mapped(Rgb8 p, F f) {
  for (std::uint8_t& v : p.px) v = static_cast<std::uint8_t>(std::clamp(std::lround(f(double(v))), 0L, 255L));
  return p;
}

// The rectangle from (x, y), w x h.
inline Rgb8 Cropped(const Rgb8& p, int x, int y, int w, int h) {
  Rgb8 out = MakeRgb(w, h);
  for (int r = 0; r < h; ++r) std::copy_n(p.At(x, y + r), std::size_t(w) * 3, out.At(0, r));
  return out;
}

// Reduced by an integer factor, each pixel the mean of its block.
inline Rgb8 Shrunk(const Rgb8& p, int by) {
  Rgb8 out = MakeRgb(p.width / by, p.height / by);
  for (int y = 0; y < out.height; ++y)
    for (int x = 0; x < out.width; ++x)
      for (int c = 0; c < 3; ++c) {
        int sum = 0;
        for (int j = 0; j < by; ++j)
          for (int i = 0; i < by; ++i) sum += p.At(x * by + i, y * by + j)[c];
        out.At(x, y)[c] = static_cast<std::uint8_t>(sum / (by * by));
      }
  return out;
}

// Turned a quarter to the left: stored so, a viewer turns it back by the
// Orientation tag 6.
inline Rgb8 TurnedLeft(const Rgb8& p) {
  Rgb8 out = MakeRgb(p.height, p.width);
  for (int y = 0; y < p.height; ++y)
    for (int x = 0; x < p.width; ++x) std::copy_n(p.At(x, y), 3, out.At(y, p.width - 1 - x));
  return out;
}

inline bool WriteJpegRgb(const std::string& path, const Rgb8& p, int quality) {
  return WriteJpeg(path, JpegShape(unsigned(p.width), unsigned(p.height), JpegColours::Rgb, quality, false),
                   [&](unsigned y, JSAMPLE* row) { std::copy_n(p.At(0, int(y)), std::size_t(p.width) * 3, row); });
}

// An Exif block (APP1 after the start of image) with Orientation `o`, and
// DateTimeOriginal `date` when given.
inline bool AddExif(const std::string& path, int orientation, const std::string& date = "") {
  std::string file = ReadWhole(path);
  if (file.size() < 2) return false;
  std::string tiff("II*\0\x08\0\0\0", 8);
  const auto u16 = [&](unsigned v) { tiff += char(v & 0xFF), tiff += char(v >> 8); };
  const auto u32 = [&](std::uint32_t v) { u16(v & 0xFFFF), u16(v >> 16); };
  const bool dated = !date.empty();
  u16(dated ? 2 : 1);
  u16(0x0112), u16(3), u32(1), u16(unsigned(orientation)), u16(0);
  if (dated) u16(0x8769), u16(4), u32(1), u32(8 + 2 + 24 + 4);
  u32(0);
  if (dated) {
    u16(1);
    u16(0x9003), u16(2), u32(20), u32(8 + 2 + 24 + 4 + 18);
    u32(0);
    tiff += date;
    tiff += '\0';
  }
  const std::string body = std::string("Exif\0\0", 6) + tiff;
  std::string app1 = "\xFF\xE1";
  app1 += char((body.size() + 2) >> 8), app1 += char((body.size() + 2) & 0xFF);
  file.insert(2, app1 + body);
  std::ofstream(path, std::ios::binary) << file;
  return true;
}

inline bool WritePng(const std::string& path, const Rgb8& p) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = png_uint_32(p.width);
  image.height = png_uint_32(p.height);
  image.format = PNG_FORMAT_RGB;
  return png_image_write_to_file(&image, path.c_str(), 0, p.px.data(), 0, nullptr) != 0;
}

inline bool WriteWebp(const std::string& path, const Rgb8& p, float quality) {
  std::uint8_t* out = nullptr;
  const std::size_t n = WebPEncodeRGB(p.px.data(), p.width, p.height, p.width * 3, quality, &out);
  const bool ok =
      n > 0 &&
      static_cast<bool>(std::ofstream(path, std::ios::binary).write(reinterpret_cast<char*>(out), std::streamsize(n)));
  WebPFree(out);
  return ok;
}

inline bool WriteTiff(const std::string& path, const Rgb8& p, int orientation = 1) {
  TIFF* t = TIFFOpen(path.c_str(), "w");
  if (!t) return false;
  TIFFSetField(t, TIFFTAG_IMAGEWIDTH, p.width);
  TIFFSetField(t, TIFFTAG_IMAGELENGTH, p.height);
  TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 3);
  TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 8);
  TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
  TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, 16);
  if (orientation != 1) TIFFSetField(t, TIFFTAG_ORIENTATION, orientation);
  bool ok = true;
  for (int y = 0; y < p.height && ok; ++y) ok = TIFFWriteScanline(t, const_cast<std::uint8_t*>(p.At(0, y)), y, 0) == 1;
  TIFFClose(t);
  return ok;
}

// A 24-bit BMP, rows bottom first; `tag` goes into the header's reserved
// field, so that files of the same pixels differ in their bytes.
inline std::string BmpBytes(const Rgb8& p, std::uint16_t tag = 0) {
  const std::size_t row = (std::size_t(p.width) * 3 + 3) & ~std::size_t(3);
  const std::size_t size = 54 + row * std::size_t(p.height);
  std::string b(size, '\0');
  const auto put = [&](std::size_t at, std::uint32_t v, int n) {
    for (int i = 0; i < n; ++i) b[at + std::size_t(i)] = static_cast<char>(v >> (8 * i));
  };
  b[0] = 'B', b[1] = 'M';
  put(2, std::uint32_t(size), 4);
  put(6, tag, 2);
  put(10, 54, 4);
  put(14, 40, 4);
  put(18, std::uint32_t(p.width), 4);
  put(22, std::uint32_t(p.height), 4);
  put(26, 1, 2);
  put(28, 24, 2);
  put(34, std::uint32_t(row * std::size_t(p.height)), 4);
  for (int y = 0; y < p.height; ++y)
    for (int x = 0; x < p.width; ++x) {
      const std::uint8_t* c = p.At(x, p.height - 1 - y);
      char* o = &b[54 + row * std::size_t(y) + std::size_t(x) * 3];
      o[0] = char(c[2]), o[1] = char(c[1]), o[2] = char(c[0]);
    }
  return b;
}

inline bool WriteBmp(const std::string& path, const Rgb8& p, std::uint16_t tag = 0) {
  const std::string b = BmpBytes(p, tag);
  return static_cast<bool>(std::ofstream(path, std::ios::binary | std::ios::trunc).write(b.data(), std::streamsize(b.size())));
}

// A w x h PNG of one colour, written fast (its rows compress to nothing).
inline bool WriteFlatPng(const std::string& path, int w, int h) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  bool ok = png && info && setjmp(png_jmpbuf(png)) == 0;
  if (ok) {
    png_init_io(png, f);
    png_set_compression_level(png, 1);
    png_set_filter(png, 0, PNG_FILTER_NONE);
    png_set_IHDR(png, info, png_uint_32(w), png_uint_32(h), 8, PNG_COLOR_TYPE_GRAY, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    std::vector<png_byte> row(static_cast<std::size_t>(w), 0x40);
    for (int y = 0; y < h; ++y) png_write_row(png, row.data());
    png_write_end(png, nullptr);
  }
  png_destroy_write_struct(&png, &info);
  std::fclose(f);
  return ok;
}

// HEIF with whichever still encoder libheif has (HEVC, else AV1), and an
// Exif item when given its TIFF block; false when it has no encoder.
inline bool WriteHeif(const std::string& path, const Rgb8& p, const std::string& exifTiff = "") {
  heif_context* ctx = heif_context_alloc();
  heif_encoder* enc = nullptr;
  bool ok = heif_context_get_encoder_for_format(ctx, heif_compression_HEVC, &enc).code == heif_error_Ok ||
            heif_context_get_encoder_for_format(ctx, heif_compression_AV1, &enc).code == heif_error_Ok;
  heif_image* img = nullptr;
  ok = ok && heif_image_create(p.width, p.height, heif_colorspace_RGB, heif_chroma_interleaved_RGB, &img).code ==
                 heif_error_Ok;
  ok = ok && heif_image_add_plane(img, heif_channel_interleaved, p.width, p.height, 8).code == heif_error_Ok;
  if (ok) {
    int stride = 0;
    std::uint8_t* plane = heif_image_get_plane(img, heif_channel_interleaved, &stride);
    for (int y = 0; y < p.height; ++y)
      std::copy_n(p.At(0, y), std::size_t(p.width) * 3, plane + std::size_t(y) * stride);
    heif_encoder_set_lossy_quality(enc, 80);
    heif_image_handle* handle = nullptr;
    ok = heif_context_encode_image(ctx, img, enc, nullptr, &handle).code == heif_error_Ok;
    ok = ok && (exifTiff.empty() ||
                heif_context_add_exif_metadata(ctx, handle, exifTiff.data(), int(exifTiff.size())).code == heif_error_Ok);
    ok = ok && heif_context_write_to_file(ctx, path.c_str()).code == heif_error_Ok;
    if (handle) heif_image_handle_release(handle);
  }
  if (img) heif_image_release(img);
  if (enc) heif_encoder_release(enc);
  heif_context_free(ctx);
  return ok;
}

// The folder listed, keyed, sorted and grouped by content as a run does.
inline std::vector<dupes::FileRec> ListedAndGrouped(const std::string& dir,
                                                    const dupes::KeepRule& rule = dupes::DefaultKeepRule()) {
  std::vector<dupes::FileRec> t = dupes::SetListView(fs::DefaultEnv(), dir, nullptr);
  dupes::SetSizeWork(t);
  dupes::SortFileTable(t, 0, rule);
  dupes::SetFolda(fs::DefaultEnv(), t);
  return t;
}

// Each group as its filenames, kept first, the others sorted.
inline std::set<std::vector<std::string>> GroupNames(const std::vector<dupes::FileRec>& t,
                                                     const std::vector<dupes::TwinGroup>& groups) {
  std::set<std::vector<std::string>> out;
  for (const dupes::TwinGroup& g : groups) {
    std::vector<std::string> names{t[g.members[g.kept].row].filename};
    for (std::size_t m = 0; m < g.members.size(); ++m)
      if (m != g.kept) names.push_back(t[g.members[m].row].filename);
    std::sort(names.begin() + 1, names.end());
    out.insert(names);
  }
  return out;
}

// libthumbkit.so of the build, as the programs load it; Drawing() is false
// when it is not built.
class ThumbkitLibrary {
 public:
  ThumbkitLibrary() { lib_.Load(PICTRAY_BIN_DIR "/libthumbkit.so"); }
  const ThumbnailCalls& calls() const { return lib_.calls(); }

 private:
  ThumbnailLibrary lib_;
};

}  // namespace pictray::testing
