// The thumbnail library opened by path and its calls resolved. The windows,
// both command lines and the tests load it this one way. It stays loaded
// until the process ends: detached drawing workers may still be inside it
// when its owner goes.
#pragma once

#include <string>

#include "engine/colour/thumbnail.h"

namespace pictray {

class ThumbnailLibrary {
 public:
  ThumbnailLibrary() = default;
  ThumbnailLibrary(const ThumbnailLibrary&) = delete;
  ThumbnailLibrary& operator=(const ThumbnailLibrary&) = delete;

  // Opens the library at `path`. False when it cannot be loaded or has no
  // MakeMinImage, with the loader's reason in `why` when given. The other
  // calls may be missing from an older library: they stay null.
  bool Load(const std::string& path, std::string* why = nullptr);

  // The calls, without a budget: the caller gives its own.
  const ThumbnailCalls& calls() const { return calls_; }

 private:
  ThumbnailCalls calls_;
};

}  // namespace pictray
