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
// The same into `into` (a move's source folder, for a target "2023/06").
BreakResult BreakFoldaInto(const fs::Env& env, const std::string& folder, const std::string& into);

// Dissolves a move's target folder `folder`, whose target is `target` (a
// nested one, "2023/06", goes back whole: its files into the folder the
// move took them from, then its folders while empty, the deepest first).
// 0 when `folder` itself went, else the errno of removing it.
int BreakTargetFolder(const fs::Env& env, const std::string& folder, const std::string& target);

// Removes `folder` when it holds no entry at all; 0 when removed, else the
// errno (ENOTEMPTY while anything is left in it).
int RemoveEmptyFolder(const fs::Env& env, const std::string& folder);

}  // namespace pictray
