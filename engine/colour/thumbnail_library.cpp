#include "engine/colour/thumbnail_library.h"

#include <dlfcn.h>

namespace pictray {
namespace {

template <typename Fn>
Fn Resolve(void* handle, const char* name) {
  return reinterpret_cast<Fn>(::dlsym(handle, name));
}

}  // namespace

bool ThumbnailLibrary::Load(const std::string& path, std::string* why) {
  calls_ = {};
  void* const handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) {
    const char* reason = ::dlerror();
    if (why) *why = reason ? reason : path;
    return false;
  }
  calls_.one = Resolve<MakeMinImageFn>(handle, "MakeMinImage");
  if (!calls_.one) {
    if (why) *why = "no MakeMinImage";
    return false;
  }
  calls_.many = Resolve<MakeMinImagesFn>(handle, "MakeMinImages");
  calls_.rows = Resolve<PictureRowsFn>(handle, "PictureRows");
  calls_.oneWithin = Resolve<MakeMinImageWithinFn>(handle, "MakeMinImageWithin");
  calls_.manyWithin = Resolve<MakeMinImagesWithinFn>(handle, "MakeMinImagesWithin");
  calls_.rowsWithin = Resolve<PictureRowsWithinFn>(handle, "PictureRowsWithin");
  calls_.manyFdWithin = Resolve<MakeMinImagesFdWithinFn>(handle, "MakeMinImagesFdWithin");
  calls_.rowsFdWithin = Resolve<PictureRowsFdWithinFn>(handle, "PictureRowsFdWithin");
  return true;
}

}  // namespace pictray
