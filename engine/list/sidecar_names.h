// Sidecars by name: files that describe a picture and go wherever it goes.
// A sidecar has its picture's name stem and an extension .xmp, .aae or
// .thm (all lower or all upper case), or is the picture's whole name
// followed by .xmp ("IMG_1.CR2.xmp"). Names are compared as bytes.
#pragma once

#include <string_view>

namespace pictray {

bool IsSidecarName(std::string_view name);

// The name without its extension; empty when it has none (a name's leading
// dot starts no extension).
std::string_view StemOf(std::string_view name);

// The whole picture name a sidecar like "IMG_1.CR2.xmp" carries ("IMG_1.CR2");
// empty for any other name.
std::string_view WholeNameOf(std::string_view sidecar);

}  // namespace pictray
