// libFuzzer target: the Exif reader, the end-marker check and the decoder
// check (each read from a file, streaming, and read whole from memory must
// agree) and the other header checks on arbitrary bytes.
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

#include "engine/jpeg/exif_reader.h"
#include "engine/jpeg/header_check.h"
#include "engine/jpeg/jpeg_decode.h"
#include "engine/jpeg/ng_check.h"
#include "fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string& path = pictray::fuzzing::WriteInput(data, size, "input.jpg");
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  for (const char* sel : {"1", "3", "5", "6", "7", "11", "12", "0", "99"}) {
    const std::string fromFile = pictray::ExifTimeGet2(pictray::fs::ReadOnlyFile(pictray::fs::DefaultEnv(), path), sel, "/:.");
    if (fromFile != pictray::ExifTimeGet2Bytes(bytes, sel, "/:.")) std::abort();
  }
  pictray::JpegHedarCheck(pictray::fs::ReadOnlyFile(pictray::fs::DefaultEnv(), path));
  pictray::FileHedarCheck(pictray::fs::ReadOnlyFile(pictray::fs::DefaultEnv(), path));
  const pictray::fs::ReadOnlyFile file(pictray::fs::DefaultEnv(), path);
  const std::span<const unsigned char> whole(data, size);
  if (pictray::JEndHedarCheck(file) != pictray::JEndHedarCheck(whole)) std::abort();
  if (pictray::JpegErrCheck(file) != pictray::JpegErrCheck(whole)) std::abort();
  pictray::ExifHedarCheck(file);
  pictray::JpegNullCheck({}, whole, "10");
  pictray::GetJpegImageSize(file);
  return 0;
}
