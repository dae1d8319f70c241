#include "engine/similar/picture_shape.h"

#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "engine/fs/read_only_file.h"
#include "engine/marks/file_kind.h"
#include "engine/jpeg/jpeg_shape.h"
#include "engine/meta/media_info.h"

namespace pictray::similar {
namespace {

using dupes::PictureKind;

bool Turned(int orientation) { return orientation >= 5; }

void Settle(PictureShape& s, int width, int height, int orientation, PictureKind kind) {
  if (width <= 0 || height <= 0) return;
  s.picture = true;
  s.storedWidth = width;
  s.storedHeight = height;
  s.orientation = orientation;
  s.facts.width = Turned(orientation) ? height : width;
  s.facts.height = Turned(orientation) ? width : height;
  s.facts.kind = kind;
}

bool EndsWith(std::string_view s, std::string_view tail) {
  if (s.size() < tail.size()) return false;
  for (std::size_t i = 0; i < tail.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(s[s.size() - tail.size() + i])) != tail[i]) return false;
  return true;
}

// A TIFF by its name; the raw files that share its layout end otherwise.
bool PlainTiff(const std::string& path) { return EndsWith(path, ".tif") || EndsWith(path, ".tiff"); }

// The thumbnail library draws TIFF through libtiff's RGBA strips, which
// mirror the columns as the tag says but never swap them with the rows
// (5..8 are taken for 1..4), and for a tag whose first row is the bottom
// (3, 4, 7, 8) hand each strip's rows in an order the library reverses
// strip by strip. What is left of the turn for the others; 0 for those.
int TurnLeftByLibtiff(int orientation) {
  constexpr int kLeft[9] = {1, 1, 1, 0, 0, 5, 7, 0, 0};
  return orientation >= 1 && orientation <= 8 ? kLeft[orientation] : 1;
}

// BMP's header: the width and the height (negative for rows top first).
void ReadBmp(const fs::ReadOnlyFile& file, PictureShape& s) {
  std::uint8_t h[26];
  if (file.ReadAt(0, h, sizeof h) != sizeof h || marks::KindOfHead(h, sizeof h) != marks::FileKind::Bmp) return;
  const auto i32 = [&](int at) {
    return static_cast<std::int32_t>(std::uint32_t(h[at]) | std::uint32_t(h[at + 1]) << 8 |
                                     std::uint32_t(h[at + 2]) << 16 | std::uint32_t(h[at + 3]) << 24);
  };
  const std::int32_t height = i32(22);
  if (height == INT32_MIN) return;
  Settle(s, i32(18), std::abs(height), 1, PictureKind::Lossless);
}

void ReadOther(const fs::ReadOnlyFile& file, const std::string& path, PictureShape& s) {
  const meta::MediaInfo info = meta::ReadMediaInfo(file, path);
  if (!info.readable) return;
  s.facts.dateTaken = info.dateTimeOriginal.value_or(info.dateTime.value_or(""));
  const bool camera = info.model && !info.model->empty() && info.dateTimeOriginal;
  switch (info.format) {
    case marks::FileKind::Heif:
      Settle(s, info.width, info.height, 1, PictureKind::Heif);
      s.facts.camera = s.picture && camera;
      return;
    case marks::FileKind::Png:
      return Settle(s, info.width, info.height, info.orientation, PictureKind::Lossless);
    case marks::FileKind::WebP:
      return Settle(s, info.width, info.height, info.orientation, PictureKind::WebP);
    case marks::FileKind::Tiff:
    case marks::FileKind::BigTiff:
    case marks::FileKind::Cr2:
      // A raw file is drawn from its preview, whose size its header does not give.
      if (PlainTiff(path) && TurnLeftByLibtiff(info.orientation) != 0) {
        Settle(s, info.width, info.height, info.orientation, PictureKind::Lossless);
        s.orientation = TurnLeftByLibtiff(info.orientation);
      }
      s.otherFormat = !s.picture;
      return;
    case marks::FileKind::Cr3:
    case marks::FileKind::Crw:
    case marks::FileKind::Orf:
    case marks::FileKind::Rw2:
    case marks::FileKind::Raf:
    case marks::FileKind::Mrw:
    case marks::FileKind::JxlBox:
      s.otherFormat = true;
      return;
    default:
      return;
  }
}

}  // namespace

PictureShape ReadPictureShape(const fs::Env& env, const std::string& path) {
  PictureShape s;
  const fs::ReadOnlyFile file(env, path);
  if (!file.ok()) return s;
  const JpegShape jpeg = ReadJpegShape(file);
  if (jpeg.readable) {
    s.facts.dateTaken = jpeg.dateTaken;
    Settle(s, jpeg.width, jpeg.height, jpeg.orientation, PictureKind::Jpeg);
    s.facts.camera = s.picture && jpeg.camera;
    return s;
  }
  ReadBmp(file, s);
  if (!s.picture) ReadOther(file, path, s);
  return s;
}

}  // namespace pictray::similar
