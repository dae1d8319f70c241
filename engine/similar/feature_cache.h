// What the search measured of each file, kept between runs in the cache
// folder, one cache file for each folder of pictures, by the file's device,
// inode, size, modification and change time (a same-size rewrite whose
// modification time was put back still moves the change time), so that a
// second run over a folder reads no pixels and a search over a few files
// reads only their folders' entries. Each cache file is read in pieces,
// within a bound its size is checked against before anything is read, each
// entry under its own checksum; a damaged or foreign entry counts as none.
// A folder's file is rewritten whole, atomically, with the entries of the
// files it holds now: those of files gone or changed are left out.
// Temporaries of writers that were killed are removed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/fs/env.h"
#include "engine/fs/file_identity.h"
#include "engine/similar/picture_features.h"
#include "engine/similar/picture_shape.h"

namespace pictray::similar {

// Entries of one folder's cache file, at most.
inline constexpr std::size_t kMaxCachedFiles = 1u << 22;
// The folder inside the cache folder that holds the folders' cache files.
inline constexpr const char* kCacheFolderName = "similar";
// The one cache file of earlier versions, removed when found.
inline constexpr const char* kCacheFileName = "similar-features";
// A temporary older than this was left by a writer that was killed.
inline constexpr std::int64_t kStaleTemporarySeconds = 600;

// A file as measured: its header, and its features when it was drawn.
struct Measured {
  PictureShape shape;
  std::optional<PictureFeatures> features;
};

// A file the search looks up or writes: its folder and what says it is
// still the same file.
struct CachedFile {
  std::string_view folder;
  FileIdentity identity;
};

class FeatureCache {
 public:
  // The cache in folder `dir` ("" keeps no cache).
  FeatureCache(const fs::Env& env, std::string dir) : env_(env), dir_(std::move(dir)) {}

  // Reads the cache files of the folders of `files` and hands over each
  // file still as it was measured: found(i, measured). Files of a folder
  // need not follow one another.
  void Read(const std::vector<CachedFile>& files, const std::function<void(std::size_t, Measured&&)>& found);

  // Writes the cache file of every folder that needs it: one of whose files
  // was measured now (`measuredNow`), or whose file held entries of files
  // no longer there or could not be read whole; each with the files of
  // `files` in that folder that `measured` gives (nothing: left out).
  // Removes stale temporaries and the cache file of earlier versions.
  // 0 or the first errno.
  int Write(const std::vector<CachedFile>& files, const std::vector<char>& measuredNow,
            const std::function<std::optional<Measured>(std::size_t)>& measured);

  // The cache file of `folder` in cache folder `dir`.
  static std::string FileOf(const std::string& dir, std::string_view folder);

 private:
  struct FolderRead {
    std::size_t entries = 0, matched = 0;
    bool whole = true;  // read to its end, every entry sound
  };
  const fs::Env& env_;
  std::string dir_;
  // By folder, as Read found them.
  std::vector<std::pair<std::string, FolderRead>> read_;
};

}  // namespace pictray::similar
