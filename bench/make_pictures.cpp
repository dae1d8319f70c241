// Draws a folder of distinct pictures for the scale benchmarks of the
// search for the same pictures: COUNT pictures of 128 x 96 (p<i>.jpg), each a
// smooth random field of its own, and PLANTED of every thousand saved again
// at 96 x 72 (p<i> small.jpg), the pairs the search must find at any scale;
// or, with --tiles, COUNT tiles of 128 x 96 cut side by side from one large
// field (one texture: hashes that crowd together, no two the same picture).
// Usage: bench_make_pictures DIR COUNT [PLANTED_PER_THOUSAND (10)] [--tiles]
#include <cstddef>
#include <cstdio>

#include <jpeglib.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

struct Field {
  std::uint32_t seed;
  double Lattice(int x, int y, int layer) const {
    std::uint32_t h = seed * 0x9E3779B1u ^ std::uint32_t(x) * 0x85EBCA77u ^ std::uint32_t(y) * 0xC2B2AE3Du ^
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
  // The colour at (u, v) of the field, 0..255 a channel.
  void Colour(double u, double v, std::uint8_t* out) const {
    for (int c = 0; c < 3; ++c) {
      double sum = 0, amp = 1, total = 0;
      for (int o = 0; o < 4; ++o) {
        const double f = 3.0 * (1 << o);
        sum += amp * Noise(u * f, v * f, c * 7 + o);
        total += amp;
        amp *= 0.55;
      }
      out[c] = static_cast<std::uint8_t>(std::clamp((sum / total - 0.5) * 1.8 * 255.0 + 128.0, 0.0, 255.0));
    }
  }
};

bool WriteJpeg(const std::string& path, const std::vector<std::uint8_t>& rgb, int w, int h, int quality) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  jpeg_compress_struct c{};
  jpeg_error_mgr e{};
  c.err = jpeg_std_error(&e);
  jpeg_create_compress(&c);
  jpeg_stdio_dest(&c, f);
  c.image_width = static_cast<JDIMENSION>(w);
  c.image_height = static_cast<JDIMENSION>(h);
  c.input_components = 3;
  c.in_color_space = JCS_RGB;
  jpeg_set_defaults(&c);
  jpeg_set_quality(&c, quality, TRUE);
  jpeg_start_compress(&c, TRUE);
  while (c.next_scanline < c.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(rgb.data() + std::size_t(c.next_scanline) * w * 3);
    jpeg_write_scanlines(&c, &row, 1);
  }
  jpeg_finish_compress(&c);
  jpeg_destroy_compress(&c);
  return std::fclose(f) == 0;
}

// The window [u0, u0 + du] x [v0, v0 + dv] of `field` at w x h.
std::vector<std::uint8_t> Render(const Field& field, int w, int h, double u0, double v0, double du, double dv) {
  std::vector<std::uint8_t> rgb(std::size_t(w) * h * 3);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      field.Colour(u0 + du * (x + 0.5) / w, v0 + dv * (y + 0.5) / h, &rgb[(std::size_t(y) * w + x) * 3]);
  return rgb;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s DIR COUNT [PLANTED_PER_THOUSAND] [--tiles]\n", argv[0]);
    return 2;
  }
  const std::string dir = argv[1];
  const long count = std::atol(argv[2]);
  long planted = 10;
  bool tiles = false;
  for (int i = 3; i < argc; ++i) {
    if (std::strcmp(argv[i], "--tiles") == 0)
      tiles = true;
    else
      planted = std::atol(argv[i]);
  }
  const long columns = std::max(1L, static_cast<long>(std::sqrt(double(count))));
  std::atomic<long> next{0};
  std::atomic<bool> failed{false};
  const auto work = [&] {
    for (long i; (i = next.fetch_add(1)) < count;) {
      const std::string name = dir + "/p" + std::to_string(i);
      std::vector<std::uint8_t> rgb, small;
      if (tiles) {
        // One field, each tile a window of it beside the others.
        const Field field{7};
        const double tu = double(i % columns), tv = double(i / columns) * 0.75;
        rgb = Render(field, 128, 96, tu, tv, 1.0, 0.75);
      } else {
        // Each picture a window of its own far out in one field: seeds alone
        // can give two pictures alike.
        std::uint64_t z = static_cast<std::uint64_t>(i) * 0x9E3779B97F4A7C15ull + 0x632BE59BD9B4E019ull;
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        z ^= z >> 31;
        const double u = double(z & 0xFFFFF), v = double((z >> 20) & 0xFFFFF);
        const Field field{0x5EED};
        rgb = Render(field, 128, 96, u, v, 1.0, 0.75);
        // The planted copies: the same window drawn at 96 x 72.
        if (planted > 0 && i % 1000 < planted) small = Render(field, 96, 72, u, v, 1.0, 0.75);
      }
      if (!WriteJpeg(name + ".jpg", rgb, 128, 96, 88)) failed = true;
      if (!small.empty() && !WriteJpeg(name + " small.jpg", small, 96, 72, 80)) failed = true;
    }
  };
  std::vector<std::thread> pool;
  for (unsigned t = 1; t < std::max(1u, std::thread::hardware_concurrency()); ++t) pool.emplace_back(work);
  work();
  for (std::thread& t : pool) t.join();
  return failed ? 1 : 0;
}
