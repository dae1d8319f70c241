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

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <memory>
#include <mutex>
#include <optional>

#include "engine/fs/env.h"

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
    av_log_set_level(AV_LOG_QUIET);
  });
}

// The first bytes of the file; fewer when it is shorter or unreadable.
struct Head {
  std::array<unsigned char, 64> bytes{};
  std::size_t size = 0;
  bool At(std::size_t pos, const char* text) const {
    const std::size_t n = std::strlen(text);
    return pos + n <= size && std::memcmp(bytes.data() + pos, text, n) == 0;
  }
};

Head ReadHead(const std::string& path) {
  Head h;
  const fs::Env& env = fs::DefaultEnv();
  const int fd = env.Open(AT_FDCWD, path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return h;
  const ssize_t got = env.Pread(fd, h.bytes.data(), h.bytes.size(), 0);
  env.Close(fd);
  h.size = got > 0 ? static_cast<std::size_t>(got) : 0;
  return h;
}

// A box container by the brands of its "ftyp" box (major, then compatible).
Format FormatOfBrands(const Head& h) {
  const std::uint32_t boxSize = std::uint32_t(h.bytes[0]) << 24 | std::uint32_t(h.bytes[1]) << 16 |
                                std::uint32_t(h.bytes[2]) << 8 | h.bytes[3];
  const std::size_t end = std::min<std::size_t>(h.size, boxSize);
  static constexpr std::pair<const char*, Format> kBrands[] = {
      {"heic", Format::Heif}, {"heix", Format::Heif}, {"heim", Format::Heif}, {"heis", Format::Heif},
      {"hevc", Format::Heif}, {"hevx", Format::Heif}, {"avif", Format::Heif}, {"avis", Format::Heif},
      {"mif1", Format::Heif}, {"msf1", Format::Heif}, {"crx ", Format::Bmff}, {"jxl ", Format::Bmff},
      {"qt  ", Format::Video}, {"isom", Format::Video}, {"iso2", Format::Video}, {"mp41", Format::Video},
      {"mp42", Format::Video}, {"M4V ", Format::Video}, {"M4VH", Format::Video}, {"M4VP", Format::Video},
      {"3gp4", Format::Video}, {"3gp5", Format::Video}, {"3gp6", Format::Video}, {"3g2a", Format::Video},
      {"avc1", Format::Video}};
  for (std::size_t at = 8; at + 4 <= end; at += at == 8 ? 8 : 4) {  // the minor version is no brand
    for (const auto& [brand, format] : kBrands)
      if (std::memcmp(h.bytes.data() + at, brand, 4) == 0) return format;
  }
  return Format::None;
}

// The format of an image the library has opened (it names the type by content).
Format FormatOfImage(const Exiv2::Image& image) {
  const auto is = [&image](auto* type) { return dynamic_cast<decltype(type)>(&image) != nullptr; };
  if (is(static_cast<const Exiv2::BmffImage*>(nullptr))) return Format::Bmff;
  if (is(static_cast<const Exiv2::CrwImage*>(nullptr)) || is(static_cast<const Exiv2::OrfImage*>(nullptr)) ||
      is(static_cast<const Exiv2::Rw2Image*>(nullptr)) || is(static_cast<const Exiv2::RafImage*>(nullptr)) ||
      is(static_cast<const Exiv2::MrwImage*>(nullptr)))
    return Format::Raw;
  if (is(static_cast<const Exiv2::TiffImage*>(nullptr)) || is(static_cast<const Exiv2::Cr2Image*>(nullptr)))
    return Format::Tiff;
  if (is(static_cast<const Exiv2::PngImage*>(nullptr))) return Format::Png;
  if (is(static_cast<const Exiv2::WebPImage*>(nullptr))) return Format::WebP;
  return Format::None;
}

// What the head alone tells; nothing when the library must look.
std::optional<Format> FormatOfHead(const Head& head) {
  if (head.size < 12 || (head.bytes[0] == 0xFF && head.bytes[1] == 0xD8)) return Format::None;
  if (head.At(4, "ftyp")) return FormatOfBrands(head);
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
std::optional<std::string> ExifText(const Exiv2::ExifData& exif, const char* key) {
  const auto it = exif.findKey(Exiv2::ExifKey(key));
  if (it == exif.end()) return std::nullopt;
  std::string v = it->toString();
  if (const auto nul = v.find('\0'); nul != std::string::npos) v.resize(nul);
  return v;
}

void KeepExif(MediaInfo& info, const Exiv2::ExifData& exif, Exiv2::ByteOrder order) {
  info.hasExif = !exif.empty();
  info.littleEndian = order != Exiv2::bigEndian;
  info.dateTime = ExifText(exif, "Exif.Image.DateTime");
  info.dateTimeOriginal = ExifText(exif, "Exif.Photo.DateTimeOriginal");
  info.model = ExifText(exif, "Exif.Image.Model");
  info.software = ExifText(exif, "Exif.Image.Software");
}

// Opens the file through libexiv2 (which throws on a type it does not know)
// and reads what it holds.
void ReadStill(const std::string& path, MediaInfo& info) {
  Exiv2::Image::AutoPtr image = Exiv2::ImageFactory::open(path);
  info.format = FormatOfImage(*image);
  if (info.format == Format::None) return;
  image->readMetadata();
  KeepExif(info, image->exifData(), image->byteOrder());
  KeepSize(info, image->pixelWidth(), image->pixelHeight());
  info.readable = true;
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
  std::tm local{};
  if (t == -1 || !::localtime_r(&t, &local)) return std::nullopt;
  char out[32];
  if (std::strftime(out, sizeof out, "%Y:%m:%d %H:%M:%S", &local) != 19) return std::nullopt;
  return std::string(out);
}

std::optional<std::string> Tag(const AVDictionary* d, const char* key) {
  const AVDictionaryEntry* e = av_dict_get(d, key, nullptr, 0);
  if (!e || !e->value) return std::nullopt;
  return std::string(e->value);
}

struct CloseInput {
  void operator()(AVFormatContext* c) const { avformat_close_input(&c); }
};

// The capture moment: the maker's creation date with its own offset when
// there is one, else the movie header's time, which is UTC. The library
// gives the header's creation time only, so it stands for both dates.
void ReadVideo(const std::string& path, MediaInfo& info) {
  AVFormatContext* raw = nullptr;
  AVDictionary* options = nullptr;
  av_dict_set(&options, "protocol_whitelist", "file", 0);
  // "file:" keeps a name with a colon from being taken for a protocol.
  const int rc = avformat_open_input(&raw, ("file:" + path).c_str(), av_find_input_format("mov"), &options);
  av_dict_free(&options);
  if (rc < 0) return;
  std::unique_ptr<AVFormatContext, CloseInput> ctx(raw);
  info.readable = true;
  info.hasExif = true;
  info.littleEndian = false;  // the container is big-endian
  std::optional<std::string> when;
  if (auto keys = Tag(ctx->metadata, "com.apple.quicktime.creationdate")) when = AsWritten(*keys);
  if (!when)
    if (auto utc = Tag(ctx->metadata, "creation_time")) when = UtcToLocal(*utc);
  info.dateTime = info.dateTimeOriginal = when;
  info.model = Tag(ctx->metadata, "com.apple.quicktime.model");
  info.software = Tag(ctx->metadata, "com.apple.quicktime.software");
  for (unsigned i = 0; i < ctx->nb_streams; ++i) {
    const AVCodecParameters* p = ctx->streams[i]->codecpar;
    if (p->codec_type == AVMEDIA_TYPE_VIDEO && p->width > 0) {
      KeepSize(info, p->width, p->height);
      break;
    }
  }
}

struct FreeHeifContext {
  void operator()(heif_context* c) const { heif_context_free(c); }
};
struct ReleaseHeifHandle {
  void operator()(heif_image_handle* h) const { heif_image_handle_release(h); }
};

// Exif of a HEIF item: a 4-byte offset to the TIFF header, then the block.
constexpr std::size_t kMaxExifBlock = 4 << 20;

void ReadHeif(const std::string& path, MediaInfo& info) {
  std::unique_ptr<heif_context, FreeHeifContext> ctx(heif_context_alloc());
  if (!ctx || heif_context_read_from_file(ctx.get(), path.c_str(), nullptr).code != heif_error_Ok) return;
  heif_image_handle* raw = nullptr;
  if (heif_context_get_primary_image_handle(ctx.get(), &raw).code != heif_error_Ok) return;
  std::unique_ptr<heif_image_handle, ReleaseHeifHandle> handle(raw);
  info.readable = true;
  KeepSize(info, heif_image_handle_get_width(handle.get()), heif_image_handle_get_height(handle.get()));
  heif_item_id id = 0;
  if (heif_image_handle_get_list_of_metadata_block_IDs(handle.get(), "Exif", &id, 1) != 1) return;
  const std::size_t size = heif_image_handle_get_metadata_size(handle.get(), id);
  if (size < 8 || size > kMaxExifBlock) return;
  std::string block(size, '\0');
  if (heif_image_handle_get_metadata(handle.get(), id, block.data()).code != heif_error_Ok) return;
  const auto* p = reinterpret_cast<const unsigned char*>(block.data());
  const std::uint32_t skip = std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | p[3];
  if (skip > size - 4) return;
  Exiv2::ExifData exif;
  const Exiv2::ByteOrder order =
      Exiv2::ExifParser::decode(exif, p + 4 + skip, static_cast<std::uint32_t>(size - 4 - skip));
  KeepExif(info, exif, order);
}

}  // namespace

Format DetectFormat(const std::string& path) {
  InitLibrariesOnce();
  if (const std::optional<Format> byHead = FormatOfHead(ReadHead(path))) return *byHead;
  try {
    return FormatOfImage(*Exiv2::ImageFactory::open(path));
  } catch (...) {  // the library throws on anything it cannot open
    return Format::None;
  }
}

MediaInfo ReadMediaInfo(const std::string& path) {
  InitLibrariesOnce();
  MediaInfo info;
  const std::optional<Format> byHead = FormatOfHead(ReadHead(path));
  if (byHead == Format::None) return info;
  try {
    info.format = byHead.value_or(Format::None);
    if (byHead == Format::Video)
      ReadVideo(path, info);
    else if (byHead == Format::Heif)
      ReadHeif(path, info);
    else
      ReadStill(path, info);
  } catch (...) {  // libexiv2 throws on damaged files; the file stays unreadable
    const Format format = info.format;
    info = MediaInfo();
    info.format = format;
  }
  return info;
}

}  // namespace pictray::meta
