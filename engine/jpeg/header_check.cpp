#include "engine/jpeg/header_check.h"

#include <algorithm>
#include <cstring>
#include <optional>

#include "engine/fs/read_only_file.h"
#include "engine/marks/file_kind.h"

namespace pictray {
namespace {

// Reads up to n bytes from offset 0 into a zero-filled buffer, as the
// checks compare missing bytes against zero: how many were read, nothing
// when it did not open.
std::optional<std::size_t> ReadPrefix(const fs::ReadOnlyFile& f, unsigned char* buf, std::size_t n) {
  std::memset(buf, 0, n);
  if (!f.ok()) return std::nullopt;
  return f.ReadAt(0, buf, n);
}

// `head` and `tail` hold what could be read of the first and the last two
// bytes of a file that is not empty.
int EndMarkersCheck(std::span<const unsigned char> head, std::span<const unsigned char> tail) {
  const bool starts = marks::KindOfHead(head.data(), head.size()) == marks::FileKind::Jpeg;
  const bool ends = tail.size() == 2 && tail[0] == 0xFF && tail[1] == 0xD9;
  return starts && ends ? 0 : 1;
}

// "Exif" followed by a 00 byte at `at`.
bool ExifAt(const unsigned char* b, std::size_t at) {
  return std::memcmp(b + at, "Exif", 5) == 0;
}

}  // namespace

std::string JpegHedarCheck(const fs::ReadOnlyFile& file) {
  return marks::KindOfFile(file) == marks::FileKind::Jpeg ? "JPEG" : "";
}

int FileHedarCheck(const fs::ReadOnlyFile& file) {
  switch (marks::KindOfFile(file)) {
    case marks::FileKind::Bmp:
      return 1;
    case marks::FileKind::Jpeg:
      return 2;
    case marks::FileKind::Png:
      return 3;
    default:
      return 0;
  }
}

int JEndHedarCheck(const fs::ReadOnlyFile& f) {
  const std::uint64_t size = f.size();
  if (size == 0) return 0;
  unsigned char head[2] = {0, 0}, tail[2] = {0, 0};
  const std::size_t h = f.ReadAt(0, head, 2);
  const std::size_t t = size >= 2 ? f.ReadAt(size - 2, tail, 2) : 0;
  return EndMarkersCheck({head, h}, {tail, t});
}

int JEndHedarCheck(std::span<const unsigned char> file) {
  if (file.empty()) return 0;
  return EndMarkersCheck(file.first(std::min<std::size_t>(2, file.size())),
                         file.size() >= 2 ? file.last(2) : file.last(0));
}

std::string ExifHedarCheck(const fs::ReadOnlyFile& file) {
  unsigned char b[101];  // one spare 00 so the offset-24 text always ends
  const std::optional<std::size_t> got = ReadPrefix(file, b, 100);
  if (!got) return {};
  b[100] = 0;
  if (marks::KindOfHead(b, *got) != marks::FileKind::Jpeg) return "NoJPEG";
  if (ExifAt(b, 6) || ExifAt(b, 24) || ExifAt(b, 32)) return "Exif";
  return std::string(reinterpret_cast<const char*>(b + 24));
}

}  // namespace pictray
