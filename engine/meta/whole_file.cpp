#include "engine/meta/whole_file.h"

#include <cstdint>
#include <cstring>

#include "engine/meta/iso_boxes.h"

namespace pictray::meta {
namespace {

// A fragmented movie has a few thousand top-level boxes.
constexpr std::uint32_t kMaxTopBoxes = 1 << 16;

std::uint64_t BigEndian(const unsigned char* p, int bytes) {
  std::uint64_t v = 0;
  for (int i = 0; i < bytes; ++i) v = v << 8 | p[i];
  return v;
}

// RAF: the header's offsets and lengths of the preview, the sensor
// data's header and the sensor data.
bool RafWhole(const fs::ReadOnlyFile& file) {
  unsigned char h[108];
  if (file.ReadAt(0, h, sizeof h) != sizeof h) return false;
  for (const int at : {84, 92, 100}) {
    const std::uint64_t offset = BigEndian(h + at, 4), length = BigEndian(h + at + 4, 4);
    if (offset > file.size() || length > file.size() - offset) return false;
  }
  return true;
}

bool StartsWith(const fs::ReadOnlyFile& file, const char* mark) {
  char head[16] = {};
  const std::size_t n = std::strlen(mark);
  return file.ReadAt(0, head, n) == n && std::memcmp(head, mark, n) == 0;
}

}  // namespace

bool BoxesWhole(const fs::ReadOnlyFile& file) {
  std::uint64_t at = 0;
  for (std::uint32_t n = 0; at < file.size(); ++n) {
    unsigned char b[16];
    Cursor c(b, file.ReadAt(at, b, sizeof b));
    const std::optional<BoxHeader> box = ReadBoxHeader(c, file.size() - at);
    if (n >= kMaxTopBoxes || !box) return false;
    at += box->size;
  }
  return true;
}

bool FileWhole(const fs::ReadOnlyFile& file, Format format) {
  switch (format) {
    case Format::Tiff:
      return TiffWhole(file);
    case Format::Raw:
      return StartsWith(file, "FUJIFILMCCD-RAW ") ? RafWhole(file) : TiffWhole(file);
    case Format::Heif:
    case Format::Bmff:
    case Format::Cr3:
    case Format::Video:
      return BoxesWhole(file);
    case Format::None:
    case Format::Png:
    case Format::WebP:
      break;  // their reading walks every chunk to the end
  }
  return true;
}

}  // namespace pictray::meta
