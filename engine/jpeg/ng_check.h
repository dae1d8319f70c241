// Broken-file verdicts of the NG analysis.
#pragma once

#include <functional>
#include <span>
#include <string>

#include "engine/fs/read_only_file.h"

namespace pictray {

// Files of this size or more are never examined by the zero-run test.
inline constexpr unsigned long long kNullCheckLimit = 1'000'000;

// How far the zero-run test is through a file, in percent: 0 at the start,
// each new percentage, 0 again at the end. May be empty.
using ScanProgress = std::function<void(int percent)>;

// 1 when `file` (a whole file's bytes) holds a run of at least `NullByte`
// (decimal text; none or 0 makes every examined file broken) consecutive
// 00 bytes before its first FF D9 pair; 0 otherwise, and for empty or too
// large files.
int JpegNullCheck(const ScanProgress& progress, std::span<const unsigned char> file, const std::string& NullByte);

// The switches of the NG analysis, as texts from the settings.
struct NgSettings {
  std::string NullCheck = "0";
  std::string NullByte = "10";
  std::string JlibCheck = "0";
};

// "NG" when JEndHedarCheck, the zero-run test (NullCheck "1") or the
// full-decode test (JlibCheck "1") fires, in that order; else "". When a
// test reads the whole file, it is read once and all three share it.
std::string NgVerdict(const fs::ReadOnlyFile& file, const NgSettings& s, const ScanProgress& progress);

}  // namespace pictray
