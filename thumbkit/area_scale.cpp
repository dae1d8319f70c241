#include "thumbkit/area_scale.h"

#include <algorithm>
#include <vector>

namespace thumbkit {
namespace {

// Measured in units of 1/(src * dst) of the whole length, source pixel s
// spans [s*dst, (s+1)*dst) and target pixel t spans [t*src, (t+1)*src):
// every overlap is a whole number and each target pixel's weights add up to
// `src`.
struct Overlaps {
  std::uint64_t src, dst;

  std::uint64_t First(std::uint64_t t) const { return t * src / dst; }
  // One past the last source pixel that target pixel t touches.
  std::uint64_t End(std::uint64_t t) const { return ((t + 1) * src + dst - 1) / dst; }
  std::uint64_t Weight(std::uint64_t s, std::uint64_t t) const {
    return std::min((s + 1) * dst, (t + 1) * src) - std::max(s * dst, t * src);
  }
};

}  // namespace

// The horizontal weights of all target columns, laid out one column after
// the other; a column of a reduction touches about src/dst pixels.
class ColumnWeights {
 public:
  ColumnWeights(std::uint32_t src, std::uint32_t dst) : first_(dst), offset_(dst + 1) {
    const Overlaps o{src, dst};
    weights_.reserve(std::size_t(src) + dst);
    for (std::uint32_t t = 0; t < dst; ++t) {
      first_[t] = static_cast<std::uint32_t>(o.First(t));
      offset_[t] = weights_.size();
      for (std::uint64_t s = o.First(t); s < o.End(t); ++s)
        weights_.push_back(static_cast<std::uint32_t>(o.Weight(s, t)));
    }
    offset_[dst] = weights_.size();
  }

  // Weighted sums of one source row, three per target pixel.
  void Apply(const std::uint8_t* row, std::uint64_t* sums) const {
    for (std::size_t t = 0; t < first_.size(); ++t) {
      const std::uint8_t* p = row + 3 * std::size_t(first_[t]);
      std::uint64_t b = 0, g = 0, r = 0;
      for (std::size_t i = offset_[t]; i < offset_[t + 1]; ++i, p += 3) {
        const std::uint64_t w = weights_[i];
        b += w * p[0];
        g += w * p[1];
        r += w * p[2];
      }
      sums[3 * t] = b;
      sums[3 * t + 1] = g;
      sums[3 * t + 2] = r;
    }
  }

 private:
  std::vector<std::uint32_t> first_;
  std::vector<std::size_t> offset_;
  std::vector<std::uint32_t> weights_;  // at most min(src, dst) each
};

AreaScaler::AreaScaler(std::uint32_t src_w, std::uint32_t src_h, const BgrRaster<std::uint8_t>& dst)
    : columns_(std::make_unique<const ColumnWeights>(src_w, dst.width)),
      dst_(dst),
      srcHeight_(src_h),
      area_(std::uint64_t(src_w) * src_h),
      rowSums_(3 * std::size_t(dst.width)),
      sums_(3 * std::size_t(dst.width)) {}

AreaScaler::~AreaScaler() = default;
AreaScaler::AreaScaler(AreaScaler&&) noexcept = default;
AreaScaler& AreaScaler::operator=(AreaScaler&&) noexcept = default;

void AreaScaler::Add(const std::uint8_t* row) {
  const Overlaps rows{srcHeight_, dst_.height};
  const std::uint64_t s = nextSource_++;
  columns_->Apply(row, rowSums_.data());
  // A target pixel's sum carries the weight src.width * src.height. The
  // source row may end one target row and start the next, or (enlarging)
  // make up several whole ones.
  const std::uint64_t half = area_ / 2;
  for (; target_ < dst_.height && rows.First(target_) <= s; ++target_) {
    const std::uint64_t w = rows.Weight(s, target_);
    for (std::size_t i = 0; i < sums_.size(); ++i) sums_[i] += w * rowSums_[i];
    if (rows.End(target_) != s + 1) return;
    std::uint8_t* out = dst_.Row(target_);
    for (std::size_t i = 0; i < sums_.size(); ++i) out[i] = static_cast<std::uint8_t>((sums_[i] + half) / area_);
    std::fill(sums_.begin(), sums_.end(), 0);
  }
}

void AreaScale(const BgrRaster<const std::uint8_t>& src, const BgrRaster<std::uint8_t>& dst) {
  AreaScaler scaler(src.width, src.height, dst);
  for (std::uint32_t y = 0; y < src.height; ++y) scaler.Add(src.Row(y));
}

}  // namespace thumbkit
