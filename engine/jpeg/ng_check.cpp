#include "engine/jpeg/ng_check.h"

#include <memory>
#include <new>

#include "engine/jpeg/header_check.h"
#include "engine/jpeg/jpeg_decode.h"
#include "engine/settings/profile.h"

namespace pictray {

namespace {

// Beyond this the decoder reads the file in chunks instead of whole: more
// than any camera's JPEG, and a bound on what each worker holds.
constexpr std::uint64_t kWholeReadLimit = 64 << 20;

// The whole file when a test reads all of it anyway; empty when none does,
// the file is empty or too large, memory is short or the read comes short.
// Not zero-filled first: every byte is read over.
struct WholeFile {
  std::unique_ptr<unsigned char[]> bytes;
  std::size_t size = 0;
  std::span<const unsigned char> view() const { return {bytes.get(), size}; }
};

WholeFile ReadWholeWhenNeeded(const fs::ReadOnlyFile& f, const NgSettings& s) {
  const std::uint64_t size = f.size();
  const bool zeroRuns = s.NullCheck == "1" && size < kNullCheckLimit;
  const bool decoder = s.JlibCheck == "1" && size <= kWholeReadLimit;
  WholeFile whole;
  if (size == 0 || !(zeroRuns || decoder)) return whole;
  try {
    whole.bytes = std::make_unique_for_overwrite<unsigned char[]>(static_cast<std::size_t>(size));
  } catch (const std::bad_alloc&) {
    return whole;
  }
  if (f.ReadAt(0, whole.bytes.get(), size) == size) whole.size = static_cast<std::size_t>(size);
  return whole;
}

}  // namespace

int JpegNullCheck(const ScanProgress& progress, std::span<const unsigned char> data, const std::string& NullByte) {
  if (data.empty() || data.size() >= kNullCheckLimit) return 0;

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

std::string NgVerdict(const fs::ReadOnlyFile& file, const NgSettings& s, const ScanProgress& progress) {
  const WholeFile read = ReadWholeWhenNeeded(file, s);
  const std::span<const unsigned char> whole = read.view();
  const bool held = !whole.empty();
  if ((held ? JEndHedarCheck(whole) : JEndHedarCheck(file)) == 1) return "NG";
  if (s.NullCheck == "1" && JpegNullCheck(progress, whole, s.NullByte) == 1) return "NG";
  if (s.JlibCheck == "1" && (held ? JpegErrCheck(whole) : JpegErrCheck(file)) == 1) return "NG";
  return {};
}

}  // namespace pictray
