// An advisory lock on a folder, held while a run moves files out of it, so
// that two runs (from any of our programs or processes) never move the same
// files at once.
#pragma once

#include <string>

#include "engine/fs/env.h"

namespace pictray {

class FolderLock {
 public:
  FolderLock() = default;
  ~FolderLock();
  FolderLock(FolderLock&& other) noexcept;
  FolderLock& operator=(FolderLock&& other) noexcept;
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;

  // Takes the lock without waiting. Returns 0, EWOULDBLOCK when another run
  // holds it, or the errno of opening the folder.
  int TryLock(const fs::Env& env, const std::string& folder);
  bool held() const { return fd_ >= 0; }

 private:
  const fs::Env* env_ = nullptr;
  int fd_ = -1;
};

}  // namespace pictray
