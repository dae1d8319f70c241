// libFuzzer target: the Exif reader (read from a file, streaming, and read
// whole from memory must agree) and the header checks on arbitrary bytes.
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "engine/jpeg/exif_reader.h"
#include "engine/jpeg/header_check.h"
#include "engine/jpeg/jpeg_decode.h"
#include "engine/jpeg/ng_check.h"

namespace {

char g_dir[] = "/tmp/pictray-fuzz-XXXXXX";

void RemoveInput() {
  ::unlink((std::string(g_dir) + "/input.jpg").c_str());
  ::rmdir(g_dir);
}

const std::string& InputPath() {
  static const std::string path = [] {
    if (!::mkdtemp(g_dir)) std::abort();
    std::atexit(RemoveInput);
    return std::string(g_dir) + "/input.jpg";
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
  const std::string& path = InputPath();
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  for (const char* sel : {"1", "3", "5", "6", "7", "11", "12", "0", "99"}) {
    const std::string fromFile = pictray::ExifTimeGet2(path, sel, "/:.");
    if (fromFile != pictray::ExifTimeGet2Bytes(bytes, sel, "/:.")) std::abort();
  }
  pictray::JpegHedarCheck(path);
  pictray::FileHedarCheck(path);
  pictray::JEndHedarCheck(path);
  pictray::ExifHedarCheck(path);
  pictray::JpegNullCheck({}, path, "10");
  pictray::GetJpegImageSize(path);
  return 0;
}
