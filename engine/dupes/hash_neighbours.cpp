#include "engine/dupes/hash_neighbours.h"

#include <immintrin.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace pictray::dupes {
namespace {

// A block of rows is a worker's unit: its hashes (2 KiB) stay in L1 while
// the later hashes stream past in tiles, so each tile is read from memory
// once per block rather than once per row.
constexpr std::size_t kBlockRows = 256;
// 16 KiB of column hashes: the tile and the block fit L1 together.
constexpr std::size_t kTileCols = 2048;

// Comparisons of rows [begin, end) with every later hash, of n.
std::size_t ComparisonsOfRows(std::size_t begin, std::size_t end, std::size_t n) {
  // Row i is compared with n - 1 - i hashes.
  const std::size_t first = n - 1 - begin, last = n - end;
  return (first + last) * (end - begin) / 2;
}

// Whether any of `cols` lies within `radius` bits of `row`: one pass with no
// branch, so that the tile streams past at the popcount's pace.
[[gnu::always_inline]] inline bool AnyNearScalar(std::uint64_t row, const std::uint64_t* cols, std::size_t n,
                                                 int radius) {
  bool any = false;
  for (std::size_t k = 0; k < n; ++k) any |= __builtin_popcountll(row ^ cols[k]) <= radius;
  return any;
}

// The same, eight hashes an instruction.
[[gnu::target("avx512f,avx512vpopcntdq")]] bool AnyNearVector(std::uint64_t row, const std::uint64_t* cols,
                                                              std::size_t n, int radius) {
  const __m512i r = _mm512_set1_epi64(static_cast<long long>(row));
  const __m512i limit = _mm512_set1_epi64(radius);
  __mmask8 any = 0;
  std::size_t k = 0;
  for (; k + 8 <= n; k += 8) {
    const __m512i bits = _mm512_popcnt_epi64(_mm512_xor_si512(r, _mm512_loadu_si512(cols + k)));
    any |= _mm512_cmple_epu64_mask(bits, limit);
  }
  return any != 0 || AnyNearScalar(row, cols + k, n - k, radius);
}

// Appends the pairs of rows [rowBegin, rowEnd) with columns [colBegin,
// colEnd), j > i only. A row is scanned a second time, for the pairs
// themselves, only when it has a neighbour in the tile, which for distinct
// pictures is rare. Inlined into one copy per instruction set: the default
// x86-64 target has no popcount instruction.
template <typename AnyNear>
[[gnu::always_inline]] inline void ScanTileBody(const std::uint64_t* h, std::size_t rowBegin, std::size_t rowEnd,
                                                std::size_t colBegin, std::size_t colEnd, int radius,
                                                std::vector<HashPair>& out, AnyNear anyNear) {
  for (std::size_t i = rowBegin; i < rowEnd; ++i) {
    const std::size_t from = std::max(colBegin, i + 1);
    const std::uint64_t a = h[i];
    if (from >= colEnd || !anyNear(a, h + from, colEnd - from, radius)) continue;
    for (std::size_t j = from; j < colEnd; ++j)
      if (__builtin_popcountll(a ^ h[j]) <= radius)
        out.emplace_back(static_cast<std::uint32_t>(i), static_cast<std::uint32_t>(j));
  }
}

using ScanTileFn = void (*)(const std::uint64_t*, std::size_t, std::size_t, std::size_t, std::size_t, int,
                            std::vector<HashPair>&);

[[gnu::target("avx512f,avx512vpopcntdq,popcnt")]] void ScanTileVectorPopcount(
    const std::uint64_t* h, std::size_t rowBegin, std::size_t rowEnd, std::size_t colBegin, std::size_t colEnd,
    int radius, std::vector<HashPair>& out) {
  ScanTileBody(h, rowBegin, rowEnd, colBegin, colEnd, radius, out, AnyNearVector);
}

[[gnu::target("popcnt")]] void ScanTilePopcount(const std::uint64_t* h, std::size_t rowBegin, std::size_t rowEnd,
                                                std::size_t colBegin, std::size_t colEnd, int radius,
                                                std::vector<HashPair>& out) {
  ScanTileBody(h, rowBegin, rowEnd, colBegin, colEnd, radius, out,
               [](std::uint64_t row, const std::uint64_t* cols, std::size_t n, int r) {
                 return AnyNearScalar(row, cols, n, r);
               });
}

void ScanTileGeneric(const std::uint64_t* h, std::size_t rowBegin, std::size_t rowEnd, std::size_t colBegin,
                     std::size_t colEnd, int radius, std::vector<HashPair>& out) {
  ScanTileBody(h, rowBegin, rowEnd, colBegin, colEnd, radius, out,
               [](std::uint64_t row, const std::uint64_t* cols, std::size_t n, int r) {
                 return AnyNearScalar(row, cols, n, r);
               });
}

// The widest copy this processor runs (this compiler's target_clones cannot
// name the vector popcount).
ScanTileFn ChooseScanTile() {
  __builtin_cpu_init();
  if (__builtin_cpu_supports("avx512vpopcntdq")) return ScanTileVectorPopcount;
  if (__builtin_cpu_supports("popcnt")) return ScanTilePopcount;
  return ScanTileGeneric;
}

// What the workers share.
struct Search {
  Search(const std::vector<std::uint64_t>& h, int r, AbortFlag a, std::size_t cap)
      : hashes(h), scan(ChooseScanTile()), radius(std::min(r, 64)), abort(a), maxPairs(cap),
        blocks((h.size() + kBlockRows - 1) / kBlockRows) {}
  const std::vector<std::uint64_t>& hashes;
  ScanTileFn scan;
  int radius;
  AbortFlag abort;
  std::size_t maxPairs;
  std::size_t blocks;
  std::atomic<std::size_t> nextBlock{0};
  std::atomic<std::size_t> found{0};
  std::atomic<bool> stop{false};
  std::mutex mutex;
  std::condition_variable changed;
  std::size_t done = 0;  // comparisons of finished blocks, under `mutex`
  unsigned running = 0;  // under `mutex`
};

// Takes blocks in order until none is left or the search stops. Early blocks
// are the longest, so the last ones handed out are short and the workers end
// close together.
void Work(Search& s, std::vector<HashPair>& out) {
  const std::size_t n = s.hashes.size();
  while (!s.stop.load(std::memory_order_relaxed)) {
    const std::size_t b = s.nextBlock.fetch_add(1, std::memory_order_relaxed);
    if (b >= s.blocks) break;
    const std::size_t rowBegin = b * kBlockRows, rowEnd = std::min(n, rowBegin + kBlockRows);
    for (std::size_t col = rowBegin + 1; col < n; col += kTileCols) {
      const std::size_t before = out.size();
      s.scan(s.hashes.data(), rowBegin, rowEnd, col, std::min(n, col + kTileCols), s.radius, out);
      const std::size_t total = s.found.fetch_add(out.size() - before, std::memory_order_relaxed) + out.size() - before;
      if (Aborted(s.abort) || total > s.maxPairs) s.stop.store(true, std::memory_order_relaxed);
      if (s.stop.load(std::memory_order_relaxed)) break;
    }
    if (s.stop.load(std::memory_order_relaxed)) break;
    const std::lock_guard lock(s.mutex);
    s.done += ComparisonsOfRows(rowBegin, rowEnd, n);
    s.changed.notify_one();
  }
  const std::lock_guard lock(s.mutex);
  --s.running;
  s.changed.notify_one();
}

// Reports progress on the caller's thread until every worker has ended; the
// last report comes after the end.
void AwaitWorkers(Search& s, std::size_t total, const std::function<void(std::size_t, std::size_t)>& progress) {
  std::unique_lock lock(s.mutex);
  std::size_t told = 0;
  bool ended = false;
  while (!ended) {
    s.changed.wait(lock, [&] { return s.running == 0 || s.done != told; });
    told = s.done;
    ended = s.running == 0;
    if (!progress) continue;
    lock.unlock();
    progress(told, total);
    lock.lock();
  }
}

}  // namespace

std::vector<HashPair> HashNeighbours(const std::vector<std::uint64_t>& hashes, int radius, unsigned threads,
                                     AbortFlag abort,
                                     const std::function<void(std::size_t done, std::size_t total)>& progress,
                                     std::size_t maxPairs) {
  const std::size_t n = hashes.size();
  if (n < 2 || radius < 0) return {};
  Search s(hashes, radius, abort, maxPairs);
  const unsigned workers = static_cast<unsigned>(std::clamp<std::size_t>(threads, 1, s.blocks));
  s.running = workers;
  std::vector<std::vector<HashPair>> found(workers);
  {
    std::vector<std::jthread> pool;
    pool.reserve(workers);
    for (unsigned w = 0; w < workers; ++w) pool.emplace_back([&s, &out = found[w]] { Work(s, out); });
    AwaitWorkers(s, n * (n - 1) / 2, progress);
  }
  if (Aborted(abort)) return {};
  std::vector<HashPair> pairs;
  for (auto& part : found) pairs.insert(pairs.end(), part.begin(), part.end());
  std::sort(pairs.begin(), pairs.end());
  if (maxPairs != kAllPairs && pairs.size() > maxPairs + 1) pairs.resize(maxPairs + 1);
  return pairs;
}

}  // namespace pictray::dupes
