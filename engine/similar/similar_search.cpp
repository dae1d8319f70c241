#include "engine/similar/similar_search.h"

#include <algorithm>
#include <mutex>
#include <numeric>
#include <optional>
#include <string_view>
#include <unordered_map>

#include "engine/dupes/groups.h"
#include "engine/dupes/hash_neighbours.h"
#include "engine/dupes/keep_rule.h"
#include "engine/fs/memory_budget.h"
#include "engine/similar/feature_cache.h"
#include "engine/similar/parallel_for.h"
#include "engine/similar/picture_shape.h"
#include "engine/similar/similar_groups.h"

namespace pictray::similar {
namespace {

// Candidate pairs kept at most per picture on average: pictures whose
// hashes crowd together (flat, dark) cost memory and comparisons beyond it.
constexpr std::size_t kPairsPerPicture = 64;
constexpr std::size_t kFewestPairsKept = 1 << 20;

Measured MeasureFile(const fs::Env& env, const ThumbnailCalls& lib, const std::string& path) {
  Measured m;
  m.shape = ReadPictureShape(env, path);
  if (m.shape.picture)
    m.features = MeasurePicture(lib, path, m.shape.storedWidth, m.shape.storedHeight, m.shape.orientation);
  return m;
}

// The rows that take part (no exact copy of another, no companion of a
// picture: a sidecar's thumbnail is never a picture of its own), each with
// its copies.
std::vector<Participant> ParticipantsOf(const std::vector<dupes::FileRec>& lpData) {
  std::vector<Participant> out;
  std::unordered_map<std::string_view, std::size_t> byPath;
  for (std::size_t i = 0; i < lpData.size(); ++i)
    if (lpData[i].groupable && lpData[i].keptPath.empty() && !dupes::IsCompanion(lpData[i])) {
      byPath.emplace(lpData[i].path, out.size());
      out.push_back({i, {}});
    }
  for (std::size_t i = 0; i < lpData.size(); ++i) {
    if (!lpData[i].groupable || lpData[i].keptPath.empty()) continue;
    if (const auto kept = byPath.find(lpData[i].keptPath); kept != byPath.end()) out[kept->second].copies.push_back(i);
  }
  return out;
}

}  // namespace

std::vector<dupes::PictureFacts> ReadFacts(const fs::Env& env, const std::vector<dupes::FileRec>& lpData,
                                           const std::vector<dupes::TwinGroup>& groups) {
  std::vector<dupes::PictureFacts> facts(lpData.size());
  for (const dupes::TwinGroup& g : groups)
    for (const dupes::TwinMember& m : g.members)
      if (m.row < lpData.size()) facts[m.row] = ReadPictureShape(env, lpData[m.row].path).facts;
  return facts;
}

dupes::TwinReview FindSimilar(const fs::Env& env, std::vector<dupes::FileRec>& lpData,
                              std::vector<dupes::TwinGroup> copies, const SimilarTools& tools, const dupes::KeepRule& rule, const SearchProgress& progress, dupes::AbortFlag abort,
                              const MatchLimits& limits) {
  const unsigned threads = std::max(1u, tools.threads);
  const std::vector<Participant> participants = ParticipantsOf(lpData);
  fs::MemoryBudget budget;
  ThumbnailCalls lib = tools.lib;
  lib.budget = budget.Calls();

  std::vector<Measured> measured(participants.size());
  const auto report = [&](SearchPhase phase, std::size_t total, std::size_t before = 0) {
    return [&progress, phase, total, before](std::size_t done) {
      if (progress) progress(phase, before + done, total);
    };
  };
  const bool caching = !tools.cacheDir.empty();
  FeatureCache cache = FeatureCache::Read(env, tools.cacheDir);
  std::vector<std::size_t> unknown;  // not in the cache as they are now
  for (std::size_t i = 0; i < participants.size(); ++i) {
    const FileIdentity& id = lpData[participants[i].row].identity;
    if (const Measured* known = caching && id.ino != 0 ? cache.Use(id) : nullptr)
      measured[i] = *known;
    else
      unknown.push_back(i);
  }
  std::vector<char> measuredNow(unknown.size(), 0);
  const bool complete = ParallelFor(
      unknown.size(), threads, abort,
      [&](std::size_t k) {
        measured[unknown[k]] = MeasureFile(env, lib, lpData[participants[unknown[k]].row].path);
        measuredNow[k] = 1;
      },
      report(SearchPhase::Measuring, participants.size(), participants.size() - unknown.size()));
  if (caching) {
    // A picture the library did not draw is tried again next time.
    for (std::size_t k = 0; k < unknown.size(); ++k) {
      const Measured& m = measured[unknown[k]];
      if (measuredNow[k] && (!m.shape.picture || m.features))
        cache.Put(lpData[participants[unknown[k]].row].identity, m);
    }
    // A cache that cannot be written costs the next run its time, nothing more.
    if (cache.changed()) cache.Write(env, tools.cacheDir);
  }

  dupes::TwinReview review;
  review.facts.resize(lpData.size());
  for (std::size_t i = 0; i < participants.size(); ++i) {
    review.facts[participants[i].row] = measured[i].shape.facts;
    for (std::size_t copy : participants[i].copies) review.facts[copy] = measured[i].shape.facts;
  }
  if (!complete) {
    review.groups = std::move(copies);
    return review;
  }

  // The pictures in keep order, the files that are none after them.
  std::vector<std::size_t> order(participants.size());
  std::iota(order.begin(), order.end(), 0);
  const auto pictures = std::stable_partition(order.begin(), order.end(),
                                              [&](std::size_t i) { return measured[i].features.has_value(); });
  std::sort(order.begin(), pictures, [&](std::size_t a, std::size_t b) {
    return dupes::KeptBefore(lpData[participants[a].row], &measured[a].shape.facts, lpData[participants[b].row],
                             &measured[b].shape.facts, rule);
  });
  const std::size_t pictureCount = static_cast<std::size_t>(pictures - order.begin());
  std::vector<Participant> ordered;
  std::vector<std::uint64_t> hashes;
  for (std::size_t i : order) ordered.push_back(participants[i]);
  for (std::size_t k = 0; k < pictureCount; ++k) hashes.push_back(measured[order[k]].features->hash);

  const std::vector<dupes::HashPair> candidates = dupes::HashNeighbours(
      hashes, limits.hashRadius, threads, abort, {}, std::max(kFewestPairsKept, kPairsPerPicture * pictureCount));
  std::vector<SamePair> same;
  std::mutex sameLock;
  const bool compared = ParallelFor(
      candidates.size(), threads, abort,
      [&](std::size_t c) {
        const auto [a, b] = candidates[c];
        const auto likeness = Match(*measured[order[a]].features, *measured[order[b]].features, limits);
        if (!likeness) return;
        const std::scoped_lock hold(sameLock);
        same.push_back({a, b, *likeness});
      },
      report(SearchPhase::Comparing, candidates.size()));
  if (!compared || dupes::Aborted(abort)) {
    review.groups = std::move(copies);
    return review;
  }
  review.groups = GroupAroundKept(ordered, std::move(same));
  dupes::MarkGroups(lpData, review.groups);
  return review;
}

}  // namespace pictray::similar
