#include "engine/colour/ratio_name.h"

#include <algorithm>

#include "engine/names/folda_name.h"
#include "engine/settings/profile.h"
#include "engine/settings/settings_keys.h"

namespace pictray {
namespace {

// The count filter of an all-colour mode: "1" frequent colours (1000 or
// more), "2" rare ones (1 to 999), "0" every used one.
bool PassesFilter(int count, const std::string& mode) {
  if (mode == "1") return count >= 1000;
  if (mode == "2") return count >= 1 && count <= 999;
  return count >= 1;
}

std::string AllColourName(const BucketTable& ranked, const RatioSettings& s) {
  std::string name;
  for (const RgbBucket& b : ranked.entries)
    if (PassesFilter(b.count, s.PRgb3)) name += b.letter;
  if (s.PRgb5 == "1") charsort(name, name.size());
  return name;
}

std::string RatioModeName(const BucketTable& ranked, const RatioSettings& s) {
  const std::size_t L = s.PRgb2 == "1" ? 10 : 7;
  const std::size_t F = s.PRgb1 == "1" ? 3 : 1;
  const auto used = [&](std::size_t rank) { return rank < ranked.entries.size() && ranked.entries[rank].count > 0; };
  std::string name(L, '0');
  for (std::size_t i = F; i < L; ++i)
    if (used(i)) name[i] = ranked.entries[i].letter;
  charsort(name, L);
  for (std::size_t i = 0; i < F; ++i)
    if (used(i)) name[i] = ranked.entries[i].letter;
  return name;
}

}  // namespace

RatioSettings RatioSettings::Read(const ProfileSnapshot& profile) {
  RatioSettings s;
  s.PRgb0 = ReadSetting(key::PRgb0, profile);
  s.PRgb1 = ReadSetting(key::PRgb1, profile);
  s.PRgb2 = ReadSetting(key::PRgb2, profile);
  s.PRgb3 = ReadSetting(key::PRgb3, profile);
  s.PRgb4 = ReadSetting(key::PRgb4, profile);
  s.PRgb5 = ReadSetting(key::PRgb5, profile);
  s.PRgb6 = ReadSetting(key::PRgb6, profile);
  return s;
}

std::string BucketName(const BucketTable& ranked, const RatioSettings& settings) {
  const bool allColour = settings.PRgb3 == "0" || settings.PRgb3 == "1" || settings.PRgb3 == "2";
  std::string name = allColour ? AllColourName(ranked, settings) : RatioModeName(ranked, settings);
  if (settings.PRgb4 != "0") {
    const auto cut = static_cast<std::size_t>(std::max(0, ProfileNumber(settings.PRgb4)));
    if (cut < name.size()) name.resize(cut);
  }
  return name;
}

std::string RatioSampler::GetRGBBunrui(const fs::ReadOnlyFile& file, const std::string& path) {
  BucketTable table = settings_.SixtyFour() ? InitRgbWork64() : InitRgbWork();
  if (!IsSampled(file, formats_)) return "";
  const int drawn = readJpegTolpBMP(lib_, file, path, surface_, formats_);
  if (drawn == kNoPicture) return "";
  if (drawn != kDrawn) return kSampleError;
  CountBuckets(surface_.Window(), table);
  SortBuckets(table, settings_.Ascending());
  return BucketName(table, settings_);
}

std::string RatioSampler::RatioFolderName(const fs::ReadOnlyFile& file, const std::string& path) {
  const std::string name = GetRGBBunrui(file, path);
  return settings_.SixtyFour() && name != kSampleError ? Mojihenkan(name) : name;
}

}  // namespace pictray
