#include "engine/meta/media_info.h"

#include <exiv2/exiv2.hpp>
#include <exiv2/bmffimage.hpp>
#include <exiv2/webpimage.hpp>

#include <libheif/heif.h>

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/log.h>
}

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <iterator>
#include <memory>
#include <mutex>
#include <optional>
#include <string_view>
#include <type_traits>
#include <utility>

#include "engine/fs/read_only_file.h"
#include "engine/jpeg/file_marks.h"
#include "engine/meta/bounded_walks.h"
#include "engine/meta/ciff_values.h"
#include "engine/meta/cr3_boxes.h"
#include "engine/meta/heif_items.h"
#include "engine/meta/iso_boxes.h"
#include "engine/meta/late_libraries.h"
#include "engine/meta/png_chunks.h"
#include "engine/meta/raf_header.h"

namespace pictray::meta {
namespace {

// Pixel sizes beyond these are claims no camera makes; they are not shown.
constexpr long long kMaxSide = 1 << 17;
constexpr long long kMaxArea = 1LL << 31;

void LockXmp(void* mutex, bool lock) {
  if (lock)
    static_cast<std::mutex*>(mutex)->lock();
  else
    static_cast<std::mutex*>(mutex)->unlock();
}

// libexiv2 keeps process-wide switches (BMFF, the log level) and an XMP
// toolkit that needs a lock across threads: set them once, before any read.
void InitLibrariesOnce() {
  static std::once_flag once;
  static std::mutex xmpMutex;
  std::call_once(once, [] {
    Exiv2::LogMsg::setLevel(Exiv2::LogMsg::mute);
    Exiv2::XmpParser::initialize(LockXmp, &xmpMutex);
    Exiv2::enableBMFF(true);
  });
}

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

// A box container by the brands of its "ftyp" box (major, then compatible).
Format FormatOfBrands(const Head& h) {
  const std::uint32_t boxSize = std::uint32_t(h.bytes[0]) << 24 | std::uint32_t(h.bytes[1]) << 16 |
                                std::uint32_t(h.bytes[2]) << 8 | h.bytes[3];
  const std::size_t end = std::min<std::size_t>(h.size, boxSize);
  for (std::size_t at = 8; at + 4 <= end; at += at == 8 ? 8 : 4) {  // the minor version is no brand
    switch (marks::BrandOf(std::string_view(reinterpret_cast<const char*>(h.bytes.data() + at), 4))) {
      case marks::Brand::Heif: return Format::Heif;
      case marks::Brand::Cr3: return Format::Cr3;
      case marks::Brand::JxlBox: return Format::Bmff;
      case marks::Brand::Movie: return Format::Video;
      case marks::Brand::Unknown: break;
    }
  }
  return Format::None;
}

// The stills read through libexiv2, by the type the library finds in
// their first bytes. The image is made from its type at once: the
// library's factory would open the file again for every type it tries and
// once more to check the one it found, and reading checks it anyway.
using NewImage = Exiv2::Image::AutoPtr (*)(Exiv2::BasicIo::AutoPtr);

template <class T>
Exiv2::Image::AutoPtr Make(Exiv2::BasicIo::AutoPtr io) {
  if constexpr (std::is_constructible_v<T, Exiv2::BasicIo::AutoPtr, bool>)
    return Exiv2::Image::AutoPtr(new T(std::move(io), false));
  else
    return Exiv2::Image::AutoPtr(new T(std::move(io)));
}

struct StillType {
  int type;
  NewImage make;
  Format format;
};
constexpr StillType kStillTypes[] = {
    {Exiv2::ImageType::bmff, Make<Exiv2::BmffImage>, Format::Bmff},
    {Exiv2::ImageType::crw, Make<Exiv2::CrwImage>, Format::Raw},
    {Exiv2::ImageType::orf, Make<Exiv2::OrfImage>, Format::Raw},
    {Exiv2::ImageType::rw2, Make<Exiv2::Rw2Image>, Format::Raw},
    {Exiv2::ImageType::raf, Make<Exiv2::RafImage>, Format::Raw},
    {Exiv2::ImageType::mrw, Make<Exiv2::MrwImage>, Format::Raw},
    {Exiv2::ImageType::tiff, Make<Exiv2::TiffImage>, Format::Tiff},
    {Exiv2::ImageType::cr2, Make<Exiv2::Cr2Image>, Format::Tiff},
    {Exiv2::ImageType::png, Make<Exiv2::PngImage>, Format::Png},
    {Exiv2::ImageType::webp, Make<Exiv2::WebPImage>, Format::WebP},
};

const StillType* StillTypeOfHead(const Head& head) {
  int type = Exiv2::ImageType::none;
  try {
    type = Exiv2::ImageFactory::getType(head.bytes.data(), static_cast<long>(head.size));
  } catch (...) {  // the library throws on some bytes it takes for a start of its own
    return nullptr;
  }
  for (const StillType& t : kStillTypes)
    if (t.type == type) return &t;
  return nullptr;
}

// What the head alone tells; nothing when the library must look.
std::optional<Format> FormatOfHead(const Head& head) {
  if (head.size < 12 || marks::IsJpeg(head.bytes.data(), head.size)) return Format::None;
  if (marks::IsIsoMedia(head.bytes.data(), head.size)) return FormatOfBrands(head);
  // QuickTime files older than "ftyp" start with one of these boxes.
  for (const char* box : {"moov", "mdat", "wide", "free", "skip", "pnot"})
    if (head.At(4, box)) return Format::Video;
  return std::nullopt;
}

void KeepSize(MediaInfo& info, long long w, long long h) {
  if (w <= 0 || h <= 0 || w > kMaxSide || h > kMaxSide || w * h > kMaxArea) return;
  info.width = static_cast<int>(w);
  info.height = static_cast<int>(h);
}

// A text value up to its first 00 byte.
std::string Text(const Exiv2::Exifdatum& datum) {
  std::string v = datum.toString();
  if (const auto nul = v.find('\0'); nul != std::string::npos) v.resize(nul);
  return v;
}

// The tags a label reads, by number and IFD (comparing the keys' names
// cost more than decoding the block).
struct WantedTag {
  std::uint16_t tag;
  int ifd;
  std::optional<std::string> MediaInfo::*field;
};

// An RW2's IFD0 comes out under a group of its own.
const std::array<WantedTag, 5>& WantedTags() {
  static const std::array<WantedTag, 5> tags = [] {
    const auto wanted = [](const char* key, std::optional<std::string> MediaInfo::*field) {
      const Exiv2::ExifKey k(key);
      return WantedTag{k.tag(), k.ifdId(), field};
    };
    return std::array<WantedTag, 5>{wanted("Exif.Image.DateTime", &MediaInfo::dateTime),
                                    wanted("Exif.Photo.DateTimeOriginal", &MediaInfo::dateTimeOriginal),
                                    wanted("Exif.Image.Model", &MediaInfo::model),
                                    wanted("Exif.Image.Software", &MediaInfo::software),
                                    wanted("Exif.PanasonicRaw.Model", &MediaInfo::model)};
  }();
  return tags;
}

void KeepExif(MediaInfo& info, const Exiv2::ExifData& exif, Exiv2::ByteOrder order) {
  info.hasExif = !exif.empty();
  info.littleEndian = order != Exiv2::bigEndian;
  static const Exiv2::ExifKey orientation("Exif.Image.Orientation");
  for (const Exiv2::Exifdatum& datum : exif) {
    if (datum.tag() == orientation.tag() && datum.ifdId() == orientation.ifdId() && datum.count() == 1) {
      const long o = datum.toLong();
      if (o >= 1 && o <= 8) info.orientation = static_cast<int>(o);
    }
    for (const WantedTag& w : WantedTags())
      if (datum.tag() == w.tag && datum.ifdId() == w.ifd && !(info.*w.field)) info.*w.field = Text(datum);
  }
}

Exiv2::ByteOrder Decode(Exiv2::ExifData& exif, const std::string& tiff) {
  if (tiff.empty()) return Exiv2::invalidByteOrder;
  return Exiv2::ExifParser::decode(exif, reinterpret_cast<const Exiv2::byte*>(tiff.data()),
                                   static_cast<std::uint32_t>(tiff.size()));
}

long SizeTag(const Exiv2::ExifData& exif, const char* key) {
  const auto it = exif.findKey(Exiv2::ExifKey(key));
  return it == exif.end() ? 0 : it->toLong();
}

// The full image of a RAW whose size libexiv2 takes from elsewhere: a
// RAF's preview, an RW2's sensor with its borders.
std::optional<std::pair<long long, long long>> FullImageSize(const fs::ReadOnlyFile& file, const StillType& type,
                                                            const Exiv2::ExifData& exif) {
  if (type.type == Exiv2::ImageType::raf) return RafImageSize(file);
  if (type.type != Exiv2::ImageType::rw2) return std::nullopt;
  const long top = SizeTag(exif, "Exif.PanasonicRaw.SensorTopBorder");
  const long left = SizeTag(exif, "Exif.PanasonicRaw.SensorLeftBorder");
  // libexiv2 names the bottom and right borders ImageHeight and ImageWidth.
  const long bottom = SizeTag(exif, "Exif.PanasonicRaw.ImageHeight");
  const long right = SizeTag(exif, "Exif.PanasonicRaw.ImageWidth");
  if (right <= left || bottom <= top) return std::nullopt;
  return std::pair<long long, long long>(right - left, bottom - top);
}

// A CRW's byte order and capture time from its own heaps.
void KeepCiffValues(const fs::ReadOnlyFile& file, MediaInfo& info) {
  const std::optional<CiffValues> ciff = ReadCiffValues(file);
  if (!ciff) return;
  info.littleEndian = ciff->littleEndian;
  if (ciff->captureTime) info.dateTimeOriginal = ciff->captureTime;
}

// Reads what the still holds through libexiv2 (which throws on a damaged file).
void ReadStill(const std::string& path, const fs::ReadOnlyFile& file, const StillType& type, PixelSize size,
               MediaInfo& info) {
  if (!Exiv2MayRead(file)) return;
  Exiv2::Image::AutoPtr image = type.make(Exiv2::BasicIo::AutoPtr(new Exiv2::FileIo(path)));
  image->readMetadata();
  KeepExif(info, image->exifData(), image->byteOrder());
  if (type.type == Exiv2::ImageType::crw) KeepCiffValues(file, info);
  if (size == PixelSize::Read) {
    const auto full = FullImageSize(file, type, image->exifData());
    KeepSize(info, full ? full->first : image->pixelWidth(), full ? full->second : image->pixelHeight());
  }
  info.readable = true;
}

// A CR3's IFD0, its size the full image's; its Exif directory is the first
// directory of a TIFF structure of its own, so its values come out under
// IFD0's group.
void ReadCr3(const fs::ReadOnlyFile& file, PixelSize size, MediaInfo& info) {
  const std::optional<Cr3Exif> cr3 = ReadCr3Exif(file);
  if (!cr3) return;
  Exiv2::ExifData ifd0, exif;
  const Exiv2::ByteOrder order = Decode(ifd0, cr3->ifd0);
  Decode(exif, cr3->exif);
  KeepExif(info, ifd0, order);
  info.hasExif = !ifd0.empty() || !exif.empty();
  const WantedTag& original = WantedTags()[1];
  for (const Exiv2::Exifdatum& datum : exif)
    if (datum.tag() == original.tag && datum.ifdId() == WantedTags()[0].ifd && !info.dateTimeOriginal)
      info.dateTimeOriginal = Text(datum);
  if (size == PixelSize::Read)
    KeepSize(info, SizeTag(ifd0, "Exif.Image.ImageWidth"), SizeTag(ifd0, "Exif.Image.ImageLength"));
  info.readable = true;
}

// A PNG's header and Exif block. The picture is sound when its chunks are,
// whatever its Exif block holds.
void ReadPng(const fs::ReadOnlyFile& file, PixelSize size, MediaInfo& info) {
  const std::optional<PngMeta> png = ReadPngMeta(file);
  if (!png) return;
  info.readable = true;
  if (size == PixelSize::Read) KeepSize(info, png->width, png->height);
  if (!png->exif) return;
  try {
    Exiv2::ExifData exif;
    const Exiv2::ByteOrder order = Decode(exif, *png->exif);
    KeepExif(info, exif, order);
  } catch (...) {  // an Exif block libexiv2 refuses: no Exif
    info.hasExif = false;
  }
}

bool Digits(const std::string& s, std::size_t from, std::size_t n) {
  if (s.size() < from + n) return false;
  for (std::size_t i = from; i < from + n; ++i)
    if (!std::isdigit(static_cast<unsigned char>(s[i]))) return false;
  return true;
}

// "YYYY-MM-DDTHH:MM:SS..." has the shape of an ISO 8601 date and time.
bool IsoShaped(const std::string& s) {
  return Digits(s, 0, 4) && Digits(s, 5, 2) && Digits(s, 8, 2) && Digits(s, 11, 2) &&
         Digits(s, 14, 2) && Digits(s, 17, 2);
}

// The date and time as written, in the Exif form; the offset is dropped.
std::optional<std::string> AsWritten(const std::string& iso) {
  if (!IsoShaped(iso)) return std::nullopt;
  std::string v = iso.substr(0, 19);
  v[4] = v[7] = ':';
  v[10] = ' ';
  return v;
}

// A UTC time in seconds since 1970 shown in the local time zone.
std::optional<std::string> UnixToLocal(std::int64_t seconds) {
  const auto t = static_cast<std::time_t>(seconds);
  std::tm local{};
  if (!::localtime_r(&t, &local)) return std::nullopt;
  char out[32];
  if (std::strftime(out, sizeof out, "%Y:%m:%d %H:%M:%S", &local) != 19) return std::nullopt;
  return std::string(out);
}

// A UTC time "YYYY-MM-DDTHH:MM:SS..." shown in the local time zone.
std::optional<std::string> UtcToLocal(const std::string& iso) {
  if (!IsoShaped(iso)) return std::nullopt;
  std::tm utc{};
  utc.tm_year = std::stoi(iso.substr(0, 4)) - 1900;
  utc.tm_mon = std::stoi(iso.substr(5, 2)) - 1;
  utc.tm_mday = std::stoi(iso.substr(8, 2));
  utc.tm_hour = std::stoi(iso.substr(11, 2));
  utc.tm_min = std::stoi(iso.substr(14, 2));
  utc.tm_sec = std::stoi(iso.substr(17, 2));
  const std::time_t t = ::timegm(&utc);
  if (t == -1) return std::nullopt;
  return UnixToLocal(t);
}

// Seconds from 1904-01-01 (the movie header's epoch) to 1970-01-01.
constexpr std::int64_t kMovieEpochToUnix = 2082844800;
constexpr int kMaxTopBoxes = 256;

// The movie header's modification time (UTC), which libavformat does not
// pass on: the top-level boxes are walked by their headers alone up to
// "moov", whose first child is "mvhd". Nothing for a time left at 0. Read
// by libavformat's rule for the creation time, so the two agree: a value
// before 1970 in the header's epoch was written as Unix time.
std::optional<std::int64_t> MovieModificationTime(const fs::ReadOnlyFile& file) {
  struct stat st {};
  if (file.fd() < 0 || file.env().Fstat(file.fd(), st) != 0) return std::nullopt;
  const auto fileSize = static_cast<std::uint64_t>(st.st_size);
  unsigned char b[48];
  std::uint64_t at = 0;
  for (int n = 0; n < kMaxTopBoxes && at + 8 <= fileSize; ++n) {
    const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(sizeof b, fileSize - at));
    if (file.env().Pread(file.fd(), b, want, static_cast<off_t>(at)) != static_cast<ssize_t>(want)) return std::nullopt;
    Cursor c(b, want);
    const std::optional<BoxHeader> box = ReadBoxHeader(c, fileSize - at);
    if (!box) return std::nullopt;
    if (box->type == FourCC("moov")) {
      const std::optional<BoxHeader> mvhd = ReadBoxHeader(c, box->size - box->header);
      if (!mvhd || mvhd->type != FourCC("mvhd")) return std::nullopt;
      const std::uint64_t version = c.Number(1);
      c.Number(3);  // flags
      const std::size_t width = version == 1 ? 8 : 4;
      c.Number(width);  // creation time
      const std::uint64_t modified = c.Number(width);
      if (c.failed() || modified == 0 || modified > std::uint64_t(INT64_MAX)) return std::nullopt;
      const auto seconds = static_cast<std::int64_t>(modified);
      return seconds >= kMovieEpochToUnix ? seconds - kMovieEpochToUnix : seconds;
    }
    at += box->size;
  }
  return std::nullopt;
}

std::optional<std::string> Tag(const Avformat& av, const AVDictionary* d, const char* key) {
  const AVDictionaryEntry* e = av.dictGet(d, key, nullptr, 0);
  if (!e || !e->value) return std::nullopt;
  return std::string(e->value);
}

struct CloseInput {
  const Avformat* av;
  void operator()(AVFormatContext* c) const { av->closeInput(&c); }
};

// The capture moment: the maker's creation date with its own offset when
// there is one, else the movie header's time, which is UTC. The library
// gives the header's creation time only, so it stands for both dates.
void ReadVideo(const std::string& path, const fs::ReadOnlyFile& file, MediaInfo& info) {
  const Avformat* av = LoadAvformat();
  if (!av || !MovieHeadersBounded(file)) return;
  AVFormatContext* raw = nullptr;
  AVDictionary* options = nullptr;
  av->dictSet(&options, "protocol_whitelist", "file", 0);
  // "file:" keeps a name with a colon from being taken for a protocol.
  const int rc = av->openInput(&raw, ("file:" + path).c_str(), av->findInputFormat("mov"), &options);
  av->dictFree(&options);
  if (rc < 0) return;
  std::unique_ptr<AVFormatContext, CloseInput> ctx(raw, CloseInput{av});
  info.readable = true;
  info.hasExif = true;
  info.littleEndian = false;  // the container is big-endian
  std::optional<std::string> when;
  if (auto keys = Tag(*av, ctx->metadata, "com.apple.quicktime.creationdate")) when = AsWritten(*keys);
  if (!when)
    if (auto utc = Tag(*av, ctx->metadata, "creation_time")) when = UtcToLocal(*utc);
  info.dateTimeOriginal = when;
  // The modification date: the maker's date too when there is one (so a
  // Live Photo's two files agree), else the movie header's own.
  info.dateTime = when;
  if (!Tag(*av, ctx->metadata, "com.apple.quicktime.creationdate"))
    if (const std::optional<std::int64_t> modified = MovieModificationTime(file))
      if (auto local = UnixToLocal(*modified)) info.dateTime = local;
  info.model = Tag(*av, ctx->metadata, "com.apple.quicktime.model");
  info.software = Tag(*av, ctx->metadata, "com.apple.quicktime.software");
  for (unsigned i = 0; i < ctx->nb_streams; ++i) {
    const AVCodecParameters* p = ctx->streams[i]->codecpar;
    if (p->codec_type == AVMEDIA_TYPE_VIDEO && p->width > 0) {
      KeepSize(info, p->width, p->height);
      break;
    }
  }
}

struct FreeHeifContext {
  const Libheif* heif;
  void operator()(heif_context* c) const { heif->contextFree(c); }
};
struct ReleaseHeifHandle {
  const Libheif* heif;
  void operator()(heif_image_handle* h) const { heif->handleRelease(h); }
};

// Exif of a HEIF item: a 4-byte offset to the TIFF header, then the block.
constexpr std::size_t kMaxExifBlock = 4 << 20;

void KeepHeifExif(MediaInfo& info, const std::string& block) {
  const std::size_t size = block.size();
  if (size < 8 || size > kMaxExifBlock) return;
  const auto* p = reinterpret_cast<const unsigned char*>(block.data());
  const std::uint32_t skip = std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | p[3];
  if (skip > size - 4) return;
  Exiv2::ExifData exif;
  const Exiv2::ByteOrder order =
      Exiv2::ExifParser::decode(exif, p + 4 + skip, static_cast<std::uint32_t>(size - 4 - skip));
  KeepExif(info, exif, order);
}

void ReadHeifThroughLibheif(const std::string& path, MediaInfo& info) {
  const Libheif* heif = LoadLibheif();
  if (!heif) return;
  std::unique_ptr<heif_context, FreeHeifContext> ctx(heif->contextAlloc(), FreeHeifContext{heif});
  if (!ctx || heif->readFromFile(ctx.get(), path.c_str(), nullptr).code != heif_error_Ok) return;
  heif_image_handle* raw = nullptr;
  if (heif->primaryHandle(ctx.get(), &raw).code != heif_error_Ok) return;
  std::unique_ptr<heif_image_handle, ReleaseHeifHandle> handle(raw, ReleaseHeifHandle{heif});
  info.readable = true;
  KeepSize(info, heif->codedWidth(handle.get()), heif->codedHeight(handle.get()));
  heif_item_id id = 0;
  if (heif->metadataIds(handle.get(), "Exif", &id, 1) != 1) return;
  const std::size_t size = heif->metadataSize(handle.get(), id);
  if (size > kMaxExifBlock) return;
  std::string block(size, '\0');
  if (heif->metadata(handle.get(), id, block.data()).code != heif_error_Ok) return;
  KeepHeifExif(info, block);
}

// The item boxes answer for the files they describe plainly; libheif for
// every other.
void ReadHeif(const std::string& path, const fs::ReadOnlyFile& file, MediaInfo& info) {
  const std::optional<HeifItems> items = ReadHeifItems(file.env(), file.fd());
  if (!items) return ReadHeifThroughLibheif(path, info);
  info.readable = true;
  KeepSize(info, items->width, items->height);
  if (items->exif) KeepHeifExif(info, *items->exif);
}

}  // namespace

Format DetectFormat(const std::string& path) {
  InitLibrariesOnce();
  const Head head = ReadHead(fs::ReadOnlyFile(path));
  if (const std::optional<Format> byHead = FormatOfHead(head)) return *byHead;
  const StillType* still = StillTypeOfHead(head);
  return still ? still->format : Format::None;
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
  InitLibrariesOnce();
  MediaInfo info;
  const Head head = ReadHead(file);
  const std::optional<Format> byHead = FormatOfHead(head);
  if (byHead == Format::None) return info;
  const bool byLibexiv2 = byHead != Format::Video && byHead != Format::Heif && byHead != Format::Cr3;
  const StillType* still = byLibexiv2 ? StillTypeOfHead(head) : nullptr;
  info.format = byHead ? *byHead : still ? still->format : Format::None;
  try {
    if (info.format == Format::Video)
      ReadVideo(path, file, info);
    else if (info.format == Format::Heif)
      ReadHeif(path, file, info);
    else if (info.format == Format::Cr3)
      ReadCr3(file, size, info);
    else if (info.format == Format::Png)
      ReadPng(file, size, info);
    else if (still)
      ReadStill(path, file, *still, size, info);
  } catch (...) {  // libexiv2 throws on damaged files; the file stays unreadable
    const Format format = info.format;
    info = MediaInfo();
    info.format = format;
  }
  return info;
}

}  // namespace pictray::meta
