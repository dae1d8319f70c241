// The comparison an extraction makes before it moves a copy and a deletion
// makes before it trashes the copies: the copy is still the file it was,
// and still holds the bytes of the file it was kept for.
#pragma once

#include <string>

#include "engine/fs/env.h"
#include "engine/fs/file_identity.h"

namespace pictray::dupes {

enum class Check { Verified, Changed, Differs };

// The file `name` (of `dirfd`, a link not followed) is still the one
// described by `id` and holds the bytes of the file at `keptPath`; one open
// of each serves both checks.
Check CheckAgainstKept(const fs::Env& env, int dirfd, const std::string& name, const FileIdentity& id,
                       const std::string& keptPath);

}  // namespace pictray::dupes
