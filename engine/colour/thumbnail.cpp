#include "engine/colour/thumbnail.h"

#include "engine/jpeg/header_check.h"
#include "engine/jpeg/jpeg_decode.h"
#include "engine/settings/settings_keys.h"

namespace pictray {

SampledFormats ReadSampledFormats(const ProfileSnapshot& profile) {
  return ReadSetting(key::AllFormats, profile) == "1" ? SampledFormats::kAll : SampledFormats::kJpeg;
}

bool IsSampled(const fs::ReadOnlyFile& file, SampledFormats formats) {
  return formats == SampledFormats::kAll || FileHedarCheck(file) == 2;
}

namespace {

// Whether a colour run samples the file through the library; `jpeg` tells
// whether it is a JPEG by its first bytes.
bool Samples(const ThumbnailCalls& lib, const fs::ReadOnlyFile& file, SampledFormats formats, bool* jpeg) {
  *jpeg = FileHedarCheck(file) == 2;
  return lib.Drawing() && (*jpeg ? JpegSampleCheck(file) == 1 : formats == SampledFormats::kAll);
}

}  // namespace

int ThumbnailCalls::Draw(unsigned char* surface, const char* path, int edge, int part, int partX) const {
  if (oneWithin && Budgeted()) return oneWithin(&budget, surface, path, edge, part, partX);
  return one(surface, path, edge, part, partX);
}

int ThumbnailCalls::Draw(unsigned char* surface, const fs::ReadOnlyFile& file, const char* path, int edge, int part,
                         int partX) const {
  if (!manyFdWithin || !Budgeted()) return Draw(surface, path, edge, part, partX);
  int result = 1;
  manyFdWithin(&budget, &surface, file.fd(), edge, &part, 1, partX, &result);
  return result;
}

int ThumbnailCalls::DrawMany(unsigned char* const* surfaces, const fs::ReadOnlyFile& file, const char* path, int edge,
                             const int* parts, int count, int partX, int* results) const {
  if (manyFdWithin && Budgeted())
    return manyFdWithin(&budget, surfaces, file.fd(), edge, parts, count, partX, results);
  if (manyWithin && Budgeted()) return manyWithin(&budget, surfaces, path, edge, parts, count, partX, results);
  return many(surfaces, path, edge, parts, count, partX, results);
}

int ThumbnailCalls::Rows(const fs::ReadOnlyFile& file, const char* path,
                         int (*row)(void* ctx, const unsigned char* bgr, unsigned width, unsigned height),
                         void* ctx) const {
  if (rowsFdWithin && Budgeted()) return rowsFdWithin(&budget, file.fd(), row, ctx);
  if (rowsWithin && Budgeted()) return rowsWithin(&budget, path, row, ctx);
  return rows(path, row, ctx);
}

int ThumbnailAnswer(int drawn, bool jpeg) {
  if (drawn == 0) return kDrawn;
  return !jpeg && drawn == 9 ? kNoPicture : kNotDrawn;
}

int DrawThumbnail(const ThumbnailCalls& lib, const fs::ReadOnlyFile& file, const std::string& path, int part,
                  int partX, Surface& surface, SampledFormats formats) {
  bool jpeg = false;
  if (!Samples(lib, file, formats, &jpeg)) return kNotDrawn;
  return ThumbnailAnswer(lib.Draw(surface.bits(), file, path.c_str(), static_cast<int>(surface.edge()), part, partX),
                         jpeg);
}

std::vector<int> ChosenCells(const std::string& bits, int last) {
  std::vector<int> cells;
  for (int k = 1; k <= last && static_cast<std::size_t>(k) < bits.size(); ++k)
    if (bits[static_cast<std::size_t>(k)] == '1') cells.push_back(k);
  return cells;
}

void CellDrawer::Start(const fs::ReadOnlyFile& file, const std::string& path, const std::vector<int>& parts) {
  file_ = &file;
  path_ = path;
  parts_ = parts;
  constexpr int kUndrawn = kNotSampled - 1;
  answers_.assign(parts.size(), kUndrawn);
  while (surfaces_.size() < parts.size()) surfaces_.emplace_back(edge_);
  sampled_ = Samples(lib_, file, formats_, &jpeg_);
  if (!sampled_ || !lib_.DrawingMany() || parts.size() < 2) return;
  std::vector<unsigned char*> bits;
  for (std::size_t i = 0; i < parts.size(); ++i) bits.push_back(surfaces_[i].bits());
  lib_.DrawMany(bits.data(), file, path.c_str(), static_cast<int>(edge_), parts_.data(), static_cast<int>(parts.size()),
                partX_, answers_.data());
}

int CellDrawer::Draw(std::size_t i) {
  if (!sampled_) return kNotSampled;
  if (answers_[i] < kNotSampled)
    answers_[i] = lib_.Draw(surfaces_[i].bits(), *file_, path_.c_str(), static_cast<int>(edge_), parts_[i], partX_);
  return answers_[i];
}

int readJpegTolpBMP(const ThumbnailCalls& lib, const fs::ReadOnlyFile& file, const std::string& path, Surface& surface,
                    SampledFormats formats) {
  return DrawThumbnail(lib, file, path, 0, 1, surface, formats);
}

}  // namespace pictray
