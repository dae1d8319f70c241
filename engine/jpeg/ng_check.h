// Broken-file verdicts of the NG analysis.
#pragma once

#include <string>

#include "engine/run/controls.h"
#include "engine/run/run_host.h"

namespace pictray {

// Files of this size or more are never examined by the zero-run test.
inline constexpr unsigned long long kNullCheckLimit = 1'000'000;

// 1 when the file holds a run of at least `NullByte` (decimal text; none or
// 0 makes every examined file broken) consecutive 00 bytes before its first
// FF D9 pair; 0 otherwise, and for empty, unreadable or too large files.
// With a host, `bar` shows the scan of this file in percent.
int JpegNullCheck(RunHost* host, Control bar, const std::string& path, const std::string& NullByte);

// The switches of the NG analysis, as texts from the settings.
struct NgSettings {
  std::string NullCheck = "0";
  std::string NullByte = "10";
  std::string JlibCheck = "0";
};

// "NG" when JEndHedarCheck, the zero-run test (NullCheck "1") or the
// full-decode test (JlibCheck "1") fires, in that order; else "".
std::string NgVerdict(const std::string& path, const NgSettings& s, RunHost* host, Control bar);

}  // namespace pictray
