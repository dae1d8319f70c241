// Folder paths as the window compares and hands them on: bytes, never
// transcoded.
#pragma once

#include <string>

namespace pictray::app {

// `path` made absolute against the current folder ("" stays ""), so that it
// keeps its meaning when programs start elsewhere or the current folder
// changes.
std::string WholePath(const std::string& path);

// Whether two paths name the same folder as the user wrote them: the bytes
// of their whole paths, a trailing "/" not counting. Links and "." or ".."
// are not resolved.
bool SameFolder(const std::string& a, const std::string& b);

}  // namespace pictray::app
