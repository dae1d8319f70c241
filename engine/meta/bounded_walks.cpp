// Which of the walks guards the reader libexiv2 picks for a file.
#include "engine/meta/bounded_walks.h"

#include <array>
#include <exiv2/bmffimage.hpp>
#include <exiv2/exiv2.hpp>
#include <exiv2/webpimage.hpp>

namespace pictray::meta {

bool Exiv2MayRead(const fs::ReadOnlyFile& file) {
  std::array<unsigned char, kExiv2HeadBytes> head{};
  const std::size_t got = file.ReadAt(0, head.data(), head.size());
  int type = Exiv2::ImageType::none;
  try {
    type = Exiv2::ImageFactory::getType(head.data(), static_cast<long>(got));
  } catch (...) {  // the library throws on some bytes it takes for a start of its own
    return false;
  }
  switch (type) {
    case Exiv2::ImageType::crw:
      return CiffHeapsBounded(file);
    case Exiv2::ImageType::bmff:
      return Exiv2BoxesBounded(file);
    case Exiv2::ImageType::png:
      return PngChunksBounded(file);
    case Exiv2::ImageType::webp:
      return WebpChunksBounded(file);
    default:
      return true;
  }
}

}  // namespace pictray::meta
