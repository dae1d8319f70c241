// Text lists shown in list views, one item per line (the colour lists of the
// colour dialogs, such as RGB.txt).
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "engine/fs/env.h"

namespace pictray {

// The most a text list is read: every possible colour, a line each.
inline constexpr std::size_t kTextListReadLimit = std::size_t{1} << 24 << 4;

// Appends every line of the regular file at `path` (within
// kTextListReadLimit), without its line feed, to `items`. Returns 0, or why
// nothing was added (see ReadRegularFile).
int ReadTextList(const fs::Env& env, const std::string& path, std::vector<std::string>& items);

// The system's SetList, named apart from the name classifications
// SetList04-06: ReadTextList, where a file that cannot be read adds nothing.
// Returns the folder part of `path` (the path without its last element and
// separator).
std::string LoadTextList(const fs::Env& env, std::vector<std::string>& items, const std::string& path);

// Writes every item followed by a line feed into `path`, creating the file
// or replacing it as a whole (a failed write leaves the old file as it was).
// Returns false when the file could not be written.
bool listsave(const fs::Env& env, const std::vector<std::string>& items, const std::string& path);

}  // namespace pictray
