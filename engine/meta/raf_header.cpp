#include "engine/meta/raf_header.h"

#include <cstdint>
#include <vector>

namespace pictray::meta {
namespace {

constexpr int kPartsAt = 84;  // offset and length of each part, big-endian
constexpr std::uint32_t kMaxEntries = 256;
constexpr std::uint16_t kFullSize = 0x100, kCroppedSize = 0x111;

std::uint32_t BigEndian(const unsigned char* p, int bytes) {
  std::uint32_t v = 0;
  for (int i = 0; i < bytes; ++i) v = v << 8 | p[i];
  return v;
}

struct Part {
  std::uint64_t offset = 0, length = 0;
};

std::optional<std::vector<Part>> Parts(const fs::ReadOnlyFile& file) {
  unsigned char h[kPartsAt + 24];
  if (file.ReadAt(0, h, sizeof h) != sizeof h) return std::nullopt;
  std::vector<Part> parts;
  for (int at = kPartsAt; at < kPartsAt + 24; at += 8) parts.push_back({BigEndian(h + at, 4), BigEndian(h + at + 4, 4)});
  return parts;
}

}  // namespace

bool RafPartsWithin(const fs::ReadOnlyFile& file) {
  const auto parts = Parts(file);
  if (!parts) return false;
  for (const Part& p : *parts)
    if (p.offset > file.size() || p.length > file.size() - p.offset) return false;
  return true;
}

std::optional<std::pair<long long, long long>> RafImageSize(const fs::ReadOnlyFile& file) {
  const auto parts = Parts(file);
  if (!parts) return std::nullopt;
  const Part header = (*parts)[1];
  unsigned char n[4];
  if (file.ReadAt(header.offset, n, 4) != 4 || BigEndian(n, 4) > kMaxEntries) return std::nullopt;
  std::optional<std::pair<long long, long long>> full, cropped;
  std::uint64_t at = header.offset + 4;
  for (std::uint32_t i = 0; i < BigEndian(n, 4) && at - header.offset < header.length; ++i) {
    unsigned char e[8];
    if (file.ReadAt(at, e, sizeof e) != sizeof e) return std::nullopt;
    const std::uint16_t tag = static_cast<std::uint16_t>(BigEndian(e, 2)), size = static_cast<std::uint16_t>(BigEndian(e + 2, 2));
    if ((tag == kFullSize || tag == kCroppedSize) && size == 4)  // height, then width
      (tag == kFullSize ? full : cropped) = std::pair<long long, long long>(BigEndian(e + 6, 2), BigEndian(e + 4, 2));
    at += 4 + std::uint64_t(size);
  }
  return cropped ? cropped : full;
}

}  // namespace pictray::meta
