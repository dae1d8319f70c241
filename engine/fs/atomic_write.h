// Replacing a whole file so that a crash leaves the old file or the new one,
// never a part of either.
#pragma once

#include <sys/types.h>

#include <initializer_list>
#include <string>
#include <string_view>

#include "engine/fs/env.h"

namespace pictray {

// Writes `parts` one after another to a new file beside `path`, gives it
// `mode`, flushes it to disk, renames it over `path` and flushes the folder.
// Returns 0 or the errno of the step that failed (the new file is removed
// again; `path` is as it was).
int WriteFileAtomic(const fs::Env& env, const std::string& path, std::initializer_list<std::string_view> parts, mode_t mode);

}  // namespace pictray
