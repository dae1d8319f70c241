// The same picture found through its variants, and told from different
// pictures, on generated pictures drawn by the real thumbnail library; and
// the groups formed around the kept picture.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <numeric>
#include <random>
#include <optional>

#include "engine/fs/env.h"
#include "engine/similar/picture_match.h"
#include "engine/similar/picture_shape.h"
#include "engine/similar/similar_groups.h"
#include "tests/engine/similar_test_util.h"

namespace pictray::similar {
namespace {

using testing::Rgb8;

std::optional<PictureFeatures> Measure(const ThumbnailCalls& lib, const std::string& path) {
  const PictureShape s = ReadPictureShape(fs::DefaultEnv(), path);
  if (!s.picture) return std::nullopt;
  return MeasurePicture(lib, path, s.storedWidth, s.storedHeight, s.orientation);
}

struct Variant {
  const char* name;
  bool same;
  // Writes the variant of `base` (drawn from `scene`) to `path`.
  std::function<bool(const testing::Scene& scene, const Rgb8& base, const std::string& dir)> write;
  const char* file = "variant.jpg";
};

bool Jpeg(const std::string& path, const Rgb8& p, int quality = 92) { return testing::WriteJpegRgb(path, p, quality); }

const Variant kVariants[] = {
    {"resized to 160 px", true,
     [](auto&, auto& b, auto& d) { return Jpeg(d + "/variant.jpg", testing::Shrunk(b, 5)); }},
    {"JPEG quality 30", true, [](auto&, auto& b, auto& d) { return Jpeg(d + "/variant.jpg", b, 30); }},
    {"PNG", true, [](auto&, auto& b, auto& d) { return testing::WritePng(d + "/variant.png", b); }, "variant.png"},
    {"WebP", true, [](auto&, auto& b, auto& d) { return testing::WriteWebp(d + "/variant.webp", b, 60); },
     "variant.webp"},
    {"TIFF", true, [](auto&, auto& b, auto& d) { return testing::WriteTiff(d + "/variant.tif", b); }, "variant.tif"},
    {"TIFF stored turned, Orientation 6", true,
     [](auto&, auto& b, auto& d) { return testing::WriteTiff(d + "/variant.tif", testing::TurnedLeft(b), 6); },
     "variant.tif"},
    {"HEIF", true, [](auto&, auto& b, auto& d) { return testing::WriteHeif(d + "/variant.heic", b); }, "variant.heic"},
    {"Exif added", true,
     [](auto&, auto& b, auto& d) {
       return Jpeg(d + "/variant.jpg", b) && testing::AddExif(d + "/variant.jpg", 1, "2021:05:06 07:08:09");
     }},
    {"stored turned, Orientation 6", true,
     [](auto&, auto& b, auto& d) {
       return Jpeg(d + "/variant.jpg", testing::TurnedLeft(b)) && testing::AddExif(d + "/variant.jpg", 6);
     }},
    {"6% brighter", true,
     [](auto&, auto& b, auto& d) {
       return Jpeg(d + "/variant.jpg", testing::Mapped(b, [](double v) { return v * 1.06; }));
     }},
    {"gamma 0.9", true,
     [](auto&, auto& b, auto& d) {
       return Jpeg(d + "/variant.jpg", testing::Mapped(b, [](double v) { return 255 * std::pow(v / 255, 0.9); }));
     }},
    {"cropped to 92% x 92%, off centre", true,
     [](auto&, auto& b, auto& d) { return Jpeg(d + "/variant.jpg", testing::Cropped(b, 48, 16, 736, 552)); }},
    {"cropped to 100% x 86%", true,
     [](auto&, auto& b, auto& d) { return Jpeg(d + "/variant.jpg", testing::Cropped(b, 0, 40, 800, 516)); }},
    {"cropped to 78% x 78%", false,
     [](auto&, auto& b, auto& d) { return Jpeg(d + "/variant.jpg", testing::Cropped(b, 100, 60, 620, 465)); }},
    {"another photo of the scene", false,
     [](auto& s, auto&, auto& d) { return Jpeg(d + "/variant.jpg", s.Render(800, 600, 0.3, 0.05)); }},
    {"darker version", false,
     [](auto&, auto& b, auto& d) {
       return Jpeg(d + "/variant.jpg", testing::Mapped(b, [](double v) { return v * 0.45; }));
     }},
    {"negative", false,
     [](auto&, auto& b, auto& d) {
       return Jpeg(d + "/variant.jpg", testing::Mapped(b, [](double v) { return 255 - v; }));
     }},
    {"another scene", false,
     [](auto&, auto&, auto& d) { return Jpeg(d + "/variant.jpg", testing::Scene(2).Render(800, 600)); }},
};

TEST(SimilarMatch, VariantsOfOnePicture) {
  const testing::ThumbkitLibrary lib;
  if (!lib.calls().Drawing()) GTEST_SKIP() << "libthumbkit.so is not built in " << PICTRAY_BIN_DIR;
  const testing::Scene scene(1);
  const Rgb8 base = scene.Render(800, 600);
  for (const Variant& v : kVariants) {
    SCOPED_TRACE(v.name);
    const testing::TempDir dir;
    ASSERT_TRUE(Jpeg(dir.path() + "/base.jpg", base, 95));
    if (!v.write(scene, base, dir.path())) {
      ASSERT_STREQ(v.file, "variant.heic") << "only a missing HEIF encoder may leave a variant out";
      continue;
    }
    const auto a = Measure(lib.calls(), dir.path() + "/base.jpg");
    const auto b = Measure(lib.calls(), dir.path() + "/" + v.file);
    ASSERT_TRUE(a && b);
    const auto likeness = Match(*a, *b);
    EXPECT_EQ(likeness.has_value(), v.same)
        << "hash distance " << HashDistance(*a, *b) << ", colours " << ColourDifference(*a, *b);
    if (likeness) {
      EXPECT_EQ(Match(*b, *a), likeness) << "the same both ways";
    }
  }
}

TEST(SimilarMatch, ShapeAsShown) {
  const testing::TempDir dir;
  const Rgb8 p = testing::Scene(3).Render(64, 48);
  struct Row {
    const char* name;
    std::function<bool(const std::string&)> write;
    bool picture;
    dupes::PictureFacts facts;
  } rows[] = {
      {"JPEG", [&](auto& f) { return Jpeg(f, p); }, true, {64, 48, "", dupes::PictureKind::Jpeg}},
      {"JPEG turned, dated",
       [&](auto& f) { return Jpeg(f, p) && testing::AddExif(f, 8, "2020:01:02 03:04:05"); },
       true,
       {48, 64, "2020:01:02 03:04:05", dupes::PictureKind::Jpeg}},
      {"PNG", [&](auto& f) { return testing::WritePng(f, p); }, true, {64, 48, "", dupes::PictureKind::Lossless}},
      {"WebP", [&](auto& f) { return testing::WriteWebp(f, p, 80); }, true, {64, 48, "", dupes::PictureKind::WebP}},
      {"turned.tif",
       [&](auto& f) { return testing::WriteTiff(f, p, 6); },
       true,
       {48, 64, "", dupes::PictureKind::Lossless}},
      // The library's strips come with their rows reversed: not measured.
      {"upside down.tif", [&](auto& f) { return testing::WriteTiff(f, p, 3); }, false, {}},
      // Drawn from its preview, whose size the header does not give.
      {"raw.nef", [&](auto& f) { return testing::WriteTiff(f, p); }, false, {}},
      {"JPEG cut before its frame header",
       [&](auto& f) { return Jpeg(f, p) && ::truncate(f.c_str(), 40) == 0; },
       false,
       {}},
      {"text", [&](auto& f) { return static_cast<bool>(std::ofstream(f) << "not a picture at all"); }, false, {}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    const std::string file = dir.path() + "/" + r.name;
    ASSERT_TRUE(r.write(file));
    const PictureShape s = ReadPictureShape(fs::DefaultEnv(), file);
    EXPECT_EQ(s.picture, r.picture);
    EXPECT_EQ(s.facts, r.facts);
  }
}

dupes::Likeness Like(double correlation) {
  dupes::Likeness l;
  l.identical = false;
  l.distance = 4;
  l.correlation = correlation;
  l.commonAreaPercent = 100;
  return l;
}

TEST(SimilarGroups, AroundTheKeptPicture) {
  struct Row {
    const char* name;
    std::vector<Participant> ordered;
    std::vector<SamePair> pairs;
    std::vector<std::vector<std::size_t>> groups;  // rows, kept first
  } rows[] = {
      {"no pairs", {{0, {}}, {1, {}}}, {}, {}},
      {"a chain stops at the first link",
       {{0, {}}, {1, {}}, {2, {}}},
       {{0, 1, Like(0.9)}, {1, 2, Like(0.9)}},
       {{0, 1}}},
      {"a chain whose ends match too",
       {{0, {}}, {1, {}}, {2, {}}},
       {{0, 1, Like(0.9)}, {1, 2, Like(0.9)}, {0, 2, Like(0.8)}},
       {{0, 1, 2}}},
      {"the closer of two kept pictures",
       {{0, {}}, {1, {}}, {2, {}}},
       {{0, 2, Like(0.75)}, {1, 2, Like(0.95)}},
       {{1, 2}}},
      {"exact copies follow their kept file", {{5, {6, 7}}, {2, {}}, {9, {3}}}, {{0, 2, Like(0.9)}}, {{5, 6, 7, 9, 3}}},
      {"an exact set alone stays a group", {{4, {8}}, {1, {}}}, {}, {{4, 8}}},
      {"groups in the order of their kept file's row",
       {{7, {}}, {3, {}}, {8, {}}, {2, {}}},
       {{0, 2, Like(0.9)}, {1, 3, Like(0.9)}},
       {{3, 2}, {7, 8}}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    const std::vector<dupes::TwinGroup> groups = GroupAroundKept(r.ordered, r.pairs);
    ASSERT_EQ(groups.size(), r.groups.size());
    for (std::size_t g = 0; g < groups.size(); ++g) {
      EXPECT_EQ(groups[g].kept, 0u);
      std::vector<std::size_t> got;
      for (const dupes::TwinMember& m : groups[g].members) got.push_back(m.row);
      EXPECT_EQ(got, r.groups[g]);
    }
  }
}

TEST(SimilarGroups, LikenessOfMembers) {
  const std::vector<Participant> ordered{{0, {1}}, {2, {3}}};
  const std::vector<dupes::TwinGroup> groups = GroupAroundKept(ordered, {{0, 1, Like(0.85)}});
  ASSERT_EQ(groups.size(), 1u);
  const auto& m = groups[0].members;
  ASSERT_EQ(m.size(), 4u);
  EXPECT_TRUE(m[0].likeness.identical);
  EXPECT_TRUE(m[1].likeness.identical) << "an exact copy of the kept file";
  EXPECT_EQ(m[2].likeness, Like(0.85));
  EXPECT_EQ(m[3].likeness, Like(0.85)) << "an exact copy of a joining picture is as like as it";
}

// The groups of JoinInKeepOrder, which compares each picture with the kept
// pictures alone, a block at a time on two threads, are those of every
// pair Match takes: pictures of a few scenes with their variants, a crowd
// of one scene, flat pictures of a few colours, in several keep orders.
TEST(SimilarGroups, JoiningInKeepOrderFormsTheGroupsOfEveryPair) {
  const testing::ThumbkitLibrary lib;
  if (!lib.calls().Drawing()) GTEST_SKIP() << "libthumbkit.so is not built in " << PICTRAY_BIN_DIR;
  const testing::TempDir dir;
  std::vector<PictureFeatures> features;
  const auto add = [&](const Rgb8& p) {
    const std::string path = dir.path() + "/p" + std::to_string(features.size()) + ".jpg";
    ASSERT_TRUE(Jpeg(path, p, 90));
    const auto f = Measure(lib.calls(), path);
    ASSERT_TRUE(f);
    features.push_back(*f);
  };
  for (unsigned scene = 0; scene < 6; ++scene) {
    const Rgb8 base = testing::Scene(70 + scene).Render(200, 150);
    add(base);
    add(testing::Shrunk(base, 2));
    add(testing::Cropped(base, 8, 6, 184, 138));
    add(testing::Mapped(base, [](double v) { return v * 1.05; }));
    add(testing::Cropped(base, 40, 30, 120, 90));
  }
  for (int k = 0; k < 100; ++k) add(testing::Mapped(testing::Scene(90).Render(80, 60), [k](double v) { return v + k % 3; }));
  for (int k = 0; k < 40; ++k) {
    Rgb8 flat = testing::MakeRgb(32, 24);
    std::fill(flat.px.begin(), flat.px.end(), std::uint8_t(20 + 30 * (k % 4)));
    add(flat);
  }
  std::vector<std::size_t> order(features.size());
  std::iota(order.begin(), order.end(), 0);
  std::mt19937 random(7);
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    std::shuffle(order.begin(), order.end(), random);
    std::vector<FeatureView> views;
    std::vector<Participant> ordered;
    for (std::size_t i : order) {
      views.push_back(ViewOf(features[i]));
      ordered.push_back({i, {}});
    }
    std::vector<SamePair> every;
    for (std::uint32_t a = 0; a < views.size(); ++a)
      for (std::uint32_t b = a + 1; b < views.size(); ++b)
        if (const auto l = Match(views[a], views[b])) every.push_back({a, b, *l});
    std::vector<SamePair> joins;
    ASSERT_TRUE(JoinInKeepOrder(views, {}, 2, nullptr, {}, joins));
    EXPECT_EQ(GroupAroundKept(ordered, joins), GroupAroundKept(ordered, every));
  }
}

}  // namespace
}  // namespace pictray::similar
