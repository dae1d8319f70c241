#include "thumbkit/webp_read.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include <webp/decode.h>

#include "engine/fs/read_only_file.h"
#include "thumbkit/pixel_rows.h"

namespace thumbkit {
namespace {

// The decoder reads the file from memory; a WebP above this is no photo.
constexpr std::uint64_t kMaxFileBytes = 256u << 20;

bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes) {
  const pictray::fs::ReadOnlyFile f(path);
  const std::uint64_t size = f.size();
  if (size == 0 || size > kMaxFileBytes || !Reserve(bytes, size)) return false;
  return f.ReadAt(0, bytes.data(), bytes.size()) == bytes.size();
}

// The size to decode the whole picture at for its w x h thumbnail: twice
// the thumbnail's pixels, never more than full scale.
Size ScaledSize(Size picture, Size fit) {
  const double k = std::min(1.0, 2.0 * std::max(double(fit.w) / picture.w, double(fit.h) / picture.h));
  const auto scaled = [k](std::uint32_t n) { return std::max<std::uint32_t>(1, std::uint32_t(std::ceil(n * k))); };
  return {scaled(picture.w), scaled(picture.h)};
}

// Sets the decoder to a cell at full scale, its left and top edges moved to
// even pixels as the decoder needs; the region of the cell on the decoded
// raster.
Region CropTo(const Region& cell, WebPDecoderOptions& options, Size& decoded) {
  const std::uint32_t left = cell.x.from & ~1u, top = cell.y.from & ~1u;
  decoded = {cell.x.from + cell.x.size - left, cell.y.from + cell.y.size - top};
  options.use_cropping = 1;
  options.crop_left = int(left);
  options.crop_top = int(top);
  options.crop_width = int(decoded.w);
  options.crop_height = int(decoded.h);
  return {{cell.x.from - left, cell.x.size}, {cell.y.from - top, cell.y.size}};
}

}  // namespace

int DecodeWebp(const std::string& path, std::uint32_t edge, int part, int partX, pictray::Picture& pic,
               Region& region, Size& full) {
  pic.Clear();
  std::vector<std::uint8_t> file;
  WebPDecoderConfig config;
  if (!ReadWholeFile(path, file) || !WebPInitDecoderConfig(&config) ||
      WebPGetFeatures(file.data(), file.size(), &config.input) != VP8_STATUS_OK)
    return 1;
  const auto width = static_cast<std::uint32_t>(config.input.width);
  const auto height = static_cast<std::uint32_t>(config.input.height);
  const Region whole = PartRegion(width, height, part, partX);
  full = {whole.x.size, whole.y.size};
  // A cell is decoded alone and exactly, so that no pixel of its
  // neighbours is decoded into it; the whole picture at a reduced scale.
  Size decoded = {width, height};
  if (part != 0) {
    region = CropTo(whole, config.options, decoded);
  } else {
    decoded = ScaledSize(decoded, FitSize(width, height, edge));
    region = {{0, decoded.w}, {0, decoded.h}};
    config.options.use_scaling = decoded.w != width || decoded.h != height;
    config.options.scaled_width = int(decoded.w);
    config.options.scaled_height = int(decoded.h);
  }
  if (std::uint64_t(decoded.w) * decoded.h > pictray::kMaxDecodePixels) return 1;
  const bool alpha = config.input.has_alpha;
  std::vector<std::uint8_t> bgra;
  if ((alpha && !Reserve(bgra, std::size_t(decoded.w) * decoded.h * 4)) ||
      !pictray::AllocatePicture(pic, decoded.w, decoded.h))
    return 1;
  // Straight into the picture's bottom-up rows when there is no alpha.
  config.options.flip = !alpha;
  config.output.colorspace = alpha ? MODE_BGRA : MODE_BGR;
  config.output.is_external_memory = 1;
  config.output.u.RGBA.rgba = alpha ? bgra.data() : pic.lpBMP();
  config.output.u.RGBA.stride = alpha ? int(decoded.w * 4) : int(pic.dwLength);
  config.output.u.RGBA.size = alpha ? bgra.size() : std::size_t(pic.dwLength) * decoded.h;
  const VP8StatusCode status = WebPDecode(file.data(), file.size(), &config);
  WebPFreeDecBuffer(&config.output);
  if (status != VP8_STATUS_OK) {
    pic.Clear();
    return 1;
  }
  for (std::uint32_t y = 0; alpha && y < decoded.h; ++y)
    ToBgrOverWhite(bgra.data() + std::size_t(y) * decoded.w * 4, {4, 2, 1, 0, 3},
                   pic.lpBMP() + std::size_t(decoded.h - 1 - y) * pic.dwLength, decoded.w);
  return 0;
}

}  // namespace thumbkit
