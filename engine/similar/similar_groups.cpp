#include "engine/similar/similar_groups.h"

#include <algorithm>
#include <optional>
#include <tuple>

#include "engine/similar/hash_scan.h"
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
// Pictures of a block scanned together, a share of the threads' work.
constexpr std::size_t kSlice = 16;

// Flat pictures in keep order against the flat pictures kept.
void JoinFlat(const std::vector<FeatureView>& pictures, const std::vector<PictureTraits>& traits,
              const std::vector<std::uint32_t>& flat, const MatchLimits& limits, std::vector<SamePair>& joins) {
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
          LostItsColour(traits[t].chroma, traits[k].chroma, limits.chromaShare))
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
  std::vector<PictureTraits> traits(n);
  if (!ParallelFor(n, threads, abort, [&](std::size_t k) { traits[k] = TraitsOf(pictures[k]); }, {})) return false;
  std::vector<std::uint32_t> flat, detailed;
  for (std::uint32_t k = 0; k < n; ++k) (traits[k].flat ? flat : detailed).push_back(k);
  JoinFlat(pictures, traits, flat, limits, joins);
  std::size_t done = flat.size();
  if (progress) progress(done, n);

  const ScanKernel kernel = FastestKernel();
  KeptHashes kept;
  std::vector<std::uint32_t> keptPicture;  // of each kept hash, its index in keep order
  // Per picture of a block: its features, the kept pictures before the
  // block near it, the best of them, and the earlier pictures of the block
  // it is like.
  std::vector<FeatureView> block(kBlock);
  std::vector<std::vector<std::uint32_t>> near(kBlock);
  std::vector<std::optional<SamePair>> best(kBlock);
  std::vector<std::vector<SamePair>> inBlock(kBlock);
  std::vector<char> keeps(n, 0);
  const auto compare = [&](std::size_t start, std::size_t b) {
    const std::uint32_t k = detailed[start + b];
    const FeatureView& f = pictures[k];
    best[b].reset();
    inBlock[b].clear();
    for (std::uint32_t t : near[b]) {
      const std::uint32_t e = keptPicture[t];
      if (const auto l = Match(pictures[e], traits[e], f, traits[k], limits);
          l && (!best[b] || Closer(*l, best[b]->likeness)))
        best[b] = SamePair{e, k, *l};
    }
    for (std::size_t a = 0; a < b; ++a) {
      const std::uint32_t e = detailed[start + a];
      if (!HashesNear(pictures[e], f, limits)) continue;
      if (const auto l = Match(pictures[e], traits[e], f, traits[k], limits)) inBlock[b].push_back({e, k, *l});
    }
  };
  for (std::size_t start = 0; start < detailed.size(); start += kBlock) {
    const std::size_t size = std::min(kBlock, detailed.size() - start);
    const std::size_t keptBefore = kept.size();
    for (std::size_t b = 0; b < size; ++b) block[b] = pictures[detailed[start + b]];
    const bool complete = ParallelFor(
        (size + kSlice - 1) / kSlice, threads, abort,
        [&](std::size_t slice) {
          const std::size_t from = slice * kSlice, count = std::min(kSlice, size - from);
          for (std::size_t b = from; b < from + count; ++b) near[b].clear();
          NearKept(kept, keptBefore, std::span(block).subspan(from, count), limits, kernel,
                   std::span(near).subspan(from, count));
          for (std::size_t b = from; b < from + count; ++b) compare(start, b);
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
        kept.Add(pictures[k]);
        keptPicture.push_back(k);
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
