// libjpeg wrappers and the shared picture the colour analyses read: a
// bottom-up, 24-bit blue-green-red pixel array whose rows are padded with
// zeros to a multiple of 4 bytes. The picture is owned by its caller.
//
// Every fatal libjpeg error is caught by a jump back into the wrapper and
// turns into a failure result; the library's messages are not shown.
//
// Pixel budget: a picture of more than kMaxDecodePixels pixels (width x
// height from the frame or bitmap header) is refused before any pixel
// memory is allocated, and the refusal counts as a decode failure. 100
// million pixels are 300 MB of BGR rows, above every ordinary camera.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "engine/fs/env.h"
#include "engine/fs/read_only_file.h"

namespace pictray {

inline constexpr std::uint64_t kMaxDecodePixels = 100'000'000;
// The broken-file check decodes at 1/8 scale; it refuses pictures of more
// than kMaxCheckPixels coded pixels (over a gigapixel: the work of the entropy
// decoding). Every decoder also keeps the session's limits on scans and
// held memory (jpeg_session.h).
inline constexpr std::uint64_t kMaxCheckPixels = 1ULL << 30;

struct Picture {
  std::uint32_t dwWidth = 0, dwHeight = 0;
  std::uint32_t dwLength = 0;  // bytes per row: 3 x width rounded up to 4
  // A 40-byte BITMAPINFOHEADER and the pixel rows; lpInfo/lpBMP point
  // into it.
  std::vector<std::uint8_t> buf;
  std::size_t infoOffset = 0, bmpOffset = 0;

  const std::uint8_t* lpBMP() const { return buf.data() + bmpOffset; }
  std::uint8_t* lpBMP() { return buf.data() + bmpOffset; }
  const std::uint8_t* lpInfo() const { return buf.data() + infoOffset; }
  // Pixel (x, y), y counted from the top of the picture: {B, G, R}.
  const std::uint8_t* Pixel(std::uint32_t x, std::uint32_t y) const {
    return lpBMP() + std::size_t(dwHeight - 1 - y) * dwLength + std::size_t(x) * 3;
  }
  void Clear();
};

// Row length of the shared picture for a given width.
inline std::uint32_t BmpRowLength(std::uint32_t width) { return (3 * width + 3) & ~3u; }

// Sizes `pic` for a w x h picture: a 40-byte information header in front
// of zero-filled rows. False (and `pic` empty) when memory cannot be had.
// The caller keeps w x h within its budget.
bool AllocatePicture(Picture& pic, std::uint32_t w, std::uint32_t h);

// One decoded scanline of w pixels into B,G,R: `components` 1 (grey), 3
// (RGB) or 4 (CMYK, stored inverted when `invertedCmyk`, as Adobe writers
// do). Every reader of JPEG pixels converts through this one function.
void ConvertJpegRow(const std::uint8_t* in, int components, bool invertedCmyk, std::uint8_t* out,
                    std::uint32_t w);

// "%dX%d" from the frame header without decoding, or "" when the file
// did not open or is not a readable JPEG.
std::string GetJpegImageSize(const fs::ReadOnlyFile& file);

// 1 when the file is a JPEG whose header libjpeg reads, whose pixels come
// out as one (grey) or three (colour) components and whose coded size is
// within kMaxCheckPixels (the runs hold a thumbnail or a row, not the
// picture); 0 otherwise (CMYK and YCCK, unreadable, too large). The colour runs sample only such pictures: a thumbnail drawn
// from a converted CMYK picture would be counted as colours it never had.
int JpegSampleCheck(const fs::ReadOnlyFile& file);

// Decodes the whole file into `pic` (three-component files as RGB, grey as
// grey, CMYK and YCCK converted to RGB, Adobe-inverted CMYK included).
// 0 on success; 1 on any failure, leaving `pic` empty.
int JpegToBuffer(const fs::Env& env, const std::string& path, Picture& pic);

// 1 when libjpeg cannot decode the file to its end (fatal error, did not
// open, empty, over the check's budget, no memory), else 0. Warnings such
// as data that ends early do not count. Decodes at 1/8 scale: fatal errors
// show up in the entropy decoding and the stages set up for full size, so
// the full inverse DCT is not needed to find them.
int JpegErrCheck(const fs::ReadOnlyFile& file);
// As above on the whole file held in memory.
int JpegErrCheck(std::span<const unsigned char> file);

// A bitmap of the window side: rows top-down, pixels B,G,R (24 bits) or
// B,G,R,X (32 bits, the memory order of a little-endian XRGB32 image).
struct BitmapView {
  std::uint32_t width = 0, height = 0;
  std::size_t bytesPerRow = 0;
  int bitsPerPixel = 32;
  const std::uint8_t* bits = nullptr;
};

// Copies a bitmap into `pic`. 0 on success, 1 when the bitmap is empty,
// malformed, over the pixel budget, or memory cannot be had.
int MakeBuffer3(const BitmapView& bitmap, Picture& pic);

// As MakeBuffer3, then writes the picture as a 24-bit BMP file to `path`
// (written beside it and renamed over it, so a failed write never leaves a
// half file). 0 when the picture was written and the file exists
// afterwards; 1 otherwise, also when a failed write left an older file.
int MakeBufferFile2(const fs::Env& env, const BitmapView& bitmap, const std::string& path, Picture& pic);

// Loads a 24-bit uncompressed bottom-up BMP file into `pic`, reading its
// header and the pixel rows it names, nothing else: 1 on success, 0 for any
// other file, one that cannot be read, over the pixel budget, or whose
// pixel rows do not fit inside the file.
int readBMP(const fs::Env& env, const std::string& path, Picture& pic);

}  // namespace pictray
