// What the search keeps of a picture to compare it with others: a hash of
// its grey thumbnail, its colours on an 8 x 8 grid and a small grey
// thumbnail with its aspect kept, all turned as the picture is shown.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/colour/thumbnail.h"

namespace pictray::similar {

// The longer side of the thumbnail the alignment check slides.
inline constexpr int kGreyEdge = 48;
inline constexpr int kColourGrid = 8;
// Hashes of the picture's corners and centre, each kCropShare of both
// sides: a crop of the picture hashes near one of them where its whole
// picture's hash is too far.
inline constexpr int kCropHashes = 5;
inline constexpr double kCropShare = 0.9;

struct PictureFeatures {
  std::uint64_t hash = 0;                                            // of the DCT of a 32 x 32 grey thumbnail
  std::array<std::uint64_t, kCropHashes> cropHash{};                 // the same of its crops
  std::array<std::uint8_t, kColourGrid * kColourGrid * 3> colour{};  // R, G, B, rows from the top
  std::uint8_t width = 0, height = 0;                                // of `grey`: the picture's aspect as shown
  std::array<std::uint8_t, kGreyEdge * kGreyEdge> grey{};            // width x height used, rows from the top
  bool operator==(const PictureFeatures&) const = default;
};

// The features as the comparison reads them, wherever they are kept.
struct FeatureView {
  std::uint64_t hash = 0;
  const std::uint64_t* cropHash = nullptr;  // kCropHashes
  const std::uint8_t* colour = nullptr;     // kColourGrid * kColourGrid * 3
  std::uint8_t width = 0, height = 0;
  const std::uint8_t* grey = nullptr;  // width x height
  // The picture's pixel size as shown; 0 when not known.
  std::uint32_t shownWidth = 0, shownHeight = 0;
  // Where `grey` is null: the grey thumbnail as PackGrey packed it.
  const std::uint8_t* packedGrey = nullptr;
};

// A grey thumbnail packed without loss, about half its size: each pixel as
// its difference from what its neighbours predict, in four bits where that
// is small (a smooth thumbnail's mostly are), else in twelve. Appended to
// `out`.
void PackGrey(const std::uint8_t* grey, int width, int height, std::vector<std::uint8_t>& out);
// The thumbnail of `width` x `height` that PackGrey packed, to `grey`.
void UnpackGrey(const std::uint8_t* packed, int width, int height, std::uint8_t* grey);
// Room for one grey thumbnail unpacked.
using GreyRoom = std::array<std::uint8_t, kGreyEdge * kGreyEdge>;
// The grey thumbnail of `f`: its own, or unpacked into `room`.
const std::uint8_t* GreyOf(const FeatureView& f, GreyRoom& room);

inline FeatureView ViewOf(const PictureFeatures& f) {
  return {f.hash, f.cropHash.data(), f.colour.data(), f.width, f.height, f.grey.data()};
}

// A picture as drawn, turned and reduced: linear planes of samples.
struct Plane {
  int width = 0, height = 0;
  std::vector<float> v;  // rows from the top
  float At(int x, int y) const { return v[static_cast<std::size_t>(y) * width + x]; }
};

// The plane reduced (or enlarged) to w x h by area averaging.
Plane Resample(const Plane& p, int w, int h);

// The plane as shown by Exif orientation `o` (1..8) of its stored pixels.
Plane Turn(const Plane& p, int orientation);

// The 64-bit hash of a grey plane: the signs of its 8 x 8 lowest DCT
// frequencies of a 32 x 32 reduction, against their median.
std::uint64_t GreyHash(const Plane& grey);

// The hashes of the corners and the centre of a grey plane, each
// kCropShare of its sides.
std::array<std::uint64_t, kCropHashes> CropHashes(const Plane& grey);

// The features of a picture as shown, from its red, green and blue planes.
PictureFeatures FeaturesOf(const std::array<Plane, 3>& rgb);

// Measures the picture at `path`, stored width x height and turned by
// `orientation`, through `lib`; nothing when the library cannot draw it,
// with the library's answer in `answer` when given.
std::optional<PictureFeatures> MeasurePicture(const ThumbnailCalls& lib, const std::string& path, int storedWidth,
                                              int storedHeight, int orientation, int* answer = nullptr);

}  // namespace pictray::similar
