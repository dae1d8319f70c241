// Replacing a whole file so that a crash leaves the old file or the new one,
// never a part of either.
#pragma once

#include <sys/types.h>

#include <functional>
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

// The same with the bytes handed over piece by piece, so that a large file
// is never held whole: `produce` calls its argument with each piece (which
// answers 0 or an errno) and answers 0, or an errno that abandons the file.
using AtomicPieces = std::function<int(const std::function<int(std::string_view)>& write)>;
int WriteFileAtomicPieces(const fs::Env& env, const std::string& path, const AtomicPieces& produce, mode_t mode);

// The name WriteFileAtomic gives its new file beside `path`, less its six
// random characters: a file so named outlives its writer only when the
// writer was killed.
std::string AtomicTemporaryStem(const std::string& path);

}  // namespace pictray
