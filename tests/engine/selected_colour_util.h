// Writing small JPEG pictures for the selected-colour tests: quality 100
// without chroma subsampling, so that flat 8 x 8 blocks keep their colour.
#pragma once

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "engine/colour/pixel_window.h"

namespace pictray::testing {

// pixel(x, y), y from the top. False when the file cannot be written.
inline bool WriteJpeg(const std::string& path, int width, int height, const std::function<Rgb(int x, int y)>& pixel) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  jpeg_compress_struct c;
  jpeg_error_mgr err;
  c.err = jpeg_std_error(&err);
  jpeg_create_compress(&c);
  jpeg_stdio_dest(&c, f);
  c.image_width = JDIMENSION(width);
  c.image_height = JDIMENSION(height);
  c.input_components = 3;
  c.in_color_space = JCS_RGB;
  jpeg_set_defaults(&c);
  jpeg_set_quality(&c, 100, TRUE);
  for (int i = 0; i < c.num_components; ++i) c.comp_info[i].h_samp_factor = c.comp_info[i].v_samp_factor = 1;
  jpeg_start_compress(&c, TRUE);
  std::vector<JSAMPLE> row(std::size_t(3 * width));
  while (c.next_scanline < c.image_height) {
    for (int x = 0; x < width; ++x) {
      const Rgb p = pixel(x, int(c.next_scanline));
      row[std::size_t(3 * x)] = JSAMPLE(p.r);
      row[std::size_t(3 * x + 1)] = JSAMPLE(p.g);
      row[std::size_t(3 * x + 2)] = JSAMPLE(p.b);
    }
    JSAMPROW r = row.data();
    jpeg_write_scanlines(&c, &r, 1);
  }
  jpeg_finish_compress(&c);
  jpeg_destroy_compress(&c);
  return std::fclose(f) == 0;
}

}  // namespace pictray::testing
