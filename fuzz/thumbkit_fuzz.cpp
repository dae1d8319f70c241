// libFuzzer target: the thumbnail library's dispatch and every decoder
// behind it (JPEG, PNG, BMP, WebP, TIFF, HEIF, camera raw previews) on
// arbitrary bytes, the whole picture and one cell.
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "thumbkit/thumbkit.h"

namespace {

char g_dir[] = "/tmp/thumbkit-fuzz-XXXXXX";

void RemoveInput() {
  ::unlink((std::string(g_dir) + "/input").c_str());
  ::rmdir(g_dir);
}

const std::string& InputPath() {
  static const std::string path = [] {
    if (!::mkdtemp(g_dir)) std::abort();
    std::atexit(RemoveInput);
    return std::string(g_dir) + "/input";
  }();
  return path;
}

bool WriteInput(const std::uint8_t* data, std::size_t size) {
  std::FILE* f = std::fopen(InputPath().c_str(), "wb");
  if (!f) return false;
  const bool ok = std::fwrite(data, 1, size, f) == size;
  return std::fclose(f) == 0 && ok;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (!WriteInput(data, size)) std::abort();
  constexpr int kEdge = 16;
  std::vector<unsigned char> surface(std::size_t((3 * kEdge + 3) & ~3) * kEdge);
  for (const auto& [part, partX] : {std::pair{0, 1}, {5, 3}}) {
    const int r = MakeMinImage(surface.data(), InputPath().c_str(), kEdge, part, partX);
    if (r != 0 && r != 1 && r != 9) std::abort();
  }
  return 0;
}
