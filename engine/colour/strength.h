// The strength classification: how strong the purest pixel of one channel
// is in a 100 x 100 thumbnail, among the pixels whose two other channels
// stay at or below a limit.
#pragma once

#include <optional>
#include <string>
#include <utility>

#include "engine/colour/pixel_window.h"
#include "engine/colour/thumbnail.h"
#include "engine/settings/profile.h"

namespace pictray {

// The strength dialog's settings as the analysis reads them.
struct StrengthSettings {
  std::string SRgb0 = "0";  // channel: "0" red, "1" green, "2" blue; any other counts no pixel
  int SRgb1 = 0;            // lower bound of the valid range in the lower-bound mode
  int SRgb2 = 255;          // limit of the two other channels
  std::string SRgb4 = "0";  // "0": valid range SRgb1..255; else SRgb5..SRgb6
  int SRgb5 = 0;
  int SRgb6 = 255;

  // SRgb0..SRgb6 of Section0 of `profile`, with the analysis' fallbacks.
  static StrengthSettings Read(const ProfileSnapshot& profile);

  int Low() const { return SRgb4 == "0" ? SRgb1 : SRgb5; }
  int High() const { return SRgb4 == "0" ? 255 : SRgb6; }
};

// The strongest pixel: its channel value and "%d_%d_%d" of its colour (the
// row's notes). Of equal strengths the first in scan order is taken.
struct TopRgb {
  bool found = false;
  int strength = 0;
  std::string key;
};

// Pure white and pure black never count (a thumbnail's padding is white);
// a pixel counts when its two other channels are both at most SRgb2.
TopRgb StrongestPixel(const PixelWindow& window, const StrengthSettings& settings);

// The strength as three digits when it lies in the valid range (both ends
// included), else "" (also when no pixel counted).
std::string StrengthName(const TopRgb& top, const StrengthSettings& settings);

struct StrengthResult {
  std::string target;                // three digits, "", or "ERROR"
  std::optional<std::string> notes;  // the strongest pixel's key; none when not sampled
};

// One worker's sampling state: its own 100 x 100 surface.
class StrengthSampler {
 public:
  StrengthSampler(ThumbnailCalls lib, StrengthSettings settings, SampledFormats formats = SampledFormats::kJpeg)
      : lib_(lib), settings_(std::move(settings)), formats_(formats) {}

  // GetTopRGB: "" and no notes for a file that is not a JPEG by its header;
  // "ERROR" and no notes when it cannot be sampled; else the strength name
  // and the strongest pixel's key (empty when no pixel counted).
  // `file` is the one opened at `path`.
  StrengthResult GetTopRGB(const fs::ReadOnlyFile& file, const std::string& path);

 private:
  ThumbnailCalls lib_;
  StrengthSettings settings_;
  SampledFormats formats_;
  Surface surface_{100};
};

}  // namespace pictray
