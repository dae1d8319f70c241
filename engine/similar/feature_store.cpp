#include "engine/similar/feature_store.h"

#include <cstring>

namespace pictray::similar {

std::uint32_t FeatureStore::Add(const PictureFeatures& f) {
  thread_local std::vector<std::uint8_t> packed;
  packed.clear();
  PackGrey(f.grey.data(), f.width, f.height, packed);
  const std::size_t n = packed.size();
  const std::scoped_lock hold(lock_);
  if (kBlock - used_ < n) {
    blocks_.push_back(std::make_unique<std::uint8_t[]>(kBlock));
    used_ = 0;
  }
  std::uint8_t* grey = blocks_.back().get() + used_;
  std::memcpy(grey, packed.data(), n);
  used_ += n;
  heads_.push_back({f.hash, f.cropHash, f.colour, f.width, f.height, grey});
  return static_cast<std::uint32_t>(heads_.size() - 1);
}

PictureFeatures FeatureStore::Features(std::uint32_t i) const {
  const Head& h = heads_[i];
  PictureFeatures f;
  f.hash = h.hash;
  f.cropHash = h.cropHash;
  f.colour = h.colour;
  f.width = h.width;
  f.height = h.height;
  UnpackGrey(h.grey, h.width, h.height, f.grey.data());
  return f;
}

}  // namespace pictray::similar
