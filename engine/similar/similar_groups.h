// Groups of the same picture, formed around the file each keeps: a picture
// joins the kept picture it is most like, never a picture that joined one,
// so that A like B and B like C never groups A with C unless A is like C.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "engine/dupes/dupes.h"
#include "engine/list/twin_groups.h"
#include "engine/similar/picture_match.h"

namespace pictray::similar {

// A picture that takes part: its row, and the rows of its byte-identical
// copies, which follow it wherever it goes.
struct Participant {
  std::size_t row = 0;
  std::vector<std::size_t> copies;
};

// Pictures `earlier` < `later` (in keep order) are the same picture.
struct SamePair {
  std::uint32_t earlier = 0, later = 0;
  dupes::Likeness likeness;
};

// `ordered`: the participants in keep order, the file that stays first.
// Each becomes the kept file of a group unless it is the same as an
// earlier kept file; then it joins the one whose thumbnails line up best.
// Groups of one file are left out; groups come in the order of their kept
// file's row.
std::vector<dupes::TwinGroup> GroupAroundKept(const std::vector<Participant>& ordered, std::vector<SamePair> pairs);

// The pairs GroupAroundKept forms its groups of, found without listing
// every pair of near pictures: `pictures` in keep order, each compared only
// with the earlier pictures that keep a group (never one that joined), so
// that a crowd of pictures alike (one grey saved 3,000 times, black frames,
// a timelapse) costs a comparison or two a picture, however many there are.
// Flat pictures are compared by their colours and aspect with the flat
// pictures kept, the others by their hashes (whole and crops) and then
// Match. Each picture's pair with the kept picture it joins; nothing is
// cut at any count. `progress(done, total)` on the caller's thread;
// false, with `joins` incomplete, once `abort` is set.
bool JoinInKeepOrder(const std::vector<FeatureView>& pictures, const MatchLimits& limits, unsigned threads,
                     dupes::AbortFlag abort, const std::function<void(std::size_t, std::size_t)>& progress,
                     std::vector<SamePair>& joins);

}  // namespace pictray::similar
