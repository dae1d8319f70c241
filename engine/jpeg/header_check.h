// Small checks on the first (and last) bytes of a file; none decodes.
#pragma once

#include <string>

namespace pictray {

// "JPEG" when the file's first two bytes are FF D8; empty otherwise, for a
// shorter file, or when it cannot be opened.
std::string JpegHedarCheck(const std::string& path);

}  // namespace pictray
