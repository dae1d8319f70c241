// Read-ahead for runs that read many files one after another: telling the
// kernel early which bytes will be read keeps several reads in flight while
// the current file is being worked on.
#pragma once

#include <cstdint>
#include <string>

namespace pictray {

// Asks the kernel to start reading `path` into the page cache without
// waiting for it: the first `head` bytes and the last 4 KiB, or the whole
// file when `head` is 0. A file that cannot be opened, or is no regular
// file, is left alone; the hint is only a hint, so nothing is reported.
void HintWillRead(const std::string& path, std::uint64_t head);

}  // namespace pictray
