// libthumbkit.so of the program's folder for a command line, open while
// the object lives: its calls as the engine's runs take them.
#pragma once

#include <dlfcn.h>

#include <string>

#include "engine/colour/thumbnail.h"

namespace pictray::cli {

class ThumbnailLibrary {
 public:
  ThumbnailLibrary() = default;
  ThumbnailLibrary(const ThumbnailLibrary&) = delete;
  ThumbnailLibrary& operator=(const ThumbnailLibrary&) = delete;
  ~ThumbnailLibrary() {
    if (handle_) ::dlclose(handle_);
  }

  // Opens `folder`/libthumbkit.so; false with the reason in `error` when it
  // or its MakeMinImage cannot be had. An older library without the other
  // calls draws each cell on its own, each call within a budget of its own.
  bool Load(const std::string& folder, std::string* error) {
    const std::string path = folder + "/libthumbkit.so";
    handle_ = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle_) {
      const char* why = ::dlerror();
      *error = "cannot load the thumbnail library " + path + ": " + (why ? why : "unknown reason");
      return false;
    }
    calls_.one = Resolve<MakeMinImageFn>("MakeMinImage");
    if (!calls_.one) {
      *error = "the thumbnail library " + path + " has no MakeMinImage";
      return false;
    }
    calls_.many = Resolve<MakeMinImagesFn>("MakeMinImages");
    calls_.rows = Resolve<PictureRowsFn>("PictureRows");
    calls_.oneWithin = Resolve<MakeMinImageWithinFn>("MakeMinImageWithin");
    calls_.manyWithin = Resolve<MakeMinImagesWithinFn>("MakeMinImagesWithin");
    calls_.rowsWithin = Resolve<PictureRowsWithinFn>("PictureRowsWithin");
    return true;
  }

  // The calls, without a budget: the caller gives its own.
  const ThumbnailCalls& calls() const { return calls_; }

 private:
  template <typename Fn>
  Fn Resolve(const char* name) {
    return reinterpret_cast<Fn>(::dlsym(handle_, name));
  }

  void* handle_ = nullptr;
  ThumbnailCalls calls_;
};

}  // namespace pictray::cli
