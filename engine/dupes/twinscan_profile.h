// Twinscan's settings file "Twinscan.ini" beside the program, section
// "Section0". Each read or write is one whole pass over the file.
#pragma once

#include <string>
#include <vector>

#include "engine/dupes/keep_rule.h"
#include "engine/fs/env.h"
#include "engine/list/twin_table.h"

namespace pictray::dupes {

struct TwinscanProfile {
  std::string Px, Py, Pw, Ph;
  std::string MoveSoon, DeleteSoon;
};

// The program file's path with its extension replaced by ".ini".
std::string TwinscanProfilePath(const std::string& programPath);

// The window rectangle and the two toggles; missing keys take the defaults.
TwinscanProfile ReadTwinscanProfile(const fs::Env& env, const std::string& profile);

// Writes what closing the window stores. False when a write failed.
bool WriteTwinscanProfile(const fs::Env& env, const std::string& profile, const TwinscanProfile& p);

// "Keep": which copy of a set stays, a keep rule's comma list
// (ParseKeepRule); a missing key is the default rule. A list it refuses
// comes back with its error and no rule: the caller says so and takes
// DefaultKeepRule().
KeepRuleParse ReadKeepRule(const fs::Env& env, const std::string& profile);

// "Similar": whether the search looks for the same pictures too.
bool ReadSimilarSearch(const fs::Env& env, const std::string& profile);
bool WriteSimilarSearch(const fs::Env& env, const std::string& profile, bool on);

// "Subfolders", "Folders" and "References": the library the window searches.
struct TwinscanLibrary {
  std::vector<std::string> folders, references;
  bool subfolders = false;
  bool operator==(const TwinscanLibrary&) const = default;
};
TwinscanLibrary ReadTwinscanLibrary(const fs::Env& env, const std::string& profile);
bool WriteTwinscanLibrary(const fs::Env& env, const std::string& profile, const TwinscanLibrary& library);

// "OPENAPP" (opens the extraction folder) and "app" (opens a listed file);
// "open" means the desktop's own opener.
std::string ReadOpenApp(const fs::Env& env, const std::string& profile);
std::string ReadFileApp(const fs::Env& env, const std::string& profile);
bool WriteApps(const fs::Env& env, const std::string& profile, const std::string& openApp,
               const std::string& fileApp);

}  // namespace pictray::dupes
