// What a CRW's heaps say that libexiv2 gets wrong: its byte order, and
// its capture time, which the library shows in the local time zone.
#pragma once

#include <optional>
#include <string>

#include "engine/fs/read_only_file.h"

namespace pictray::meta {

struct CiffValues {
  bool littleEndian = true;
  std::optional<std::string> captureTime;  // "YYYY:MM:DD HH:MM:SS"
};

// Nothing when the heaps do not walk (see CiffHeapsBounded).
std::optional<CiffValues> ReadCiffValues(const fs::ReadOnlyFile& file);

}  // namespace pictray::meta
