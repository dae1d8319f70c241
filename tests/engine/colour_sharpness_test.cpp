// The sharpness bands over generated pictures: detailed scenes and the
// same scene blurred, drawn into a thumbnail as the library pads it.
#include "engine/colour/sharpness.h"

#include <gtest/gtest.h>

#include "tests/engine/colour_test_util.h"
#include "tests/support/scene.h"

namespace pictray {
namespace {

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

// A portrait scene and its blurs fall in their bands; the padding, a flat
// picture (whose edge against the padding would be a strong line if the
// padding counted), all white and a picture too thin to measure count for
// nothing. The landscape scene goes through pictray-cli's own test.
TEST(Sharpness, BandsOfASceneAndItsBlursWhilePaddingAndFlatCountForNothing) {
  struct Case {
    const char* what;
    double sigma;     // the scene blurred; < 0: a flat `fill` instead
    Rgb fill;
    int width, height;
    const char* band;
  };
  const Case cases[] = {
      {"portrait scene", 0, {}, 60, 100, "sharp"},
      {"portrait, radius 1", 1, {}, 60, 100, "soft"},
      {"portrait, radius 3", 3, {}, 60, 100, "blurred"},
      {"flat grey", -1, {128, 128, 128}, 80, 60, nullptr},
      {"all white", -1, {255, 255, 255}, 100, 100, nullptr},
      {"two pixels wide", -1, {0, 0, 0}, 2, 100, nullptr},
  };
  for (const Case& c : cases) {
    testing::Rgb8 p = c.sigma >= 0 ? testing::Blurred(testing::Scene(11, 7, 2.5).Render(c.width, c.height), c.sigma)
                                   : testing::MakeRgb(c.width, c.height);
    for (int y = 0; c.sigma < 0 && y < c.height; ++y)
      for (int x = 0; x < c.width; ++x) {
        std::uint8_t* px = p.At(x, y);
        px[0] = std::uint8_t(c.fill.r), px[1] = std::uint8_t(c.fill.g), px[2] = std::uint8_t(c.fill.b);
      }
    const double v = LaplacianVariance(Thumbnail(p).Window());
    if (c.band)
      EXPECT_EQ(SharpnessName(v), c.band) << c.what << ": variance " << v;
    else
      EXPECT_EQ(v, 0) << c.what;
  }
}

}  // namespace
}  // namespace pictray
