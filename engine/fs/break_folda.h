// Folder dissolution: a target folder's files go back up into its parent.
#pragma once

#include <string>

#include "engine/fs/env.h"

namespace pictray {

struct BreakResult {
  int moved = 0;    // files now in the parent
  int skipped = 0;  // a file or folder of that name is in the parent already
  int failed = 0;   // could not be moved (permissions, another file system, ...)
};
// Moves every entry of `folder` that is not a folder into its parent, under
// the same name, never replacing anything there. Subfolders stay.
BreakResult BreakFolda(const fs::Env& env, const std::string& folder);

// Removes `folder` when it holds no entry at all; 0 when removed, else the
// errno (ENOTEMPTY while anything is left in it).
int RemoveEmptyFolder(const fs::Env& env, const std::string& folder);

}  // namespace pictray
