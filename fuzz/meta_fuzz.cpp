// libFuzzer target: the reader of other formats and its labels on arbitrary
// bytes, the content's format forced by the seed corpus (HEIF, TIFF, PNG,
// WebP, MOV/MP4).
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "engine/meta/media_label.h"

namespace {

char g_dir[] = "/tmp/pictray-meta-fuzz-XXXXXX";

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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::FILE* f = std::fopen(InputPath().c_str(), "wb");
  if (!f) std::abort();
  const bool written = std::fwrite(data, 1, size, f) == size;
  if (std::fclose(f) != 0 || !written) std::abort();
  const pictray::meta::MediaInfo info = pictray::meta::ReadMediaInfo(InputPath());
  for (const char* sel : {"1", "5", "7", "15", "99"}) pictray::meta::MediaExifLabel(info, sel, "/:.", true);
  pictray::meta::MediaSizeLabel(info);
  return 0;
}
