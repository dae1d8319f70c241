// libFuzzer target: the thumbnail library's dispatch and every decoder
// behind it (JPEG, PNG, BMP, WebP, TIFF, HEIF, camera raw previews) on
// arbitrary bytes, the whole picture and one cell.
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/fuzz_input.h"
#include "thumbkit/thumbkit.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string& path = pictray::fuzzing::WriteInput(data, size, "input");
  constexpr int kEdge = 16;
  std::vector<unsigned char> surface(std::size_t((3 * kEdge + 3) & ~3) * kEdge);
  for (const auto& [part, partX] : {std::pair{0, 1}, {5, 3}}) {
    const int r = MakeMinImage(surface.data(), path.c_str(), kEdge, part, partX);
    if (r != 0 && r != 1 && r != 9) std::abort();
  }
  return 0;
}
