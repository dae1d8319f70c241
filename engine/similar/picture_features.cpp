#include "engine/similar/picture_features.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "engine/colour/pixel_window.h"

namespace pictray::similar {
namespace {

// The library's thumbnail the features are taken from; large enough that
// the grey thumbnail is an average of whole pixels.
constexpr int kDrawEdge = 64;
constexpr int kHashEdge = 32, kHashFrequencies = 8;

// The library's fitting of a w x h picture into the square (thumbkit's FitSize).
std::pair<int, int> FitInto(int w, int h, int edge) {
  const auto scaled = [edge](int shorter, int longer) {
    return static_cast<int>(std::max<long long>(1, static_cast<long long>(shorter) * edge / longer));
  };
  if (w > h) return {edge, scaled(h, w)};
  if (h > w) return {scaled(w, h), edge};
  return {edge, edge};
}

// Weights of source samples [0, from) over target cell i of `to` cells.
struct Span {
  int first = 0, last = 0;  // source samples touched, inclusive
  double start = 0, end = 0;
};
Span SpanOf(int i, int from, int to) {
  const double start = double(i) * from / to, end = double(i + 1) * from / to;
  return {static_cast<int>(start), std::min(from - 1, static_cast<int>(std::ceil(end)) - 1), start, end};
}
double Overlap(const Span& s, int k) { return std::min(s.end, k + 1.0) - std::max(s.start, double(k)); }

std::array<Plane, 3> DrawnPlanes(const Surface& surface, int w, int h) {
  std::array<Plane, 3> rgb;
  for (Plane& p : rgb) p = {w, h, std::vector<float>(static_cast<std::size_t>(w) * h)};
  const PixelWindow win = surface.Window();
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const Rgb c = win.At(static_cast<std::uint32_t>(x), win.height - 1 - static_cast<std::uint32_t>(y));
      const std::size_t i = static_cast<std::size_t>(y) * w + x;
      rgb[0].v[i] = float(c.r);
      rgb[1].v[i] = float(c.g);
      rgb[2].v[i] = float(c.b);
    }
  return rgb;
}

std::uint8_t Byte(float v) { return static_cast<std::uint8_t>(std::clamp(std::lround(v), 0L, 255L)); }

}  // namespace

Plane Resample(const Plane& p, int w, int h) {
  Plane rows{p.width, h, std::vector<float>(static_cast<std::size_t>(p.width) * h)};
  for (int y = 0; y < h; ++y) {
    const Span s = SpanOf(y, p.height, h);
    for (int k = s.first; k <= s.last; ++k) {
      const float wgt = static_cast<float>(Overlap(s, k) / (s.end - s.start));
      for (int x = 0; x < p.width; ++x) rows.v[static_cast<std::size_t>(y) * p.width + x] += wgt * p.At(x, k);
    }
  }
  Plane out{w, h, std::vector<float>(static_cast<std::size_t>(w) * h)};
  for (int x = 0; x < w; ++x) {
    const Span s = SpanOf(x, p.width, w);
    for (int k = s.first; k <= s.last; ++k) {
      const float wgt = static_cast<float>(Overlap(s, k) / (s.end - s.start));
      for (int y = 0; y < h; ++y) out.v[static_cast<std::size_t>(y) * w + x] += wgt * rows.At(k, y);
    }
  }
  return out;
}

Plane Turn(const Plane& p, int orientation) {
  const bool swap = orientation >= 5 && orientation <= 8;
  Plane out{swap ? p.height : p.width, swap ? p.width : p.height, std::vector<float>(p.v.size())};
  const int W = p.width - 1, H = p.height - 1;
  for (int y = 0; y < p.height; ++y)
    for (int x = 0; x < p.width; ++x) {
      // Where stored pixel (x, y) is shown.
      int sx = x, sy = y;
      switch (orientation) {
        case 2:
          sx = W - x;
          break;
        case 3:
          sx = W - x;
          sy = H - y;
          break;
        case 4:
          sy = H - y;
          break;
        case 5:
          sx = y;
          sy = x;
          break;
        case 6:
          sx = H - y;
          sy = x;
          break;
        case 7:
          sx = H - y;
          sy = W - x;
          break;
        case 8:
          sx = y;
          sy = W - x;
          break;
        default:
          break;
      }
      out.v[static_cast<std::size_t>(sy) * out.width + sx] = p.At(x, y);
    }
  return out;
}

namespace {

// What a grey pixel is predicted to be from its left, upper and upper left
// neighbours (a plane through them), or from the one it has.
int Predicted(const std::uint8_t* grey, int width, int x, int y) {
  const std::size_t at = static_cast<std::size_t>(y) * width + x;
  if (y == 0) return x == 0 ? 128 : grey[at - 1];
  if (x == 0) return grey[at - width];
  return std::clamp(int(grey[at - 1]) + grey[at - width] - grey[at - width - 1], 0, 255);
}

// Differences of -kSmall..kSmall take one nibble (the difference plus
// kSmall + 1), others a zero nibble and the byte.
constexpr int kSmall = 7;

}  // namespace

void PackGrey(const std::uint8_t* grey, int width, int height, std::vector<std::uint8_t>& out) {
  bool half = false;  // the last byte's low nibble is still free
  const auto nibble = [&](int v) {
    if (half)
      out.back() = static_cast<std::uint8_t>(out.back() | v);
    else
      out.push_back(static_cast<std::uint8_t>(v << 4));
    half = !half;
  };
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const std::uint8_t step = static_cast<std::uint8_t>(grey[static_cast<std::size_t>(y) * width + x] -
                                                          Predicted(grey, width, x, y));
      const int d = static_cast<std::int8_t>(step);
      if (d >= -kSmall && d <= kSmall) {
        nibble(d + kSmall + 1);
      } else {
        nibble(0);
        nibble(step >> 4);
        nibble(step & 15);
      }
    }
}

void UnpackGrey(const std::uint8_t* packed, int width, int height, std::uint8_t* grey) {
  std::size_t at = 0;  // in nibbles
  const auto nibble = [&] {
    const std::uint8_t b = packed[at / 2];
    return (at++ % 2 == 0) ? b >> 4 : b & 15;
  };
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const int n = nibble();
      int step = n - kSmall - 1;
      if (n == 0) {
        const int high = nibble();
        step = high << 4 | nibble();
      }
      grey[static_cast<std::size_t>(y) * width + x] = static_cast<std::uint8_t>(Predicted(grey, width, x, y) + step);
    }
}

const std::uint8_t* GreyOf(const FeatureView& f, GreyRoom& room) {
  if (f.grey || !f.packedGrey) return f.grey;
  UnpackGrey(f.packedGrey, f.width, f.height, room.data());
  return room.data();
}

std::uint64_t GreyHash(const Plane& grey) {
  const Plane small = Resample(grey, kHashEdge, kHashEdge);
  std::array<double, kHashEdge * kHashFrequencies> cosines;
  for (int u = 0; u < kHashFrequencies; ++u)
    for (int x = 0; x < kHashEdge; ++x)
      cosines[u * kHashEdge + x] = std::cos((2 * x + 1) * u * std::numbers::pi / (2 * kHashEdge));
  // Rows first, then columns, of the low frequencies alone.
  std::array<double, kHashEdge * kHashFrequencies> byRow{};
  for (int y = 0; y < kHashEdge; ++y)
    for (int u = 0; u < kHashFrequencies; ++u)
      for (int x = 0; x < kHashEdge; ++x)
        byRow[y * kHashFrequencies + u] += small.At(x, y) * cosines[u * kHashEdge + x];
  std::array<double, kHashFrequencies * kHashFrequencies> dct{};
  for (int v = 0; v < kHashFrequencies; ++v)
    for (int u = 0; u < kHashFrequencies; ++u)
      for (int y = 0; y < kHashEdge; ++y)
        dct[v * kHashFrequencies + u] += byRow[y * kHashFrequencies + u] * cosines[v * kHashEdge + y];
  // The median leaves out the mean (u = v = 0), which says only how bright.
  std::array<double, kHashFrequencies * kHashFrequencies - 1> ac;
  std::copy(dct.begin() + 1, dct.end(), ac.begin());
  std::nth_element(ac.begin(), ac.begin() + ac.size() / 2, ac.end());
  const double median = ac[ac.size() / 2];
  std::uint64_t hash = 0;
  for (std::size_t i = 0; i < dct.size(); ++i)
    if (dct[i] > median) hash |= std::uint64_t{1} << i;
  return hash;
}

std::array<std::uint64_t, kCropHashes> CropHashes(const Plane& grey) {
  const int w = std::max(1, static_cast<int>(std::lround(grey.width * kCropShare)));
  const int h = std::max(1, static_cast<int>(std::lround(grey.height * kCropShare)));
  const int rx = grey.width - w, ry = grey.height - h;
  const std::pair<int, int> at[kCropHashes] = {{0, 0}, {rx, 0}, {0, ry}, {rx, ry}, {rx / 2, ry / 2}};
  std::array<std::uint64_t, kCropHashes> out{};
  for (int k = 0; k < kCropHashes; ++k) {
    Plane crop{w, h, std::vector<float>(static_cast<std::size_t>(w) * h)};
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) crop.v[static_cast<std::size_t>(y) * w + x] = grey.At(at[k].first + x, at[k].second + y);
    out[static_cast<std::size_t>(k)] = GreyHash(crop);
  }
  return out;
}

std::optional<PictureFeatures> MeasurePicture(const ThumbnailCalls& lib, const std::string& path, int storedWidth,
                                              int storedHeight, int orientation, int* answer) {
  if (answer) *answer = kNotDrawn;
  if (!lib.Drawing() || storedWidth <= 0 || storedHeight <= 0) return std::nullopt;
  Surface surface(kDrawEdge);
  const int drawn = lib.Draw(surface.bits(), path.c_str(), kDrawEdge, 0, 1);
  if (answer) *answer = drawn;
  if (drawn != kDrawn) return std::nullopt;
  const auto [w, h] = FitInto(storedWidth, storedHeight, kDrawEdge);
  std::array<Plane, 3> rgb = DrawnPlanes(surface, w, h);
  for (Plane& p : rgb) p = Turn(p, orientation);
  return FeaturesOf(rgb);
}

PictureFeatures FeaturesOf(const std::array<Plane, 3>& rgb) {
  Plane grey{rgb[0].width, rgb[0].height, std::vector<float>(rgb[0].v.size())};
  for (std::size_t i = 0; i < grey.v.size(); ++i)
    grey.v[i] = 0.299f * rgb[0].v[i] + 0.587f * rgb[1].v[i] + 0.114f * rgb[2].v[i];

  PictureFeatures f;
  f.hash = GreyHash(grey);
  f.cropHash = CropHashes(grey);
  for (int c = 0; c < 3; ++c) {
    const Plane cells = Resample(rgb[c], kColourGrid, kColourGrid);
    for (std::size_t i = 0; i < cells.v.size(); ++i) f.colour[i * 3 + c] = Byte(cells.v[i]);
  }
  const auto [gw, gh] = FitInto(grey.width, grey.height, kGreyEdge);
  const Plane small = Resample(grey, gw, gh);
  f.width = static_cast<std::uint8_t>(gw);
  f.height = static_cast<std::uint8_t>(gh);
  std::transform(small.v.begin(), small.v.end(), f.grey.begin(), Byte);
  return f;
}

}  // namespace pictray::similar
