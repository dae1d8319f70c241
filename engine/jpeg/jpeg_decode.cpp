#include "engine/jpeg/jpeg_decode.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csetjmp>
#include <cstdio>
#include <new>

#include <jpeglib.h>

#include "engine/fs/atomic_write.h"
#include "engine/fs/paths.h"
#include "engine/fs/read_only_file.h"
#include "engine/jpeg/jpeg_session.h"

namespace pictray {
namespace {

using jpegio::Session;

bool OverBudget(std::uint64_t w, std::uint64_t h) { return w == 0 || h == 0 || w * h > kMaxDecodePixels; }

void PutLE16(std::uint8_t* p, std::uint32_t v) {
  p[0] = std::uint8_t(v);
  p[1] = std::uint8_t(v >> 8);
}
void PutLE32(std::uint8_t* p, std::uint32_t v) {
  PutLE16(p, v);
  PutLE16(p + 2, v >> 16);
}
std::uint32_t LE16(const std::uint8_t* p) { return p[0] | p[1] << 8; }
std::uint32_t LE32(const std::uint8_t* p) { return LE16(p) | LE16(p + 2) << 16; }

void WriteInfoHeader(std::uint8_t* h, std::uint32_t w, std::uint32_t height, std::uint32_t imageSize) {
  PutLE32(h, 40);
  PutLE32(h + 4, w);
  PutLE32(h + 8, height);
  PutLE16(h + 12, 1);
  PutLE16(h + 14, 24);
  PutLE32(h + 16, 0);
  PutLE32(h + 20, imageSize);
  for (int i = 24; i < 40; ++i) h[i] = 0;
}

}  // namespace

bool AllocatePicture(Picture& pic, std::uint32_t w, std::uint32_t h) {
  const std::uint32_t len = BmpRowLength(w);
  try {
    pic.buf.assign(40 + std::size_t(len) * h, 0);
  } catch (const std::bad_alloc&) {
    pic.Clear();
    return false;
  }
  WriteInfoHeader(pic.buf.data(), w, h, len * h);
  pic.infoOffset = 0;
  pic.bmpOffset = 40;
  pic.dwWidth = w;
  pic.dwHeight = h;
  pic.dwLength = len;
  return true;
}

// Adobe writers store CMYK inverted (255 = no ink); others store plain ink
// amounts.
void ConvertJpegRow(const std::uint8_t* in, int components, bool invertedCmyk, std::uint8_t* out,
                    std::uint32_t w) {
  switch (components) {
    case 1:
      for (std::uint32_t x = 0; x < w; ++x) out[3 * x] = out[3 * x + 1] = out[3 * x + 2] = in[x];
      break;
    case 3:
      for (std::uint32_t x = 0; x < w; ++x) {
        out[3 * x] = in[3 * x + 2];
        out[3 * x + 1] = in[3 * x + 1];
        out[3 * x + 2] = in[3 * x];
      }
      break;
    default:
      for (std::uint32_t x = 0; x < w; ++x) {
        unsigned c = in[4 * x], m = in[4 * x + 1], y = in[4 * x + 2], k = in[4 * x + 3];
        if (!invertedCmyk) {
          c = 255 - c;
          m = 255 - m;
          y = 255 - y;
          k = 255 - k;
        }
        out[3 * x] = std::uint8_t((y * k + 127) / 255);
        out[3 * x + 1] = std::uint8_t((m * k + 127) / 255);
        out[3 * x + 2] = std::uint8_t((c * k + 127) / 255);
      }
      break;
  }
}

namespace {

// Decodes after the header has been read. No C++ object with a destructor
// lives here: a library error jumps straight out of this function.
int DecodeRows(jpeg_decompress_struct& cinfo, Picture& pic) {
  if (OverBudget(cinfo.image_width, cinfo.image_height)) return 1;
  if (cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK)
    cinfo.out_color_space = JCS_CMYK;
  jpeg_start_decompress(&cinfo);
  const int comps = cinfo.output_components;
  if (comps != 1 && comps != 3 && !(comps == 4 && cinfo.out_color_space == JCS_CMYK)) return 1;
  const std::uint32_t w = cinfo.output_width, h = cinfo.output_height;
  JSAMPARRAY row = (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE,
                                              w * static_cast<JDIMENSION>(comps), 1);
  if (!AllocatePicture(pic, w, h)) return 1;
  const bool inverted = cinfo.saw_Adobe_marker;
  while (cinfo.output_scanline < h) {
    const JDIMENSION y = cinfo.output_scanline;
    if (jpeg_read_scanlines(&cinfo, row, 1) != 1) return 1;
    ConvertJpegRow(row[0], comps, inverted, pic.lpBMP() + std::size_t(h - 1 - y) * pic.dwLength, w);
  }
  jpeg_finish_decompress(&cinfo);
  return 0;
}

// Whole-picture coefficients (128 bytes a block, rows and columns rounded
// up to the component's sampling factors) the library may hold for a
// multi-scan file.
std::uint64_t HeldCoefficientBytes(const jpeg_decompress_struct& cinfo) {
  std::uint64_t bytes = 0;
  for (int c = 0; c < cinfo.num_components; ++c) {
    const jpeg_component_info& comp = cinfo.comp_info[c];
    const std::uint64_t cols = (comp.width_in_blocks + comp.h_samp_factor - 1) / comp.h_samp_factor * comp.h_samp_factor;
    const std::uint64_t rows = (comp.height_in_blocks + comp.v_samp_factor - 1) / comp.v_samp_factor * comp.v_samp_factor;
    bytes += cols * rows * sizeof(JBLOCK);
  }
  return bytes;
}

// Putting a YCbCr picture out as its luma alone still entropy-decodes the
// chroma, but skips its inverse DCT, upsampling and colour conversion. It
// cannot change the outcome when the colour upsampler would have accepted
// the sampling factors (each divides the largest) and the coefficients
// stay clear of the held-memory limit, which also counts the output buffers.
bool LumaAloneKeepsOutcome(const jpeg_decompress_struct& cinfo) {
  constexpr std::uint64_t kOutputBufferMargin = 64 << 20;
  if (cinfo.jpeg_color_space != JCS_YCbCr || cinfo.num_components != 3) return false;
  for (int c = 0; c < cinfo.num_components; ++c) {
    const jpeg_component_info& comp = cinfo.comp_info[c];
    if (cinfo.max_h_samp_factor % comp.h_samp_factor != 0 || cinfo.max_v_samp_factor % comp.v_samp_factor != 0)
      return false;
  }
  return HeldCoefficientBytes(cinfo) + kOutputBufferMargin <= static_cast<std::uint64_t>(jpegio::kMaxHeldBytes);
}

// The check decodes at 1/8 scale, so the pixel budget applies to that
// output. The entropy decoding still walks every coded block, and a
// progressive file keeps the coefficients of the whole picture: those are
// bounded by the coded size and the session's limits instead. Once the
// file has ended, the rest is made up and cannot fail: the check stops
// there, so a header that claims far more than the data holds costs only
// the data.
int CheckRows(jpeg_decompress_struct& cinfo, const jpegio::ErrorMgr& err) {
  if (std::uint64_t(cinfo.image_width) * cinfo.image_height > kMaxCheckPixels) return 1;
  cinfo.scale_num = 1;
  cinfo.scale_denom = 8;
  if (LumaAloneKeepsOutcome(cinfo)) cinfo.out_color_space = JCS_GRAYSCALE;
  jpeg_calc_output_dimensions(&cinfo);
  if (OverBudget(cinfo.output_width, cinfo.output_height)) return 1;
  jpeg_start_decompress(&cinfo);
  JSAMPARRAY row = (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE,
                                              cinfo.output_width * cinfo.output_components, 1);
  while (cinfo.output_scanline < cinfo.output_height && !err.ended)
    if (jpeg_read_scanlines(&cinfo, row, 1) != 1) return 1;
  if (!err.ended) jpeg_finish_decompress(&cinfo);
  return 0;
}

// Reads the header and checks the rows of an opened session. No C++ object
// with a destructor lives here: a library error jumps straight out of it.
int CheckSession(Session& s) {
  if (setjmp(s.err.jump)) {
    s.Close();
    return 1;
  }
  jpeg_read_header(&s.cinfo, TRUE);
  const int r = CheckRows(s.cinfo, s.err);
  s.Close();
  return r;
}

}  // namespace

void Picture::Clear() {
  buf.clear();
  buf.shrink_to_fit();
  dwWidth = dwHeight = dwLength = 0;
  infoOffset = bmpOffset = 0;
}

std::string GetJpegImageSize(const fs::ReadOnlyFile& file) {
  Session s;
  if (setjmp(s.err.jump)) {
    s.Close();
    return {};
  }
  if (!s.Open(file)) {
    s.Close();
    return {};
  }
  jpeg_read_header(&s.cinfo, TRUE);
  char text[32];
  std::snprintf(text, sizeof text, "%uX%u", s.cinfo.image_width, s.cinfo.image_height);
  s.Close();
  return text;
}

int JpegSampleCheck(const fs::ReadOnlyFile& file) {
  Session s;
  if (setjmp(s.err.jump)) {
    s.Close();
    return 0;
  }
  if (!s.Open(file)) {
    s.Close();
    return 0;
  }
  jpeg_read_header(&s.cinfo, TRUE);
  // The colour runs hold a thumbnail or one row, never the whole picture:
  // the bound here is the work of walking the coded blocks, as for the check.
  const std::uint64_t pixels = std::uint64_t(s.cinfo.image_width) * s.cinfo.image_height;
  const bool sampleable = pixels > 0 && pixels <= kMaxCheckPixels &&
                          (s.cinfo.out_color_space == JCS_GRAYSCALE || s.cinfo.out_color_space == JCS_RGB);
  s.Close();
  return sampleable ? 1 : 0;
}

int JpegToBuffer(const fs::Env& env, const std::string& path, Picture& pic) {
  pic.Clear();
  Session s;
  if (setjmp(s.err.jump)) {
    s.Close();
    pic.Clear();
    return 1;
  }
  if (!s.Open(env, path)) {
    s.Close();
    return 1;
  }
  jpeg_read_header(&s.cinfo, TRUE);
  const int r = DecodeRows(s.cinfo, pic);
  s.Close();
  if (r != 0) pic.Clear();
  return r;
}

int JpegErrCheck(const fs::ReadOnlyFile& file) {
  Session s;
  if (setjmp(s.err.jump)) {
    s.Close();
    return 1;
  }
  if (!s.Open(file)) {
    s.Close();
    return 1;
  }
  return CheckSession(s);
}

int JpegErrCheck(std::span<const unsigned char> file) {
  Session s;
  if (setjmp(s.err.jump)) {
    s.Close();
    return 1;
  }
  s.OpenMemory(file.data(), file.size());
  return CheckSession(s);
}

int MakeBuffer3(const BitmapView& bitmap, Picture& pic) {
  pic.Clear();
  const std::size_t bpp = bitmap.bitsPerPixel == 24 ? 3 : bitmap.bitsPerPixel == 32 ? 4 : 0;
  if (!bitmap.bits || bpp == 0 || OverBudget(bitmap.width, bitmap.height) ||
      bitmap.bytesPerRow < bpp * bitmap.width)
    return 1;
  if (!AllocatePicture(pic, bitmap.width, bitmap.height)) return 1;
  for (std::uint32_t y = 0; y < bitmap.height; ++y) {
    const std::uint8_t* in = bitmap.bits + std::size_t(y) * bitmap.bytesPerRow;
    std::uint8_t* out = pic.lpBMP() + std::size_t(bitmap.height - 1 - y) * pic.dwLength;
    for (std::uint32_t x = 0; x < bitmap.width; ++x) {
      out[3 * x] = in[bpp * x];
      out[3 * x + 1] = in[bpp * x + 1];
      out[3 * x + 2] = in[bpp * x + 2];
    }
  }
  return 0;
}

int MakeBufferFile2(const fs::Env& env, const BitmapView& bitmap, const std::string& path, Picture& pic) {
  if (MakeBuffer3(bitmap, pic) != 0) return 1;
  const std::size_t imageSize = std::size_t(pic.dwLength) * pic.dwHeight;
  std::uint8_t fileHeader[14] = {'B', 'M'};
  PutLE32(fileHeader + 2, static_cast<std::uint32_t>(14 + 40 + imageSize));
  PutLE32(fileHeader + 10, 14 + 40);

  // A failed write leaves any older file of that name in place: that file
  // is not this picture, so it does not count as written.
  const auto bytes = [](const std::uint8_t* p, std::size_t n) {
    return std::string_view(reinterpret_cast<const char*>(p), n);
  };
  if (WriteFileAtomic(env, path, {bytes(fileHeader, sizeof fileHeader), bytes(pic.buf.data(), pic.buf.size())},
                      0644) != 0)
    return 1;
  return PathExists(env, path) ? 0 : 1;
}

int readBMP(const fs::Env& env, const std::string& path, Picture& pic) {
  pic.Clear();
  fs::ReadOnlyFile f(env, path);
  if (!f.ok() || f.size() < 54) return 0;
  std::uint8_t head[54];
  if (f.ReadAt(0, head, sizeof head) != sizeof head) return 0;
  if (head[0] != 'B' || LE16(head + 28) != 24 || LE32(head + 30) != 0) return 0;
  const auto width = static_cast<std::int32_t>(LE32(head + 18));
  const auto height = static_cast<std::int32_t>(LE32(head + 22));
  if (width <= 0 || height <= 0 || OverBudget(std::uint32_t(width), std::uint32_t(height))) return 0;
  const std::uint32_t len = BmpRowLength(std::uint32_t(width));
  const std::uint64_t offBits = LE32(head + 10);
  if (offBits < 54 || offBits + std::uint64_t(len) * std::uint32_t(height) > f.size()) return 0;
  // The rows alone: whatever else the file holds is never read.
  if (!AllocatePicture(pic, std::uint32_t(width), std::uint32_t(height))) return 0;
  const std::size_t rows = std::size_t(len) * std::uint32_t(height);
  if (f.ReadAt(offBits, pic.lpBMP(), rows) != rows) {
    pic.Clear();
    return 0;
  }
  return 1;
}

}  // namespace pictray
