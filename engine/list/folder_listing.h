// Reading a folder's entries: names as bytes, files told from folders by the
// entry type (a stat only where the file system does not give it).
#pragma once

#include <string>
#include <vector>

namespace pictray {

struct FolderEntry {
  std::string name;
  bool isFolder = false;
};

// Entries of `folder` without "." and "..", in the order the file system
// returns them. False (with errno's text in *error) when it cannot be read.
bool ReadFolder(const std::string& folder, std::vector<FolderEntry>* entries, std::string* error);

// Counts as GetFileCount does: kind 0 "folders/files", 1 the total, 2 files.
// A folder that cannot be listed counts 0.
std::string GetFileCount(const std::string& folder, int kind);

}  // namespace pictray
