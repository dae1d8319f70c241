#include "thumbkit/tiff_read.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <vector>

#include <tiffio.h>

#include "engine/fs/memory_budget.h"
#include "thumbkit/pixel_rows.h"

namespace thumbkit {
namespace {

// Any one allocation of the library (a compressed strip, a directory).
constexpr tmsize_t kMaxLibraryAlloc = 256 << 20;
constexpr std::uint16_t kPhotometricLinearRaw = 34892;
// Pixels a tile may always have, whatever the picture's size (1024 x 1024).
constexpr std::uint64_t kMinTileLimit = 1u << 20;

// Nothing would show the library's messages; 1 keeps them from stderr.
int Ignore(TIFF*, void*, const char*, const char*, va_list) { return 1; }

// The library's reading of the file, at offsets of its own: it reads a
// directory or a whole strip or tile at a time.
struct Place {
  const pictray::fs::ReadOnlyFile& file;
  std::uint64_t at = 0;
};

tmsize_t ReadProc(thandle_t h, void* buf, tmsize_t n) {
  auto* place = static_cast<Place*>(h);
  if (n < 0) return -1;
  const std::size_t got = place->file.ReadAt(place->at, buf, static_cast<std::size_t>(n));
  place->at += got;
  return static_cast<tmsize_t>(got);
}
tmsize_t WriteProc(thandle_t, void*, tmsize_t) { return -1; }
toff_t SeekProc(thandle_t h, toff_t offset, int whence) {
  auto* place = static_cast<Place*>(h);
  const toff_t from = whence == SEEK_CUR ? place->at : whence == SEEK_END ? place->file.size() : 0;
  place->at = from + offset;
  return place->at;
}
// The file is the caller's to close.
int CloseProc(thandle_t) { return 0; }
toff_t SizeProc(thandle_t h) { return static_cast<Place*>(h)->file.size(); }
// Never mapped, so that a file cut meanwhile is an error.
int MapProc(thandle_t, void**, toff_t*) { return 0; }
void UnmapProc(thandle_t, void*, toff_t) {}

class File {
 public:
  explicit File(const pictray::fs::ReadOnlyFile& f) : place_{f} {
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    if (!options || !f.ok()) {
      TIFFOpenOptionsFree(options);
      return;
    }
    TIFFOpenOptionsSetMaxSingleMemAlloc(options, kMaxLibraryAlloc);
    TIFFOpenOptionsSetErrorHandlerExtR(options, Ignore, nullptr);
    TIFFOpenOptionsSetWarningHandlerExtR(options, Ignore, nullptr);
    tif_ = TIFFClientOpenExt("", "rm", &place_, ReadProc, WriteProc, SeekProc, CloseProc, SizeProc, MapProc,
                             UnmapProc, options);
    TIFFOpenOptionsFree(options);
  }
  ~File() {
    if (tif_) TIFFClose(tif_);
  }
  File(const File&) = delete;
  File& operator=(const File&) = delete;

  TIFF* get() const { return tif_; }

 private:
  Place place_;
  TIFF* tif_ = nullptr;
};

bool HoldsPlainPicture(TIFF* tif) {
  std::uint16_t compression = 0, photometric = 0;
  std::uint32_t subfile = 0;
  std::uint8_t* dngVersion = nullptr;
  TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &compression);
  TIFFGetField(tif, TIFFTAG_SUBFILETYPE, &subfile);
  return TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &photometric) && photometric != PHOTOMETRIC_CFA &&
         photometric != kPhotometricLinearRaw && !(subfile & FILETYPE_REDUCEDIMAGE) &&
         compression != COMPRESSION_OJPEG && TIFFIsCODECConfigured(compression) &&
         !TIFFGetField(tif, TIFFTAG_DNGVERSION, &dngVersion);
}

// A band of B,G,R rows of the picture's width.
struct Band {
  std::vector<std::uint8_t> bytes;
  std::uint32_t width = 0;

  std::uint8_t* Row(std::uint32_t i) { return bytes.data() + std::size_t(i) * width * 3; }
};

// `rows` rows of `width` pixels from a block the library read bottom row
// first (premultiplied A,B,G,R words, `stride` apart), into the band from
// its row 0 and column `x`.
void PutBlock(const std::uint32_t* block, std::uint32_t stride, std::uint32_t width, std::uint32_t rows,
              std::uint32_t x, Band& band) {
  for (std::uint32_t i = 0; i < rows; ++i) {
    const std::uint32_t* in = block + std::size_t(rows - 1 - i) * stride;
    std::uint8_t* out = band.Row(i) + 3 * std::size_t(x);
    for (std::uint32_t n = 0; n < width; ++n, out += 3) {
      const std::uint32_t p = in[n], white = 255 - TIFFGetA(p);
      out[0] = std::uint8_t(std::min<std::uint32_t>(255, TIFFGetB(p) + white));
      out[1] = std::uint8_t(std::min<std::uint32_t>(255, TIFFGetG(p) + white));
      out[2] = std::uint8_t(std::min<std::uint32_t>(255, TIFFGetR(p) + white));
    }
  }
}

// Hands the band's first `rows` rows over as rows `y`...; false when the
// sink stopped.
bool HandBand(Band& band, std::uint32_t rows, std::uint32_t y, RowSink& sink) {
  for (std::uint32_t i = 0; i < rows; ++i)
    if (!sink.Row(y + i, band.Row(i))) return false;
  return true;
}

// What the library holds to read one strip or tile of `decoded` bytes: the
// coded bytes (no more than decoded ones, as a rule) and the decoded ones,
// three or four times over when each sample has a plane of its own.
std::uint64_t LibraryBytes(TIFF* tif, tmsize_t decoded) {
  std::uint16_t planar = PLANARCONFIG_CONTIG;
  TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &planar);
  const auto bytes = static_cast<std::uint64_t>(std::max<tmsize_t>(decoded, 0));
  return bytes * (planar == PLANARCONFIG_SEPARATE ? 5 : 2);
}

Streamed ReadStrips(TIFF* tif, std::uint32_t w, std::uint32_t h, const BudgetCalls& budget, RowSink& sink) {
  std::uint32_t perStrip = 0;
  TIFFGetFieldDefaulted(tif, TIFFTAG_ROWSPERSTRIP, &perStrip);
  perStrip = std::clamp<std::uint32_t>(perStrip, 1, h);
  const std::uint64_t blockBytes = std::uint64_t(w) * perStrip * 4;
  const pictray::fs::BudgetHold held(budget, blockBytes + std::uint64_t(w) * 3 + LibraryBytes(tif, TIFFStripSize(tif)));
  std::vector<std::uint32_t> block;
  Band row{{}, w};
  if (!held.held() || !Reserve(block, std::size_t(w) * perStrip) || !Reserve(row.bytes, std::size_t(w) * 3))
    return Streamed::kFailed;
  sink.Begin(w, h);
  for (std::uint32_t y = 0; y < h; y += perStrip) {
    if (!TIFFReadRGBAStripExt(tif, y, block.data(), 1)) return Streamed::kFailed;
    const std::uint32_t rows = std::min(perStrip, h - y);
    for (std::uint32_t i = 0; i < rows; ++i) {
      PutBlock(block.data() + std::size_t(rows - 1 - i) * w, w, w, 1, 0, row);
      if (!sink.Row(y + i, row.Row(0))) return Streamed::kStopped;
    }
  }
  return Streamed::kRead;
}

Streamed ReadTiles(TIFF* tif, std::uint32_t w, std::uint32_t h, const BudgetCalls& budget, RowSink& sink) {
  std::uint32_t tw = 0, th = 0;
  TIFFGetField(tif, TIFFTAG_TILEWIDTH, &tw);
  TIFFGetField(tif, TIFFTAG_TILELENGTH, &th);
  // A tile may overhang a small picture, but not hold far more than it.
  const std::uint64_t most = std::max<std::uint64_t>(std::uint64_t(w) * h, kMinTileLimit);
  if (tw == 0 || th == 0 || std::uint64_t(tw) * th > most) return Streamed::kFailed;
  const pictray::fs::BudgetHold held(budget, std::uint64_t(tw) * th * 4 + std::uint64_t(w) * th * 3 +
                                                 LibraryBytes(tif, TIFFTileSize(tif)));
  std::vector<std::uint32_t> block;
  Band band{{}, w};
  if (!held.held() || !Reserve(block, std::size_t(tw) * th) || !Reserve(band.bytes, std::size_t(w) * th * 3))
    return Streamed::kFailed;
  sink.Begin(w, h);
  for (std::uint32_t y = 0; y < h; y += th) {
    // An edge tile's rows end at the bottom of the block.
    const std::uint32_t rows = std::min(th, h - y);
    for (std::uint32_t x = 0; x < w; x += tw) {
      if (!TIFFReadRGBATileExt(tif, x, y, block.data(), 1)) return Streamed::kFailed;
      PutBlock(block.data() + std::size_t(th - rows) * tw, tw, std::min(tw, w - x), rows, x, band);
    }
    if (!HandBand(band, rows, y, sink)) return Streamed::kStopped;
  }
  return Streamed::kRead;
}

}  // namespace

Streamed StreamTiff(const pictray::fs::ReadOnlyFile& f, const BudgetCalls& budget, RowSink& sink) {
  const File file(f);
  TIFF* tif = file.get();
  if (!tif) return Streamed::kFailed;
  if (!HoldsPlainPicture(tif)) return Streamed::kNoPlainPicture;
  std::uint32_t w = 0, h = 0;
  char message[1024];
  if (!TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &w) || !TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &h) || w == 0 ||
      h == 0 || std::uint64_t(w) * h > kMaxStreamedPixels || !TIFFRGBAImageOK(tif, message))
    return Streamed::kFailed;
  return TIFFIsTiled(tif) ? ReadTiles(tif, w, h, budget, sink) : ReadStrips(tif, w, h, budget, sink);
}

}  // namespace thumbkit
