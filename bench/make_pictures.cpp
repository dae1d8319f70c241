// Draws a folder of distinct pictures for the scale benchmarks of the
// search for the same pictures: COUNT pictures of 128 x 96 (p<i>.jpg), each a
// window of its own far out in one smooth random scene, and PLANTED of every thousand saved again
// at 96 x 72 (p<i> small.jpg), the pairs the search must find at any scale;
// or, with --tiles, COUNT tiles of 128 x 96 cut side by side from one large
// field (one texture: hashes that crowd together, no two the same picture).
// Usage: bench_make_pictures DIR COUNT [PLANTED_PER_THOUSAND (10)] [--tiles]
#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

// After <cstdio> and <cstddef>, which it needs.
#include <jpeglib.h>

#include "tests/support/scene.h"

namespace {

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
        const double tu = double(i % columns), tv = double(i / columns) * 0.75;
        rgb = pictray::testing::Scene(7, 4, 1.8).Render(128, 96, tu, tv, 1.0, 0.75).px;
      } else {
        // Each picture a window of its own far out in one field: seeds alone
        // can give two pictures alike.
        std::uint64_t z = static_cast<std::uint64_t>(i) * 0x9E3779B97F4A7C15ull + 0x632BE59BD9B4E019ull;
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        z ^= z >> 31;
        const double u = double(z & 0xFFFFF), v = double((z >> 20) & 0xFFFFF);
        const pictray::testing::Scene field(0x5EED, 4, 1.8);
        rgb = field.Render(128, 96, u, v, 1.0, 0.75).px;
        // The planted copies: the same window drawn at 96 x 72.
        if (planted > 0 && i % 1000 < planted) small = field.Render(96, 72, u, v, 1.0, 0.75).px;
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
