// The scan for near hashes and the join in keep order, over features as
// the store packs them, against the plain comparison of every pair, on
// made-up features (no drawing, small thumbnails: quick under the
// sanitizers): hashes spread at random, hashes crowded round a few, flat
// pictures, one picture saved many times. And the packing of thumbnails.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <random>
#include <tuple>
#include <vector>

#include "engine/similar/feature_store.h"
#include "engine/similar/hash_scan.h"
#include "engine/similar/picture_match.h"
#include "engine/similar/similar_groups.h"

namespace pictray::similar {
namespace {

// `h` with `bits` of its bits, chosen at random, turned over.
std::uint64_t Flip(std::uint64_t h, int bits, std::mt19937_64& random) {
  for (int i = 0; i < bits; ++i) h ^= std::uint64_t{1} << (random() % 64);
  return h;
}

// `count` features: `centres` originals, each picture one of them with its
// hashes up to `spread` bits away; with `flat`, the thumbnails of one grey.
std::vector<PictureFeatures> MakeFeatures(std::size_t count, std::size_t centres, int spread, bool flat,
                                          unsigned seed) {
  std::mt19937_64 random(seed);
  std::vector<PictureFeatures> originals(centres);
  for (PictureFeatures& o : originals) {
    // Crops near the whole, as a picture's are, so that every kind of
    // pair falls on both sides of the radii.
    o.hash = random();
    for (auto& c : o.cropHash) c = Flip(o.hash, spread == 0 ? 32 : static_cast<int>(random() % (spread + 1)), random);
    for (auto& c : o.colour) c = static_cast<std::uint8_t>(random() % (flat ? 8 : 256));
    o.width = 8;
    o.height = 6;
    for (std::size_t i = 0; i < 48; ++i) o.grey[i] = static_cast<std::uint8_t>(flat ? 90 : random() % 256);
  }
  std::vector<PictureFeatures> out(count);
  for (PictureFeatures& f : out) {
    f = originals[random() % centres];
    f.hash = Flip(f.hash, static_cast<int>(random() % (spread + 1)), random);
    for (auto& c : f.cropHash) c = Flip(c, static_cast<int>(random() % (spread + 1)), random);
    // Now and then brighter, or another size of thumbnail.
    if (random() % 4 == 0)
      for (auto& c : f.colour) c = static_cast<std::uint8_t>(std::min(255, c + 20));
    if (random() % 5 == 0) f.height = 5;
  }
  return out;
}

std::vector<FeatureView> ViewsOf(const std::vector<PictureFeatures>& made) {
  std::vector<FeatureView> views;
  for (const PictureFeatures& f : made) views.push_back(ViewOf(f));
  return views;
}

struct Crowd {
  const char* name;
  std::size_t count, centres;
  int spread;
  bool flat;
};

const Crowd kCrowds[] = {
    {"hashes at random", 1600, 1600, 0, false},
    {"a crowd round a few hashes", 2600, 6, 14, false},
    {"one picture saved many times", 800, 1, 3, false},
    {"flat pictures of a few greys", 400, 4, 20, true},
};

// Radii as searched, and a crop radius above the whole one.
std::vector<MatchLimits> ScanRadii() {
  MatchLimits wideCrops;
  wideCrops.hashRadius = 10;
  wideCrops.cropHashRadius = 14;
  return {MatchLimits{}, wideCrops};
}

// Every kernel finds what HashesNear says of every pair, across chunks
// and at counts that are no multiple of eight.
TEST(SimilarScan, NearKeptIsHashesNearOfEveryPair) {
  for (const MatchLimits& limits : ScanRadii())
  for (const Crowd& crowd : kCrowds) {
    SCOPED_TRACE(crowd.name + std::string(" radii ") + std::to_string(limits.hashRadius) + "/" +
                 std::to_string(limits.cropHashRadius));
    const std::vector<PictureFeatures> made = MakeFeatures(crowd.count, crowd.centres, crowd.spread, crowd.flat, 11);
    const std::vector<FeatureView> views = ViewsOf(made);
    const std::size_t queries = 37, keptCount = views.size() - queries - 3;
    KeptHashes kept;
    for (std::size_t t = 0; t < views.size() - queries; ++t) kept.Add(views[t]);
    const std::span<const FeatureView> asked(views.data() + views.size() - queries, queries);
    std::vector<std::vector<std::uint32_t>> expected(queries);
    for (std::size_t q = 0; q < queries; ++q)
      for (std::uint32_t t = 0; t < keptCount; ++t)
        if (HashesNear(asked[q], views[t], limits)) expected[q].push_back(t);
    for (ScanKernel kernel : {ScanKernel::Plain, ScanKernel::Popcount, ScanKernel::Avx2, ScanKernel::Avx512}) {
      if (!Supported(kernel)) continue;
      SCOPED_TRACE(static_cast<int>(kernel));
      std::vector<std::vector<std::uint32_t>> found(queries);
      NearKept(kept, keptCount, asked, limits, kernel, found);
      EXPECT_EQ(found, expected);
    }
  }
}

// The joins of the plain scan: each picture in keep order against every
// kept picture before it, joining the closest it is like.
std::vector<SamePair> JoinsOfPlainScan(const std::vector<FeatureView>& pictures, const MatchLimits& limits) {
  std::vector<SamePair> joins;
  std::vector<std::uint32_t> kept;
  for (std::uint32_t k = 0; k < pictures.size(); ++k) {
    std::optional<SamePair> best;
    for (std::uint32_t e : kept) {
      const auto l = Match(pictures[e], pictures[k], limits);
      if (!l) continue;
      const bool closer = !best || l->correlation > best->likeness.correlation ||
                          (l->correlation == best->likeness.correlation && l->distance < best->likeness.distance);
      if (closer) best = SamePair{e, k, *l};
    }
    if (best)
      joins.push_back(*best);
    else
      kept.push_back(k);
  }
  return joins;
}

TEST(SimilarScan, JoinInKeepOrderIsThePlainScan) {
  const MatchLimits limits;
  for (const Crowd& crowd : kCrowds) {
    SCOPED_TRACE(crowd.name);
    const std::vector<PictureFeatures> made = MakeFeatures(crowd.count / 4, crowd.centres, crowd.spread, crowd.flat, 5);
    const std::vector<FeatureView> views = ViewsOf(made);
    FeatureStore store(made.size());
    for (const PictureFeatures& f : made) store.Add(f);
    std::vector<FeatureView> packed;
    for (std::uint32_t i = 0; i < made.size(); ++i) packed.push_back(store.View(i));
    std::vector<SamePair> joins;
    ASSERT_TRUE(JoinInKeepOrder(packed, limits, 2, nullptr, {}, joins));
    const auto key = [](const SamePair& p) { return std::tuple(p.later, p.earlier); };
    std::sort(joins.begin(), joins.end(), [&](const SamePair& a, const SamePair& b) { return key(a) < key(b); });
    const std::vector<SamePair> expected = JoinsOfPlainScan(views, limits);
    ASSERT_EQ(joins.size(), expected.size());
    for (std::size_t i = 0; i < joins.size(); ++i) {
      EXPECT_EQ(key(joins[i]), key(expected[i]));
      EXPECT_EQ(joins[i].likeness, expected[i].likeness);
    }
  }
}

// The bound Match rules pairs out by never passes the difference itself,
// whatever the colours and the brightness allowed.
TEST(SimilarScan, ColourBoundIsAtMostTheDifference) {
  std::mt19937_64 random(9);
  for (int round = 0; round < 2000; ++round) {
    PictureFeatures a, b;
    for (std::size_t i = 0; i < a.colour.size(); ++i) {
      a.colour[i] = static_cast<std::uint8_t>(random() % 256);
      // Now unlike, now brighter or darker, now nearly the same.
      const int kind = round % 3;
      const int v = kind == 0 ? static_cast<int>(random() % 256)
                              : a.colour[i] + (kind == 1 ? 40 : -3) + static_cast<int>(random() % 9) - 4;
      b.colour[i] = static_cast<std::uint8_t>(std::clamp(v, 0, 255));
    }
    const PictureTraits ta = TraitsOf(ViewOf(a)), tb = TraitsOf(ViewOf(b));
    for (int shift : {0, kBrightnessShift})
      ASSERT_LE(ColourDifferenceAtLeast(ta, tb, shift), ColourDifference(ViewOf(a), ViewOf(b), shift)) << round;
  }
}

TEST(SimilarScan, GreysPackWithoutLoss) {
  std::mt19937_64 random(3);
  const struct {
    const char* name;
    int width, height;
    std::function<int(int, int)> level;
  } cases[] = {
      {"one pixel", 1, 1, [](int, int) { return 200; }},
      {"a smooth slope", 48, 36, [](int x, int y) { return 40 + x * 3 + y; }},
      {"edges of black and white", 48, 36, [](int x, int y) { return (x / 3 + y / 5) % 2 ? 255 : 0; }},
      {"noise", 36, 48, [&](int, int) { return static_cast<int>(random() % 256); }},
      {"one column", 1, 48, [](int, int y) { return 255 - y * 5; }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    GreyRoom grey{}, back{};
    for (int y = 0; y < c.height; ++y)
      for (int x = 0; x < c.width; ++x)
        grey[static_cast<std::size_t>(y * c.width + x)] = static_cast<std::uint8_t>(c.level(x, y));
    std::vector<std::uint8_t> packed{0x5A};  // appended after what was there
    PackGrey(grey.data(), c.width, c.height, packed);
    UnpackGrey(packed.data() + 1, c.width, c.height, back.data());
    EXPECT_EQ(back, grey);
    EXPECT_EQ(packed[0], 0x5A);
  }
}

}  // namespace
}  // namespace pictray::similar
