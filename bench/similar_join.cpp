// The comparison of the search for the same picture alone, at scales no
// folder on this machine reaches: COUNT pictures drawn in memory as
// bench_make_pictures draws them (a window each far out in one smooth
// field, 1% of them again at three quarters of the size), or with --tiles
// the tiles of one texture, measured without files, put in keep order and
// joined. Prints the time of the join and how many planted pairs joined.
// The features are kept in FEATURES (made once, read on later runs).
// Usage: bench_similar_join COUNT FEATURES [--tiles] [--threads N]
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <ctime>
#include <thread>
#include <vector>

#include "engine/similar/feature_store.h"
#include "engine/similar/similar_groups.h"
#include "tests/support/scene.h"

namespace {

using namespace pictray;
using namespace pictray::similar;

// The red, green and blue planes of a drawn window.
std::array<Plane, 3> PlanesOf(const testing::Rgb8& p) {
  std::array<Plane, 3> rgb;
  for (int c = 0; c < 3; ++c) {
    rgb[c] = {p.width, p.height, std::vector<float>(static_cast<std::size_t>(p.width) * p.height)};
    for (std::size_t i = 0; i < rgb[c].v.size(); ++i) rgb[c].v[i] = p.px[i * 3 + c];
  }
  return rgb;
}

// Picture i of the set: its window in the field (the planted copy of i is
// picture count + i / 100 and draws the same window smaller).
PictureFeatures Draw(long i, long count, bool tiles) {
  const long columns = std::max(1L, static_cast<long>(std::sqrt(double(count))));
  if (tiles) {
    const double tu = double(i % columns), tv = double(i / columns) * 0.75;
    return FeaturesOf(PlanesOf(testing::Scene(7, 4, 1.8).Render(64, 48, tu, tv, 1.0, 0.75)));
  }
  const bool copy = i >= count;
  const long n = copy ? (i - count) * 100 : i;
  std::uint64_t z = static_cast<std::uint64_t>(n) * 0x9E3779B97F4A7C15ull + 0x632BE59BD9B4E019ull;
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  z ^= z >> 31;
  const double u = double(z & 0xFFFFF), v = double((z >> 20) & 0xFFFFF);
  const testing::Scene field(0x5EED, 4, 1.8);
  return FeaturesOf(PlanesOf(copy ? field.Render(48, 36, u, v, 1.0, 0.75) : field.Render(64, 48, u, v, 1.0, 0.75)));
}

std::vector<PictureFeatures> DrawAll(long total, long count, bool tiles) {
  std::vector<PictureFeatures> out(static_cast<std::size_t>(total));
  std::atomic<long> next{0};
  const auto work = [&] {
    for (long i; (i = next.fetch_add(1)) < total;) out[static_cast<std::size_t>(i)] = Draw(i, count, tiles);
  };
  std::vector<std::thread> pool;
  for (unsigned t = 1; t < std::max(1u, std::thread::hardware_concurrency()); ++t) pool.emplace_back(work);
  work();
  for (std::thread& t : pool) t.join();
  return out;
}

bool Load(const std::string& path, std::size_t total, std::vector<PictureFeatures>& out) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  out.resize(total);
  const bool whole = std::fread(out.data(), sizeof(PictureFeatures), total, f) == total;
  std::fclose(f);
  return whole;
}

bool Save(const std::string& path, const std::vector<PictureFeatures>& features) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const bool whole = std::fwrite(features.data(), sizeof(PictureFeatures), features.size(), f) == features.size();
  return std::fclose(f) == 0 && whole;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s COUNT FEATURES [--tiles] [--threads N]\n", argv[0]);
    return 2;
  }
  const long count = std::atol(argv[1]);
  const std::string file = argv[2];
  bool tiles = false;
  unsigned threads = 2;
  for (int i = 3; i < argc; ++i) {
    if (std::strcmp(argv[i], "--tiles") == 0) tiles = true;
    else if (std::strcmp(argv[i], "--threads") == 0 && i + 1 < argc)
      threads = static_cast<unsigned>(std::atoi(argv[++i]));
    else return 2;
  }
  const long planted = tiles ? 0 : count / 100;
  const long total = count + planted;
  std::vector<PictureFeatures> drawn;
  if (!Load(file, static_cast<std::size_t>(total), drawn)) {
    drawn = DrawAll(total, count, tiles);
    if (!Save(file, drawn)) std::fprintf(stderr, "could not keep the features in %s\n", file.c_str());
  }
  // Packed as a search holds them, the larger pictures first (a keep
  // order by pixel size), each copy after its original.
  FeatureStore store(static_cast<std::size_t>(total));
  for (const PictureFeatures& f : drawn) store.Add(f);
  drawn = {};
  std::vector<FeatureView> views(static_cast<std::size_t>(total));
  for (long i = 0; i < total; ++i) {
    views[static_cast<std::size_t>(i)] = store.View(static_cast<std::uint32_t>(i));
    views[static_cast<std::size_t>(i)].shownWidth = i < count ? 128 : 96;
    views[static_cast<std::size_t>(i)].shownHeight = i < count ? 96 : 72;
  }
  const std::clock_t cpu = std::clock();
  const auto start = std::chrono::steady_clock::now();
  std::vector<SamePair> joins;
  if (!JoinInKeepOrder(views, {}, threads, nullptr, {}, joins)) return 1;
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const double cpuSeconds = double(std::clock() - cpu) / CLOCKS_PER_SEC;
  long found = 0;
  for (const SamePair& p : joins)
    if (p.later >= count && p.earlier == (p.later - count) * 100) ++found;
  std::printf("%ld pictures: joined in %.2f s (CPU %.2f s), %zu joins, planted pairs found %ld of %ld\n", total,
              seconds, cpuSeconds, joins.size(), found, planted);
  return 0;
}
