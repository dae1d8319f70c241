// Names of the ratio classification: a string of bucket letters chosen and
// ordered by the bucket counts of a 300 x 300 thumbnail.
#pragma once

#include <string>
#include <utility>

#include "engine/colour/buckets.h"
#include "engine/colour/pixel_window.h"
#include "engine/colour/thumbnail.h"
#include "engine/settings/profile.h"

namespace pictray {

// The ratio dialog's settings, as texts the way the keys hold them.
struct RatioSettings {
  std::string PRgb0 = "0";  // "1": 64 buckets, else 27
  std::string PRgb1 = "0";  // ratio mode: "1" = the top 3 lead in rank order, else the top 1
  std::string PRgb2 = "0";  // ratio mode: "1" = 10 characters, else 7
  std::string PRgb3 = "9";  // "0" all used colours, "1" frequent, "2" rare; else the ratio mode
  std::string PRgb4 = "0";  // not "0": cut the name after this many characters
  std::string PRgb5 = "0";  // "1": all-colour names with their letters sorted
  std::string PRgb6 = "0";  // not "0": rank from the least used

  // PRgb0..PRgb6 of Section0 of `profile`, with their fallbacks.
  static RatioSettings Read(const ProfileSnapshot& profile);

  bool SixtyFour() const { return PRgb0 == "1"; }
  // The direction of comp/comp64: least used first when only the rare
  // colours are named or the dialog asks for it.
  bool Ascending() const { return PRgb3 == "2" || PRgb6 != "0"; }
};

// The name from ranked buckets: the all-colour modes (PRgb3 "0", "1", "2":
// the letters of every bucket whose count passes the mode's filter, in rank
// order, sorted with PRgb5) or the ratio mode (a fixed-length name: the top
// 1 or 3 buckets in rank order, then "0" placeholders and the next ranked
// buckets in letter order); then the PRgb4 cut.
std::string BucketName(const BucketTable& ranked, const RatioSettings& settings);

// One ratio worker's sampling state: its own 300 x 300 surface.
class RatioSampler {
 public:
  RatioSampler(ThumbnailCalls lib, RatioSettings settings, SampledFormats formats = SampledFormats::kJpeg)
      : lib_(lib), settings_(std::move(settings)), formats_(formats) {}

  // GetRGBBunrui: "" for a file that is not a JPEG by its header,
  // kSampleError when it cannot be sampled, else the name of its buckets.
  // `file` is the one opened at `path`.
  std::string GetRGBBunrui(const fs::ReadOnlyFile& file, const std::string& path);

  // The row's target: GetRGBBunrui, with the upper-case letters of a
  // 64-bucket name written twice (Mojihenkan), so that names differing only
  // in case stay apart on a file system that ignores case.
  std::string RatioFolderName(const fs::ReadOnlyFile& file, const std::string& path);

 private:
  ThumbnailCalls lib_;
  RatioSettings settings_;
  SampledFormats formats_;
  Surface surface_{300};
};

}  // namespace pictray
