// The thumbnail library's surface as a picture for the window.
#pragma once

#include <QImage>
#include <cstddef>

namespace pictray::ui {

// `bits`: edge x edge pixels, the bottom row first, B,G,R, rows `stride`
// bytes apart.
inline QImage SurfaceImage(const unsigned char* bits, int stride, int edge) {
  QImage image(edge, edge, QImage::Format_RGB888);
  for (int y = 0; y < edge; ++y) {
    const unsigned char* src = bits + static_cast<std::size_t>(edge - 1 - y) * stride;
    uchar* dst = image.scanLine(y);
    for (int x = 0; x < edge; ++x) {
      dst[3 * x] = src[3 * x + 2];
      dst[3 * x + 1] = src[3 * x + 1];
      dst[3 * x + 2] = src[3 * x];
    }
  }
  return image;
}

}  // namespace pictray::ui
