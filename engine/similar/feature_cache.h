// What the search measured of each file, kept between runs in the cache
// folder by the file's device, inode, size and modification time, so that
// a second run over a folder reads no pixels. A damaged or foreign cache
// file counts as none; the file is rewritten whole, atomically, and holds
// at most kMaxCachedFiles files.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <unordered_map>

#include "engine/fs/env.h"
#include "engine/fs/file_identity.h"
#include "engine/similar/picture_features.h"
#include "engine/similar/picture_shape.h"

namespace pictray::similar {

inline constexpr std::size_t kMaxCachedFiles = 150000;
inline constexpr const char* kCacheFileName = "similar-features";

// A file as measured: its header, and its features when it was drawn.
struct Measured {
  PictureShape shape;
  std::optional<PictureFeatures> features;
};

class FeatureCache {
 public:
  // The cache file of folder `dir` ("" keeps no cache).
  static FeatureCache Read(const fs::Env& env, const std::string& dir);

  // What was measured of the file, when it is still as it was then; the
  // entry is then kept first when the cache is written.
  const Measured* Use(const FileIdentity& file);
  // A file measured now (kept first too).
  void Put(const FileIdentity& file, Measured measured);
  std::size_t size() const { return entries_.size(); }
  // Whether anything was put since the file was read.
  bool changed() const { return changed_; }

  // Writes the files used or put, then others up to kMaxCachedFiles, to
  // `dir`'s cache file, making the folder when missing. 0 or the errno.
  int Write(const fs::Env& env, const std::string& dir) const;

 private:
  struct Key {
    std::uint64_t dev = 0, ino = 0;
    std::int64_t size = 0, mtimeNs = 0;
    bool operator==(const Key&) const = default;
  };
  struct KeyHash {
    std::size_t operator()(const Key& k) const;
  };
  struct Entry {
    Measured measured;
    bool used = false;
  };
  static Key KeyOf(const FileIdentity& f) { return {f.dev, f.ino, f.size, f.mtimeNs}; }

  std::unordered_map<Key, Entry, KeyHash> entries_;
  bool changed_ = false;
};

}  // namespace pictray::similar
