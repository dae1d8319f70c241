// Text lists shown in list views, one item per line (the colour lists of the
// colour dialogs, such as RGB.txt).
#pragma once

#include <string>
#include <vector>

namespace pictray {

// The system's SetList, named apart from the name classifications
// SetList04-06. Appends every line of the file at `path`, without its line feed, to
// `items`; a file that cannot be opened adds nothing. Returns the folder
// part of `path` (the path without its last element and separator).
std::string LoadTextList(std::vector<std::string>& items, const std::string& path);

// Writes every item followed by a line feed into `path`, creating the file
// or replacing it as a whole (a failed write leaves the old file as it was).
// Returns false when the file could not be written.
bool listsave(const std::vector<std::string>& items, const std::string& path);

}  // namespace pictray
