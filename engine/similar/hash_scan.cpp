#include "engine/similar/hash_scan.h"

#include <immintrin.h>

#include <algorithm>

namespace pictray::similar {
namespace {

// Kept pictures scanned for every query before the next: their hashes
// (48 bytes each) stay in the core's cache while all queries read them.
constexpr std::size_t kChunk = 2048;

using Kernel = void (*)(const FeatureView&, const KeptHashes&, std::size_t, std::size_t, int, int,
                        std::vector<std::uint32_t>&);

// HashesNear of picture `f` and kept picture t, branch-free.
[[gnu::always_inline]] inline bool NearBody(const FeatureView& f, const KeptHashes& kept, std::size_t t, int radius,
                                            int crop) {
  const std::uint64_t h = kept.whole[t];
  bool near = __builtin_popcountll(f.hash ^ h) <= radius;
  for (int m = 0; m < kCropHashes; ++m)
    near |= (__builtin_popcountll(f.hash ^ kept.crops[static_cast<std::size_t>(m)][t]) <= crop) |
            (__builtin_popcountll(f.cropHash[m] ^ h) <= crop);
  return near;
}

void NearPlain(const FeatureView& f, const KeptHashes& kept, std::size_t from, std::size_t to, int radius, int crop,
               std::vector<std::uint32_t>& out) {
  for (std::size_t t = from; t < to; ++t)
    if (NearBody(f, kept, t, radius, crop)) out.push_back(static_cast<std::uint32_t>(t));
}

[[gnu::target("popcnt")]] void NearPopcount(const FeatureView& f, const KeptHashes& kept, std::size_t from,
                                            std::size_t to, int radius, int crop, std::vector<std::uint32_t>& out) {
  for (std::size_t t = from; t < to; ++t)
    if (NearBody(f, kept, t, radius, crop)) out.push_back(static_cast<std::uint32_t>(t));
}

// Four popcounts at once (AVX2): nibbles looked up, bytes summed.
[[gnu::target("avx2")]] inline __m256i Popcount4(__m256i x) {
  const __m256i lut = _mm256_setr_epi8(0, 1, 1, 2, 1, 2, 2, 3, 1, 2, 2, 3, 2, 3, 3, 4, 0, 1, 1, 2, 1, 2, 2, 3, 1, 2, 2,
                                       3, 2, 3, 3, 4);
  const __m256i low = _mm256_set1_epi8(0x0F);
  const __m256i lo = _mm256_and_si256(x, low), hi = _mm256_and_si256(_mm256_srli_epi16(x, 4), low);
  const __m256i bytes = _mm256_add_epi8(_mm256_shuffle_epi8(lut, lo), _mm256_shuffle_epi8(lut, hi));
  return _mm256_sad_epu8(bytes, _mm256_setzero_si256());
}

// The scan four kept pictures at a time.
[[gnu::target("avx2,popcnt")]] void NearAvx2(const FeatureView& f, const KeptHashes& kept, std::size_t from,
                                             std::size_t to, int radius, int crop, std::vector<std::uint32_t>& out) {
  const __m256i q = _mm256_set1_epi64x(static_cast<long long>(f.hash));
  __m256i qc[kCropHashes];
  for (int m = 0; m < kCropHashes; ++m) qc[m] = _mm256_set1_epi64x(static_cast<long long>(f.cropHash[m]));
  // Counts below these are near.
  const __m256i above = _mm256_set1_epi64x(radius + 1), cropAbove = _mm256_set1_epi64x(crop + 1);
  std::size_t t = from;
  for (; t + 4 <= to; t += 4) {
    const __m256i w = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(kept.whole.data() + t));
    __m256i near = _mm256_cmpgt_epi64(above, Popcount4(_mm256_xor_si256(q, w)));
    for (int m = 0; m < kCropHashes; ++m) {
      const __m256i c =
          _mm256_loadu_si256(reinterpret_cast<const __m256i*>(kept.crops[static_cast<std::size_t>(m)].data() + t));
      near = _mm256_or_si256(near, _mm256_cmpgt_epi64(cropAbove, Popcount4(_mm256_xor_si256(q, c))));
      near = _mm256_or_si256(near, _mm256_cmpgt_epi64(cropAbove, Popcount4(_mm256_xor_si256(qc[m], w))));
    }
    for (unsigned bits = static_cast<unsigned>(_mm256_movemask_pd(_mm256_castsi256_pd(near))); bits != 0;
         bits &= bits - 1)
      out.push_back(static_cast<std::uint32_t>(t + static_cast<std::size_t>(__builtin_ctz(bits))));
  }
  for (; t < to; ++t)
    if (NearBody(f, kept, t, radius, crop)) out.push_back(static_cast<std::uint32_t>(t));
}

// The bits apart of eight pairs of hashes.
[[gnu::target("avx512f,avx512vpopcntdq")]] inline __m512i Apart8(__m512i a, __m512i b) {
  return _mm512_popcnt_epi64(_mm512_xor_si512(a, b));
}

// The lesser of each pair of signed lanes (the zeroing form: the plain one
// warns of an undefined register it never reads).
[[gnu::target("avx512f")]] inline __m512i Least8(__m512i a, __m512i b) {
  return _mm512_maskz_min_epi64(static_cast<__mmask8>(0xFF), a, b);
}

// The scan eight kept pictures at a time. The crop distances share one
// limit, so their least, moved onto the whole hashes' limit, joins the
// whole distance in one compare.
[[gnu::target("avx512f,avx512vpopcntdq,popcnt")]] void NearAvx512(const FeatureView& f, const KeptHashes& kept,
                                                                  std::size_t from, std::size_t to, int radius,
                                                                  int crop, std::vector<std::uint32_t>& out) {
  const __m512i q = _mm512_set1_epi64(static_cast<long long>(f.hash));
  __m512i qc[kCropHashes];
  for (int m = 0; m < kCropHashes; ++m) qc[m] = _mm512_set1_epi64(static_cast<long long>(f.cropHash[m]));
  const __m512i limit = _mm512_set1_epi64(radius), toRadius = _mm512_set1_epi64(radius - crop);
  // Held here, not read through the vectors on every step.
  const std::uint64_t* crops[kCropHashes];
  for (int m = 0; m < kCropHashes; ++m) crops[m] = kept.crops[static_cast<std::size_t>(m)].data();
  std::size_t t = from;
  for (; t + 8 <= to; t += 8) {
    const __m512i w = _mm512_loadu_si512(kept.whole.data() + t);
    __m512i least = Apart8(qc[0], w);
#pragma GCC unroll 8
    for (int m = 0; m < kCropHashes; ++m) {
      least = Least8(least, Apart8(q, _mm512_loadu_si512(crops[m] + t)));
      if (m > 0) least = Least8(least, Apart8(qc[m], w));
    }
    // least <= crop exactly when least + (radius - crop) <= radius (signed:
    // the shift may be negative).
    least = Least8(Apart8(q, w), _mm512_add_epi64(least, toRadius));
    const __mmask8 near = _mm512_cmple_epi64_mask(least, limit);
    for (unsigned bits = near; bits != 0; bits &= bits - 1)
      out.push_back(static_cast<std::uint32_t>(t + static_cast<std::size_t>(__builtin_ctz(bits))));
  }
  for (; t < to; ++t)
    if (NearBody(f, kept, t, radius, crop)) out.push_back(static_cast<std::uint32_t>(t));
}

Kernel KernelOf(ScanKernel kernel) {
  switch (kernel) {
    case ScanKernel::Popcount:
      return NearPopcount;
    case ScanKernel::Avx2:
      return NearAvx2;
    case ScanKernel::Avx512:
      return NearAvx512;
    case ScanKernel::Plain:
      break;
  }
  return NearPlain;
}

}  // namespace

void KeptHashes::Add(const FeatureView& f) {
  whole.push_back(f.hash);
  for (int m = 0; m < kCropHashes; ++m) crops[static_cast<std::size_t>(m)].push_back(f.cropHash[m]);
}

bool Supported(ScanKernel kernel) {
  __builtin_cpu_init();
  switch (kernel) {
    case ScanKernel::Popcount:
      return __builtin_cpu_supports("popcnt");
    case ScanKernel::Avx2:
      return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("popcnt");
    case ScanKernel::Avx512:
      return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512vpopcntdq") &&
             __builtin_cpu_supports("popcnt");
    case ScanKernel::Plain:
      break;
  }
  return true;
}

ScanKernel FastestKernel() {
  for (ScanKernel k : {ScanKernel::Avx512, ScanKernel::Avx2, ScanKernel::Popcount})
    if (Supported(k)) return k;
  return ScanKernel::Plain;
}

void NearKept(const KeptHashes& kept, std::size_t count, std::span<const FeatureView> queries,
              const MatchLimits& limits, ScanKernel kernel, std::span<std::vector<std::uint32_t>> near) {
  const Kernel scan = KernelOf(kernel);
  for (std::size_t from = 0; from < count; from += kChunk) {
    const std::size_t to = std::min(count, from + kChunk);
    for (std::size_t q = 0; q < queries.size(); ++q)
      scan(queries[q], kept, from, to, limits.hashRadius, limits.cropHashRadius, near[q]);
  }
}

}  // namespace pictray::similar
