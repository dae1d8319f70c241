// WebP chunks, walked as libexiv2 walks them. It seeks from chunk to
// chunk: a file cut short and padded with zeros (a download's preallocated
// file) reads as millions of empty chunks, and a chunk's claimed size
// becomes an allocation.
#include <cstdint>

#include "engine/meta/bounded_walks.h"

namespace pictray::meta {
namespace {

// An animated WebP of thousands of frames.
constexpr std::uint32_t kMaxChunks = 1 << 18;

std::uint32_t LittleEndian32(const unsigned char* p) {
  return std::uint32_t(p[3]) << 24 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[1]) << 8 | p[0];
}

bool Printable(const unsigned char* p) {
  for (int i = 0; i < 4; ++i)
    if (p[i] < 0x20 || p[i] > 0x7E) return false;
  return true;
}

}  // namespace

bool WebpChunksBounded(const fs::ReadOnlyFile& file) {
  const std::uint64_t size = file.size();
  unsigned char h[12];
  if (file.ReadAt(0, h, sizeof h) != sizeof h) return false;
  const std::uint64_t end = std::uint64_t(LittleEndian32(h + 4)) + 8;
  if (end > size) return false;
  std::uint64_t at = sizeof h;
  for (std::uint32_t n = 0; at < end; ++n) {
    if (n >= kMaxChunks || size - at < 8 || file.ReadAt(at, h, 8) != 8) return false;
    const std::uint32_t length = LittleEndian32(h + 4);
    if (!Printable(h) || length > size - at - 8) return false;
    at += 8 + std::uint64_t(length) + (length & 1);
  }
  return true;
}

}  // namespace pictray::meta
