#include "engine/meta/media_info.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <optional>
#include <string_view>

#include "engine/fs/read_only_file.h"
#include "engine/jpeg/file_marks.h"
#include "engine/meta/bounded_walks.h"
#include "engine/meta/media_readers.h"

namespace pictray::meta {
namespace {

// Pixel sizes beyond these are claims no camera makes; they are not shown.
constexpr long long kMaxSide = 1 << 17;
constexpr long long kMaxArea = 1LL << 31;

// The first bytes of the file; fewer when it is shorter or unreadable.
struct Head {
  std::array<unsigned char, kExiv2HeadBytes> bytes{};
  std::size_t size = 0;
  bool At(std::size_t pos, const char* text) const {
    const std::size_t n = std::strlen(text);
    return pos + n <= size && std::memcmp(bytes.data() + pos, text, n) == 0;
  }
};

Head ReadHead(const fs::ReadOnlyFile& file) {
  Head h;
  if (file.fd() < 0) return h;
  const ssize_t got = file.env().Pread(file.fd(), h.bytes.data(), h.bytes.size(), 0);
  h.size = got > 0 ? static_cast<std::size_t>(got) : 0;
  return h;
}

// A box container by the brands of its "ftyp" box.
Format FormatOfBrands(const Head& h) {
  switch (marks::BrandOfFileType(h.bytes.data(), h.size)) {
    case marks::Brand::Heif: return Format::Heif;
    case marks::Brand::Cr3: return Format::Cr3;
    case marks::Brand::JxlBox: return Format::Bmff;
    case marks::Brand::Movie: return Format::Video;
    case marks::Brand::Unknown: break;
  }
  return Format::None;
}

// What the head alone tells; nothing when the library must look.
std::optional<Format> FormatOfHead(const Head& head) {
  if (head.size < 12 || marks::IsJpeg(head.bytes.data(), head.size)) return Format::None;
  if (marks::IsIsoMedia(head.bytes.data(), head.size)) return FormatOfBrands(head);
  if (marks::IsBigTiff(head.bytes.data(), head.size)) return Format::Tiff;
  // QuickTime files older than "ftyp" start with one of these boxes.
  for (const char* box : {"moov", "mdat", "wide", "free", "skip", "pnot"})
    if (head.At(4, box)) return Format::Video;
  return std::nullopt;
}

}  // namespace

void KeepSize(MediaInfo& info, long long w, long long h) {
  if (w <= 0 || h <= 0 || w > kMaxSide || h > kMaxSide || w * h > kMaxArea) return;
  info.width = static_cast<int>(w);
  info.height = static_cast<int>(h);
}

Format DetectFormat(const fs::ReadOnlyFile& file) {
  InitExiv2Once();
  const Head head = ReadHead(file);
  if (const std::optional<Format> byHead = FormatOfHead(head)) return *byHead;
  const StillType* still = StillTypeOfHead(head.bytes.data(), head.size);
  return still ? FormatOf(*still) : Format::None;
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
  InitExiv2Once();
  MediaInfo info;
  const Head head = ReadHead(file);
  const std::optional<Format> byHead = FormatOfHead(head);
  if (byHead == Format::None) return info;
  const bool byLibexiv2 = byHead != Format::Video && byHead != Format::Heif && byHead != Format::Cr3 && byHead != Format::Tiff;
  const StillType* still = byLibexiv2 ? StillTypeOfHead(head.bytes.data(), head.size) : nullptr;
  info.format = byHead ? *byHead : still ? FormatOf(*still) : Format::None;
  try {
    if (info.format == Format::Video)
      ReadVideo(file, info);
    else if (info.format == Format::Heif)
      ReadHeif(file, info);
    else if (info.format == Format::Cr3)
      ReadCr3(file, size, info);
    else if (info.format == Format::Tiff && !still)
      ReadBigTiff(file, size, info);
    else if (info.format == Format::Png)
      ReadPng(file, size, info);
    else if (still)
      ReadStill(file, path, *still, size, info);
  } catch (...) {  // libexiv2 throws on damaged files; the file stays unreadable
    const Format format = info.format;
    info = MediaInfo();
    info.format = format;
  }
  return info;
}

}  // namespace pictray::meta
