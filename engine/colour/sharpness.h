// The sharpness classification: how much fine detail the strength run's
// 100 x 100 thumbnail holds, as the variance of the Laplacian of its grey.
#pragma once

#include <string>

#include "engine/colour/pixel_window.h"
#include "engine/colour/thumbnail.h"

namespace pictray {

// The variance of the 4-neighbour Laplacian of the grey (BT.601 luma) over
// the picture's rectangle of `window`: the white the library pads the
// thumbnail with is trimmed from its sides first, so that the edge of the
// padding counts for nothing. 0 for a rectangle narrower than 3 pixels.
double LaplacianVariance(const PixelWindow& window);

// The bands, from the thumbnails of detailed scenes left as they are and
// blurred by a Gaussian of radius 1 and 3 (the sharpness tests): the scenes
// give variances of 130..180, radius 1 brings them to 11..16, radius 3 to
// about 2, or 6 once stored as a JPEG (its noise is detail too). Each
// threshold lies near the geometric mean of the ranges it parts.
inline constexpr double kSharpAbove = 45.0;
inline constexpr double kSoftAbove = 8.0;

// "sharp", "soft" or "blurred": the folder a picture of this variance goes
// into.
std::string SharpnessName(double variance);

// One worker's sampling state: its own 100 x 100 surface, drawn as the
// strength run draws it.
class SharpnessSampler {
 public:
  explicit SharpnessSampler(ThumbnailCalls lib, SampledFormats formats = SampledFormats::kJpeg)
      : lib_(lib), formats_(formats) {}

  // The band of the picture in `file` (opened at `path`); "" for a file the
  // colour runs do not sample or that is no picture, kSampleError when it
  // cannot be drawn: the labels the strength run gives such files.
  std::string Label(const fs::ReadOnlyFile& file, const std::string& path);

 private:
  ThumbnailCalls lib_;
  SampledFormats formats_;
  Surface surface_{100};
};

}  // namespace pictray
