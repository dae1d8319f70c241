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

namespace {

// Whether a colour run samples the file through the library; `jpeg` tells
// whether it is a JPEG by its first bytes.
bool Samples(MakeMinImageFn MMI, const std::string& path, SampledFormats formats, bool* jpeg) {
  *jpeg = FileHedarCheck(path) == 2;
  return MMI && (*jpeg ? JpegSampleCheck(path) == 1 : formats == SampledFormats::kAll);
}

}  // namespace

int ThumbnailAnswer(int drawn, bool jpeg) {
  if (drawn == 0) return kDrawn;
  return !jpeg && drawn == 9 ? kNoPicture : kNotDrawn;
}

int DrawThumbnail(MakeMinImageFn MMI, const std::string& path, int part, int partX, Surface& surface,
                  SampledFormats formats) {
  bool jpeg = false;
  if (!Samples(MMI, path, formats, &jpeg)) return kNotDrawn;
  return ThumbnailAnswer(MMI(surface.bits(), path.c_str(), static_cast<int>(surface.edge()), part, partX), jpeg);
}

std::vector<int> ChosenCells(const std::string& bits, int last) {
  std::vector<int> cells;
  for (int k = 1; k <= last && static_cast<std::size_t>(k) < bits.size(); ++k)
    if (bits[static_cast<std::size_t>(k)] == '1') cells.push_back(k);
  return cells;
}

void CellDrawer::Start(const std::string& path, const std::vector<int>& parts) {
  path_ = path;
  parts_ = parts;
  constexpr int kUndrawn = kNotSampled - 1;
  answers_.assign(parts.size(), kUndrawn);
  while (surfaces_.size() < parts.size()) surfaces_.emplace_back(edge_);
  sampled_ = Samples(lib_.one, path, formats_, &jpeg_);
  if (!sampled_ || !lib_.many || parts.size() < 2) return;
  std::vector<unsigned char*> bits;
  for (std::size_t i = 0; i < parts.size(); ++i) bits.push_back(surfaces_[i].bits());
  lib_.many(bits.data(), path.c_str(), static_cast<int>(edge_), parts_.data(), static_cast<int>(parts.size()), partX_,
            answers_.data());
}

int CellDrawer::Draw(std::size_t i) {
  if (!sampled_) return kNotSampled;
  if (answers_[i] < kNotSampled)
    answers_[i] = lib_.one(surfaces_[i].bits(), path_.c_str(), static_cast<int>(edge_), parts_[i], partX_);
  return answers_[i];
}

int readJpegTolpBMP(MakeMinImageFn MMI, const std::string& path, Surface& surface, SampledFormats formats) {
  return DrawThumbnail(MMI, path, 0, 1, surface, formats);
}

}  // namespace pictray
