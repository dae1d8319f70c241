#include "engine/jpeg/ng_check.h"

#include <vector>

#include "engine/fs/read_only_file.h"
#include "engine/jpeg/header_check.h"
#include "engine/jpeg/jpeg_decode.h"
#include "engine/settings/profile.h"

namespace pictray {

int JpegNullCheck(const ScanProgress& progress, const std::string& path, const std::string& NullByte) {
  fs::ReadOnlyFile f(path);
  const std::uint64_t size = f.size();
  if (size == 0 || size >= kNullCheckLimit) return 0;
  std::vector<unsigned char> data(static_cast<std::size_t>(size));
  if (f.ReadAt(0, data.data(), data.size()) != data.size()) return 0;

  const long limit = ProfileNumber(NullByte);
  if (progress) progress(0);
  const std::size_t n = data.size();
  long run = 0;
  int shown = 0;
  for (std::size_t j = 0; j < n; ++j) {
    // The bar moves only when its percentage changes: each update waits
    // for the window's thread.
    const int percent = static_cast<int>(j * 100 / n);
    if (progress && percent != shown) {
      progress(percent);
      shown = percent;
    }
    if (data[j] == 0xFF && j + 1 < n && data[j + 1] == 0xD9) break;
    run = data[j] == 0 ? run + 1 : 0;
    if (run >= limit) break;
  }
  if (progress) progress(0);
  return run >= limit ? 1 : 0;
}

std::string NgVerdict(const std::string& path, const NgSettings& s, const ScanProgress& progress) {
  if (JEndHedarCheck(path) == 1) return "NG";
  if (s.NullCheck == "1" && JpegNullCheck(progress, path, s.NullByte) == 1) return "NG";
  if (s.JlibCheck == "1" && JpegErrCheck(path) == 1) return "NG";
  return {};
}

}  // namespace pictray
