#include "thumbkit.h"

#include <QFile>
#include <QImage>
#include <QImageReader>

#include <algorithm>
#include <vector>

namespace {

// Pictures above this many pixels are refused rather than decoded.
constexpr qint64 kPixelBudget = 400LL * 1000 * 1000;

void FillWhite(std::uint32_t* pixels, int stride, int edge) {
  for (int y = 0; y < edge; ++y) {
    auto* row = reinterpret_cast<std::uint32_t*>(reinterpret_cast<char*>(pixels) + y * stride);
    std::fill(row, row + edge, 0xffffffffu);
  }
}

// Area-averaging reduction of src (RGB32) to w x h: every target pixel is
// the mean of the source area it covers, partial pixels weighted.
QImage AreaAverage(const QImage& src, int w, int h) {
  const int sw = src.width(), sh = src.height();
  const double fx = static_cast<double>(sw) / w, fy = static_cast<double>(sh) / h;
  QImage out(w, h, QImage::Format_RGB32);
  std::vector<double> acc(static_cast<std::size_t>(w) * 3);
  for (int ty = 0; ty < h; ++ty) {
    std::fill(acc.begin(), acc.end(), 0.0);
    const double y0 = ty * fy, y1 = (ty + 1) * fy;
    for (int sy = static_cast<int>(y0); sy < sh && sy < y1; ++sy) {
      const double wy = std::min<double>(sy + 1, y1) - std::max<double>(sy, y0);
      const auto* line = reinterpret_cast<const QRgb*>(src.constScanLine(sy));
      for (int tx = 0; tx < w; ++tx) {
        const double x0 = tx * fx, x1 = (tx + 1) * fx;
        for (int sx = static_cast<int>(x0); sx < sw && sx < x1; ++sx) {
          const double wgt = wy * (std::min<double>(sx + 1, x1) - std::max<double>(sx, x0));
          acc[tx * 3] += wgt * qRed(line[sx]);
          acc[tx * 3 + 1] += wgt * qGreen(line[sx]);
          acc[tx * 3 + 2] += wgt * qBlue(line[sx]);
        }
      }
    }
    auto* outLine = reinterpret_cast<QRgb*>(out.scanLine(ty));
    const double area = fx * fy;
    for (int tx = 0; tx < w; ++tx)
      outLine[tx] = qRgb(static_cast<int>(acc[tx * 3] / area + 0.5),
                         static_cast<int>(acc[tx * 3 + 1] / area + 0.5),
                         static_cast<int>(acc[tx * 3 + 2] / area + 0.5));
  }
  return out;
}

}  // namespace

extern "C" __attribute__((visibility("default"))) int MakeMinImage(
    std::uint32_t* pixels, int stride, const char* path, int edge, int cell, const char* text) {
  (void)text;
  if (!pixels || !path || edge <= 0 || stride < edge * 4 || cell != 0) return 1;
  FillWhite(pixels, stride, edge);
  QImageReader reader(QFile::decodeName(path));
  reader.setAutoTransform(false);
  const QSize size = reader.size();
  if (size.isValid() && static_cast<qint64>(size.width()) * size.height() > kPixelBudget) return 1;
  QImage img = reader.read();
  if (img.isNull()) return 1;
  // Transparent areas show the white square beneath.
  QImage rgb(img.size(), QImage::Format_RGB32);
  rgb.fill(Qt::white);
  {
    QImage argb = img.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < argb.height(); ++y) {
      const auto* s = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
      auto* d = reinterpret_cast<QRgb*>(rgb.scanLine(y));
      for (int x = 0; x < argb.width(); ++x) {
        const int a = qAlpha(s[x]);
        d[x] = qRgb((qRed(s[x]) * a + 255 * (255 - a)) / 255, (qGreen(s[x]) * a + 255 * (255 - a)) / 255,
                    (qBlue(s[x]) * a + 255 * (255 - a)) / 255);
      }
    }
  }
  const int sw = rgb.width(), sh = rgb.height();
  int w = edge, h = edge;
  if (sw >= sh) h = std::max(1, static_cast<int>(static_cast<qint64>(sh) * edge / sw));
  else w = std::max(1, static_cast<int>(static_cast<qint64>(sw) * edge / sh));
  QImage small = (sw <= w && sh <= h) ? rgb : AreaAverage(rgb, w, h);
  const int ox = (edge - small.width()) / 2, oy = (edge - small.height()) / 2;
  for (int y = 0; y < small.height(); ++y) {
    auto* row = reinterpret_cast<std::uint32_t*>(reinterpret_cast<char*>(pixels) + (oy + y) * stride);
    const auto* s = reinterpret_cast<const QRgb*>(small.constScanLine(y));
    for (int x = 0; x < small.width(); ++x) row[ox + x] = 0xff000000u | s[x];
  }
  return 0;
}
