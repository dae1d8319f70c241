// Generated pictures for the same-picture tests and benches: RGB pixels
// and a smooth random scene to draw them from, with nothing to link.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace pictray::testing {

// RGB pixels, rows from the top.
struct Rgb8 {
  int width = 0, height = 0;
  std::vector<std::uint8_t> px;
  std::uint8_t* At(int x, int y) { return px.data() + (static_cast<std::size_t>(y) * width + x) * 3; }
  const std::uint8_t* At(int x, int y) const { return px.data() + (static_cast<std::size_t>(y) * width + x) * 3; }
};

inline Rgb8 MakeRgb(int w, int h) { return {w, h, std::vector<std::uint8_t>(static_cast<std::size_t>(w) * h * 3)}; }

// A smooth random field over the unit square: value noise in octaves.
class Scene {
 public:
  explicit Scene(unsigned seed) : seed_(seed) {}
  // With fewer octaves (less fine detail), its levels stretched by
  // `contrast` around the middle.
  Scene(unsigned seed, int octaves, double contrast) : seed_(seed), octaves_(octaves), contrast_(contrast) {}
  // Colour at (u, v), both in 0..1, each channel 0..255.
  void Colour(double u, double v, std::uint8_t* out) const {
    for (int c = 0; c < 3; ++c) {
      double sum = 0, amp = 1, total = 0;
      for (int o = 0; o < octaves_; ++o) {
        const double f = 3.0 * (1 << o);
        sum += amp * Noise(u * f, v * f, c * 7 + o);
        total += amp;
        amp *= 0.55;
      }
      const double level = contrast_ == 1 ? sum / total * 255.0 : (sum / total - 0.5) * contrast_ * 255.0 + 128.0;
      out[c] = static_cast<std::uint8_t>(std::clamp(level, 0.0, 255.0));
    }
  }
  // The window [u0, u0 + du] x [v0, v0 + dv] of the scene at w x h pixels.
  Rgb8 Render(int w, int h, double u0 = 0, double v0 = 0, double du = 1, double dv = 0.75) const {
    Rgb8 p = MakeRgb(w, h);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) Colour(u0 + du * (x + 0.5) / w, v0 + dv * (y + 0.5) / h, p.At(x, y));
    return p;
  }

 private:
  double Lattice(int x, int y, int layer) const {
    std::uint32_t h = seed_ * 0x9E3779B1u ^ std::uint32_t(x) * 0x85EBCA77u ^ std::uint32_t(y) * 0xC2B2AE3Du ^
                      std::uint32_t(layer) * 0x27D4EB2Fu;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 12;
    return (h & 0xFFFF) / 65535.0;
  }
  double Noise(double x, double y, int layer) const {
    const int x0 = static_cast<int>(std::floor(x)), y0 = static_cast<int>(std::floor(y));
    const double fx = x - x0, fy = y - y0;
    const auto s = [](double t) { return t * t * (3 - 2 * t); };
    const double a = Lattice(x0, y0, layer), b = Lattice(x0 + 1, y0, layer), c = Lattice(x0, y0 + 1, layer),
                 d = Lattice(x0 + 1, y0 + 1, layer);
    return (a * (1 - s(fx)) + b * s(fx)) * (1 - s(fy)) + (c * (1 - s(fx)) + d * s(fx)) * s(fy);
  }
  unsigned seed_;
  int octaves_ = 5;
  double contrast_ = 1;
};

// `p` blurred by a Gaussian of deviation `sigma` (none for 0), edges clamped.
inline Rgb8 Blurred(const Rgb8& p, double sigma) {
  if (sigma == 0) return p;
  const int r = static_cast<int>(std::ceil(3 * sigma));
  std::vector<double> k(2 * r + 1);
  double total = 0;
  for (int i = -r; i <= r; ++i) total += k[i + r] = std::exp(-i * i / (2 * sigma * sigma));
  const auto pass = [&](const Rgb8& in, int dx, int dy) {
    Rgb8 out = MakeRgb(in.width, in.height);
    for (int y = 0; y < in.height; ++y)
      for (int x = 0; x < in.width; ++x)
        for (int c = 0; c < 3; ++c) {
          double sum = 0;
          for (int i = -r; i <= r; ++i) {
            const int sx = std::clamp(x + i * dx, 0, in.width - 1), sy = std::clamp(y + i * dy, 0, in.height - 1);
            sum += k[i + r] * in.At(sx, sy)[c];
          }
          out.At(x, y)[c] = static_cast<std::uint8_t>(std::lround(sum / total));
        }
    return out;
  };
  return pass(pass(p, 1, 0), 0, 1);
}

}  // namespace pictray::testing
