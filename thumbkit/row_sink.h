// Pictures handed over row by row as they are decoded, so that a format
// that streams need not be held whole.
#pragma once

#include <cstdint>

#include "engine/fs/budget_calls.h"
#include "engine/jpeg/jpeg_decode.h"

namespace thumbkit {

// Takes a decoded picture's rows, top row first, each as B,G,R pixels
// without padding.
class RowSink {
 public:
  virtual ~RowSink() = default;
  // The picture's size, before its first row.
  virtual void Begin(std::uint32_t w, std::uint32_t h) = 0;
  // Row y; false stops the decoding.
  virtual bool Row(std::uint32_t y, const std::uint8_t* bgr) = 0;
  // The longer side of a reduced picture that serves as well as the whole
  // one (a format's embedded thumbnail of at least this size may be drawn
  // instead); 0: only the picture at full size.
  virtual std::uint32_t SmallestUseful() const { return 0; }
};

// What a streamed decoding came to: kFailed also after rows were handed
// over (the file is cut short or corrupt further on, or over the budget
// before any row); kNoPlainPicture when a TIFF holds a camera's raw data.
enum class Streamed { kRead, kFailed, kStopped, kNoPlainPicture };

// Above this many pixels a picture is refused for the work of decoding
// it, however little of it is held.
inline constexpr std::uint64_t kMaxStreamedPixels = pictray::kMaxCheckPixels;

}  // namespace thumbkit
