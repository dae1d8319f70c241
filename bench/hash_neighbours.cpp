// The similar-picture candidates: nanoseconds of wall time per comparison of
// two random 64-bit hashes. At radius 10 a million such hashes give about
// 5,000 pairs (the comparisons alone); at radius 20 one comparison in 540 is a
// pair (9 million of 100,000 hashes), which shows what collecting them costs.
// Usage: bench_hash_neighbours [--benchmark_filter=...]
#include <benchmark/benchmark.h>

#include <random>

#include "engine/dupes/hash_neighbours.h"

namespace {

void BM_HashNeighbours(benchmark::State& state) {
  const auto n = static_cast<std::size_t>(state.range(0));
  const auto threads = static_cast<unsigned>(state.range(1));
  const auto radius = static_cast<int>(state.range(2));
  std::mt19937_64 rng(n);
  std::vector<std::uint64_t> hashes(n);
  for (std::uint64_t& h : hashes) h = rng();
  std::size_t pairs = 0;
  for (auto _ : state) pairs = pictray::dupes::HashNeighbours(hashes, radius, threads).size();
  const double comparisons = static_cast<double>(n) * static_cast<double>(n - 1) / 2;
  // Seconds per 1e9 comparisons (printed with an "s") are nanoseconds per
  // comparison.
  state.counters["ns_per_comparison"] =
      benchmark::Counter(comparisons / 1e9, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
  state.counters["pairs"] = static_cast<double>(pairs);
}
BENCHMARK(BM_HashNeighbours)->ArgNames({"hashes", "threads", "radius"})
    ->Args({100'000, 2, 10})
    ->Args({100'000, 2, 20})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_HashNeighbours)->ArgNames({"hashes", "threads", "radius"})
    ->Args({1'000'000, 2, 10})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
