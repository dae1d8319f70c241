#include "engine/list/sidecar_names.h"

namespace pictray {
namespace {

constexpr std::string_view kSidecarExtensions[] = {".xmp", ".XMP", ".aae", ".AAE", ".thm", ".THM"};
// Sidecars that may carry their picture's whole name, extension and all.
constexpr std::string_view kWholeNameExtensions[] = {".xmp", ".XMP"};

bool HasExtension(std::string_view name, std::string_view ext) {
  return name.size() > ext.size() && name.substr(name.size() - ext.size()) == ext;
}

}  // namespace

bool IsSidecarName(std::string_view name) {
  for (std::string_view ext : kSidecarExtensions)
    if (HasExtension(name, ext)) return true;
  return false;
}

std::string_view StemOf(std::string_view name) {
  const std::size_t dot = name.rfind('.');
  return dot == std::string_view::npos || dot == 0 ? std::string_view() : name.substr(0, dot);
}

std::string_view WholeNameOf(std::string_view sidecar) {
  const std::string_view stem = StemOf(sidecar);
  for (std::string_view ext : kWholeNameExtensions)
    if (HasExtension(sidecar, ext) && !StemOf(stem).empty()) return stem;
  return {};
}

}  // namespace pictray
