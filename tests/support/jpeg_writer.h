// Writing JPEG files for the tests and the benchmarks: one writer, told the
// picture's shape and handed each row as it is written.
#pragma once

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include <jpeglib.h>

namespace pictray::testing {

enum class JpegColours {
  Rgb,      // stored as YCbCr, as cameras do
  KeptRgb,  // stored as RGB: decodes to its colours exactly
  Grey,
  Cmyk,
};

struct JpegShape {
  JpegShape(unsigned w, unsigned h, JpegColours c = JpegColours::Rgb, int q = 100, bool full = true)
      : width(w), height(h), colours(c), quality(q), fullChroma(full) {}
  unsigned width, height;
  JpegColours colours;
  int quality;
  bool fullChroma;  // no chroma subsampling: flat 8 x 8 blocks keep their colour
  bool progressive = false;
  // Last say over the encoder's settings (sampling, scan scripts, markers).
  std::function<void(jpeg_compress_struct&)> tune;
};

inline int ComponentsOf(JpegColours colours) {
  return colours == JpegColours::Grey ? 1 : colours == JpegColours::Cmyk ? 4 : 3;
}

// `fill(y, row)` writes row y (from the top): width x components samples.
// False when the file cannot be written.
inline bool WriteJpeg(const std::string& path, const JpegShape& shape,
                      const std::function<void(unsigned y, JSAMPLE* row)>& fill) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  jpeg_compress_struct c;
  jpeg_error_mgr err;
  c.err = jpeg_std_error(&err);
  jpeg_create_compress(&c);
  jpeg_stdio_dest(&c, f);
  c.image_width = shape.width;
  c.image_height = shape.height;
  c.input_components = ComponentsOf(shape.colours);
  c.in_color_space = shape.colours == JpegColours::Grey   ? JCS_GRAYSCALE
                     : shape.colours == JpegColours::Cmyk ? JCS_CMYK
                                                          : JCS_RGB;
  jpeg_set_defaults(&c);
  if (shape.colours == JpegColours::KeptRgb) jpeg_set_colorspace(&c, JCS_RGB);
  if (shape.colours == JpegColours::Cmyk) jpeg_set_colorspace(&c, JCS_CMYK);
  jpeg_set_quality(&c, shape.quality, TRUE);
  if (shape.fullChroma)
    for (int i = 0; i < c.num_components; ++i) c.comp_info[i].h_samp_factor = c.comp_info[i].v_samp_factor = 1;
  if (shape.progressive) jpeg_simple_progression(&c);
  if (shape.tune) shape.tune(c);
  jpeg_start_compress(&c, TRUE);
  std::vector<JSAMPLE> row(std::size_t(shape.width) * std::size_t(c.input_components));
  while (c.next_scanline < c.image_height) {
    fill(c.next_scanline, row.data());
    JSAMPROW r = row.data();
    jpeg_write_scanlines(&c, &r, 1);
  }
  jpeg_finish_compress(&c);
  jpeg_destroy_compress(&c);
  return std::fclose(f) == 0;
}

}  // namespace pictray::testing
