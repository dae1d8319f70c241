// A camera-sized JPEG for the benchmarks, and the floor the thumbnail work
// stands on: decoding it at libjpeg's 1/8 scale and doing nothing else.
#pragma once

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "tests/support/jpeg_writer.h"

namespace pictray::bench {

inline constexpr int kWidth = 4000, kHeight = 3000;

struct Jump {
  jpeg_error_mgr pub;
  std::jmp_buf buf;
};
[[noreturn]] inline void JumpOut(j_common_ptr c) { std::longjmp(reinterpret_cast<Jump*>(c->err)->buf, 1); }

// A camera-like picture: smooth shapes under fine noise, quality 90 with
// the usual 4:2:0 chroma, so the entropy decoding has a photo's work to do.
inline bool WritePhoto(const std::string& path, std::uint32_t seed = 12345) {
  testing::JpegShape shape{unsigned(kWidth), unsigned(kHeight), testing::JpegColours::Rgb, 90, false};
  return testing::WriteJpeg(path, shape, [&seed](unsigned row, JSAMPLE* out) {
    const double y = row;
    for (int x = 0; x < kWidth; ++x) {
      seed = seed * 1664525u + 1013904223u;
      const int noise = int(seed >> 27) - 16;
      const double wave = std::sin(x / 170.0) * std::cos(y / 130.0);
      out[3 * x] = JSAMPLE(std::clamp(int(128 + 90 * wave) + noise, 0, 255));
      out[3 * x + 1] = JSAMPLE(std::clamp(int(x * 200 / kWidth + 30 * std::sin(y / 50.0)) + noise, 0, 255));
      out[3 * x + 2] = JSAMPLE(std::clamp(int(y * 180 / kHeight) + noise / 2, 0, 255));
    }
  });
}

// The floor: every scanline of the file at 1/8 scale, nothing done with it.
inline bool DecodeAtOneEighth(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  jpeg_decompress_struct c;
  Jump err;
  c.err = jpeg_std_error(&err.pub);
  err.pub.error_exit = JumpOut;
  jpeg_create_decompress(&c);
  bool ok = false;
  if (setjmp(err.buf) == 0) {
    jpeg_stdio_src(&c, f);
    jpeg_read_header(&c, TRUE);
    c.scale_num = 1;
    c.scale_denom = 8;
    jpeg_start_decompress(&c);
    JSAMPARRAY row = (*c.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&c), JPOOL_IMAGE,
                                            c.output_width * c.output_components, 1);
    while (c.output_scanline < c.output_height) jpeg_read_scanlines(&c, row, 1);
    jpeg_finish_decompress(&c);
    ok = true;
  }
  jpeg_destroy_decompress(&c);
  std::fclose(f);
  return ok;
}

}  // namespace pictray::bench
