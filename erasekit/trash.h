// Moving a file or folder into the desktop trash in the freedesktop.org
// layout (files/ and info/ of the trash folder), so that file managers can
// restore it; the path's bytes are kept exactly as given.
#pragma once

#include <string>

namespace erasekit {

// Moves `path` into a trash folder on its own file system (the home trash,
// else $topdir/.Trash/$uid or $topdir/.Trash-$uid of its mount), never
// replacing anything there and never copying. Returns "" when done, else
// why it was left where it is.
std::string MoveToTrash(const std::string& path);

}  // namespace erasekit
