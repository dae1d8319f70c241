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

// A folder's entries, kept small for folders of a million files: the names'
// bytes one after another in one text, and per entry one word: where its
// name starts there (the low 47 bits), whether it is a folder (bit 47) and
// its name's length (the top 16 bits: a directory record's length is a
// 16-bit number, so no name is longer).
struct FolderEntries {
  static constexpr int kFolderBit = 47, kLengthShift = 48;
  std::string bytes;
  std::vector<std::uint64_t> entries;

  std::size_t size() const { return entries.size(); }
  bool isFolder(std::size_t i) const { return (entries[i] >> kFolderBit) & 1; }
  std::string_view name(std::size_t i) const { return NameOf(entries[i]); }
  std::string_view NameOf(std::uint64_t entry) const {
    return {bytes.data() + (entry & ((std::uint64_t{1} << kFolderBit) - 1)), entry >> kLengthShift};
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


}  // namespace pictray
