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

Details DetailsOf(const PictureFeatures& f) {
  const std::vector<float> grey(f.grey.begin(), f.grey.begin() + std::size_t(f.width) * f.height);
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

double Deviation(const PictureFeatures& f) {
  const std::size_t n = static_cast<std::size_t>(f.width) * f.height;
  double sum = 0, sq = 0;
  for (std::size_t i = 0; i < n; ++i) {
    sum += f.grey[i];
    sq += double(f.grey[i]) * f.grey[i];
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

int HashDistance(const PictureFeatures& a, const PictureFeatures& b) { return std::popcount(a.hash ^ b.hash); }

double ColourDifference(const PictureFeatures& a, const PictureFeatures& b) {
  int sum = 0;
  for (std::size_t i = 0; i < a.colour.size(); ++i) sum += std::abs(int(a.colour[i]) - int(b.colour[i]));
  return double(sum) / double(a.colour.size());
}

std::optional<dupes::Likeness> Match(const PictureFeatures& a, const PictureFeatures& b, const MatchLimits& limits) {
  const int distance = HashDistance(a, b);
  if (distance > limits.hashRadius || a.width == 0 || b.width == 0 || a.height == 0 || b.height == 0)
    return std::nullopt;
  const double ra = double(a.width) / a.height, rb = double(b.width) / b.height;
  if (std::max(ra / rb, rb / ra) > limits.aspect) return std::nullopt;
  if (ColourDifference(a, b) > limits.colour) return std::nullopt;
  const bool flatA = Deviation(a) < kFlatDeviation, flatB = Deviation(b) < kFlatDeviation;
  Alignment found;
  if (flatA && flatB) {
    found = {1.0, 1.0, {}};
  } else if (flatA == flatB) {
    const double minArea = (limits.commonAreaPercent - 0.5) / 100;
    const Details da = DetailsOf(a), db = DetailsOf(b);
    const Alignment bInA = AlignInside(da, db, limits.smallestScale, minArea);
    const Alignment aInB = AlignInside(db, da, limits.smallestScale, minArea);
    found = bInA.correlation >= aInB.correlation ? bInA : aInB;
  }
  const int common = static_cast<int>(std::lround(found.commonArea * 100));
  if (found.correlation < limits.correlation || common < limits.commonAreaPercent) return std::nullopt;
  dupes::Likeness likeness;
  likeness.identical = false;
  likeness.distance = distance;
  likeness.correlation = found.correlation;
  likeness.commonAreaPercent = common;
  return likeness;
}

}  // namespace pictray::similar
