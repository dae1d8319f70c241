#include "engine/colour/thumbnail.h"

#include "engine/jpeg/header_check.h"
#include "engine/jpeg/jpeg_decode.h"
#include "engine/settings/settings_keys.h"

namespace pictray {

SampledFormats ReadSampledFormats(const ProfileSnapshot& profile) {
  return ReadSetting(key::AllFormats, profile) == "1" ? SampledFormats::kAll : SampledFormats::kJpeg;
}

bool IsSampled(const std::string& path, SampledFormats formats) {
  return formats == SampledFormats::kAll || FileHedarCheck(path) == 2;
}

int DrawThumbnail(MakeMinImageFn MMI, const std::string& path, int part, int partX, Surface& surface,
                  SampledFormats formats) {
  if (!MMI) return kNotDrawn;
  const bool jpeg = FileHedarCheck(path) == 2;
  if (jpeg ? JpegSampleCheck(path) != 1 : formats == SampledFormats::kJpeg) return kNotDrawn;
  const int drawn = MMI(surface.bits(), path.c_str(), static_cast<int>(surface.edge()), part, partX);
  if (drawn == 0) return kDrawn;
  return !jpeg && drawn == 9 ? kNoPicture : kNotDrawn;
}

int readJpegTolpBMP(MakeMinImageFn MMI, const std::string& path, Surface& surface, SampledFormats formats) {
  return DrawThumbnail(MMI, path, 0, 1, surface, formats);
}

}  // namespace pictray
