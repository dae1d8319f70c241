// Exact area-averaging resampler for 24-bit B,G,R rasters.
#pragma once

#include <cstddef>
#include <cstdint>

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

// Resamples all of `src` onto all of `dst`, in either direction: every
// target pixel becomes the mean of the source area it covers, pixels cut by
// its edges weighted by the part inside, rounded to the nearest value.
// Works in integers, rows first and then columns, holding one row of sums.
// src.width * src.height * 255 must fit in 64 bits (every decoder's pixel
// budget keeps it far below). Throws std::bad_alloc before writing
// anything when its few rows of sums cannot be had.
void AreaScale(const BgrRaster<const std::uint8_t>& src, const BgrRaster<std::uint8_t>& dst);

}  // namespace thumbkit
