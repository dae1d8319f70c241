#include "engine/colour/sharpness.h"

#include <algorithm>
#include <vector>

namespace pictray {
namespace {

constexpr Rgb kPadding{255, 255, 255};

// The rows and columns left once padding-white ones are trimmed from the
// four sides: [x0, x1) x [y0, y1), empty when the window is all white.
struct Box {
  std::uint32_t x0 = 0, x1 = 0, y0 = 0, y1 = 0;
};

Box PictureBox(const PixelWindow& w) {
  Box b{w.width, 0, w.height, 0};
  for (std::uint32_t y = 0; y < w.height; ++y)
    for (std::uint32_t x = 0; x < w.width; ++x) {
      if (w.At(x, y) == kPadding) continue;
      b.x0 = std::min(b.x0, x), b.x1 = std::max(b.x1, x + 1);
      b.y0 = std::min(b.y0, y), b.y1 = std::max(b.y1, y + 1);
    }
  return b;
}

}  // namespace

double LaplacianVariance(const PixelWindow& window) {
  const Box b = PictureBox(window);
  if (b.x1 < b.x0 + 3 || b.y1 < b.y0 + 3) return 0;
  const std::uint32_t w = b.x1 - b.x0, h = b.y1 - b.y0;
  std::vector<double> grey(std::size_t(w) * h);
  for (std::uint32_t y = 0; y < h; ++y)
    for (std::uint32_t x = 0; x < w; ++x) {
      const Rgb c = window.At(b.x0 + x, b.y0 + y);
      grey[std::size_t(y) * w + x] = 0.299 * c.r + 0.587 * c.g + 0.114 * c.b;
    }
  double sum = 0, squares = 0;
  for (std::uint32_t y = 1; y + 1 < h; ++y)
    for (std::uint32_t x = 1; x + 1 < w; ++x) {
      const std::size_t i = std::size_t(y) * w + x;
      const double l = grey[i - 1] + grey[i + 1] + grey[i - w] + grey[i + w] - 4 * grey[i];
      sum += l;
      squares += l * l;
    }
  const double n = double(w - 2) * double(h - 2);
  const double mean = sum / n;
  return squares / n - mean * mean;
}

std::string SharpnessName(double variance) {
  if (variance > kSharpAbove) return "sharp";
  if (variance > kSoftAbove) return "soft";
  return "blurred";
}

std::string SharpnessSampler::Label(const fs::ReadOnlyFile& file, const std::string& path) {
  if (!IsSampled(file, formats_)) return "";
  const int drawn = readJpegTolpBMP(lib_, file, path, surface_, formats_);
  if (drawn == kNoPicture) return "";
  if (drawn != kDrawn) return kSampleError;
  return SharpnessName(LaplacianVariance(surface_.Window()));
}

}  // namespace pictray
