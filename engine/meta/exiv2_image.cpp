#include "engine/meta/exiv2_image.h"

#include <exiv2/bmffimage.hpp>
#include <exiv2/exiv2.hpp>
#include <exiv2/webpimage.hpp>

#include <type_traits>
#include <utility>

#include "engine/meta/bounded_walks.h"
#include "engine/meta/file_io.h"

namespace pictray::meta {
namespace {

using marks::FileKind;
using NewImage = std::unique_ptr<Exiv2::Image> (*)(const fs::ReadOnlyFile& file, const std::string& path);

// Made of the class the kind names, never by the library's factory, which
// would tell the type again (opening the file again for every type it
// tries). The images take their io as the library's own owning pointer, a
// std::auto_ptr that goes no further than their constructors.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
template <class T>
std::unique_ptr<Exiv2::Image> Make(const fs::ReadOnlyFile& file, const std::string& path) {
  Exiv2::BasicIo::AutoPtr io(new FileIo(file, path));
  if constexpr (std::is_constructible_v<T, Exiv2::BasicIo::AutoPtr, bool>)
    return std::make_unique<T>(io, false);
  else
    return std::make_unique<T>(io);
}
#pragma GCC diagnostic pop

// The walk that guards the library's reader of a file of `kind`.
bool Exiv2MayRead(const fs::ReadOnlyFile& file, FileKind kind) {
  switch (kind) {
    case FileKind::Crw:
      return CiffHeapsBounded(file);
    case FileKind::Cr3:
    case FileKind::JxlBox:
      return Exiv2BoxesBounded(file);
    case FileKind::WebP:
      return WebpChunksBounded(file);
    default:
      return true;
  }
}

constexpr std::pair<FileKind, NewImage> kClasses[] = {
    {FileKind::Tiff, Make<Exiv2::TiffImage>}, {FileKind::Cr2, Make<Exiv2::Cr2Image>},
    {FileKind::Crw, Make<Exiv2::CrwImage>},   {FileKind::Orf, Make<Exiv2::OrfImage>},
    {FileKind::Rw2, Make<Exiv2::Rw2Image>},   {FileKind::Raf, Make<Exiv2::RafImage>},
    {FileKind::Mrw, Make<Exiv2::MrwImage>},   {FileKind::WebP, Make<Exiv2::WebPImage>},
    {FileKind::Cr3, Make<Exiv2::BmffImage>},  {FileKind::JxlBox, Make<Exiv2::BmffImage>},
};

}  // namespace

std::unique_ptr<Exiv2::Image> OpenExiv2Image(const fs::ReadOnlyFile& file, const std::string& path,
                                             marks::FileKind kind) {
  for (const auto& [readAs, make] : kClasses)
    if (readAs == kind) return Exiv2MayRead(file, kind) ? make(file, path) : nullptr;
  return nullptr;
}

}  // namespace pictray::meta
