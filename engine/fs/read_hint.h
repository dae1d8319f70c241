// Read-ahead for runs that read many files one after another: telling the
// kernel early which bytes will be read keeps several reads in flight while
// the current file is being worked on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/fs/env.h"
#include "engine/fs/read_only_file.h"

namespace pictray {

// What a hint found.
enum class HintFound {
  Cached,     // the bytes are in the page cache already: nothing asked
  Announced,  // the kernel was asked to read them
  Nothing,    // no regular file to read
};

// Asks the kernel to start reading `path` into the page cache without
// waiting for it: the first `head` and the last `tail` bytes, or the whole
// file when both are 0; unless the last of those bytes is cached already.
// The hint is only a hint, so nothing is reported.
HintFound HintWillRead(const fs::Env& env, const std::string& path, std::uint64_t head, std::uint64_t tail);
// The same for a file the caller has open, and keeps open to read it later.
HintFound HintWillRead(const fs::ReadOnlyFile& file, std::uint64_t head, std::uint64_t tail);

// One worker's hints over a run. On a warm cache the hint costs as much as
// the read it announces, so each file found cached doubles the files passed
// over before the next hint (up to kMaxPassed); a file found uncached makes
// every file hinted again.
class HintPacer {
 public:
  static constexpr std::size_t kMaxPassed = 64;
  // Whether the next file is to be hinted.
  bool Due();
  void Saw(HintFound found);

 private:
  std::size_t passOver_ = 0;  // files to pass over after the next cached one
  std::size_t left_ = 0;      // files still to pass over
};

}  // namespace pictray
