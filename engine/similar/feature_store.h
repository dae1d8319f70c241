// The features of many pictures packed: one fixed record each (hashes,
// colours, the thumbnail's size) and the grey thumbnails, each only as
// large as its aspect makes it and packed (PackGrey), in large shared
// blocks. No object per picture, so a library of 100,000 pictures holds
// about 1.2 KB each.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "engine/similar/picture_features.h"

namespace pictray::similar {

class FeatureStore {
 public:
  // Room for `expected` pictures, made at once.
  explicit FeatureStore(std::size_t expected = 0) { heads_.reserve(expected); }
  FeatureStore(const FeatureStore&) = delete;
  FeatureStore& operator=(const FeatureStore&) = delete;

  // Keeps `f`; its index. Safe from several threads at once.
  std::uint32_t Add(const PictureFeatures& f);
  FeatureView View(std::uint32_t i) const {
    const Head& h = heads_[i];
    return {h.hash, h.cropHash.data(), h.colour.data(), h.width, h.height, nullptr, 0, 0, h.grey};
  }
  // The features of `i` whole again (for the cache).
  PictureFeatures Features(std::uint32_t i) const;
  std::size_t size() const { return heads_.size(); }

 private:
  struct Head {
    std::uint64_t hash;
    std::array<std::uint64_t, kCropHashes> cropHash;
    std::array<std::uint8_t, kColourGrid * kColourGrid * 3> colour;
    std::uint8_t width, height;
    const std::uint8_t* grey;  // packed
  };
  static constexpr std::size_t kBlock = 1 << 20;
  std::mutex lock_;
  std::vector<Head> heads_;
  std::vector<std::unique_ptr<std::uint8_t[]>> blocks_;
  std::size_t used_ = kBlock;  // of the last block
};

}  // namespace pictray::similar
