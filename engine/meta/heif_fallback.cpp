#include <libheif/heif.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "engine/meta/heif_items.h"
#include "engine/meta/late_libraries.h"
#include "engine/meta/media_readers.h"

namespace pictray::meta {
namespace {

struct FreeHeifContext {
  const Libheif* heif;
  void operator()(heif_context* c) const { heif->contextFree(c); }
};
struct ReleaseHeifHandle {
  const Libheif* heif;
  void operator()(heif_image_handle* h) const { heif->handleRelease(h); }
};

// libheif reads the caller's open file at its own places.
struct ReaderPlace {
  const fs::ReadOnlyFile* file;
  std::uint64_t at = 0;
};

std::int64_t Position(void* place) { return static_cast<std::int64_t>(static_cast<ReaderPlace*>(place)->at); }

// 0 when all `size` bytes were read.
int ReadBytes(void* data, std::size_t size, void* place) {
  auto* p = static_cast<ReaderPlace*>(place);
  const std::size_t got = p->file->ReadAt(p->at, data, size);
  p->at += got;
  return got == size ? 0 : 1;
}

int SeekTo(std::int64_t position, void* place) {
  auto* p = static_cast<ReaderPlace*>(place);
  if (position < 0 || static_cast<std::uint64_t>(position) > p->file->size()) return 1;
  p->at = static_cast<std::uint64_t>(position);
  return 0;
}

heif_reader_grow_status WaitForSize(std::int64_t size, void* place) {
  const auto* p = static_cast<ReaderPlace*>(place);
  return size >= 0 && static_cast<std::uint64_t>(size) <= p->file->size() ? heif_reader_grow_status_size_reached
                                                                          : heif_reader_grow_status_size_beyond_eof;
}

constexpr heif_reader kFileReader = {1, Position, ReadBytes, SeekTo, WaitForSize};

void ReadHeifThroughLibheif(const fs::ReadOnlyFile& file, MediaInfo& info) {
  const Libheif* heif = LoadLibheif();
  if (!heif) return;
  std::unique_ptr<heif_context, FreeHeifContext> ctx(heif->contextAlloc(), FreeHeifContext{heif});
  ReaderPlace place{&file};
  if (!ctx || heif->readFromReader(ctx.get(), &kFileReader, &place, nullptr).code != heif_error_Ok) return;
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

}  // namespace

// The item boxes answer for the files they describe plainly; libheif for
// every other.
void ReadHeif(const fs::ReadOnlyFile& file, MediaInfo& info) {
  const std::optional<HeifItems> items = ReadHeifItems(file);
  if (!items) return ReadHeifThroughLibheif(file, info);
  info.readable = true;
  KeepSize(info, items->width, items->height);
  if (items->exif) KeepHeifExif(info, *items->exif);
}


}  // namespace pictray::meta
