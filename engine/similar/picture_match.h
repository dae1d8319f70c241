// Whether two pictures are the same picture: near hashes, the same aspect
// within what a crop changes, the same colours, and thumbnails that line up
// when one is scaled and moved over the other.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "engine/list/twin_groups.h"
#include "engine/similar/picture_features.h"

namespace pictray::similar {

struct MatchLimits {
  int hashRadius = 16;          // bits apart of the whole pictures' hashes, at most
  int cropHashRadius = 12;      // or of one's whole hash and one of the other's crop hashes
  double aspect = 1.25;         // the larger aspect over the smaller, at most
  double colour = 24;           // mean difference of the 8 x 8 colours (0..255), at most
  double correlation = 0.50;    // of the aligned thumbnails' detail, at least
  int commonAreaPercent = 80;   // of the larger picture, at least
  double smallestScale = 0.82;  // the share of the larger side a crop keeps, at least
  // The greyer picture's chroma as a share of the more colourful one's, at
  // least, once that one has colour to speak of: a greyscale copy is
  // another picture.
  double chromaShare = 0.5;
  // Two pictures of the same pixel size are no crop of one another: laid
  // one over the other whole, their detail correlates at least this much.
  double sameSizeCorrelation = 0.80;
};

// Bits apart: the nearer of the two whole pictures' hashes and of one's
// whole hash and the other's crop hashes (a crop of the picture lies near
// one of them).
int HashDistance(const FeatureView& a, const FeatureView& b);
// Whether the hashes of `a` and `b` are near enough to compare them: the
// whole pictures' within hashRadius, or a whole one and a crop within
// cropHashRadius (a crop of the picture hashes near one of them; the
// tighter radius keeps distinct pictures of one texture from crowding in).
bool HashesNear(const FeatureView& a, const FeatureView& b, const MatchLimits& limits);
// Of 255 levels, the most a brightness edit is taken to move a channel.
inline constexpr int kBrightnessShift = 28;
// The mean difference of the 8 x 8 colours (0..255), less each channel's
// mean difference up to `brightnessShift`.
double ColourDifference(const FeatureView& a, const FeatureView& b, int brightnessShift = kBrightnessShift);
// A picture of nearly one colour: its grey thumbnail barely varies. Flat
// pictures are compared by their colours and aspect alone, never with
// pictures that are not flat.
bool IsFlat(const FeatureView& f);

// What Match weighs of two pictures, all of it whatever the limits say
// (for the benches that tune them).
struct MatchMeasures {
  int distance = 64;        // HashDistance
  int wholeDistance = 64;   // of the whole pictures' hashes alone
  double aspect = 1;        // the larger aspect over the smaller
  double colour = 0;        // ColourDifference
  double chroma = 0;        // ChromaDifference
  double chromaA = 0, chromaB = 0;  // each picture's own colourfulness
  bool flatA = false, flatB = false;
  double correlation = -1;  // of the best alignment within the limits' scales and area
  double commonArea = 0;    // of that alignment, a share of the larger picture
  double scale = 1;         // of that alignment, a share of the fit
  double identity = -1;     // of the two laid one over the other whole
  bool sameSize = false;    // the same pixel size as shown
};
MatchMeasures Explain(const FeatureView& a, const FeatureView& b, const MatchLimits& limits = {});

// The mean difference of the 8 x 8 cells' chroma (red less green, blue less
// green), 0..255.
double ChromaDifference(const FeatureView& a, const FeatureView& b);
// The mean chroma of one picture's cells, 0..255.
double Chroma(const FeatureView& f);
// Whether the one of `a` and `b` with the less colour has lost most of the
// other's: a greyscale copy of a colour photograph.
bool LostItsColour(const FeatureView& a, const FeatureView& b, double share);

// What Match weighs of each picture on its own, measured once where one
// picture is weighed against many.
struct PictureTraits {
  bool flat = false;  // IsFlat
  double chroma = 0;  // Chroma
  // The colours summed over each channel and over blocks of 2 x 2 cells:
  // enough to rule most pairs out without their 8 x 8 colours.
  std::array<std::int32_t, 3> channelSum{};
  std::array<std::int16_t, 3 * (kColourGrid / 2) * (kColourGrid / 2)> blockSum{};  // channel-major
};
PictureTraits TraitsOf(const FeatureView& f);
// At most ColourDifference(a, b, brightnessShift) of the pictures of `a`
// and `b`: the same brightness shift, the differences summed by block
// before they are taken whole.
double ColourDifferenceAtLeast(const PictureTraits& a, const PictureTraits& b, int brightnessShift);
// Whether pictures of chroma `a` and `b` differ as LostItsColour says.
bool LostItsColour(double a, double b, double share);

// How `b` is like `a`, or nothing when they are not the same picture.
std::optional<dupes::Likeness> Match(const FeatureView& a, const FeatureView& b, const MatchLimits& limits = {});
// The same with each picture's traits measured before.
std::optional<dupes::Likeness> Match(const FeatureView& a, const PictureTraits& ta, const FeatureView& b,
                                     const PictureTraits& tb, const MatchLimits& limits);

inline int HashDistance(const PictureFeatures& a, const PictureFeatures& b) { return HashDistance(ViewOf(a), ViewOf(b)); }
inline double ColourDifference(const PictureFeatures& a, const PictureFeatures& b) {
  return ColourDifference(ViewOf(a), ViewOf(b));
}
inline std::optional<dupes::Likeness> Match(const PictureFeatures& a, const PictureFeatures& b,
                                            const MatchLimits& limits = {}) {
  return Match(ViewOf(a), ViewOf(b), limits);
}

}  // namespace pictray::similar
