// The directories of a TIFF-structured file, walked for what they point at:
// a file cut short or overwritten leaves a directory, a value or the
// picture's data beyond its end, or entries of no TIFF type.
#include <cstdint>
#include <cstring>
#include <optional>
#include <set>
#include <vector>

#include "engine/meta/whole_file.h"

namespace pictray::meta {
namespace {

// A camera's file holds a handful of directories two levels deep.
constexpr int kMaxDepth = 4;
constexpr std::size_t kMaxDirectories = 256;
// Strip or tile tables: a large TIFF of single-row strips.
constexpr std::uint64_t kMaxTable = 1 << 20;

enum Tag : std::uint16_t {
  kStripOffsets = 0x111,
  kStripByteCounts = 0x117,
  kTileOffsets = 0x144,
  kTileByteCounts = 0x145,
  kSubIfds = 0x14A,
  kJpegOffset = 0x201,
  kJpegLength = 0x202,
  kExifIfd = 0x8769,
  kGpsIfd = 0x8825,
};

// Bytes per value of the TIFF types 1 to 13; 0 for no type.
std::uint64_t TypeBytes(std::uint16_t type) {
  static constexpr std::uint8_t kBytes[] = {0, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8, 4};
  return type < sizeof kBytes ? kBytes[type] : 0;
}

struct Entry {
  std::uint16_t tag = 0, type = 0;
  std::uint32_t count = 0;
  std::uint64_t valueAt = 0;  // where the values are: in the entry or out of it
};

struct Tiff {
  const fs::ReadOnlyFile& file;
  bool little;
  std::set<std::uint64_t> seen;

  std::uint64_t Number(const unsigned char* p, int bytes) const {
    std::uint64_t v = 0;
    for (int i = 0; i < bytes; ++i) v |= std::uint64_t(p[i]) << (8 * (little ? i : bytes - 1 - i));
    return v;
  }
  bool Within(std::uint64_t at, std::uint64_t n) const { return at <= file.size() && n <= file.size() - at; }
  bool Read(std::uint64_t at, unsigned char* out, std::size_t n) const {
    return Within(at, n) && file.ReadAt(at, out, n) == n;
  }

  // The entry's values as numbers (SHORT, LONG or IFD), or nothing.
  std::optional<std::vector<std::uint64_t>> Values(const Entry& e) const {
    const std::uint64_t width = TypeBytes(e.type);
    if ((e.type != 3 && e.type != 4 && e.type != 13) || e.count > kMaxTable) return std::nullopt;
    std::vector<unsigned char> raw(static_cast<std::size_t>(width * e.count));
    if (!Read(e.valueAt, raw.data(), raw.size())) return std::nullopt;
    std::vector<std::uint64_t> out(e.count);
    for (std::uint32_t i = 0; i < e.count; ++i) out[i] = Number(raw.data() + i * width, static_cast<int>(width));
    return out;
  }

  // Data at `offsets` of `lengths` bytes each within the file; a start
  // alone when the file says no length (a RAW's sensor data).
  bool DataWithin(const Entry* offsets, const Entry* lengths) const {
    if (!offsets) return true;
    const auto at = Values(*offsets);
    if (!at) return false;
    if (!lengths) {
      for (const std::uint64_t a : *at)
        if (a >= file.size()) return false;
      return true;
    }
    const auto n = Values(*lengths);
    if (!n || n->size() != at->size()) return false;
    for (std::size_t i = 0; i < at->size(); ++i)
      if (!Within((*at)[i], (*n)[i])) return false;
    return true;
  }

  // The directory at `at` and the ones after it.
  bool Chain(std::uint64_t at, int depth) {
    while (at != 0) {
      if (depth > kMaxDepth || seen.size() >= kMaxDirectories || !seen.insert(at).second) return false;
      unsigned char n[2];
      if (!Read(at, n, 2)) return false;
      const std::uint64_t count = Number(n, 2);
      std::vector<unsigned char> list(static_cast<std::size_t>(count * 12 + 4));
      if (count == 0 || !Read(at + 2, list.data(), list.size())) return false;
      if (!Directory(at + 2, list, count, depth)) return false;
      at = Number(list.data() + count * 12, 4);
    }
    return true;
  }

  bool Directory(std::uint64_t listAt, const std::vector<unsigned char>& list, std::uint64_t count, int depth) {
    std::vector<Entry> entries;
    for (std::uint64_t i = 0; i < count; ++i) {
      const unsigned char* p = list.data() + i * 12;
      Entry e{static_cast<std::uint16_t>(Number(p, 2)), static_cast<std::uint16_t>(Number(p + 2, 2)),
              static_cast<std::uint32_t>(Number(p + 4, 4)), listAt + i * 12 + 8};
      const std::uint64_t bytes = TypeBytes(e.type) * e.count;
      if (TypeBytes(e.type) == 0) return false;
      if (bytes > 4) e.valueAt = Number(p + 8, 4);
      if (!Within(e.valueAt, bytes)) return false;
      entries.push_back(e);
    }
    const auto find = [&entries](std::uint16_t tag) -> const Entry* {
      for (const Entry& e : entries)
        if (e.tag == tag) return &e;
      return nullptr;
    };
    if (!DataWithin(find(kStripOffsets), find(kStripByteCounts)) ||
        !DataWithin(find(kTileOffsets), find(kTileByteCounts)))
      return false;
    if (const Entry* jpeg = find(kJpegOffset); jpeg && !DataWithin(jpeg, find(kJpegLength))) return false;
    for (const std::uint16_t tag : {kSubIfds, kExifIfd, kGpsIfd}) {
      const Entry* e = find(tag);
      if (!e) continue;
      const auto children = Values(*e);
      if (!children) return false;
      for (const std::uint64_t child : *children)
        if (!Chain(child, depth + 1)) return false;
    }
    return true;
  }
};

}  // namespace

bool TiffWhole(const fs::ReadOnlyFile& file) {
  unsigned char h[8];
  if (file.ReadAt(0, h, sizeof h) != sizeof h) return true;
  const bool little = h[0] == 'I' && h[1] == 'I';
  if (!little && !(h[0] == 'M' && h[1] == 'M')) return true;
  static constexpr const char* kMarks[] = {"II*\0", "MM\0*", "IIRO", "IIRS", "MMOR", "IIU\0"};
  bool marked = false;
  for (const char* mark : kMarks) marked = marked || std::memcmp(h, mark, 4) == 0;
  if (!marked) return true;
  Tiff tiff{file, little, {}};
  const std::uint64_t first = tiff.Number(h + 4, 4);
  return first != 0 && tiff.Chain(first, 0);
}

}  // namespace pictray::meta
