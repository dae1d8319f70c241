#include <gtest/gtest.h>

#include <atomic>
#include <bit>
#include <random>

#include "engine/dupes/hash_neighbours.h"

namespace pictray::dupes {
namespace {

std::vector<HashPair> Naive(const std::vector<std::uint64_t>& h, int radius) {
  std::vector<HashPair> pairs;
  for (std::uint32_t i = 0; i < h.size(); ++i)
    for (std::uint32_t j = i + 1; j < h.size(); ++j)
      if (std::popcount(h[i] ^ h[j]) <= radius) pairs.emplace_back(i, j);
  return pairs;
}

// `n` random hashes; every `every`-th one (when not 0) is an earlier one
// with `flips` bits changed, so that near pairs cross blocks and tiles.
std::vector<std::uint64_t> Hashes(std::size_t n, std::size_t every, int flips) {
  std::mt19937_64 rng(n * 31 + every);
  std::vector<std::uint64_t> h(n);
  for (std::size_t i = 0; i < n; ++i) {
    h[i] = rng();
    if (every == 0 || i == 0 || i % every != 0) continue;
    h[i] = h[rng() % i];
    for (int f = 0; f < flips; ++f) h[i] ^= std::uint64_t{1} << (rng() % 64);
  }
  return h;
}

struct Case {
  const char* name;
  std::vector<std::uint64_t> hashes;
  int radius;
  unsigned threads;
};

TEST(HashNeighbours, FindsWhatTheDoubleLoopFinds) {
  const Case cases[] = {
      {"none", {}, 64, 2},
      {"one", {7}, 64, 2},
      {"radius 0 finds equal hashes only", {5, 5, 4, 5, 0}, 0, 2},
      {"negative radius finds nothing", {5, 5}, -1, 2},
      {"radius 64 pairs everything", Hashes(300, 0, 0), 64, 2},
      {"radius past 64 pairs everything", {0, ~std::uint64_t{0}, 1}, 100, 2},
      {"all duplicates", std::vector<std::uint64_t>(600, 42), 0, 2},
      {"one thread", Hashes(3000, 7, 3), 6, 1},
      {"more threads than hashes", Hashes(5, 2, 1), 2, 16},
      {"zero threads still run", Hashes(50, 3, 2), 4, 0},
      {"near pairs across blocks and tiles", Hashes(5000, 5, 4), 8, 3},
      {"unequal last block", Hashes(2049 + 256 + 1, 3, 0), 0, 2},
  };
  for (const Case& c : cases) {
    std::size_t lastDone = 0, lastTotal = 0;
    const auto got = HashNeighbours(c.hashes, c.radius, c.threads, nullptr, [&](std::size_t done, std::size_t total) {
      EXPECT_GE(done, lastDone) << c.name;
      lastDone = done;
      lastTotal = total;
    });
    EXPECT_EQ(got, Naive(c.hashes, c.radius)) << c.name;
    const std::size_t n = c.hashes.size();
    if (n >= 2 && c.radius >= 0) {
      EXPECT_EQ(lastDone, n * (n - 1) / 2) << c.name;
    }
    EXPECT_EQ(lastTotal, lastDone) << c.name;
  }
}

TEST(HashNeighbours, AnAbortedSearchEndsEarlyWithNothing) {
  const auto hashes = Hashes(20000, 2, 1);
  for (const bool before : {true, false}) {
    std::atomic<int> abort{before ? 1 : 0};
    std::size_t calls = 0;
    const auto got = HashNeighbours(hashes, 4, 2, &abort, [&](std::size_t, std::size_t) {
      ++calls;
      abort = 1;
    });
    EXPECT_TRUE(got.empty()) << before;
    EXPECT_LE(calls, 3u) << before;  // a worker stops within its block; the other may end one more
  }
}

TEST(HashNeighbours, MorePairsThanTheCapReturnOneMoreThanTheCap) {
  const auto hashes = Hashes(1500, 2, 1);
  const auto all = Naive(hashes, 64);
  for (const std::size_t cap : {std::size_t{0}, std::size_t{10}, all.size() - 1, all.size()}) {
    const auto got = HashNeighbours(hashes, 64, 2, nullptr, {}, cap);
    EXPECT_EQ(got.size(), std::min(cap + 1, all.size())) << cap;
    EXPECT_TRUE(std::is_sorted(got.begin(), got.end())) << cap;
    for (const HashPair& p : got) EXPECT_TRUE(std::binary_search(all.begin(), all.end(), p)) << cap;
  }
}

}  // namespace
}  // namespace pictray::dupes
