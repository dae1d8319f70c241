// Read-ahead for runs that read many files one after another: telling the
// kernel early which bytes will be read keeps several reads in flight while
// the current file is being worked on.
#pragma once

#include <cstdint>
#include <string>

#include "engine/fs/env.h"

namespace pictray {

// Asks the kernel to start reading `path` into the page cache without
// waiting for it: the first `head` and the last `tail` bytes, or the whole
// file when both are 0. A file that cannot be opened, or is no regular
// file, is left alone; the hint is only a hint, so nothing is reported.
void HintWillRead(const fs::Env& env, const std::string& path, std::uint64_t head, std::uint64_t tail);

}  // namespace pictray
