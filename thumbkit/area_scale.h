// Exact area-averaging resampler for 24-bit B,G,R rasters.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace thumbkit {

// A B,G,R raster seen from its top row: row y starts at top + y * step
// (step is negative for a bottom-up picture).
template <class Byte>
struct BgrRaster {
  Byte* top = nullptr;
  std::ptrdiff_t step = 0;
  std::uint32_t width = 0, height = 0;

  Byte* Row(std::uint32_t y) const { return top + static_cast<std::ptrdiff_t>(y) * step; }
};

class ColumnWeights;

// AreaScale fed one source row at a time, top row first, so that a decoder
// that streams its rows need not hold the picture: each target row is
// written once its last source row has come.
class AreaScaler {
 public:
  // A src_w x src_h source onto all of `dst`; throws std::bad_alloc before
  // anything is written when its few rows of sums cannot be had.
  AreaScaler(std::uint32_t src_w, std::uint32_t src_h, const BgrRaster<std::uint8_t>& dst);
  ~AreaScaler();
  AreaScaler(AreaScaler&&) noexcept;
  AreaScaler& operator=(AreaScaler&&) noexcept;

  // The next source row: src_w pixels.
  void Add(const std::uint8_t* row);

 private:
  std::unique_ptr<const ColumnWeights> columns_;
  BgrRaster<std::uint8_t> dst_;
  std::uint64_t srcHeight_, area_;
  std::vector<std::uint64_t> rowSums_, sums_;
  std::uint64_t nextSource_ = 0;
  std::uint32_t target_ = 0;
};

// Resamples all of `src` onto all of `dst`, in either direction: every
// target pixel becomes the mean of the source area it covers, pixels cut by
// its edges weighted by the part inside, rounded to the nearest value.
// Works in integers, rows first and then columns, holding one row of sums.
// src.width * src.height * 255 must fit in 64 bits (kMaxStreamedPixels and
// the JPEG check's pixel bound keep it far below). Throws std::bad_alloc before writing
// anything when its few rows of sums cannot be had.
void AreaScale(const BgrRaster<const std::uint8_t>& src, const BgrRaster<std::uint8_t>& dst);

}  // namespace thumbkit
