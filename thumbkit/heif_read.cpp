#include "thumbkit/heif_read.h"

#include <dlfcn.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <libheif/heif.h>
#include <libheif/heif_version.h>

#include "engine/fs/memory_budget.h"
#include "thumbkit/pixel_rows.h"

namespace thumbkit {
namespace {

// Neither side of any image, grid or tile the library reads may reach
// this; the budget decides the rest.
constexpr int kMaxSide = 1 << 15;

// libheif brings its codecs, a dozen libraries that the programs loading
// this library for JPEGs only would map for nothing: it is opened at the
// first HEIF and stays.
struct Libheif {
  decltype(&heif_context_alloc) contextAlloc = nullptr;
  decltype(&heif_context_free) contextFree = nullptr;
  decltype(&heif_context_set_maximum_image_size_limit) setMaxSize = nullptr;
  decltype(&heif_context_read_from_reader) readFromReader = nullptr;
  decltype(&heif_context_get_primary_image_handle) primaryHandle = nullptr;
  decltype(&heif_image_handle_release) handleRelease = nullptr;
  decltype(&heif_image_handle_get_width) handleWidth = nullptr;
  decltype(&heif_image_handle_get_height) handleHeight = nullptr;
  decltype(&heif_image_handle_has_alpha_channel) hasAlpha = nullptr;
  decltype(&heif_image_handle_get_luma_bits_per_pixel) lumaBits = nullptr;
  decltype(&heif_decoding_options_alloc) optionsAlloc = nullptr;
  decltype(&heif_decoding_options_free) optionsFree = nullptr;
  decltype(&heif_decode_image) decode = nullptr;
  decltype(&heif_image_release) imageRelease = nullptr;
  decltype(&heif_image_get_plane_readonly) planeReadonly = nullptr;
  decltype(&heif_image_get_width) imageWidth = nullptr;
  decltype(&heif_image_get_height) imageHeight = nullptr;
  decltype(&heif_image_handle_get_number_of_thumbnails) thumbnailCount = nullptr;
  decltype(&heif_image_handle_get_list_of_thumbnail_IDs) thumbnailIds = nullptr;
  decltype(&heif_image_handle_get_thumbnail) thumbnail = nullptr;
};

template <class Fn>
bool Bind(void* library, const char* name, Fn*& fn) {
  fn = reinterpret_cast<Fn*>(::dlsym(library, name));
  return fn != nullptr;
}

bool BindLibheif(void* lib, Libheif& h) {
  return Bind(lib, "heif_context_alloc", h.contextAlloc) && Bind(lib, "heif_context_free", h.contextFree) &&
         Bind(lib, "heif_context_set_maximum_image_size_limit", h.setMaxSize) &&
         Bind(lib, "heif_context_read_from_reader", h.readFromReader) &&
         Bind(lib, "heif_context_get_primary_image_handle", h.primaryHandle) &&
         Bind(lib, "heif_image_handle_release", h.handleRelease) &&
         Bind(lib, "heif_image_handle_get_width", h.handleWidth) &&
         Bind(lib, "heif_image_handle_get_height", h.handleHeight) &&
         Bind(lib, "heif_image_handle_has_alpha_channel", h.hasAlpha) &&
         Bind(lib, "heif_image_handle_get_luma_bits_per_pixel", h.lumaBits) &&
         Bind(lib, "heif_decoding_options_alloc", h.optionsAlloc) &&
         Bind(lib, "heif_decoding_options_free", h.optionsFree) && Bind(lib, "heif_decode_image", h.decode) &&
         Bind(lib, "heif_image_release", h.imageRelease) &&
         Bind(lib, "heif_image_get_plane_readonly", h.planeReadonly) &&
         Bind(lib, "heif_image_get_width", h.imageWidth) && Bind(lib, "heif_image_get_height", h.imageHeight) &&
         Bind(lib, "heif_image_handle_get_number_of_thumbnails", h.thumbnailCount) &&
         Bind(lib, "heif_image_handle_get_list_of_thumbnail_IDs", h.thumbnailIds) &&
         Bind(lib, "heif_image_handle_get_thumbnail", h.thumbnail);
}

// The smallest thumbnail of `primary` whose longer side reaches `least`, of
// the primary image's aspect (within a pixel); nothing when there is none.
const heif_image_handle* SmallThumbnail(const Libheif& heif, const heif_image_handle* primary, std::uint32_t least) {
  if (least == 0) return nullptr;
  const int count = heif.thumbnailCount(primary);
  if (count <= 0 || count > 16) return nullptr;
  heif_item_id ids[16];
  const int listed = heif.thumbnailIds(primary, ids, count);
  const long long pw = heif.handleWidth(primary), ph = heif.handleHeight(primary);
  const heif_image_handle* best = nullptr;
  long long bestSide = 0;
  for (int i = 0; i < listed; ++i) {
    heif_image_handle* t = nullptr;
    if (!(heif.thumbnail(primary, ids[i], &t).code == heif_error_Ok) || !t) continue;
    const long long w = heif.handleWidth(t), h = heif.handleHeight(t), side = std::max(w, h);
    const bool fits = w > 0 && h > 0 && side >= least && std::llabs(w * ph - h * pw) <= std::max(pw, ph);
    if (fits && (!best || side < bestSide)) {
      if (best) heif.handleRelease(best);
      best = t;
      bestSide = side;
    } else {
      heif.handleRelease(t);
    }
  }
  return best;
}

// The functions of libheif, bound at the first call (threads drawing at
// once wait for that one load); nullptr when the library or a function is
// missing. The table is the only process-wide state here, written once
// and only read after, like the loaded library it points into, which is
// never closed: nothing a caller does can change it.
const Libheif* LoadLibheif() {
  static const std::optional<Libheif> loaded = []() -> std::optional<Libheif> {
    const std::string name = "libheif.so." + std::to_string(LIBHEIF_NUMERIC_VERSION >> 24);
    void* lib = ::dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
    Libheif h;
    if (!lib || !BindLibheif(lib, h)) return std::nullopt;
    return h;
  }();
  return loaded ? &*loaded : nullptr;
}

struct Release {
  const Libheif* heif;
  void operator()(heif_context* c) const { heif->contextFree(c); }
  void operator()(const heif_image_handle* h) const { heif->handleRelease(h); }
  void operator()(const heif_image* i) const { heif->imageRelease(i); }
  void operator()(heif_decoding_options* o) const { heif->optionsFree(o); }
};
template <class T>
using Owned = std::unique_ptr<T, Release>;

bool Ok(const heif_error& e) { return e.code == heif_error_Ok; }

// The library's reading of the file, at a place of its own; it reads the
// coded image data an item at a time.
struct Place {
  const pictray::fs::ReadOnlyFile& file;
  std::uint64_t at = 0;
};

int64_t Position(void* place) { return static_cast<int64_t>(static_cast<Place*>(place)->at); }
int Read(void* data, std::size_t size, void* place) {
  auto* p = static_cast<Place*>(place);
  if (p->file.ReadAt(p->at, data, size) != size) return 1;
  p->at += size;
  return 0;
}
int Seek(int64_t position, void* place) {
  if (position < 0) return 1;
  static_cast<Place*>(place)->at = static_cast<std::uint64_t>(position);
  return 0;
}
// The file does not grow while it is read.
heif_reader_grow_status WaitForSize(int64_t size, void* place) {
  return size >= 0 && static_cast<std::uint64_t>(size) <= static_cast<Place*>(place)->file.size()
             ? heif_reader_grow_status_size_reached
             : heif_reader_grow_status_size_beyond_eof;
}
constexpr heif_reader kReader = {1, Position, Read, Seek, WaitForSize};

// What decoding holds at its height: the coded planes as decoded (three
// full planes at most, and alpha) and the interleaved picture they are
// converted into; above 8 bits the planes are two bytes a sample and go
// through a full-size step of the same size before their depth is cut.
std::uint64_t DecodedBytes(const Libheif& heif, const heif_image_handle* h, std::uint64_t pixels, bool alpha) {
  const std::uint64_t planes = alpha ? 4 : 3;
  const std::uint64_t coded = heif.lumaBits(h) > 8 ? 2 * 2 * planes : planes;
  return pixels * (coded + planes);
}

}  // namespace

Streamed StreamHeif(const pictray::fs::ReadOnlyFile& f, const BudgetCalls& budget, RowSink& sink) {
  const Libheif* heif = LoadLibheif();
  if (!heif || !f.ok()) return Streamed::kFailed;
  const Release release{heif};
  // The context reads through it until it is freed.
  Place place{f};
  const Owned<heif_context> context(heif->contextAlloc(), release);
  if (!context) return Streamed::kFailed;
  heif->setMaxSize(context.get(), kMaxSide);
  heif_image_handle* h = nullptr;
  if (!Ok(heif->readFromReader(context.get(), &kReader, &place, nullptr)) ||
      !Ok(heif->primaryHandle(context.get(), &h)))
    return Streamed::kFailed;
  Owned<const heif_image_handle> handle(h, release);
  // A thumbnail large enough is decoded instead of the whole picture.
  if (const heif_image_handle* small = SmallThumbnail(*heif, h, sink.SmallestUseful())) {
    handle.reset(small);
    h = const_cast<heif_image_handle*>(small);
  }
  const int w = heif->handleWidth(h), ht = heif->handleHeight(h);
  if (w <= 0 || ht <= 0 || std::uint64_t(w) * std::uint64_t(ht) > kMaxStreamedPixels) return Streamed::kFailed;
  const bool alpha = heif->hasAlpha(h);
  const pictray::fs::BudgetHold held(budget, DecodedBytes(*heif, h, std::uint64_t(w) * std::uint64_t(ht), alpha) +
                                                 3 * std::uint64_t(w));
  std::vector<std::uint8_t> bgr;
  const Owned<heif_decoding_options> options(heif->optionsAlloc(), release);
  heif_image* i = nullptr;
  if (!held.held() || !Reserve(bgr, 3 * std::size_t(w)) || !options ||
      !Ok(heif->decode(h, &i, heif_colorspace_RGB,
                       alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB, options.get())))
    return Streamed::kFailed;
  const Owned<const heif_image> image(i, release);
  int stride = 0;
  const std::uint8_t* rows = heif->planeReadonly(i, heif_channel_interleaved, &stride);
  // The decoded size is the one the handle announced, checked above.
  if (!rows || heif->imageWidth(i, heif_channel_interleaved) != w ||
      heif->imageHeight(i, heif_channel_interleaved) != ht)
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
