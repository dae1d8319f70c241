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
    const Surface s = Thumbnail(testing::Blurred(testing::Scene(c.seed, 7, 2.5).Render(c.width, c.height), c.sigma));
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
