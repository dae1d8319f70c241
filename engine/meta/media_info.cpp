#include "engine/meta/media_info.h"

#include <algorithm>
#include <cctype>
#include <iterator>

#include "engine/fs/read_only_file.h"
#include "engine/marks/file_kind.h"
#include "engine/meta/media_readers.h"

namespace pictray::meta {
namespace {

// Pixel sizes beyond these are claims no camera makes; they are not shown.
constexpr long long kMaxSide = 1 << 17;
constexpr long long kMaxArea = 1LL << 31;

// The reader of a file of `kind`, each through its own library or boxes.
void ReadKind(const fs::ReadOnlyFile& file, const std::string& path, marks::FileKind kind, PixelSize size,
              MediaInfo& info) {
  switch (kind) {
    case marks::FileKind::Movie:
      return ReadVideo(file, info);
    case marks::FileKind::Heif:
      return ReadHeif(file, info);
    case marks::FileKind::Cr3:
      return ReadCr3(file, size, info);
    case marks::FileKind::BigTiff:
      return ReadBigTiff(file, size, info);
    case marks::FileKind::Png:
      return ReadPng(file, size, info);
    default:
      return ReadStill(file, path, kind, size, info);
  }
}

}  // namespace

void KeepSize(MediaInfo& info, long long w, long long h) {
  if (w <= 0 || h <= 0 || w > kMaxSide || h > kMaxSide || w * h > kMaxArea) return;
  info.width = static_cast<int>(w);
  info.height = static_cast<int>(h);
}

bool NamedAsFormatReadHere(const std::string& path) {
  const std::size_t dot = path.rfind('.');
  if (dot == std::string::npos || path.find('/', dot) != std::string::npos) return false;
  std::string ext = path.substr(dot + 1);
  for (char& ch : ext) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
  static constexpr const char* kExtensions[] = {
      "jpg", "jpeg", "jpe", "jfif", "heic", "heif", "hif", "avif", "cr2", "cr3", "crw", "nef", "nrw", "arw",
      "sr2", "dng",  "orf", "rw2",  "raf",  "pef",  "srw", "mrw", "tif", "tiff", "png", "webp", "mov", "mp4",
      "m4v", "3gp"};
  return std::find(std::begin(kExtensions), std::end(kExtensions), ext) != std::end(kExtensions);
}

MediaInfo ReadMediaInfo(const fs::ReadOnlyFile& file, const std::string& path, PixelSize size) {
  using marks::FileKind;
  InitExiv2Once();
  MediaInfo info;
  const FileKind kind = marks::KindOfFile(file);
  if (kind == FileKind::None || kind == FileKind::Jpeg || kind == FileKind::Bmp) return info;
  info.format = kind;
  try {
    ReadKind(file, path, kind, size, info);
  } catch (...) {  // libexiv2 throws on damaged files; the file stays unreadable
    info = MediaInfo();
    info.format = kind;
  }
  return info;
}

}  // namespace pictray::meta
