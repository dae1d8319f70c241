// CRW (CIFF) heaps, walked as libexiv2 walks them: a heap ends with the
// offset of its directory in it; the directory is a count and 10-byte
// entries (tag, size, offset), and an entry of a heap type is a heap again.
#include <cstdint>
#include <ctime>
#include <functional>
#include <vector>

#include "engine/marks/file_kind.h"
#include "engine/meta/bounded_walks.h"
#include "engine/meta/ciff_values.h"

namespace pictray::meta {
namespace {

// Cameras nest three heaps; the library recurses once per level.
constexpr int kMaxDepth = 16;
constexpr std::uint32_t kMaxEntries = 1 << 16;
constexpr std::size_t kEntryBytes = 10;

// Where an entry's value lies: `size` bytes at `at` of the file.
using EachEntry = std::function<void(std::uint32_t tag, std::uint64_t at, std::uint32_t size)>;

struct Ciff {
  const fs::ReadOnlyFile& file;
  bool little;
  EachEntry each;
  std::uint32_t entries = 0;

  std::uint32_t Number(const unsigned char* p, int bytes) const {
    std::uint32_t v = 0;
    for (int i = 0; i < bytes; ++i) v |= std::uint32_t(p[i]) << (8 * (little ? i : bytes - 1 - i));
    return v;
  }
  bool Read(std::uint64_t at, unsigned char* out, std::size_t n) const { return file.ReadAt(at, out, n) == n; }

  // The heap of `size` bytes at `at`; false where the library would throw
  // or where it nests or counts beyond belief.
  bool Heap(std::uint64_t at, std::uint32_t size, int depth) {
    if (depth > kMaxDepth || size < 4) return false;
    unsigned char b[4];
    if (!Read(at + size - 4, b, 4)) return false;
    const std::uint32_t dir = Number(b, 4);
    if (dir > size - 2 || !Read(at + dir, b, 2)) return false;
    const std::uint32_t count = Number(b, 2);
    if (count * kEntryBytes > size - dir - 2 || (entries += count) > kMaxEntries) return false;
    std::vector<unsigned char> list(count * kEntryBytes);
    if (!Read(at + dir + 2, list.data(), list.size())) return false;
    for (std::uint32_t i = 0; i < count; ++i) {
      const unsigned char* e = list.data() + i * kEntryBytes;
      const std::uint32_t tag = Number(e, 2);
      const bool heap = (tag & 0x3800) == 0x2800 || (tag & 0x3800) == 0x3000;
      const std::uint32_t where = tag & 0xC000;
      if (where == 0x0000) {  // in the heap
        const std::uint32_t n = Number(e + 2, 4), offset = Number(e + 6, 4);
        if (n > size || offset > size - n) return false;
        if (heap && !Heap(at + offset, n, depth + 1)) return false;
        if (each) each(tag, at + offset, n);
      } else if (where == 0x4000) {  // the value inside the entry itself
        if (heap && !Heap(at + dir + 2 + i * kEntryBytes + 2, 8, depth + 1)) return false;
        if (each) each(tag, at + dir + 2 + i * kEntryBytes + 2, 8);
      } else if (heap) {
        return false;
      }
    }
    return true;
  }
};

// Every heap of the file walked, `each` told of every entry.
bool Walk(const fs::ReadOnlyFile& file, const EachEntry& each, bool& little) {
  unsigned char head[14];
  if (file.ReadAt(0, head, sizeof head) != sizeof head || marks::KindOfHead(head, sizeof head) != marks::FileKind::Crw)
    return false;
  little = head[0] == 'I';
  Ciff ciff{file, little, each};
  const std::uint32_t root = ciff.Number(head + 2, 4);
  if (root < sizeof head || root > file.size() || file.size() - root > UINT32_MAX) return false;
  return ciff.Heap(root, static_cast<std::uint32_t>(file.size() - root), 0);
}

// The capture time's entry: four-byte numbers, seconds first.
constexpr std::uint32_t kCaptureTime = 0x180E;

}  // namespace

bool CiffHeapsBounded(const fs::ReadOnlyFile& file) {
  bool little = false;
  return Walk(file, nullptr, little);
}

std::optional<CiffValues> ReadCiffValues(const fs::ReadOnlyFile& file) {
  CiffValues out;
  std::optional<std::uint64_t> captureAt;
  const bool walked = Walk(
      file,
      [&captureAt](std::uint32_t tag, std::uint64_t at, std::uint32_t size) {
        if ((tag & 0x3FFF) == kCaptureTime && size >= 4 && !captureAt) captureAt = at;
      },
      out.littleEndian);
  if (!walked) return std::nullopt;
  unsigned char s[4];
  if (!captureAt || file.ReadAt(*captureAt, s, 4) != 4) return out;
  std::uint32_t seconds = 0;
  for (int i = 0; i < 4; ++i) seconds |= std::uint32_t(s[i]) << (8 * (out.littleEndian ? i : 3 - i));
  // The camera's clock as it read, counted as if from 1970 in UTC: shown
  // as it is, never moved by the zone the program runs in.
  const auto t = static_cast<std::time_t>(seconds);
  std::tm clock{};
  char text[32];
  if (::gmtime_r(&t, &clock) && std::strftime(text, sizeof text, "%Y:%m:%d %H:%M:%S", &clock) == 19)
    out.captureTime = text;
  return out;
}

}  // namespace pictray::meta
