// Conversions of decoded rows into the B,G,R rows of a pictray::Picture.
#pragma once

#include <cstddef>
#include <cstdint>
#include <new>
#include <vector>

namespace thumbkit {

// Pixel over white: alpha 255 keeps the colour, 0 gives white.
inline std::uint8_t OverWhite(unsigned c, unsigned a) {
  return static_cast<std::uint8_t>((c * a + 255 * (255 - a) + 127) / 255);
}

// Where a decoder's pixels keep their channels; alpha < 0 for none.
struct Channels {
  int bytes, r, g, b, alpha;
};

// w pixels of `in`, laid out as `from` says, to B,G,R over white.
inline void ToBgrOverWhite(const std::uint8_t* in, const Channels& from, std::uint8_t* out, std::uint32_t w) {
  for (std::uint32_t x = 0; x < w; ++x, in += from.bytes, out += 3) {
    const unsigned a = from.alpha < 0 ? 255 : in[from.alpha];
    out[0] = OverWhite(in[from.b], a);
    out[1] = OverWhite(in[from.g], a);
    out[2] = OverWhite(in[from.r], a);
  }
}

// Sizes `v` to n elements; false when memory cannot be had.
template <class T>
bool Reserve(std::vector<T>& v, std::size_t n) {
  try {
    v.resize(n);
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

}  // namespace thumbkit
