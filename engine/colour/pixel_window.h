// The small square the colour analyses count: edge x edge pixels, 24-bit
// rows from the bottom of the picture up, each pixel blue, green, red, each
// row padded to a multiple of 4 bytes (the layout of the decoder's Picture
// and of the thumbnail library's surface).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace pictray {

struct Rgb {
  int r = 0, g = 0, b = 0;
  bool operator==(const Rgb&) const = default;
};

// A read-only view of pixel rows. Row 0 is the first row in memory, the
// bottom row of the picture; "scan order" below means rows from row 0 up,
// each from left to right.
struct PixelWindow {
  const std::uint8_t* bits = nullptr;
  std::uint32_t width = 0, height = 0;
  std::size_t stride = 0;  // bytes per row

  Rgb At(std::uint32_t column, std::uint32_t row) const {
    const std::uint8_t* p = bits + row * stride + column * std::size_t(3);
    return {p[2], p[1], p[0]};
  }
};

// Bytes per row of a surface `edge` pixels wide.
inline std::size_t SurfaceStride(std::uint32_t edge) { return (std::size_t(edge) * 3 + 3) & ~std::size_t(3); }

// The pixel memory a thumbnail is drawn into; each worker owns its own.
class Surface {
 public:
  explicit Surface(std::uint32_t edge) : edge_(edge), bits_(SurfaceStride(edge) * edge, 0) {}

  std::uint32_t edge() const { return edge_; }
  std::uint8_t* bits() { return bits_.data(); }
  PixelWindow Window() const { return {bits_.data(), edge_, edge_, SurfaceStride(edge_)}; }

 private:
  std::uint32_t edge_;
  std::vector<std::uint8_t> bits_;
};

}  // namespace pictray
