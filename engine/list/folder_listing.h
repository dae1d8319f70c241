// Reading a folder's entries: names as bytes, files told from folders by the
// entry type (a stat only where the file system does not give it).
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "engine/fs/env.h"

namespace pictray {

// A folder's entries, kept small for folders of a million files: every
// entry is a folder mark (1 or 0) and its name's bytes followed by a 0 in
// one text, and the entries are where they start there.
struct FolderEntries {
  std::string bytes;
  std::vector<std::uint64_t> starts;

  std::size_t size() const { return starts.size(); }
  bool isFolder(std::size_t i) const { return bytes[starts[i]] == 1; }
  // Names hold no 0 byte.
  std::string_view name(std::size_t i) const {
    const char* n = bytes.data() + starts[i] + 1;
    return {n, std::strlen(n)};
  }
};

// Entries of `folder` without "." and "..", in name order (CompareListingNames).
// False (with errno's text in *error) when it cannot be read; what was read
// before the failure is listed too.
bool ReadFolder(const fs::Env& env, const std::string& folder, FolderEntries* entries, std::string* error);

// Name order of a folder listing: ASCII letters compare as upper case, every
// other byte as itself (unsigned), so "_" comes after the letters and non-ASCII
// names after all ASCII ones; names equal that way are ordered by their bytes.
// Negative, 0 or positive as strcmp; 0 only for equal names.
int CompareListingNames(std::string_view a, std::string_view b);

// Counts as GetFileCount does: kind 0 "folders/files", 1 the total, 2 files.
// A folder that cannot be listed counts 0.
std::string GetFileCount(const fs::Env& env, const std::string& folder, int kind);

}  // namespace pictray
