// The directories of a TIFF-structured file, walked for what they point at:
// a file cut short or overwritten leaves a directory, a value or the
// picture's data beyond its end, or entries of no TIFF type. BigTIFF (the
// same with 64-bit counts and offsets) is walked here too, and its values
// read here, as libexiv2 does not take it.
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "engine/marks/file_kind.h"
#include "engine/meta/media_readers.h"
#include "engine/meta/tiff_tags.h"
#include "engine/meta/whole_file.h"

namespace pictray::meta {
namespace {

// A camera's file holds a handful of directories two levels deep.
constexpr int kMaxDepth = 4;
constexpr std::size_t kMaxDirectories = 256;
// Strip or tile tables: a large TIFF of single-row strips.
constexpr std::uint64_t kMaxTable = 1 << 20;

// Bytes per value of the TIFF types 1 to 13 and BigTIFF's 16 to 18; 0 for
// no type.
std::uint64_t TypeBytes(std::uint16_t type) {
  static constexpr std::uint8_t kBytes[] = {0, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8, 4, 0, 0, 8, 8, 8};
  return type < sizeof kBytes ? kBytes[type] : 0;
}

bool IsNumberType(std::uint16_t type) { return type == 3 || type == 4 || type == 13 || type == 16 || type == 18; }

struct Entry {
  std::uint16_t tag = 0, type = 0;
  std::uint64_t count = 0;
  std::uint64_t valueAt = 0;  // where the values are: in the entry or out of it
};

const Entry* Find(const std::vector<Entry>& entries, std::uint16_t tag) {
  for (const Entry& e : entries)
    if (e.tag == tag) return &e;
  return nullptr;
}

struct Tiff {
  const fs::ReadOnlyFile& file;
  bool little;
  bool big = false;  // BigTIFF: 8-byte counts and offsets, 20-byte entries
  std::set<std::uint64_t> seen;

  int OffsetBytes() const { return big ? 8 : 4; }
  int CountBytes() const { return big ? 8 : 2; }
  std::uint64_t EntryBytes() const { return big ? 20 : 12; }

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
    if (!IsNumberType(e.type) || e.count > kMaxTable) return std::nullopt;
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

  // The entries of the directory at `at` and the offset of the next one;
  // nothing when it is empty, beyond the file or of no TIFF type.
  std::optional<std::vector<Entry>> Entries(std::uint64_t at, std::uint64_t* next) const {
    unsigned char n[8];
    if (!Read(at, n, static_cast<std::size_t>(CountBytes()))) return std::nullopt;
    const std::uint64_t count = Number(n, CountBytes());
    const std::uint64_t listAt = at + static_cast<std::uint64_t>(CountBytes());
    if (count == 0 || count > kMaxTable) return std::nullopt;
    std::vector<unsigned char> list(static_cast<std::size_t>(count * EntryBytes()) + static_cast<std::size_t>(OffsetBytes()));
    if (!Read(listAt, list.data(), list.size())) return std::nullopt;
    std::vector<Entry> entries;
    const int countBytes = big ? 8 : 4;
    for (std::uint64_t i = 0; i < count; ++i) {
      const unsigned char* p = list.data() + i * EntryBytes();
      Entry e{static_cast<std::uint16_t>(Number(p, 2)), static_cast<std::uint16_t>(Number(p + 2, 2)),
              Number(p + 4, countBytes), listAt + i * EntryBytes() + 4 + static_cast<std::uint64_t>(countBytes)};
      if (TypeBytes(e.type) == 0 || e.count > file.size()) return std::nullopt;
      const std::uint64_t bytes = TypeBytes(e.type) * e.count;
      if (bytes > static_cast<std::uint64_t>(OffsetBytes())) e.valueAt = Number(p + 4 + countBytes, OffsetBytes());
      if (!Within(e.valueAt, bytes)) return std::nullopt;
      entries.push_back(e);
    }
    *next = Number(list.data() + count * EntryBytes(), OffsetBytes());
    return entries;
  }

  // The directory at `at` and the ones after it.
  bool Chain(std::uint64_t at, int depth) {
    while (at != 0) {
      if (depth > kMaxDepth || seen.size() >= kMaxDirectories || !seen.insert(at).second) return false;
      const std::optional<std::vector<Entry>> entries = Entries(at, &at);
      if (!entries || !Directory(*entries, depth)) return false;
    }
    return true;
  }

  bool Directory(const std::vector<Entry>& entries, int depth) {
    const auto find = [&entries](std::uint16_t tag) { return Find(entries, tag); };
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

// The walker of the file's kind with its first directory's offset; nothing
// for a file that is not TIFF-structured.
std::optional<std::pair<Tiff, std::uint64_t>> Open(const fs::ReadOnlyFile& file) {
  unsigned char h[marks::kHeadBytes];
  const std::size_t got = file.ReadAt(0, h, sizeof h);
  const marks::FileKind kind = marks::KindOfHead(h, got);
  if (kind == marks::FileKind::BigTiff) {
    Tiff tiff{file, h[0] == 'I', true, {}};
    // Offsets of 8 bytes, the header's version 43: 8, 0, then the first directory.
    if (got < 16 || tiff.Number(h + 4, 2) != 8 || tiff.Number(h + 6, 2) != 0) return std::nullopt;
    const std::uint64_t first = tiff.Number(h + 8, 8);
    return std::pair(std::move(tiff), first);
  }
  const bool structured = kind == marks::FileKind::Tiff || kind == marks::FileKind::Cr2 ||
                          kind == marks::FileKind::Orf || kind == marks::FileKind::Rw2;
  if (!structured || got < 8) return std::nullopt;
  Tiff tiff{file, h[0] == 'I', false, {}};
  const std::uint64_t first = tiff.Number(h + 4, 4);
  return std::pair(std::move(tiff), first);
}

// An ASCII value up to its first 00 byte.
std::optional<std::string> Text(const Tiff& tiff, const Entry* e) {
  if (!e || e->type != 2 || e->count > kMaxTable) return std::nullopt;
  std::string v(static_cast<std::size_t>(e->count), '\0');
  if (!tiff.Read(e->valueAt, reinterpret_cast<unsigned char*>(v.data()), v.size())) return std::nullopt;
  if (const auto nul = v.find('\0'); nul != std::string::npos) v.resize(nul);
  return v;
}

std::uint64_t FirstNumber(const Tiff& tiff, const Entry* e) {
  if (!e || e->count != 1) return 0;
  const auto v = tiff.Values(*e);
  return v ? v->front() : 0;
}

}  // namespace

bool TiffWhole(const fs::ReadOnlyFile& file) {
  auto opened = Open(file);
  if (!opened) return true;
  auto& [tiff, first] = *opened;
  return first != 0 && tiff.Chain(first, 0);
}

void ReadBigTiff(const fs::ReadOnlyFile& file, PixelSize size, MediaInfo& info) {
  auto opened = Open(file);
  if (!opened || !opened->first.big) return;
  const Tiff& tiff = opened->first;
  std::uint64_t next = 0;
  const std::optional<std::vector<Entry>> ifd0 = tiff.Entries(opened->second, &next);
  if (!ifd0) return;
  info.hasExif = true;
  info.littleEndian = tiff.little;
  info.dateTime = Text(tiff, Find(*ifd0, kDateTime));
  info.model = Text(tiff, Find(*ifd0, kModel));
  info.software = Text(tiff, Find(*ifd0, kSoftware));
  if (const std::uint64_t o = FirstNumber(tiff, Find(*ifd0, kOrientation)); o >= 1 && o <= 8)
    info.orientation = static_cast<int>(o);
  if (const std::uint64_t exifAt = FirstNumber(tiff, Find(*ifd0, kExifIfd)))
    if (const auto exif = tiff.Entries(exifAt, &next)) info.dateTimeOriginal = Text(tiff, Find(*exif, kDateTimeOriginal));
  if (size == PixelSize::Read)
    KeepSize(info, static_cast<long long>(FirstNumber(tiff, Find(*ifd0, kImageWidth))),
             static_cast<long long>(FirstNumber(tiff, Find(*ifd0, kImageLength))));
  info.readable = true;
}

}  // namespace pictray::meta
