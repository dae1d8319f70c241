#include "thumbkit/heif_read.h"

#include <cstdint>
#include <memory>
#include <vector>

#include <libheif/heif.h>

#include "engine/fs/memory_budget.h"
#include "thumbkit/pixel_rows.h"

namespace thumbkit {
namespace {

// Neither side of any image, grid or tile the library reads may reach
// this; the budget decides the rest.
constexpr int kMaxSide = 1 << 15;

struct Release {
  void operator()(heif_context* c) const { heif_context_free(c); }
  void operator()(const heif_image_handle* h) const { heif_image_handle_release(h); }
  void operator()(const heif_image* i) const { heif_image_release(i); }
  void operator()(heif_decoding_options* o) const { heif_decoding_options_free(o); }
};
template <class T>
using Owned = std::unique_ptr<T, Release>;

bool Ok(const heif_error& e) { return e.code == heif_error_Ok; }

// What decoding holds at its height: the coded planes as decoded (three
// full planes at most, and alpha) and the interleaved picture they are
// converted into; above 8 bits the planes are two bytes a sample and go
// through a full-size step of the same size before their depth is cut.
std::uint64_t DecodedBytes(const heif_image_handle* h, std::uint64_t pixels, bool alpha) {
  const std::uint64_t planes = alpha ? 4 : 3;
  const std::uint64_t coded = heif_image_handle_get_luma_bits_per_pixel(h) > 8 ? 2 * 2 * planes : planes;
  return pixels * (coded + planes);
}

}  // namespace

Streamed StreamHeif(const std::string& path, const BudgetCalls& budget, RowSink& sink) {
  const Owned<heif_context> context(heif_context_alloc());
  if (!context) return Streamed::kFailed;
  heif_context_set_maximum_image_size_limit(context.get(), kMaxSide);
  heif_image_handle* h = nullptr;
  if (!Ok(heif_context_read_from_file(context.get(), path.c_str(), nullptr)) ||
      !Ok(heif_context_get_primary_image_handle(context.get(), &h)))
    return Streamed::kFailed;
  const Owned<const heif_image_handle> handle(h);
  const int w = heif_image_handle_get_width(h), ht = heif_image_handle_get_height(h);
  if (w <= 0 || ht <= 0 || std::uint64_t(w) * std::uint64_t(ht) > kMaxStreamedPixels) return Streamed::kFailed;
  const bool alpha = heif_image_handle_has_alpha_channel(h);
  const pictray::fs::BudgetHold held(budget, DecodedBytes(h, std::uint64_t(w) * std::uint64_t(ht), alpha) +
                                                 3 * std::uint64_t(w));
  std::vector<std::uint8_t> bgr;
  const Owned<heif_decoding_options> options(heif_decoding_options_alloc());
  heif_image* i = nullptr;
  if (!held.held() || !Reserve(bgr, 3 * std::size_t(w)) || !options ||
      !Ok(heif_decode_image(h, &i, heif_colorspace_RGB,
                            alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB, options.get())))
    return Streamed::kFailed;
  const Owned<const heif_image> image(i);
  int stride = 0;
  const std::uint8_t* rows = heif_image_get_plane_readonly(i, heif_channel_interleaved, &stride);
  // The decoded size is the one the handle announced, checked above.
  if (!rows || heif_image_get_width(i, heif_channel_interleaved) != w ||
      heif_image_get_height(i, heif_channel_interleaved) != ht)
    return Streamed::kFailed;
  const Channels from = alpha ? Channels{4, 0, 1, 2, 3} : Channels{3, 0, 1, 2, -1};
  sink.Begin(std::uint32_t(w), std::uint32_t(ht));
  for (int y = 0; y < ht; ++y) {
    ToBgrOverWhite(rows + std::size_t(y) * std::size_t(stride), from, bgr.data(), std::uint32_t(w));
    if (!sink.Row(std::uint32_t(y), bgr.data())) return Streamed::kStopped;
  }
  return Streamed::kRead;
}

}  // namespace thumbkit
