#include "engine/jpeg/jpeg_shape.h"

#include <cstdint>
#include <vector>

#include "engine/jpeg/exif_reader.h"
#include "engine/marks/file_kind.h"

namespace pictray {
namespace {

// Markers before the first scan of any real file are far fewer.
constexpr int kMaxSegments = 1024;
constexpr unsigned kOrientation = 0x0112, kDateTime = 0x0132, kExifIfd = 0x8769, kDateTimeOriginal = 0x9003,
                   kMake = 0x010F, kModel = 0x0110;
constexpr std::size_t kDateLength = 19;

// A TIFF block held in memory; every read is checked against its end.
class TiffBlock {
 public:
  explicit TiffBlock(std::vector<std::uint8_t> bytes) : b_(std::move(bytes)) {
    little_ = b_.size() >= 8 && b_[0] == 'I' && b_[1] == 'I';
    valid_ = little_ || (b_.size() >= 8 && b_[0] == 'M' && b_[1] == 'M');
  }
  bool valid() const { return valid_; }
  bool Has(std::uint64_t pos, std::uint64_t n) const { return pos <= b_.size() && n <= b_.size() - pos; }
  unsigned U16(std::uint64_t pos) const {
    if (!Has(pos, 2)) return 0;
    const std::uint8_t* p = b_.data() + pos;
    return little_ ? p[0] | p[1] << 8 : p[0] << 8 | p[1];
  }
  std::uint32_t U32(std::uint64_t pos) const {
    return little_ ? U16(pos) | std::uint32_t(U16(pos + 2)) << 16 : std::uint32_t(U16(pos)) << 16 | U16(pos + 2);
  }
  // An ASCII entry's value of the shape "YYYY:MM:DD HH:MM:SS", else "".
  std::string Date(std::uint64_t entry) const {
    if (U16(entry + 2) != 2 || U32(entry + 4) < kDateLength) return {};
    const std::uint64_t at = U32(entry + 8);
    if (!Has(at, kDateLength)) return {};
    std::string v(reinterpret_cast<const char*>(b_.data() + at), kDateLength);
    return v[4] == ':' && v[7] == ':' && ExifDateCharsOk(v) ? v : "";
  }
  // An ASCII entry holding at least one character that is not a space.
  bool Named(std::uint64_t entry) const {
    const std::uint32_t n = U32(entry + 4);
    if (U16(entry + 2) != 2 || n == 0) return false;
    const std::uint64_t at = n <= 4 ? entry + 8 : U32(entry + 8);
    if (!Has(at, n)) return false;
    for (std::uint32_t i = 0; i < n; ++i)
      if (b_[at + i] != 0 && b_[at + i] != ' ') return true;
    return false;
  }

 private:
  std::vector<std::uint8_t> b_;
  bool little_ = true, valid_ = false;
};

// Calls `each(entryPos, tag)` for the entries of the IFD at `ifd`.
template <typename Each>
void ForEachEntry(const TiffBlock& t, std::uint64_t ifd, Each each) {
  const unsigned count = t.U16(ifd);
  for (unsigned k = 0; k < count && t.Has(ifd + 2 + 12ull * k, 12); ++k)
    each(ifd + 2 + 12ull * k, t.U16(ifd + 2 + 12ull * k));
}

void ReadExif(const TiffBlock& t, JpegShape& shape) {
  if (!t.valid()) return;
  std::string dateTime;
  std::uint64_t exifIfd = 0;
  bool named = false;
  ForEachEntry(t, t.U32(4), [&](std::uint64_t e, unsigned tag) {
    if (tag == kMake || tag == kModel) {
      named = named || t.Named(e);
    } else if (tag == kOrientation) {
      const unsigned o = t.U16(e + 8);
      if (o >= 1 && o <= 8) shape.orientation = static_cast<int>(o);
    } else if (tag == kDateTime) {
      dateTime = t.Date(e);
    } else if (tag == kExifIfd) {
      exifIfd = t.U32(e + 8);
    }
  });
  if (exifIfd != 0)
    ForEachEntry(t, exifIfd, [&](std::uint64_t e, unsigned tag) {
      if (tag == kDateTimeOriginal && shape.dateTaken.empty()) shape.dateTaken = t.Date(e);
    });
  shape.camera = named && !shape.dateTaken.empty();
  if (shape.dateTaken.empty()) shape.dateTaken = dateTime;
}

bool IsFrameHeader(unsigned marker) {
  return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

}  // namespace

JpegShape ReadJpegShape(const fs::ReadOnlyFile& file) {
  JpegShape shape;
  std::uint8_t head[4];
  if (marks::KindOfFile(file) != marks::FileKind::Jpeg) return shape;
  bool exifSeen = false;
  std::uint64_t pos = 2;
  for (int n = 0; n < kMaxSegments; ++n) {
    if (file.ReadAt(pos, head, 4) != 4 || head[0] != 0xFF) return shape;
    const unsigned marker = head[1];
    if (marker == 0xFF) {  // fill byte
      ++pos;
      continue;
    }
    if (marker == 0xDA || marker == 0xD9) return shape;
    const unsigned length = head[2] << 8 | head[3];
    if (length < 2) return shape;
    if (IsFrameHeader(marker)) {
      std::uint8_t f[5];
      if (file.ReadAt(pos + 4, f, 5) != 5) return shape;
      shape.height = f[1] << 8 | f[2];
      shape.width = f[3] << 8 | f[4];
      shape.readable = shape.width > 0 && shape.height > 0;
      return shape;
    }
    if (marker == 0xE1 && !exifSeen && length > 8) {
      std::vector<std::uint8_t> body(length - 2);
      if (file.ReadAt(pos + 4, body.data(), body.size()) != body.size()) return shape;
      if (std::equal(body.begin(), body.begin() + 6, "Exif\0\0")) {
        exifSeen = true;
        ReadExif(TiffBlock(std::vector<std::uint8_t>(body.begin() + 6, body.end())), shape);
      }
    }
    pos += 2 + length;
  }
  return shape;
}

}  // namespace pictray
