#include "engine/similar/similar_groups.h"

#include <immintrin.h>

#include <algorithm>
#include <array>
#include <optional>
#include <tuple>

#include "engine/similar/parallel_for.h"

namespace pictray::similar {
namespace {

bool Closer(const dupes::Likeness& a, const dupes::Likeness& b) {
  if (a.correlation != b.correlation) return a.correlation > b.correlation;
  return a.distance < b.distance;
}

void AddWithCopies(dupes::TwinGroup& g, const Participant& p, const dupes::Likeness& likeness) {
  g.members.push_back({p.row, likeness});
  for (std::size_t copy : p.copies) g.members.push_back({copy, likeness});
}

// Pictures compared at once, each with the kept pictures before them all
// and with the earlier pictures among them; then settled in order.
constexpr std::size_t kBlock = 128;

// The hashes of the kept pictures, side by side for the scan: the whole
// pictures' and each crop's in an array of their own.
struct KeptHashes {
  std::vector<std::uint64_t> whole;
  std::array<std::vector<std::uint64_t>, kCropHashes> crops;
  std::vector<std::uint32_t> picture;  // its index in keep order
  void Add(const FeatureView& f, std::uint32_t k) {
    whole.push_back(f.hash);
    for (int m = 0; m < kCropHashes; ++m) crops[static_cast<std::size_t>(m)].push_back(f.cropHash[m]);
    picture.push_back(k);
  }
};

// HashesNear of picture `f` and kept picture t, branch-free: whole to
// whole within `radius`, whole to a crop and a crop to whole within `crop`.
[[gnu::always_inline]] inline bool NearBody(const FeatureView& f, const KeptHashes& kept, std::size_t t, int radius,
                                            int crop) {
  const std::uint64_t h = kept.whole[t];
  bool near = __builtin_popcountll(f.hash ^ h) <= radius;
  for (int m = 0; m < kCropHashes; ++m)
    near |= (__builtin_popcountll(f.hash ^ kept.crops[static_cast<std::size_t>(m)][t]) <= crop) |
            (__builtin_popcountll(f.cropHash[m] ^ h) <= crop);
  return near;
}

// The kept pictures [0, count) near `f`, in order, to `out`.
[[gnu::target("popcnt")]] void NearKeptPopcount(const FeatureView& f, const KeptHashes& kept, std::size_t count,
                                                int radius, int crop, std::vector<std::uint32_t>& out) {
  for (std::size_t t = 0; t < count; ++t)
    if (NearBody(f, kept, t, radius, crop)) out.push_back(static_cast<std::uint32_t>(t));
}
void NearKeptGeneric(const FeatureView& f, const KeptHashes& kept, std::size_t count, int radius, int crop,
                     std::vector<std::uint32_t>& out) {
  for (std::size_t t = 0; t < count; ++t)
    if (NearBody(f, kept, t, radius, crop)) out.push_back(static_cast<std::uint32_t>(t));
}

// Eight popcounts at once (AVX-512BW): nibbles looked up, bytes summed.
[[gnu::target("avx512f,avx512bw")]] inline __m512i Popcount8(__m512i x) {
  const __m512i lut = _mm512_set4_epi32(0x04030302, 0x03020201, 0x03020201, 0x02010100);
  const __m512i low = _mm512_set1_epi8(0x0F);
  const __m512i lo = _mm512_and_si512(x, low), hi = _mm512_and_si512(_mm512_srli_epi16(x, 4), low);
  const __m512i bytes = _mm512_add_epi8(_mm512_shuffle_epi8(lut, lo), _mm512_shuffle_epi8(lut, hi));
  return _mm512_sad_epu8(bytes, _mm512_setzero_si512());
}

[[gnu::target("avx512f,avx512bw,popcnt")]] void NearKeptVector(const FeatureView& f, const KeptHashes& kept,
                                                               std::size_t count, int radius, int crop,
                                                               std::vector<std::uint32_t>& out) {
  const __m512i q = _mm512_set1_epi64(static_cast<long long>(f.hash));
  __m512i qc[kCropHashes];
  for (int m = 0; m < kCropHashes; ++m) qc[m] = _mm512_set1_epi64(static_cast<long long>(f.cropHash[m]));
  const __m512i limit = _mm512_set1_epi64(radius), cropLimit = _mm512_set1_epi64(crop);
  std::size_t t = 0;
  for (; t + 8 <= count; t += 8) {
    const __m512i w = _mm512_loadu_si512(kept.whole.data() + t);
    __mmask8 near = _mm512_cmple_epu64_mask(Popcount8(_mm512_xor_si512(q, w)), limit);
    for (int m = 0; m < kCropHashes; ++m) {
      const __m512i c = _mm512_loadu_si512(kept.crops[static_cast<std::size_t>(m)].data() + t);
      near |= _mm512_cmple_epu64_mask(Popcount8(_mm512_xor_si512(q, c)), cropLimit);
      near |= _mm512_cmple_epu64_mask(Popcount8(_mm512_xor_si512(qc[m], w)), cropLimit);
    }
    for (unsigned bits = near; bits != 0; bits &= bits - 1)
      out.push_back(static_cast<std::uint32_t>(t + static_cast<std::size_t>(__builtin_ctz(bits))));
  }
  for (; t < count; ++t)
    if (NearBody(f, kept, t, radius, crop)) out.push_back(static_cast<std::uint32_t>(t));
}

using NearKeptFn = void (*)(const FeatureView&, const KeptHashes&, std::size_t, int, int, std::vector<std::uint32_t>&);
NearKeptFn ChooseNearKept() {
  __builtin_cpu_init();
  if (__builtin_cpu_supports("avx512bw")) return NearKeptVector;
  return __builtin_cpu_supports("popcnt") ? NearKeptPopcount : NearKeptGeneric;
}

// Flat pictures in keep order against the flat pictures kept.
void JoinFlat(const std::vector<FeatureView>& pictures, const std::vector<std::uint32_t>& flat,
              const MatchLimits& limits, std::vector<SamePair>& joins) {
  std::vector<std::uint32_t> kept;
  for (std::uint32_t k : flat) {
    std::optional<SamePair> best;
    // Both flat: Match's verdict by aspect and colours alone, without
    // measuring the flatness again for every pair.
    const FeatureView& f = pictures[k];
    for (std::uint32_t t : kept) {
      const FeatureView& e = pictures[t];
      const double ra = double(e.width) / e.height, rb = double(f.width) / f.height;
      if (std::max(ra / rb, rb / ra) > limits.aspect || ColourDifference(e, f, 0) > limits.colour ||
          LostItsColour(e, f, limits.chromaShare))
        continue;
      dupes::Likeness l;
      l.identical = false;
      l.distance = 0;
      if (!best || Closer(l, best->likeness)) best = SamePair{t, k, l};
    }
    if (best)
      joins.push_back(*best);
    else
      kept.push_back(k);
  }
}

}  // namespace

bool JoinInKeepOrder(const std::vector<FeatureView>& pictures, const MatchLimits& limits, unsigned threads,
                     dupes::AbortFlag abort, const std::function<void(std::size_t, std::size_t)>& progress,
                     std::vector<SamePair>& joins) {
  const std::size_t n = pictures.size();
  std::vector<std::uint32_t> flat, detailed;
  for (std::uint32_t k = 0; k < n; ++k) (IsFlat(pictures[k]) ? flat : detailed).push_back(k);
  JoinFlat(pictures, flat, limits, joins);
  std::size_t done = flat.size();
  if (progress) progress(done, n);

  static const NearKeptFn nearKept = ChooseNearKept();
  KeptHashes kept;
  // Per picture of a block: the best kept picture before the block, and the
  // earlier pictures of the block it is like.
  std::vector<std::optional<SamePair>> best(kBlock);
  std::vector<std::vector<SamePair>> inBlock(kBlock);
  std::vector<char> keeps(n, 0);
  for (std::size_t start = 0; start < detailed.size(); start += kBlock) {
    const std::size_t size = std::min(kBlock, detailed.size() - start);
    const std::size_t keptBefore = kept.whole.size();
    const bool complete = ParallelFor(
        size, threads, abort,
        [&](std::size_t b) {
          const std::uint32_t k = detailed[start + b];
          const FeatureView& f = pictures[k];
          best[b].reset();
          inBlock[b].clear();
          thread_local std::vector<std::uint32_t> near;
          near.clear();
          nearKept(f, kept, keptBefore, limits.hashRadius, limits.cropHashRadius, near);
          for (std::uint32_t t : near) {
            const std::uint32_t e = kept.picture[t];
            if (const auto l = Match(pictures[e], f, limits); l && (!best[b] || Closer(*l, best[b]->likeness)))
              best[b] = SamePair{e, k, *l};
          }
          for (std::size_t a = 0; a < b; ++a) {
            const std::uint32_t e = detailed[start + a];
            if (!HashesNear(pictures[e], f, limits)) continue;
            if (const auto l = Match(pictures[e], f, limits)) inBlock[b].push_back({e, k, *l});
          }
        },
        {});
    if (!complete) return false;
    for (std::size_t b = 0; b < size; ++b) {
      const std::uint32_t k = detailed[start + b];
      std::optional<SamePair> chosen = best[b];
      for (const SamePair& p : inBlock[b])
        if (keeps[p.earlier] && (!chosen || Closer(p.likeness, chosen->likeness))) chosen = p;
      if (chosen) {
        joins.push_back(*chosen);
      } else {
        keeps[k] = 1;
        kept.Add(pictures[k], k);
      }
    }
    done += size;
    if (progress) progress(done, n);
  }
  return !dupes::Aborted(abort);
}

std::vector<dupes::TwinGroup> GroupAroundKept(const std::vector<Participant>& ordered, std::vector<SamePair> pairs) {
  std::sort(pairs.begin(), pairs.end(), [](const SamePair& a, const SamePair& b) {
    return std::tie(a.later, a.earlier) < std::tie(b.later, b.earlier);
  });
  // joined[i]: the kept picture i joined, or nothing when i keeps a group.
  std::vector<std::optional<std::uint32_t>> joined(ordered.size());
  std::vector<dupes::Likeness> likeness(ordered.size());
  for (std::size_t p = 0; p < pairs.size();) {
    const std::uint32_t later = pairs[p].later;
    const SamePair* best = nullptr;
    for (; p < pairs.size() && pairs[p].later == later; ++p)
      if (!joined[pairs[p].earlier] && (!best || Closer(pairs[p].likeness, best->likeness))) best = &pairs[p];
    if (!best) continue;
    joined[later] = best->earlier;
    likeness[later] = best->likeness;
  }
  std::vector<dupes::TwinGroup> groups(ordered.size());
  for (std::uint32_t i = 0; i < ordered.size(); ++i)
    AddWithCopies(groups[joined[i].value_or(i)], ordered[i], joined[i] ? likeness[i] : dupes::Likeness{});
  std::erase_if(groups, [](const dupes::TwinGroup& g) { return g.members.size() < 2; });
  std::sort(groups.begin(), groups.end(),
            [](const dupes::TwinGroup& a, const dupes::TwinGroup& b) { return a.members[0].row < b.members[0].row; });
  return groups;
}

}  // namespace pictray::similar
