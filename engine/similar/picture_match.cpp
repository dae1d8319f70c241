#include "engine/similar/picture_match.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace pictray::similar {
namespace {

// Steps of the coarse scale search between the smallest scale and 1.
constexpr int kScaleSteps = 6;
// Below this spread of grey levels a thumbnail is flat: its correlation
// with anything says nothing, and the colours alone decide.
constexpr double kFlatDeviation = 2.0;

// A thumbnail's detail: each pixel less the mean of its 3 x 3 neighbours.
// Smooth pictures correlate highly with themselves scaled or moved a
// little; their detail does not, so a crop is told from its whole.
struct Detail {
  int width = 0, height = 0;
  std::vector<float> v;
  float At(int x, int y) const { return v[static_cast<std::size_t>(y) * width + x]; }
};

// The detail of a grey picture of w x h samples.
Detail DetailOf(const std::vector<float>& grey, int w, int h) {
  Detail d{w, h, std::vector<float>(grey.size())};
  const auto g = [&](int x, int y) {
    return grey[static_cast<std::size_t>(std::clamp(y, 0, h - 1)) * w + std::clamp(x, 0, w - 1)];
  };
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      float around = 0;
      for (int j = -1; j <= 1; ++j)
        for (int i = -1; i <= 1; ++i) around += g(x + i, y + j);
      d.v[static_cast<std::size_t>(y) * w + x] = g(x, y) - around / 9;
    }
  return d;
}

// A thumbnail's detail at its size, and at half its size for the coarse
// search (a quarter of the work).
struct Details {
  Detail full, half;
};

Details DetailsOf(const FeatureView& f) {
  GreyRoom room;
  const std::uint8_t* bytes = GreyOf(f, room);
  const std::vector<float> grey(bytes, bytes + std::size_t(f.width) * f.height);
  const int hw = std::max(1, f.width / 2), hh = std::max(1, f.height / 2);
  std::vector<float> half(static_cast<std::size_t>(hw) * hh);
  for (int y = 0; y < hh; ++y)
    for (int x = 0; x < hw; ++x) {
      float sum = 0;
      for (int j = 0; j < 2; ++j)
        for (int i = 0; i < 2; ++i)
          sum += grey[static_cast<std::size_t>(std::min(2 * y + j, f.height - 1)) * f.width +
                      std::min(2 * x + i, f.width - 1)];
      half[static_cast<std::size_t>(y) * hw + x] = sum / 4;
    }
  return {DetailOf(grey, f.width, f.height), DetailOf(half, hw, hh)};
}

struct Placement {
  float scale = 1, dx = 0, dy = 0;
};

struct Alignment {
  double correlation = -1;
  double commonArea = 0;  // share of the larger picture's area
  Placement at;
};

// Where one coordinate of `inner` falls in `outer`: the two neighbours and
// the weight of the second, for bilinear sampling.
struct Tap {
  int i0, i1;
  float w;
};
std::vector<Tap> Taps(int innerSize, int outerSize, float k, float d) {
  std::vector<Tap> taps(static_cast<std::size_t>(innerSize));
  for (int x = 0; x < innerSize; ++x) {
    const float p = std::clamp(d + k * (x + 0.5f) - 0.5f, 0.0f, float(outerSize - 1));
    const int i0 = std::min(static_cast<int>(p), std::max(0, outerSize - 2));
    taps[static_cast<std::size_t>(x)] = {i0, std::min(i0 + 1, outerSize - 1), p - i0};
  }
  return taps;
}

// Correlation of `inner`'s detail with `outer`'s where `inner` lies scaled
// by k at (dx, dy) over it.
double Correlation(const Detail& outer, const Detail& inner, const Placement& at) {
  const std::vector<Tap> xs = Taps(inner.width, outer.width, at.scale, at.dx);
  const std::vector<Tap> ys = Taps(inner.height, outer.height, at.scale, at.dy);
  double sa = 0, sb = 0, saa = 0, sbb = 0, sab = 0;
  for (int y = 0; y < inner.height; ++y) {
    const Tap& ty = ys[static_cast<std::size_t>(y)];
    const float* r0 = &outer.v[static_cast<std::size_t>(ty.i0) * outer.width];
    const float* r1 = &outer.v[static_cast<std::size_t>(ty.i1) * outer.width];
    const float* b = &inner.v[static_cast<std::size_t>(y) * inner.width];
    for (int x = 0; x < inner.width; ++x) {
      const Tap& tx = xs[static_cast<std::size_t>(x)];
      const float top = r0[tx.i0] + (r0[tx.i1] - r0[tx.i0]) * tx.w;
      const float bottom = r1[tx.i0] + (r1[tx.i1] - r1[tx.i0]) * tx.w;
      const double a = top + (bottom - top) * ty.w;
      sa += a;
      sb += b[x];
      saa += a * a;
      sbb += double(b[x]) * b[x];
      sab += a * b[x];
    }
  }
  const double n = double(inner.width) * inner.height;
  const double va = saa - sa * sa / n, vb = sbb - sb * sb / n;
  if (va <= 0 || vb <= 0) return 0;
  return (sab - sa * sb / n) / std::sqrt(va * vb);
}

double Deviation(const FeatureView& f) {
  GreyRoom room;
  const std::uint8_t* grey = GreyOf(f, room);
  const std::size_t n = static_cast<std::size_t>(f.width) * f.height;
  double sum = 0, sq = 0;
  for (std::size_t i = 0; i < n; ++i) {
    sum += grey[i];
    sq += double(grey[i]) * grey[i];
  }
  const double mean = sum / double(n);
  return std::sqrt(std::max(0.0, sq / double(n) - mean * mean));
}

// The best placement of `inner` within `outer` by detail: `inner` covers
// at least smallestScale of one of outer's sides and `minArea` of its area,
// and lies wholly inside it. Scales and offsets are searched coarsely at
// half size; the best placement is then refined at full size.
Alignment AlignInside(const Details& outer, const Details& inner, double smallestScale, double minArea) {
  // Coarse, at half size: every scale step, offsets a half-size pixel apart.
  const Detail& ho = outer.half;
  const Detail& hi = inner.half;
  const double scaleStep = (1.0 - smallestScale) / kScaleSteps;
  const double halfFit = std::min(double(ho.width) / hi.width, double(ho.height) / hi.height);
  double bestCoarse = -2;
  double coarseShare = 1;  // the scale as a share of the fit
  float coarseX = 0, coarseY = 0;
  for (int s = 0; s <= kScaleSteps; ++s) {
    const double share = 1.0 - scaleStep * s;
    const float k = static_cast<float>(share * halfFit);
    if (double(k) * hi.width * k * hi.height / (double(ho.width) * ho.height) < minArea) continue;
    const float roomX = std::max(0.0f, ho.width - k * hi.width), roomY = std::max(0.0f, ho.height - k * hi.height);
    for (float dy = 0; dy < roomY + 1; dy += 1)
      for (float dx = 0; dx < roomX + 1; dx += 1) {
        const Placement at{k, std::min(dx, roomX), std::min(dy, roomY)};
        const double r = Correlation(ho, hi, at);
        if (r > bestCoarse) {
          bestCoarse = r;
          coarseShare = share;
          coarseX = at.dx * 2;
          coarseY = at.dy * 2;
        }
      }
  }
  Alignment best;
  if (bestCoarse < -1) return best;
  // Fine, at full size, around the coarse placement.
  const Detail& o = outer.full;
  const Detail& in = inner.full;
  const double fit = std::min(double(o.width) / in.width, double(o.height) / in.height);
  for (double ds : {-scaleStep / 2, 0.0, scaleStep / 2}) {
    const double share = std::min(1.0, coarseShare + ds);
    const float k = static_cast<float>(share * fit);
    const double area = double(k) * in.width * k * in.height / (double(o.width) * o.height);
    if (share < smallestScale - 1e-9 || area < minArea) continue;
    const float roomX = std::max(0.0f, o.width - k * in.width), roomY = std::max(0.0f, o.height - k * in.height);
    for (float oy : {-1.0f, 0.0f, 1.0f})
      for (float ox : {-1.0f, 0.0f, 1.0f}) {
        const Placement at{k, std::clamp(coarseX + ox, 0.0f, roomX), std::clamp(coarseY + oy, 0.0f, roomY)};
        const double r = Correlation(o, in, at);
        if (r > best.correlation) best = {r, area, at};
      }
  }
  return best;
}

}  // namespace

// Called for every pair near enough to weigh: the popcount instruction
// where the processor has it, not the library's loop. The loader picks the
// clone before ThreadSanitizer's runtime is up, which its build cannot bear.
#if defined(__SANITIZE_THREAD__)
#define POPCOUNT_CLONES
#else
#define POPCOUNT_CLONES [[gnu::target_clones("popcnt", "default")]]
#endif

POPCOUNT_CLONES int HashDistance(const FeatureView& a, const FeatureView& b) {
  int best = std::popcount(a.hash ^ b.hash);
  for (int k = 0; k < kCropHashes; ++k)
    best = std::min({best, std::popcount(a.hash ^ b.cropHash[k]), std::popcount(a.cropHash[k] ^ b.hash)});
  return best;
}

POPCOUNT_CLONES bool HashesNear(const FeatureView& a, const FeatureView& b, const MatchLimits& limits) {
  if (std::popcount(a.hash ^ b.hash) <= limits.hashRadius) return true;
  for (int k = 0; k < kCropHashes; ++k)
    if (std::popcount(a.hash ^ b.cropHash[k]) <= limits.cropHashRadius ||
        std::popcount(a.cropHash[k] ^ b.hash) <= limits.cropHashRadius)
      return true;
  return false;
}

double ColourDifference(const FeatureView& a, const FeatureView& b, int brightnessShift) {
  constexpr int n = kColourGrid * kColourGrid * 3, cells = kColourGrid * kColourGrid;
  // A brightness edit moves every cell alike: up to kBrightnessShift of
  // the channel's mean difference is taken as such.
  int mean[3] = {0, 0, 0};
  for (int i = 0; i < n; i += 3)
    for (int c = 0; c < 3; ++c) mean[c] += int(b.colour[i + c]) - int(a.colour[i + c]);
  int shift[3];
  for (int c = 0; c < 3; ++c) shift[c] = std::clamp(mean[c] / cells, -brightnessShift, brightnessShift);
  int sum = 0;
  for (int i = 0; i < n; i += 3)
    for (int c = 0; c < 3; ++c) sum += std::abs(int(a.colour[i + c]) + shift[c] - int(b.colour[i + c]));
  return double(sum) / n;
}

bool IsFlat(const FeatureView& f) { return f.width > 0 && f.height > 0 && Deviation(f) < kFlatDeviation; }

double ChromaDifference(const FeatureView& a, const FeatureView& b) {
  int sum = 0;
  for (int i = 0; i < kColourGrid * kColourGrid; ++i) {
    const std::uint8_t* p = a.colour + 3 * i;
    const std::uint8_t* q = b.colour + 3 * i;
    sum += std::abs((int(p[0]) - p[1]) - (int(q[0]) - q[1])) + std::abs((int(p[2]) - p[1]) - (int(q[2]) - q[1]));
  }
  return double(sum) / (2 * kColourGrid * kColourGrid);
}

double Chroma(const FeatureView& f) {
  int sum = 0;
  for (int i = 0; i < kColourGrid * kColourGrid; ++i) {
    const std::uint8_t* p = f.colour + 3 * i;
    sum += std::abs(int(p[0]) - p[1]) + std::abs(int(p[2]) - p[1]);
  }
  return double(sum) / (2 * kColourGrid * kColourGrid);
}

bool LostItsColour(const FeatureView& a, const FeatureView& b, double share) {
  return LostItsColour(Chroma(a), Chroma(b), share);
}

bool LostItsColour(double ca, double cb, double share) {
  // Below this a picture has no colour to lose.
  constexpr double kSomeColour = 4;
  const double more = std::max(ca, cb), less = std::min(ca, cb);
  return more > kSomeColour && less < share * more;
}

MatchMeasures Explain(const FeatureView& a, const FeatureView& b, const MatchLimits& limits) {
  MatchMeasures m;
  if (a.width == 0 || b.width == 0 || a.height == 0 || b.height == 0) return m;
  m.distance = HashDistance(a, b);
  m.wholeDistance = std::popcount(a.hash ^ b.hash);
  const double ra = double(a.width) / a.height, rb = double(b.width) / b.height;
  m.aspect = std::max(ra / rb, rb / ra);
  m.colour = ColourDifference(a, b);
  m.chroma = ChromaDifference(a, b);
  m.chromaA = Chroma(a);
  m.chromaB = Chroma(b);
  m.flatA = IsFlat(a);
  m.flatB = IsFlat(b);
  m.sameSize = a.shownWidth != 0 && a.shownWidth == b.shownWidth && a.shownHeight == b.shownHeight;
  if (m.flatA || m.flatB) return m;
  const double minArea = (limits.commonAreaPercent - 0.5) / 100;
  const Details da = DetailsOf(a), db = DetailsOf(b);
  const Alignment bInA = AlignInside(da, db, limits.smallestScale, minArea);
  const Alignment aInB = AlignInside(db, da, limits.smallestScale, minArea);
  const Alignment& found = bInA.correlation >= aInB.correlation ? bInA : aInB;
  m.correlation = found.correlation;
  m.commonArea = found.commonArea;
  const Details& outer = bInA.correlation >= aInB.correlation ? da : db;
  const Details& inner = bInA.correlation >= aInB.correlation ? db : da;
  const double fit = std::min(double(outer.full.width) / inner.full.width, double(outer.full.height) / inner.full.height);
  m.scale = found.at.scale / fit;
  // Laid over one another whole: b fitted into a, centred.
  const double k = std::min(double(da.full.width) / db.full.width, double(da.full.height) / db.full.height);
  const float roomX = std::max(0.0f, float(da.full.width - k * db.full.width)),
              roomY = std::max(0.0f, float(da.full.height - k * db.full.height));
  m.identity = Correlation(da.full, db.full, {float(k), roomX / 2, roomY / 2});
  return m;
}

PictureTraits TraitsOf(const FeatureView& f) {
  PictureTraits t{IsFlat(f), Chroma(f)};
  constexpr int blocks = kColourGrid / 2;
  for (int y = 0; y < kColourGrid; ++y)
    for (int x = 0; x < kColourGrid; ++x)
      for (int c = 0; c < 3; ++c) {
        const int v = f.colour[(y * kColourGrid + x) * 3 + c];
        t.channelSum[static_cast<std::size_t>(c)] += v;
        t.blockSum[static_cast<std::size_t>((c * blocks + y / 2) * blocks + x / 2)] += static_cast<std::int16_t>(v);
      }
  return t;
}

double ColourDifferenceAtLeast(const PictureTraits& a, const PictureTraits& b, int brightnessShift) {
  constexpr int n = kColourGrid * kColourGrid * 3, cells = kColourGrid * kColourGrid;
  constexpr std::size_t perChannel = (kColourGrid / 2) * (kColourGrid / 2);
  // The shift as ColourDifference takes it; |a sum of differences| is at
  // most the sum of their sizes.
  int sum = 0;
  for (std::size_t c = 0; c < 3; ++c) {
    const int shift = std::clamp((b.channelSum[c] - a.channelSum[c]) / cells, -brightnessShift, brightnessShift);
    for (std::size_t k = c * perChannel; k < (c + 1) * perChannel; ++k)
      sum += std::abs(a.blockSum[k] + 4 * shift - b.blockSum[k]);
  }
  return double(sum) / n;
}

std::optional<dupes::Likeness> Match(const FeatureView& a, const FeatureView& b, const MatchLimits& limits) {
  if (a.width == 0 || b.width == 0 || a.height == 0 || b.height == 0) return std::nullopt;
  return Match(a, TraitsOf(a), b, TraitsOf(b), limits);
}

std::optional<dupes::Likeness> Match(const FeatureView& a, const PictureTraits& ta, const FeatureView& b,
                                     const PictureTraits& tb, const MatchLimits& limits) {
  if (a.width == 0 || b.width == 0 || a.height == 0 || b.height == 0) return std::nullopt;
  const double ra = double(a.width) / a.height, rb = double(b.width) / b.height;
  if (std::max(ra / rb, rb / ra) > limits.aspect) return std::nullopt;
  const bool flatA = ta.flat;
  if (flatA != tb.flat) return std::nullopt;
  // A flat picture brighter is another flat picture.
  const int shift = flatA ? 0 : kBrightnessShift;
  if (ColourDifferenceAtLeast(ta, tb, shift) > limits.colour) return std::nullopt;
  // A flat picture's hash is the noise of its few grey levels: its colours
  // and aspect alone say which it is.
  if (!flatA && !HashesNear(a, b, limits)) return std::nullopt;
  const int distance = flatA ? 0 : HashDistance(a, b);
  if (ColourDifference(a, b, shift) > limits.colour) return std::nullopt;
  if (LostItsColour(ta.chroma, tb.chroma, limits.chromaShare)) return std::nullopt;
  dupes::Likeness likeness;
  likeness.identical = false;
  likeness.distance = distance;
  if (flatA) return likeness;
  const Details da = DetailsOf(a), db = DetailsOf(b);
  const bool sameSize = a.shownWidth != 0 && a.shownWidth == b.shownWidth && a.shownHeight == b.shownHeight;
  if (sameSize) {
    // Of one pixel size: an edit of the whole picture, or another picture.
    const double k = std::min(double(da.full.width) / db.full.width, double(da.full.height) / db.full.height);
    const float roomX = std::max(0.0f, float(da.full.width - k * db.full.width)),
                roomY = std::max(0.0f, float(da.full.height - k * db.full.height));
    const double r = Correlation(da.full, db.full, {float(k), roomX / 2, roomY / 2});
    if (r < limits.sameSizeCorrelation) return std::nullopt;
    likeness.correlation = r;
    return likeness;
  }
  const double minArea = (limits.commonAreaPercent - 0.5) / 100;
  const Alignment bInA = AlignInside(da, db, limits.smallestScale, minArea);
  const Alignment aInB = AlignInside(db, da, limits.smallestScale, minArea);
  const Alignment& found = bInA.correlation >= aInB.correlation ? bInA : aInB;
  const int common = static_cast<int>(std::lround(found.commonArea * 100));
  if (found.correlation < limits.correlation || common < limits.commonAreaPercent) return std::nullopt;
  likeness.correlation = found.correlation;
  likeness.commonAreaPercent = common;
  return likeness;
}

}  // namespace pictray::similar
