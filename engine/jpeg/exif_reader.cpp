#include "engine/jpeg/exif_reader.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "engine/fs/read_only_file.h"
#include "engine/marks/file_kind.h"
#include "engine/names/folda_name.h"
#include "engine/settings/profile.h"

namespace pictray {
namespace {

// An Exif block after other segments is looked for this far, in at most
// this many segments.
constexpr std::uint64_t kWalkLimit = 64 * 1024;
constexpr int kWalkSegments = 64;
// Every offset the reader follows is at most T (the walk's last segment
// start + 10) + 65535, plus a value of 20 bytes: this much of the head
// covers all of them.
constexpr std::size_t kHeadLimit = kWalkLimit + 10 + 65535 + 32;
// A camera's Exif block lies in the first few KiB: one read of this much
// serves nearly every file, a further one only where an offset points on.
constexpr std::size_t kFirstRead = 4 * 1024;
constexpr std::size_t kScanChunk = 16 * 1024;
// The creation-date scan looks at this much first, then twice as much each
// round up to kScanChunk: the entry is near IFD0 in nearly every file.
constexpr std::size_t kFirstScan = 2 * 1024;

// Random access to the file's bytes. Span gives n bytes at pos, or nullptr
// when they are not all inside the file; the pointer is valid until the
// next call.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  virtual std::uint64_t size() const = 0;
  virtual const std::uint8_t* Span(std::uint64_t pos, std::size_t n) = 0;
};

class MemorySource : public ByteSource {
 public:
  explicit MemorySource(std::string_view d) : d_(d) {}
  std::uint64_t size() const override { return d_.size(); }
  const std::uint8_t* Span(std::uint64_t pos, std::size_t n) override {
    if (pos > d_.size() || n > d_.size() - pos) return nullptr;
    return reinterpret_cast<const std::uint8_t*>(d_.data()) + pos;
  }

 private:
  std::string_view d_;
};

// Reads the head of the file on demand (growing, never past kHeadLimit)
// and anything beyond it one block at a time.
class FileSource : public ByteSource {
 public:
  FileSource(const fs::ReadOnlyFile& f, std::uint64_t size)
      : f_(f), size_(size) {}
  std::uint64_t size() const override { return size_; }

  const std::uint8_t* Span(std::uint64_t pos, std::size_t n) override {
    if (pos > size_ || n > size_ - pos) return nullptr;
    if (pos + n <= kHeadLimit) return FromHead(pos, n);
    return FromBlock(pos, n);
  }

 private:
  const std::uint8_t* FromHead(std::uint64_t pos, std::size_t n) {
    const std::uint64_t end = pos + n;
    if (end > loaded_) {
      std::uint64_t want = std::max<std::uint64_t>({end, loaded_ * 2, kFirstRead});
      want = std::min<std::uint64_t>({want, kHeadLimit, size_});
      HoldHead(static_cast<std::size_t>(want));
      const std::size_t got = f_.ReadAt(loaded_, head_.get() + loaded_, want - loaded_);
      loaded_ += got;
      if (end > loaded_) return nullptr;  // the file shrank or a read failed
    }
    return head_.get() + pos;
  }

  // Room for the first `n` bytes: the first few KiB at first, all of the
  // head once more is wanted. A buffer of the whole head for every file
  // made the allocator give memory back and take it again file by file.
  void HoldHead(std::size_t n) {
    if (n <= headCap_) return;
    const std::size_t cap = headCap_ == 0 ? n : kHeadLimit;
    std::unique_ptr<std::uint8_t[]> grown(new std::uint8_t[cap]);
    if (loaded_ > 0) std::memcpy(grown.get(), head_.get(), static_cast<std::size_t>(loaded_));
    head_ = std::move(grown);
    headCap_ = cap;
  }

  const std::uint8_t* FromBlock(std::uint64_t pos, std::size_t n) {
    if (pos >= blockPos_ && pos + n <= blockPos_ + blockLen_) return block_.get() + (pos - blockPos_);
    const std::size_t want = static_cast<std::size_t>(
        std::min<std::uint64_t>(std::max<std::size_t>(n, kScanChunk + 64), size_ - pos));
    if (want > blockCap_) {
      block_.reset(new std::uint8_t[want]);
      blockCap_ = want;
    }
    blockPos_ = pos;
    blockLen_ = f_.ReadAt(pos, block_.get(), want);
    if (n > blockLen_) return nullptr;
    return block_.get();
  }

  const fs::ReadOnlyFile& f_;
  std::uint64_t size_;
  std::unique_ptr<std::uint8_t[]> head_;
  std::size_t headCap_ = 0;
  std::uint64_t loaded_ = 0;
  std::unique_ptr<std::uint8_t[]> block_;
  std::size_t blockCap_ = 0;
  std::uint64_t blockPos_ = 0;
  std::size_t blockLen_ = 0;
};

struct Tiff {
  std::uint64_t T = 0;  // file offset of the TIFF header
  bool little = true;   // "II"
  bool layoutA = false;

  unsigned U16(const std::uint8_t* p) const { return little ? p[0] | p[1] << 8 : p[0] << 8 | p[1]; }
  std::uint32_t U32(const std::uint8_t* p) const {
    return little ? std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
                        std::uint32_t(p[3]) << 24
                  : std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 |
                        std::uint32_t(p[2]) << 8 | std::uint32_t(p[3]);
  }
  // Only the low 16 bits of a 32-bit offset count: the first two bytes
  // for "II", the last two for "MM".
  unsigned Offset16(const std::uint8_t* field) const { return little ? U16(field) : U16(field + 2); }
};

constexpr unsigned kMake = 0x010F, kModel = 0x0110, kSoftware = 0x0131, kDateTime = 0x0132,
                   kDateTimeOriginal = 0x9003;
constexpr unsigned kAscii = 2;

// Text at pos: up to maxLen bytes, ending at the first 00 or at the end of
// the file. `present` is false when pos lies outside the file.
std::string TextAt(ByteSource& src, std::uint64_t pos, std::size_t maxLen, bool& present) {
  present = pos < src.size();
  if (!present) return {};
  const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(maxLen, src.size() - pos));
  const std::uint8_t* p = src.Span(pos, n);
  if (!p) {
    present = false;
    return {};
  }
  const auto* end = static_cast<const std::uint8_t*>(std::memchr(p, 0, n));
  return std::string(reinterpret_cast<const char*>(p), end ? static_cast<std::size_t>(end - p) : n);
}

// Value of an IFD0 entry as text of at most maxLen bytes, and of an ASCII
// entry at most its count. ASCII values of up to 4 bytes stand in the
// entry's value field itself.
std::string EntryText(ByteSource& src, const Tiff& t, const std::uint8_t* entry, std::size_t maxLen,
                      bool& present) {
  const unsigned type = t.U16(entry + 2);
  const std::uint32_t count = t.U32(entry + 4);
  if (type == kAscii && count <= 4) {
    present = true;
    const std::size_t n = std::min<std::size_t>({count, maxLen, 4});
    const auto* end = static_cast<const std::uint8_t*>(std::memchr(entry + 8, 0, n));
    return std::string(reinterpret_cast<const char*>(entry + 8),
                       end ? static_cast<std::size_t>(end - (entry + 8)) : n);
  }
  // A text ends at its count too: one without a closing 00 must not run on
  // into the bytes that follow it.
  if (type == kAscii) maxLen = std::min<std::size_t>(maxLen, count);
  return TextAt(src, t.T + t.Offset16(entry + 8), maxLen, present);
}

std::size_t DateTimeLength(int sel) {
  switch (sel) {
    case 1: return 10;
    case 2: return 13;
    case 3: return 15;
    case 4: return 16;
    case 11: return 19;
    case 14: case 20: return 7;
    case 15: return 4;
    case 21: return 10;
    default: return 20;
  }
}

bool ReadsDateTime(int sel) { return sel < 5 || sel == 11 || sel == 14 || sel == 15 || sel == 20 || sel == 21; }

// Year/month(/day) as nested folders.
bool NestedDate(int sel) { return sel >= 18 && sel <= 21; }

// Length kept of a DateTimeOriginal value; 0 when `sel` does not scan.
std::size_t ScanLength(int sel) {
  switch (sel) {
    case 7: case 13: return 10;
    case 8: return 13;
    case 9: return 15;
    case 10: return 16;
    case 12: return 19;
    case 16: case 18: return 7;
    case 17: return 4;
    case 19: return 10;
    default: return 0;
  }
}

// The IFD0 walk: the kept value, empty when nothing was kept.
std::string WalkIfd0(ByteSource& src, const Tiff& t, std::uint64_t ifd, unsigned count, int sel) {
  std::string v;
  for (unsigned k = 0; k < count; ++k) {
    // This and every later entry lie outside the file: they are absent, so
    // the value the last real entry left stands.
    const std::uint8_t* e = src.Span(ifd + 2 + 12ull * k, 12);
    if (!e) break;
    v.clear();
    const unsigned tag = t.U16(e);
    bool present = false;
    if (tag == kMake || tag == kModel || tag == kSoftware) {
      v = EntryText(src, t, e, 20, present);
      if (present && ((tag == kModel && sel == 5) || (tag == kSoftware && sel == 6))) break;
    } else if (tag == kDateTime && ReadsDateTime(sel)) {
      v = EntryText(src, t, e, DateTimeLength(sel), present);
      if (!present) continue;
      if (!ExifDateCharsOk(v)) v = "NoData";
      break;
    }
  }
  return v;
}

// The first position in [p, end) where `first` is followed by `second`, or
// nullptr; end[0] must be readable. A file without a date taken is scanned
// whole, and in its picture data one byte in 256 is `first`: sixteen
// positions are tried at once rather than a search started at each.
const std::uint8_t* FindTagBytes(const std::uint8_t* p, const std::uint8_t* end, std::uint8_t first,
                                 std::uint8_t second) {
#if defined(__SSE2__)
  const __m128i a = _mm_set1_epi8(static_cast<char>(first)), b = _mm_set1_epi8(static_cast<char>(second));
  for (; end - p >= 16; p += 16) {
    const __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 1));
    if (const int hits = _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(here, a), _mm_cmpeq_epi8(next, b))))
      return p + __builtin_ctz(static_cast<unsigned>(hits));
  }
#endif
  for (; p < end; ++p)
    if (p[0] == first && p[1] == second) return p;
  return nullptr;
}

// The creation-date scan: every byte position from the first IFD0 entry on
// is tried as an entry with tag DateTimeOriginal.
std::string ScanDateTimeOriginal(ByteSource& src, const Tiff& t, std::uint64_t ifd, std::size_t len) {
  const std::uint64_t size = src.size();
  // Positions p < last; layout A stops 36 bytes earlier than the others.
  const std::uint64_t slack = t.layoutA ? 47 : 11;
  if (size <= slack) return {};
  const std::uint64_t last = size - slack;
  const std::uint8_t first = t.little ? 0x03 : 0x90, second = t.little ? 0x90 : 0x03;
  std::uint64_t p = ifd + 2;
  for (std::size_t step = kFirstScan; p < last; step = std::min(step * 2, kScanChunk)) {
    const std::uint64_t chunkEnd = std::min<std::uint64_t>(last, p + step);
    const std::size_t n = static_cast<std::size_t>(chunkEnd - p);
    const std::uint8_t* c = src.Span(p, n + 11);
    if (!c) return {};
    const std::uint8_t* hit = FindTagBytes(c, c + n, first, second);
    if (!hit) {
      p = chunkEnd;
      continue;
    }
    const std::uint64_t valuePos = t.T + t.Offset16(hit + 8);
    if (valuePos + 20 >= size) return {};
    p += static_cast<std::uint64_t>(hit - c);
    const std::uint8_t* raw = src.Span(valuePos, 20);
    if (!raw) return {};
    if (raw[4] == ':' && raw[7] == ':') {
      const auto* end = static_cast<const std::uint8_t*>(std::memchr(raw, 0, len));
      return std::string(reinterpret_cast<const char*>(raw), end ? static_cast<std::size_t>(end - raw) : len);
    }
    ++p;
  }
  return {};
}

// The TIFF header of the first "Exif" APP1 segment, walking the segments
// from the start of image up to the first scan, within the walk's bounds.
std::optional<std::uint64_t> WalkToExif(ByteSource& src) {
  std::uint64_t pos = 2;
  for (int segments = 0; segments < kWalkSegments && pos < kWalkLimit;) {
    const std::uint8_t* m = src.Span(pos, 4);
    if (!m || m[0] != 0xFF) return std::nullopt;
    const std::uint8_t marker = m[1];
    if (marker == 0xFF) {  // a fill byte
      ++pos;
      continue;
    }
    ++segments;
    if (marker == 0xDA || marker == 0xD9 || marker == 0xD8 || marker == 0x00) return std::nullopt;
    if ((marker >= 0xD0 && marker <= 0xD7) || marker == 0x01) {  // no length
      pos += 2;
      continue;
    }
    const unsigned length = unsigned(m[2]) << 8 | m[3];
    if (length < 2) return std::nullopt;
    if (marker == 0xE1 && length >= 8)
      if (const std::uint8_t* id = src.Span(pos + 4, 6); id && std::memcmp(id, "Exif\0\0", 6) == 0) return pos + 10;
    pos += 2 + length;
  }
  return std::nullopt;
}

// "Exif" or "JFIF" followed by a 00 byte at `at` of the zero-filled prefix.
bool IdAt(const std::uint8_t* prefix, std::size_t at, const char* id) {
  return std::memcmp(prefix + at, id, 4) == 0 && prefix[at + 4] == 0;
}

std::string ReadLabel(ByteSource& src, const std::string& ExifSel, const std::string& disabledchar,
                      bool orderTag) {
  std::uint8_t prefix[40] = {};
  const std::size_t have = static_cast<std::size_t>(std::min<std::uint64_t>(sizeof prefix, src.size()));
  if (const std::uint8_t* p = src.Span(0, have)) std::memcpy(prefix, p, have);
  if (marks::KindOfHead(prefix, have) != marks::FileKind::Jpeg) return {};

  Tiff t;
  bool layoutC = false;
  if (IdAt(prefix, 6, "Exif")) {
    t.T = 12;
    t.layoutA = true;
  } else if (IdAt(prefix, 6, "JFIF") && IdAt(prefix, 24, "Exif")) {
    t.T = 30;
  } else if (IdAt(prefix, 6, "JFIF") && IdAt(prefix, 32, "Exif")) {
    t.T = 38;
    layoutC = true;
  } else if (const std::optional<std::uint64_t> T = WalkToExif(src)) {
    // A comment, a colour profile or IPTC before the Exif: read as the
    // first layout is.
    t.T = *T;
    t.layoutA = true;
  } else {
    return IdAt(prefix, 6, "JFIF") ? "NoExif" : "NoJFIF";
  }

  const std::uint8_t* h = src.Span(t.T, 2);
  if (h && h[0] == 'I' && h[1] == 'I') {
    t.little = true;
  } else if (h && h[0] == 'M' && h[1] == 'M') {
    t.little = false;
  } else {
    return layoutC ? "" : "no support";
  }

  const std::uint8_t* ifdField = src.Span(t.T + 4, 4);
  if (!ifdField) return "NoEntry";
  const std::uint64_t ifd = t.T + t.Offset16(ifdField);
  const std::uint8_t* countField = src.Span(ifd, 2);
  const unsigned count = countField ? t.U16(countField) : 0;
  if (count == 0) return "NoEntry";

  const int sel = ProfileNumber(ExifSel);
  const std::size_t scanLen = ScanLength(sel);
  const std::string v = scanLen ? ScanDateTimeOriginal(src, t, ifd, scanLen) : WalkIfd0(src, t, ifd, count, sel);
  if (v.empty()) return "NoData";
  return ExifValueLabel(v, t.little, orderTag, disabledchar, NestedDate(sel));
}

}  // namespace

ExifChoice ChooseExifValue(const std::string& ExifSel) {
  const int sel = ProfileNumber(ExifSel);
  if (const std::size_t n = ScanLength(sel)) return {ExifSource::DateTimeOriginal, n, NestedDate(sel)};
  if (sel == 5) return {ExifSource::Model, 20};
  if (sel == 6) return {ExifSource::Software, 20};
  if (ReadsDateTime(sel)) return {ExifSource::DateTime, DateTimeLength(sel), NestedDate(sel)};
  return {ExifSource::None, 0};
}

bool ExifDateCharsOk(const std::string& v) {
  for (std::size_t i = 0; i < v.size(); ++i) {
    if (i == 10) continue;
    if (v[i] != ':' && (v[i] < '0' || v[i] > '9')) return false;
  }
  return true;
}

std::string ExifValueLabel(const std::string& value, bool littleEndian, bool orderTag,
                           const std::string& disabledchar, bool nested) {
  std::string label = nested ? NestedDateFolders(value, disabledchar) : "";
  if (label.empty()) label = GetFoldaName(value, 1, disabledchar);
  if (orderTag) label += littleEndian ? "(II)" : "(MM)";
  return label;
}

std::string NestedDateFolders(const std::string& date, const std::string& disabledchar) {
  std::string folders;
  for (std::size_t start = 0; start <= date.size();) {
    const std::size_t colon = std::min(date.find(':', start), date.size());
    const std::string part = date.substr(start, colon - start);
    if (part.empty() || part.find_first_not_of("0123456789") != std::string::npos) return {};
    folders += (folders.empty() ? "" : "/") + GetFoldaName(part, 1, disabledchar);
    start = colon + 1;
  }
  return folders;
}

std::optional<std::string> DateLabel(const std::string& date, const std::string& ExifSel,
                                     const std::string& disabledchar) {
  const ExifChoice choice = ChooseExifValue(ExifSel);
  if (choice.source != ExifSource::DateTime && choice.source != ExifSource::DateTimeOriginal) return std::nullopt;
  // As precise as the date is: a name without a time gives the day.
  return ExifValueLabel(date.substr(0, choice.length), true, false, disabledchar, choice.nested);
}

std::string ExifTimeGet2(const fs::ReadOnlyFile& f, const std::string& ExifSel,
                         const std::string& disabledchar, bool orderTag) {
  if (f.size() == 0) return "file_error";
  FileSource src(f, f.size());
  return ReadLabel(src, ExifSel, disabledchar, orderTag);
}

std::string ExifTimeGet2Bytes(std::string_view file, const std::string& ExifSel,
                              const std::string& disabledchar, bool orderTag) {
  if (file.empty()) return "file_error";
  MemorySource src(file);
  return ReadLabel(src, ExifSel, disabledchar, orderTag);
}

}  // namespace pictray
