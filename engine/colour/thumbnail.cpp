#include "engine/colour/thumbnail.h"

#include "engine/jpeg/jpeg_decode.h"

namespace pictray {

int DrawThumbnail(MakeMinImageFn MMI, const std::string& path, int part, int partX, Surface& surface) {
  if (!MMI || JpegSampleCheck(path) != 1) return kNotDrawn;
  const int drawn = MMI(surface.bits(), path.c_str(), static_cast<int>(surface.edge()), part, partX);
  return drawn == 0 ? kDrawn : kNotDrawn;
}

int readJpegTolpBMP(MakeMinImageFn MMI, const std::string& path, Surface& surface) {
  return DrawThumbnail(MMI, path, 0, 1, surface);
}

}  // namespace pictray
