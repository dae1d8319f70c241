// Making a folder and any of its parents that are missing (mkdir -p).
#pragma once

#include <sys/types.h>

#include <string>

#include "engine/fs/env.h"

namespace pictray {

// Makes every missing folder along the absolute or relative `path`, each
// with `mode`. Returns 0 when `path` is a folder at the end, else the errno
// of the step that failed (ENOTDIR when a file holds a name on the way).
int MakeFolders(const fs::Env& env, const std::string& path, mode_t mode);

}  // namespace pictray
