// Which pixels a thumbnail is drawn from, and how big it is drawn.
#pragma once

#include <algorithm>
#include <cstdint>

namespace thumbkit {

struct Span {
  std::uint32_t from = 0, size = 0;
};

struct Region {
  Span x, y;
};

// Cell i of n along `length` pixels (length >= 1, i < n): cut at whole
// pixels, so no pixel of a neighbouring cell enters it, and at least one
// pixel wide, so a picture narrower than the grid still gives every cell
// something to draw.
inline Span CellSpan(std::uint32_t length, std::uint64_t i, std::uint64_t n) {
  const auto from = static_cast<std::uint32_t>(i * length / n);
  const auto to = static_cast<std::uint32_t>((i + 1) * length / n);
  return {from, std::max<std::uint32_t>(1, to - from)};
}

// Part 0 is the whole w x h raster; part k (1..partX*partX) the k-th cell of
// its partX x partX grid, counted row by row from the top-left.
inline Region PartRegion(std::uint32_t w, std::uint32_t h, int part, int partX) {
  if (part == 0) return {{0, w}, {0, h}};
  const auto n = static_cast<std::uint64_t>(partX), k = static_cast<std::uint64_t>(part - 1);
  return {CellSpan(w, k % n, n), CellSpan(h, k / n, n)};
}

struct Size {
  std::uint32_t w = 0, h = 0;
};

// A w x h picture fitted into an edge x edge square with its aspect kept:
// the longer side becomes the edge and the other follows by integer
// division (at least one pixel), so small pictures are enlarged as well.
inline Size FitSize(std::uint32_t w, std::uint32_t h, std::uint32_t edge) {
  const auto scaled = [edge](std::uint32_t shorter, std::uint32_t longer) {
    return static_cast<std::uint32_t>(std::max<std::uint64_t>(1, std::uint64_t(shorter) * edge / longer));
  };
  if (w > h) return {edge, scaled(h, w)};
  if (h > w) return {scaled(w, h), edge};
  return {edge, edge};
}

}  // namespace thumbkit
