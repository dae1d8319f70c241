#include "engine/similar/picture_match.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdlib>

namespace pictray::similar {
namespace {

// Steps of the scale search between the smallest scale and 1.
constexpr int kScaleSteps = 10;
// Below this spread of grey levels a thumbnail is flat: its correlation
// with anything says nothing, and the colours alone decide.
constexpr double kFlatDeviation = 2.0;

struct Alignment {
  double correlation = -1;
  double commonArea = 0;  // share of the larger picture's area
};

// Bilinear sample of a grey thumbnail at (x, y) in pixel-centre units.
float Sample(const PictureFeatures& f, float x, float y) {
  x = std::clamp(x, 0.0f, float(f.width - 1));
  y = std::clamp(y, 0.0f, float(f.height - 1));
  const int x0 = std::min(static_cast<int>(x), f.width - 2 < 0 ? 0 : f.width - 2);
  const int y0 = std::min(static_cast<int>(y), f.height - 2 < 0 ? 0 : f.height - 2);
  const int x1 = std::min(x0 + 1, f.width - 1), y1 = std::min(y0 + 1, f.height - 1);
  const float fx = x - x0, fy = y - y0;
  const auto at = [&](int px, int py) { return float(f.grey[static_cast<std::size_t>(py) * f.width + px]); };
  return (at(x0, y0) * (1 - fx) + at(x1, y0) * fx) * (1 - fy) + (at(x0, y1) * (1 - fx) + at(x1, y1) * fx) * fy;
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

// Correlation of `inner`'s pixels with `outer` where `inner` lies scaled by
// k at (dx, dy) over it.
double Correlation(const PictureFeatures& outer, const PictureFeatures& inner, float k, float dx, float dy) {
  double sa = 0, sb = 0, saa = 0, sbb = 0, sab = 0;
  const double n = double(inner.width) * inner.height;
  for (int y = 0; y < inner.height; ++y)
    for (int x = 0; x < inner.width; ++x) {
      const double a = Sample(outer, dx + k * (x + 0.5f) - 0.5f, dy + k * (y + 0.5f) - 0.5f);
      const double b = inner.grey[static_cast<std::size_t>(y) * inner.width + x];
      sa += a;
      sb += b;
      saa += a * a;
      sbb += b * b;
      sab += a * b;
    }
  const double va = saa - sa * sa / n, vb = sbb - sb * sb / n;
  if (va <= 0 || vb <= 0) return 0;
  return (sab - sa * sb / n) / std::sqrt(va * vb);
}

// The best placement of `inner` inside `outer`: `inner` covers at least
// smallestScale of one of outer's sides and `minArea` of its area, and lies
// wholly inside it.
Alignment AlignInside(const PictureFeatures& outer, const PictureFeatures& inner, double smallestScale,
                      double minArea) {
  Alignment best;
  const double fit = std::min(double(outer.width) / inner.width, double(outer.height) / inner.height);
  for (int s = 0; s <= kScaleSteps; ++s) {
    const double c = 1.0 - (1.0 - smallestScale) * s / kScaleSteps;
    const float k = static_cast<float>(c * fit);
    const float roomX = outer.width - k * inner.width, roomY = outer.height - k * inner.height;
    const int stepsX = std::max(0, static_cast<int>(std::floor(roomX))),
              stepsY = std::max(0, static_cast<int>(std::floor(roomY)));
    const double area = double(k) * inner.width * k * inner.height / (double(outer.width) * outer.height);
    if (area < minArea) continue;
    for (int oy = 0; oy <= stepsY; ++oy)
      for (int ox = 0; ox <= stepsX; ++ox) {
        // Spread the whole pixels of room evenly, both ends included.
        const float dx = stepsX ? roomX * ox / stepsX : roomX / 2, dy = stepsY ? roomY * oy / stepsY : roomY / 2;
        const double r = Correlation(outer, inner, k, dx, dy);
        if (r > best.correlation) best = {r, area};
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
  if (distance > limits.hashRadius || a.width == 0 || b.width == 0) return std::nullopt;
  const double ra = double(a.width) / a.height, rb = double(b.width) / b.height;
  if (std::max(ra / rb, rb / ra) > limits.aspect) return std::nullopt;
  if (ColourDifference(a, b) > limits.colour) return std::nullopt;
  const bool flatA = Deviation(a) < kFlatDeviation, flatB = Deviation(b) < kFlatDeviation;
  Alignment found;
  if (flatA && flatB) {
    found = {1.0, 1.0};
  } else if (flatA == flatB) {
    const double minArea = (limits.commonAreaPercent - 0.5) / 100;
    const Alignment bInA = AlignInside(a, b, limits.smallestScale, minArea);
    const Alignment aInB = AlignInside(b, a, limits.smallestScale, minArea);
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
