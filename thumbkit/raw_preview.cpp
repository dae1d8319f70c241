#include "thumbkit/raw_preview.h"

#include <functional>
#include <memory>
#include <mutex>

#include <exiv2/exiv2.hpp>

#include "engine/marks/file_kind.h"
#include "engine/meta/exiv2_image.h"
#include "thumbkit/jpeg_part.h"

namespace thumbkit {
namespace {

// A camera's full-size preview is a few megabytes.
constexpr std::uint32_t kMaxPreviewBytes = 64u << 20;

// Once for the process, before any file is read: the XMP toolkit is set up
// for several threads, ISO media containers (CR3) are read, and the
// library's messages are silenced.
void SetUpLibrary() {
  static std::once_flag once;
  std::call_once(once, [] {
    Exiv2::XmpParser::initialize();
    Exiv2::enableBMFF(true);
    Exiv2::LogMsg::setLevel(Exiv2::LogMsg::mute);
  });
}

// The largest preview that is a JPEG within the byte limit, or nullptr.
const Exiv2::PreviewProperties* LargestJpeg(const Exiv2::PreviewPropertiesList& list) {
  const Exiv2::PreviewProperties* best = nullptr;
  for (const Exiv2::PreviewProperties& p : list)
    if (p.mimeType_ == "image/jpeg" && p.size_ <= kMaxPreviewBytes &&
        (!best || std::uint64_t(p.width_) * p.height_ >= std::uint64_t(best->width_) * best->height_))
      best = &p;
  return best;
}

// Hands the largest JPEG preview of the raw file `f` to `decode`, if it
// can be read and holds one.
void WithLargestPreview(const pictray::fs::ReadOnlyFile& f,
                        const std::function<void(const unsigned char*, std::size_t)>& decode) {
  SetUpLibrary();
  try {
    const std::unique_ptr<Exiv2::Image> image = pictray::meta::OpenExiv2Image(f, "", pictray::marks::KindOfFile(f));
    if (!image) return;
    image->readMetadata();
    const Exiv2::PreviewManager previews(*image);
    const Exiv2::PreviewPropertiesList list = previews.getPreviewProperties();
    const Exiv2::PreviewProperties* largest = LargestJpeg(list);
    if (!largest) return;
    const Exiv2::PreviewImage preview = previews.getPreviewImage(*largest);
    decode(preview.pData(), preview.size());
  } catch (...) {
    // The library throws its own errors and the standard ones on damaged files.
  }
}

}  // namespace

void DecodeRawPreviewParts(const pictray::fs::ReadOnlyFile& f, const BudgetCalls& budget, std::uint32_t edge,
                           const std::vector<int>& parts, int partX, const PartSink& sink) {
  WithLargestPreview(f, [&](const unsigned char* data, std::size_t size) {
    DecodeJpegPartsInMemory(data, size, budget, edge, parts, partX, sink);
  });
}

}  // namespace thumbkit
