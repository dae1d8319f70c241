// PNG and WebP chunks, walked as libexiv2 walks them. It seeks from chunk
// to chunk: a file cut short and padded with zeros (a download's
// preallocated file) reads as millions of empty chunks, and a WebP chunk's
// claimed size becomes an allocation.
#include <cstdint>
#include <cstring>

#include "engine/meta/bounded_walks.h"

namespace pictray::meta {
namespace {

// A PNG written a row per chunk, an animated WebP of thousands of frames.
constexpr std::uint32_t kMaxChunks = 1 << 18;

std::uint32_t BigEndian32(const unsigned char* p) {
  return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | p[3];
}

std::uint32_t LittleEndian32(const unsigned char* p) {
  return std::uint32_t(p[3]) << 24 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[1]) << 8 | p[0];
}

bool Letters(const unsigned char* p) {
  for (int i = 0; i < 4; ++i)
    if (!((p[i] >= 'A' && p[i] <= 'Z') || (p[i] >= 'a' && p[i] <= 'z'))) return false;
  return true;
}

bool Printable(const unsigned char* p) {
  for (int i = 0; i < 4; ++i)
    if (p[i] < 0x20 || p[i] > 0x7E) return false;
  return true;
}

}  // namespace

// Without IEND the library reads past the end and throws: no file is
// lost by asking for it.
bool PngChunksBounded(const fs::ReadOnlyFile& file) {
  const std::uint64_t size = file.size();
  std::uint64_t at = 8;
  for (std::uint32_t n = 0; n < kMaxChunks && at <= size && size - at >= 8; ++n) {
    unsigned char h[8];
    if (file.ReadAt(at, h, sizeof h) != sizeof h) return false;
    const std::uint32_t length = BigEndian32(h);
    if (length > 0x7FFFFFFF || length > size - at - 8 || !Letters(h + 4)) return false;
    if (std::memcmp(h + 4, "IEND", 4) == 0) return true;
    at += 12 + std::uint64_t(length);
  }
  return false;
}

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
