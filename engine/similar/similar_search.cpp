#include "engine/similar/similar_search.h"

#include <algorithm>
#include <mutex>
#include <numeric>
#include <optional>
#include <string_view>
#include <unordered_map>

#include "engine/dupes/groups.h"
#include "engine/dupes/keep_rule.h"
#include "engine/fs/memory_budget.h"
#include "engine/jpeg/jpeg_decode.h"
#include "engine/similar/feature_cache.h"
#include "engine/similar/feature_store.h"
#include "engine/similar/parallel_for.h"
#include "engine/similar/picture_shape.h"
#include "engine/similar/similar_groups.h"

namespace pictray::similar {
namespace {

constexpr std::uint32_t kNoFeatures = 0xFFFFFFFFu;
// The answer of a picture refused before it is drawn.
constexpr int kTooLarge = -2;

// The folder of a listed path.
std::string_view FolderOf(std::string_view path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string_view::npos ? std::string_view(".") : path.substr(0, slash == 0 ? 1 : slash);
}

// A picture whose pixels alone would exceed the work any decoder takes on.
bool TooLarge(const PictureShape& s) {
  return std::uint64_t(s.storedWidth) * std::uint64_t(s.storedHeight) > kMaxCheckPixels;
}

// Why a file the search did not compare was left out; nothing for a file
// that is no picture, or one that was drawn.
std::optional<dupes::SkipReason> SkipOf(const PictureShape& s, bool drawn, int answer) {
  if (drawn) return std::nullopt;
  if (s.otherFormat) return dupes::SkipReason::FormatNotDrawn;
  if (!s.picture) return std::nullopt;
  if (answer == kTooLarge) return dupes::SkipReason::TooLarge;
  if (answer == kNotDrawn) return dupes::SkipReason::FormatNotDrawn;
  return dupes::SkipReason::Unreadable;
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

// What the search knows of each participant: its header, its features
// when drawn, and the library's answer when not.
struct Measurements {
  explicit Measurements(std::size_t n) : shapes(n), featureOf(n, kNoFeatures), answers(n, kDrawn), store(n) {}
  std::vector<PictureShape> shapes;
  std::vector<std::uint32_t> featureOf;  // in `store`, or kNoFeatures
  std::vector<int> answers;
  FeatureStore store;
};

// Measures every participant into `m`: the cache first, the others drawn on
// the threads; then writes the cache of their folders. False once stopped.
bool MeasureAll(const fs::Env& env, const std::vector<dupes::FileRec>& lpData,
                const std::vector<Participant>& participants, const SimilarTools& tools,
                const SearchProgress& progress, dupes::AbortFlag abort, Measurements& m) {
  const unsigned threads = std::max(1u, tools.threads);
  fs::MemoryBudget budget;
  budget.SetAbort(abort);
  ThumbnailCalls lib = tools.lib;
  lib.budget = budget.Calls();

  std::vector<PictureShape>& shapes = m.shapes;
  std::vector<std::uint32_t>& featureOf = m.featureOf;
  std::vector<int>& answers = m.answers;
  FeatureStore& store = m.store;
  const auto report = [&](SearchPhase phase, std::size_t total, std::size_t before = 0) {
    return [&progress, phase, total, before](std::size_t done) {
      if (progress) progress(phase, before + done, total);
    };
  };
  std::vector<CachedFile> files(participants.size());
  for (std::size_t i = 0; i < participants.size(); ++i) {
    const dupes::FileRec& r = lpData[participants[i].row];
    files[i] = {FolderOf(r.path), r.identity};
  }
  FeatureCache cache(env, tools.cacheDir);
  std::vector<char> known(participants.size(), 0);
  cache.Read(files, [&](std::size_t i, Measured&& found) {
    if (files[i].identity.ino == 0) return;
    shapes[i] = std::move(found.shape);
    if (found.features) featureOf[i] = store.Add(*found.features);
    known[i] = 1;
  });
  std::vector<std::size_t> unknown;  // not in the cache as they are now
  for (std::size_t i = 0; i < participants.size(); ++i)
    if (!known[i]) unknown.push_back(i);
  std::vector<char> measuredNow(participants.size(), 0);
  const bool complete = ParallelFor(
      unknown.size(), threads, abort,
      [&](std::size_t k) {
        const std::size_t i = unknown[k];
        const std::string& path = lpData[participants[i].row].path;
        shapes[i] = ReadPictureShape(env, path);
        if (!shapes[i].picture) return;
        if (TooLarge(shapes[i])) {
          answers[i] = kTooLarge;
          return;
        }
        const std::optional<PictureFeatures> f = MeasurePicture(
            lib, path, shapes[i].storedWidth, shapes[i].storedHeight, shapes[i].orientation, &answers[i]);
        if (f) featureOf[i] = store.Add(*f);
        // A drawing stopped by the abort is no verdict on the file.
        if (!dupes::Aborted(abort)) measuredNow[i] = 1;
      },
      report(SearchPhase::Measuring, participants.size(), participants.size() - unknown.size()));
  // A picture the library did not draw is tried again next time; one
  // measured now and the entries of other files of its folder are written.
  cache.Write(files, measuredNow, [&](std::size_t i) -> std::optional<Measured> {
    if (!known[i] && !measuredNow[i]) return std::nullopt;
    if (shapes[i].picture && featureOf[i] == kNoFeatures) return std::nullopt;
    Measured entry{shapes[i], std::nullopt};
    if (featureOf[i] != kNoFeatures) entry.features = store.Features(featureOf[i]);
    return entry;
  });
  return complete;

}

// The pictures left out, with why, in row order (an exact copy with its kept file).
std::vector<dupes::SkippedPicture> SkippedOf(const std::vector<Participant>& participants, const Measurements& m) {
  std::vector<dupes::SkippedPicture> skipped;
  for (std::size_t i = 0; i < participants.size(); ++i) {
    const std::optional<dupes::SkipReason> why = SkipOf(m.shapes[i], m.featureOf[i] != kNoFeatures, m.answers[i]);
    if (!why) continue;
    skipped.push_back({participants[i].row, *why});
    for (std::size_t copy : participants[i].copies) skipped.push_back({copy, *why});
  }
  std::sort(skipped.begin(), skipped.end(),
            [](const dupes::SkippedPicture& a, const dupes::SkippedPicture& b) { return a.row < b.row; });
  return skipped;
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

bool StillSamePicture(const fs::Env& env, const std::string& kept, const std::string& copy,
                      const SimilarTools& tools) {
  fs::MemoryBudget budget;
  ThumbnailCalls lib = tools.lib;
  lib.budget = budget.Calls();
  PictureShape shape[2];
  const auto measure = [&](const std::string& path, PictureShape& s) -> std::optional<PictureFeatures> {
    s = ReadPictureShape(env, path);
    if (!s.picture || TooLarge(s)) return std::nullopt;
    return MeasurePicture(lib, path, s.storedWidth, s.storedHeight, s.orientation);
  };
  const std::optional<PictureFeatures> a = measure(kept, shape[0]);
  if (!a) return false;
  const std::optional<PictureFeatures> b = measure(copy, shape[1]);
  if (!b) return false;
  FeatureView va = ViewOf(*a), vb = ViewOf(*b);
  va.shownWidth = static_cast<std::uint32_t>(shape[0].facts.width);
  va.shownHeight = static_cast<std::uint32_t>(shape[0].facts.height);
  vb.shownWidth = static_cast<std::uint32_t>(shape[1].facts.width);
  vb.shownHeight = static_cast<std::uint32_t>(shape[1].facts.height);
  return Match(va, vb).has_value();
}

dupes::TwinReview FindSimilar(const fs::Env& env, std::vector<dupes::FileRec>& lpData,
                              std::vector<dupes::TwinGroup> copies, const SimilarTools& tools, const dupes::KeepRule& rule, const SearchProgress& progress, dupes::AbortFlag abort,
                              const MatchLimits& limits) {
  const unsigned threads = std::max(1u, tools.threads);
  const std::vector<Participant> participants = ParticipantsOf(lpData);
  Measurements measured(participants.size());
  const bool complete = MeasureAll(env, lpData, participants, tools, progress, abort, measured);
  const std::vector<PictureShape>& shapes = measured.shapes;
  const std::vector<std::uint32_t>& featureOf = measured.featureOf;
  const FeatureStore& store = measured.store;

  dupes::TwinReview review;
  review.facts.resize(lpData.size());
  for (std::size_t i = 0; i < participants.size(); ++i) {
    review.facts[participants[i].row] = shapes[i].facts;
    for (std::size_t copy : participants[i].copies) review.facts[copy] = shapes[i].facts;
  }
  if (!complete) {
    review.groups = std::move(copies);
    return review;
  }
  review.skipped = SkippedOf(participants, measured);

  // The pictures in keep order, the files that are none after them.
  std::vector<std::size_t> order(participants.size());
  std::iota(order.begin(), order.end(), 0);
  const auto pictures = std::stable_partition(order.begin(), order.end(),
                                              [&](std::size_t i) { return featureOf[i] != kNoFeatures; });
  std::sort(order.begin(), pictures, [&](std::size_t a, std::size_t b) {
    return dupes::KeptBefore(lpData[participants[a].row], &shapes[a].facts, lpData[participants[b].row],
                             &shapes[b].facts, rule);
  });
  const std::size_t pictureCount = static_cast<std::size_t>(pictures - order.begin());
  std::vector<Participant> ordered;
  ordered.reserve(order.size());
  for (std::size_t i : order) ordered.push_back(participants[i]);
  std::vector<FeatureView> views(pictureCount);
  for (std::size_t k = 0; k < pictureCount; ++k) {
    views[k] = store.View(featureOf[order[k]]);
    views[k].shownWidth = static_cast<std::uint32_t>(shapes[order[k]].facts.width);
    views[k].shownHeight = static_cast<std::uint32_t>(shapes[order[k]].facts.height);
  }

  std::vector<SamePair> same;
  const bool compared = JoinInKeepOrder(
      views, limits, threads, abort,
      [&](std::size_t done, std::size_t total) {
        if (progress) progress(SearchPhase::Comparing, done, total);
      },
      same);
  if (!compared || dupes::Aborted(abort)) {
    review.groups = std::move(copies);
    review.skipped.clear();
    return review;
  }
  review.groups = GroupAroundKept(ordered, std::move(same));
  dupes::MarkGroups(lpData, review.groups);
  return review;
}

}  // namespace pictray::similar
