#include "engine/colour/strength.h"

#include <cstdio>

#include "engine/settings/settings_keys.h"

namespace pictray {
namespace {

// The chosen channel's value when the pixel counts, -1 when it does not.
int Strength(const Rgb& c, const StrengthSettings& s) {
  if (c == Rgb{255, 255, 255} || c == Rgb{0, 0, 0}) return -1;
  const int t = s.SRgb2;
  if (s.SRgb0 == "0") return c.g <= t && c.b <= t ? c.r : -1;
  if (s.SRgb0 == "1") return c.r <= t && c.b <= t ? c.g : -1;
  if (s.SRgb0 == "2") return c.r <= t && c.g <= t ? c.b : -1;
  return -1;
}

}  // namespace

StrengthSettings StrengthSettings::Read(const ProfileSnapshot& profile) {
  StrengthSettings s;
  s.SRgb0 = ReadSetting(key::SRgb0, profile);
  s.SRgb1 = ReadSettingNumber(key::SRgb1, profile);
  s.SRgb2 = ReadSettingNumber(key::SRgb2, profile);
  s.SRgb4 = ReadSetting(key::SRgb4, profile);
  s.SRgb5 = ReadSettingNumber(key::SRgb5, profile);
  s.SRgb6 = ReadSettingNumber(key::SRgb6, profile);
  return s;
}

TopRgb StrongestPixel(const PixelWindow& window, const StrengthSettings& settings) {
  TopRgb top;
  for (std::uint32_t i = 0; i < window.height; ++i)
    for (std::uint32_t j = 0; j < window.width; ++j) {
      const Rgb c = window.At(j, i);
      const int s = Strength(c, settings);
      if (s < 0 || (top.found && s <= top.strength)) continue;
      top = {true, s, std::to_string(c.r) + "_" + std::to_string(c.g) + "_" + std::to_string(c.b)};
    }
  return top;
}

std::string StrengthName(const TopRgb& top, const StrengthSettings& settings) {
  if (!top.found || top.strength < settings.Low() || top.strength > settings.High()) return "";
  char text[8];
  std::snprintf(text, sizeof text, "%03d", top.strength);
  return text;
}

StrengthResult StrengthSampler::GetTopRGB(const fs::ReadOnlyFile& file, const std::string& path) {
  if (!IsSampled(file, formats_)) return {};
  const int drawn = readJpegTolpBMP(lib_, file, path, surface_, formats_);
  if (drawn == kNoPicture) return {};
  if (drawn != kDrawn) return {kSampleError, std::nullopt};
  const TopRgb top = StrongestPixel(surface_.Window(), settings_);
  return {StrengthName(top, settings_), top.key};
}

}  // namespace pictray
