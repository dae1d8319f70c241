// Writing small JPEG pictures for the selected-colour tests: quality 100
// without chroma subsampling, so that flat 8 x 8 blocks keep their colour.
#pragma once

#include <functional>
#include <string>

#include "engine/colour/pixel_window.h"
#include "tests/support/jpeg_writer.h"

namespace pictray::testing {

// pixel(x, y), y from the top. False when the file cannot be written.
inline bool WriteJpeg(const std::string& path, int width, int height, const std::function<Rgb(int x, int y)>& pixel) {
  return WriteJpeg(path, JpegShape{unsigned(width), unsigned(height)}, [&](unsigned y, JSAMPLE* row) {
    for (int x = 0; x < width; ++x) {
      const Rgb p = pixel(x, int(y));
      row[3 * x] = JSAMPLE(p.r);
      row[3 * x + 1] = JSAMPLE(p.g);
      row[3 * x + 2] = JSAMPLE(p.b);
    }
  });
}

}  // namespace pictray::testing
