#include "thumbkit/tiff_read.h"

#include <unistd.h>

#include <algorithm>
#include <cstdarg>
#include <vector>

#include <tiffio.h>

#include "engine/fs/read_only_file.h"
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

class File {
 public:
  explicit File(const std::string& path) {
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    std::FILE* stream = pictray::fs::OpenRegularStream(path);
    if (!options || !stream) {
      if (stream) std::fclose(stream);
      TIFFOpenOptionsFree(options);
      return;
    }
    TIFFOpenOptionsSetMaxSingleMemAlloc(options, kMaxLibraryAlloc);
    TIFFOpenOptionsSetErrorHandlerExtR(options, Ignore, nullptr);
    TIFFOpenOptionsSetWarningHandlerExtR(options, Ignore, nullptr);
    // The library closes the descriptor it is given.
    const int fd = ::dup(fileno(stream));
    std::fclose(stream);
    // "m": read, not mapped, so that a file cut meanwhile is an error.
    if (fd >= 0) tif_ = TIFFFdOpenExt(fd, path.c_str(), "rm", options);
    if (fd >= 0 && !tif_) ::close(fd);
    TIFFOpenOptionsFree(options);
  }
  ~File() {
    if (tif_) TIFFClose(tif_);
  }
  File(const File&) = delete;
  File& operator=(const File&) = delete;

  TIFF* get() const { return tif_; }

 private:
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

// `rows` rows of `width` pixels from a block the library read bottom row
// first (premultiplied A,B,G,R words, `stride` apart), into the picture from row `y`
// (counted from the top) and column `x`.
void PutBlock(const std::uint32_t* block, std::uint32_t stride, std::uint32_t width,
              std::uint32_t rows, std::uint32_t x, std::uint32_t y, pictray::Picture& pic) {
  for (std::uint32_t i = 0; i < rows; ++i) {
    const std::uint32_t* in = block + std::size_t(rows - 1 - i) * stride;
    std::uint8_t* out = pic.lpBMP() + std::size_t(pic.dwHeight - 1 - (y + i)) * pic.dwLength + 3 * std::size_t(x);
    for (std::uint32_t n = 0; n < width; ++n, out += 3) {
      const std::uint32_t p = in[n], white = 255 - TIFFGetA(p);
      out[0] = std::uint8_t(std::min<std::uint32_t>(255, TIFFGetB(p) + white));
      out[1] = std::uint8_t(std::min<std::uint32_t>(255, TIFFGetG(p) + white));
      out[2] = std::uint8_t(std::min<std::uint32_t>(255, TIFFGetR(p) + white));
    }
  }
}

bool ReadStrips(TIFF* tif, std::uint32_t w, std::uint32_t h, pictray::Picture& pic) {
  std::uint32_t perStrip = 0;
  TIFFGetFieldDefaulted(tif, TIFFTAG_ROWSPERSTRIP, &perStrip);
  perStrip = std::clamp<std::uint32_t>(perStrip, 1, h);
  std::vector<std::uint32_t> block;
  if (!Reserve(block, std::size_t(w) * perStrip)) return false;
  for (std::uint32_t y = 0; y < h; y += perStrip) {
    if (!TIFFReadRGBAStripExt(tif, y, block.data(), 1)) return false;
    PutBlock(block.data(), w, w, std::min(perStrip, h - y), 0, y, pic);
  }
  return true;
}

bool ReadTiles(TIFF* tif, std::uint32_t w, std::uint32_t h, pictray::Picture& pic) {
  std::uint32_t tw = 0, th = 0;
  TIFFGetField(tif, TIFFTAG_TILEWIDTH, &tw);
  TIFFGetField(tif, TIFFTAG_TILELENGTH, &th);
  std::vector<std::uint32_t> block;
  // A tile may overhang a small picture, but not hold far more than it.
  const std::uint64_t most = std::max<std::uint64_t>(std::uint64_t(w) * h, kMinTileLimit);
  if (tw == 0 || th == 0 || std::uint64_t(tw) * th > most || !Reserve(block, std::size_t(tw) * th)) return false;
  for (std::uint32_t y = 0; y < h; y += th)
    for (std::uint32_t x = 0; x < w; x += tw) {
      if (!TIFFReadRGBATileExt(tif, x, y, block.data(), 1)) return false;
      // An edge tile's rows end at the bottom of the block.
      const std::uint32_t rows = std::min(th, h - y);
      PutBlock(block.data() + std::size_t(th - rows) * tw, tw, std::min(tw, w - x), rows, x, y, pic);
    }
  return true;
}

}  // namespace

TiffResult ReadTiff(const std::string& path, pictray::Picture& pic) {
  pic.Clear();
  const File file(path);
  TIFF* tif = file.get();
  if (!tif) return TiffResult::kFailed;
  if (!HoldsPlainPicture(tif)) return TiffResult::kNoPlainPicture;
  std::uint32_t w = 0, h = 0;
  char message[1024];
  if (!TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &w) || !TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &h) || w == 0 ||
      h == 0 || std::uint64_t(w) * h > pictray::kMaxDecodePixels || !TIFFRGBAImageOK(tif, message) ||
      !pictray::AllocatePicture(pic, w, h))
    return TiffResult::kFailed;
  if (!(TIFFIsTiled(tif) ? ReadTiles(tif, w, h, pic) : ReadStrips(tif, w, h, pic))) {
    pic.Clear();
    return TiffResult::kFailed;
  }
  return TiffResult::kRead;
}

}  // namespace thumbkit
