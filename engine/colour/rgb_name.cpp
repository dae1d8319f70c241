#include "engine/colour/rgb_name.h"

#include <algorithm>
#include <cstdio>

#include "engine/names/folda_name.h"
#include "engine/settings/profile.h"
#include "engine/settings/settings_keys.h"

namespace pictray {
namespace {

bool Digits(const std::string& t, std::size_t from) {
  for (std::size_t i = from; i < from + 3; ++i)
    if (t[i] < '0' || t[i] > '9') return false;
  return true;
}

}  // namespace

int isRGB(const std::string& text) {
  if (text.size() < 11 || text.size() > 12) return 0;
  return text[3] == '_' && text[7] == '_' && Digits(text, 0) && Digits(text, 4) && Digits(text, 8) ? 1 : 0;
}

void CatRGB(std::string& text, int step) {
  if (!isRGB(text) || step < 1) {
    text = " ";
    return;
  }
  const int r = ProfileNumber(text.substr(0, 3)), g = ProfileNumber(text.substr(4, 3)),
            b = ProfileNumber(text.substr(8));
  char out[40];
  std::snprintf(out, sizeof out, "%03d_%03d_%03d", r / step * step, g / step * step, b / step * step);
  text = out;
}

RgbSettings RgbSettings::Read(const ProfileSnapshot& profile) {
  RgbSettings s;
  s.samcount = static_cast<std::size_t>(std::max(0, ReadSettingNumber(key::samcount, profile)));
  s.PixelPassbit = ReadSetting(key::PixelPassbit, profile) == "1";
  s.PartX = ReadPartX(profile);
  s.search.Exec255bit = ReadSetting(key::Exec255bit, profile) == "1";
  s.search.Exec000bit = ReadSetting(key::Exec000bit, profile) == "1";
  s.search.ExecOWNbit = ReadSetting(key::ExecOWNbit, profile) == "1";
  s.search.ExecRGB = ReadSetting(key::ExecRGB, profile);
  // The search has a fallback of its own when the key is missing.
  s.search.walkLimit = static_cast<std::size_t>(std::max(0, ProfileNumber(ReadSetting(key::samcount, profile, "10000"))));
  s.RGB64 = ReadSetting(key::RGB64, profile);
  s.disabledchar = ReadSetting(key::disabledchar, profile);
  return s;
}

std::string RgbFolderName(const std::string& key, const RgbSettings& settings) {
  std::string name = GetFoldaName(key, 1, settings.disabledchar);
  const int step = settings.RGB64 == "1" ? 64 : settings.RGB64 == "2" ? 32 : settings.RGB64 == "3" ? 16 : 0;
  if (step) CatRGB(name, step);
  return name;
}

std::string MakeJposBit(const std::vector<int>& cells) {
  std::string bits(kMaxCells + 1, '0');
  bits[0] = '1';
  for (int k : cells) {
    if (k < 1 || k > kMaxCells) continue;
    bits[static_cast<std::size_t>(k)] = '1';
    bits[0] = '0';
  }
  return bits;
}

}  // namespace pictray
