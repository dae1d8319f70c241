// Reading a folder's entries: names as bytes, files told from folders by the
// entry type (a stat only where the file system does not give it).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace pictray {

struct FolderEntry {
  std::string name;
  bool isFolder = false;
};

// Entries of `folder` without "." and "..", in name order (CompareListingNames).
// False (with errno's text in *error) when it cannot be read.
bool ReadFolder(const std::string& folder, std::vector<FolderEntry>* entries, std::string* error);

// Name order of a folder listing: ASCII letters compare as upper case, every
// other byte as itself (unsigned), so "_" comes after the letters and non-ASCII
// names after all ASCII ones; names equal that way are ordered by their bytes.
// Negative, 0 or positive as strcmp; 0 only for equal names.
int CompareListingNames(std::string_view a, std::string_view b);

// Counts as GetFileCount does: kind 0 "folders/files", 1 the total, 2 files.
// A folder that cannot be listed counts 0.
std::string GetFileCount(const std::string& folder, int kind);

}  // namespace pictray
