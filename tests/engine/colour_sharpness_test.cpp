// The sharpness bands over generated pictures: detailed scenes and the
// same scene blurred, drawn into a thumbnail as the library pads it.
#include "engine/colour/sharpness.h"

#include <gtest/gtest.h>

#include <cmath>

#include "tests/engine/colour_test_util.h"
#include "tests/support/scene.h"

namespace pictray {
namespace {

// `p` blurred by a Gaussian of deviation `sigma` (none for 0), edges clamped.
testing::Rgb8 Blurred(const testing::Rgb8& p, double sigma) {
  if (sigma == 0) return p;
  const int r = static_cast<int>(std::ceil(3 * sigma));
  std::vector<double> k(2 * r + 1);
  double total = 0;
  for (int i = -r; i <= r; ++i) total += k[i + r] = std::exp(-i * i / (2 * sigma * sigma));
  const auto pass = [&](const testing::Rgb8& in, int dx, int dy) {
    testing::Rgb8 out = testing::MakeRgb(in.width, in.height);
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

// `p` drawn into the top-left of a white 100 x 100 surface, as the library
// draws a thumbnail (rows from the bottom in memory).
Surface Thumbnail(const testing::Rgb8& p) {
  Surface s(100);
  testing::Fill(s, {255, 255, 255});
  for (int y = 0; y < p.height; ++y)
    for (int x = 0; x < p.width; ++x) {
      const std::uint8_t* c = p.At(x, y);
      testing::Put(s, x, 99 - y, {c[0], c[1], c[2]});
    }
  return s;
}

TEST(Sharpness, BandsOfAGeneratedSceneAndItsBlurs) {
  struct Case {
    const char* what;
    unsigned seed;
    int width, height;
    double sigma;
    const char* band;
  };
  const Case cases[] = {
      {"landscape scene", 7, 100, 75, 0, "sharp"},     {"landscape, radius 1", 7, 100, 75, 1, "soft"},
      {"landscape, radius 3", 7, 100, 75, 3, "blurred"}, {"portrait scene", 11, 60, 100, 0, "sharp"},
      {"portrait, radius 1", 11, 60, 100, 1, "soft"},     {"portrait, radius 3", 11, 60, 100, 3, "blurred"},
  };
  for (const Case& c : cases) {
    const Surface s = Thumbnail(Blurred(testing::Scene(c.seed, 7, 2.5).Render(c.width, c.height), c.sigma));
    const double v = LaplacianVariance(s.Window());
    EXPECT_EQ(SharpnessName(v), c.band) << c.what << ": variance " << v;
  }
}

TEST(Sharpness, PaddingAndFlatPicturesCountForNothing) {
  struct Case {
    const char* what;
    Rgb fill;
    int width, height;
  };
  // A flat grey whose edge against the padding would be a strong line if
  // the padding counted; all white, or a picture too thin to measure.
  const Case cases[] = {{"flat grey", {128, 128, 128}, 80, 60},
                        {"all white", {255, 255, 255}, 100, 100},
                        {"two pixels wide", {0, 0, 0}, 2, 100}};
  for (const Case& c : cases) {
    testing::Rgb8 p = testing::MakeRgb(c.width, c.height);
    for (int y = 0; y < c.height; ++y)
      for (int x = 0; x < c.width; ++x) {
        std::uint8_t* px = p.At(x, y);
        px[0] = std::uint8_t(c.fill.r), px[1] = std::uint8_t(c.fill.g), px[2] = std::uint8_t(c.fill.b);
      }
    EXPECT_EQ(LaplacianVariance(Thumbnail(p).Window()), 0) << c.what;
  }
}

}  // namespace
}  // namespace pictray
