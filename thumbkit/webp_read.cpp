#include "thumbkit/webp_read.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include <webp/decode.h>

#include "engine/fs/memory_budget.h"
#include "thumbkit/pixel_rows.h"

namespace thumbkit {
namespace {

// The decoder reads the file from memory; a WebP above this is no photo.
constexpr std::uint64_t kMaxFileBytes = 256u << 20;

// The headers WebPGetFeatures reads lie within the file's first bytes.
constexpr std::size_t kHeadBytes = 64;

// The picture's features from the file's head alone.
bool ReadFeatures(const pictray::fs::ReadOnlyFile& f, WebPBitstreamFeatures& features) {
  std::uint8_t head[kHeadBytes];
  const std::size_t n = f.ReadAt(0, head, sizeof head);
  return n > 0 && WebPGetFeatures(head, n, &features) == VP8_STATUS_OK;
}

bool ReadWholeFile(const pictray::fs::ReadOnlyFile& f, std::vector<std::uint8_t>& bytes) {
  return Reserve(bytes, f.size()) && f.ReadAt(0, bytes.data(), bytes.size()) == bytes.size();
}

// What decoding holds besides the file: the picture, the rows with alpha
// before they go over white, and the lossless decoder's own full-size
// A,R,G,B image (the lossy one keeps a few rows).
std::uint64_t DecodingBytes(const WebPBitstreamFeatures& features, Size decoded) {
  const std::uint64_t pixels = std::uint64_t(decoded.w) * decoded.h;
  const std::uint64_t library = features.format == 1 ? 0 : std::uint64_t(features.width) * features.height * 4;
  return std::uint64_t(pictray::BmpRowLength(decoded.w)) * decoded.h + (features.has_alpha ? 4 * pixels : 0) +
         library;
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

int DecodeWebp(const pictray::fs::ReadOnlyFile& f, const BudgetCalls& budget, std::uint32_t edge, int part,
               int partX, const WebpUse& use) {
  WebPDecoderConfig config;
  if (!f.ok() || f.size() == 0 || f.size() > kMaxFileBytes || !WebPInitDecoderConfig(&config) ||
      !ReadFeatures(f, config.input))
    return 1;
  const auto width = static_cast<std::uint32_t>(config.input.width);
  const auto height = static_cast<std::uint32_t>(config.input.height);
  const Region whole = PartRegion(width, height, part, partX);
  const Size full = {whole.x.size, whole.y.size};
  Region region;
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
  const pictray::fs::BudgetHold held(budget, f.size() + DecodingBytes(config.input, decoded));
  const bool alpha = config.input.has_alpha;
  std::vector<std::uint8_t> file, bgra;
  pictray::Picture pic;
  if (!held.held() || !ReadWholeFile(f, file) || (alpha && !Reserve(bgra, std::size_t(decoded.w) * decoded.h * 4)) ||
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
  if (status != VP8_STATUS_OK) return 1;
  for (std::uint32_t y = 0; alpha && y < decoded.h; ++y)
    ToBgrOverWhite(bgra.data() + std::size_t(y) * decoded.w * 4, {4, 2, 1, 0, 3},
                   pic.lpBMP() + std::size_t(decoded.h - 1 - y) * pic.dwLength, decoded.w);
  use(pic, region, full);
  return 0;
}

}  // namespace thumbkit
