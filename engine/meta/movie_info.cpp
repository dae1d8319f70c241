extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/error.h>
}

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <memory>
#include <optional>
#include <string>

#include "engine/meta/bounded_walks.h"
#include "engine/meta/iso_boxes.h"
#include "engine/meta/late_libraries.h"
#include "engine/meta/media_readers.h"

namespace pictray::meta {
namespace {

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

// libavformat reads the caller's open file through a buffer of its own.
struct IoPlace {
  const fs::ReadOnlyFile* file;
  std::uint64_t at = 0;
};

int ReadPacket(void* opaque, std::uint8_t* buf, int size) {
  auto* p = static_cast<IoPlace*>(opaque);
  const std::size_t got = size > 0 ? p->file->ReadAt(p->at, buf, static_cast<std::size_t>(size)) : 0;
  p->at += got;
  return got == 0 ? AVERROR_EOF : static_cast<int>(got);
}

std::int64_t SeekPlace(void* opaque, std::int64_t offset, int whence) {
  auto* p = static_cast<IoPlace*>(opaque);
  const auto size = static_cast<std::int64_t>(p->file->size());
  if (whence & AVSEEK_SIZE) return size;
  whence &= ~AVSEEK_FORCE;
  if (whence != SEEK_SET && whence != SEEK_CUR && whence != SEEK_END) return AVERROR(EINVAL);
  const std::int64_t from = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? static_cast<std::int64_t>(p->at) : size;
  if (offset < -from) return AVERROR(EINVAL);
  p->at = static_cast<std::uint64_t>(from + offset);
  return from + offset;
}

// A movie may name other files (references, playlists): none is opened.
int RefuseOpen(AVFormatContext*, AVIOContext**, const char*, int, AVDictionary**) { return AVERROR(EPERM); }

struct FreeIo {
  const Avformat* av;
  void operator()(AVIOContext* io) const {
    av->freep(&io->buffer);
    av->ioContextFree(&io);
  }
};

constexpr int kIoBuffer = 64 * 1024;

// The movie opened by libavformat on `place`; nothing when it refuses it.
std::unique_ptr<AVFormatContext, CloseInput> OpenMovie(const Avformat& av, AVIOContext* io) {
  AVFormatContext* raw = av.allocContext();
  if (!raw) return {nullptr, CloseInput{&av}};
  raw->pb = io;
  raw->io_open = RefuseOpen;
  // The context is freed when it fails to open.
  if (av.openInput(&raw, "", av.findInputFormat("mov"), nullptr) < 0) return {nullptr, CloseInput{&av}};
  return {raw, CloseInput{&av}};
}

}  // namespace

// The capture moment: the maker's creation date with its own offset when
// there is one, else the movie header's time, which is UTC. The library
// gives the header's creation time only, so it stands for both dates.
void ReadVideo(const fs::ReadOnlyFile& file, MediaInfo& info) {
  const Avformat* av = LoadAvformat();
  if (!av || !MovieHeadersBounded(file)) return;
  void* buffer = av->alloc(kIoBuffer);
  if (!buffer) return;
  IoPlace place{&file};
  AVIOContext* rawIo =
      av->ioAllocContext(static_cast<unsigned char*>(buffer), kIoBuffer, 0, &place, ReadPacket, nullptr, SeekPlace);
  if (!rawIo) {
    av->freep(&buffer);
    return;
  }
  const std::unique_ptr<AVIOContext, FreeIo> io(rawIo, FreeIo{av});
  const std::unique_ptr<AVFormatContext, CloseInput> ctx = OpenMovie(*av, io.get());
  if (!ctx) return;
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

}  // namespace pictray::meta
