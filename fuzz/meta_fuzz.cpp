// libFuzzer target: the reader of other formats, its labels and its NG test on arbitrary
// bytes, the content's format forced by the seed corpus (HEIF, TIFF, PNG,
// WebP, MOV/MP4).
#include <cstdint>
#include <string>

#include "engine/meta/media_label.h"
#include "engine/meta/whole_file.h"
#include "fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string& path = pictray::fuzzing::WriteInput(data, size, "input");
  const pictray::fs::ReadOnlyFile file(pictray::fs::DefaultEnv(), path);
  const pictray::meta::MediaInfo info = pictray::meta::ReadMediaInfo(file, path);
  pictray::meta::FileWhole(file, info.format);
  for (const char* sel : {"1", "5", "7", "15", "99"}) pictray::meta::MediaExifLabel(info, sel, "/:.", true);
  pictray::meta::MediaSizeLabel(info);
  return 0;
}
