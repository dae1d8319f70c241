// Whether two pictures are the same picture: near hashes, the same aspect
// within what a crop changes, the same colours, and thumbnails that line up
// when one is scaled and moved over the other.
#pragma once

#include <optional>

#include "engine/list/twin_groups.h"
#include "engine/similar/picture_features.h"

namespace pictray::similar {

struct MatchLimits {
  int hashRadius = 20;          // bits apart, at most
  double aspect = 1.25;         // the larger aspect over the smaller, at most
  double colour = 24;           // mean difference of the 8 x 8 colours (0..255), at most
  double correlation = 0.50;    // of the aligned thumbnails' detail, at least
  int commonAreaPercent = 80;   // of the larger picture, at least
  double smallestScale = 0.82;  // the share of the larger side a crop keeps, at least
};

int HashDistance(const PictureFeatures& a, const PictureFeatures& b);
double ColourDifference(const PictureFeatures& a, const PictureFeatures& b);

// How `b` is like `a`, or nothing when they are not the same picture.
std::optional<dupes::Likeness> Match(const PictureFeatures& a, const PictureFeatures& b,
                                     const MatchLimits& limits = {});

}  // namespace pictray::similar
