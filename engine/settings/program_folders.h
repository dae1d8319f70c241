// Where a program finds its settings, its private library and helper, and
// its data (translations), decided from the folder the program file is in.
//
// The rule:
// - An installed program sits in PREFIX/bin with the marker file
//   PREFIX/share/pictray/installed beside it (only `cmake --install` puts it
//   there). Its thumbnail library and erasekit are in PREFIX/lib/pictray, its
//   translations in PREFIX/share/pictray/translations, and its settings
//   ("Pictray.ini", "Twinscan.ini", "RGB.txt", the working copy) in the
//   user's configuration folder: $XDG_CONFIG_HOME/pictray, or
//   ~/.config/pictray when XDG_CONFIG_HOME is unset, empty or relative.
// - Everything else (the build folder, a copied folder of programs) keeps it
//   all in the program's folder, as does an installed program whose folder
//   already holds "Pictray.ini" or "Twinscan.ini".
// Nothing depends on file permissions: the same folders answer for root.
#pragma once

#include <string>

#include "engine/fs/env.h"

namespace pictray {

// The environment the decision reads (HOME and XDG_CONFIG_HOME).
struct UserEnvironment {
  std::string home;
  std::string xdgConfigHome;
  // As `env` tells the process's environment; HOME falls back to the
  // password entry.
  static UserEnvironment Of(const fs::Env& env);
};

struct ProgramFolders {
  std::string programDir;   // the program file's folder
  std::string settingsDir;  // the settings files and the working copy
  std::string libraryDir;   // libthumbkit.so and erasekit
  std::string dataDir;      // translations (and what else the programs read)
  bool installed = false;   // the marker of an installed layout was found
  bool inUserConfig = false;  // settingsDir is in the user's configuration folder
};

// The marker's path relative to PREFIX (the parent of the program's "bin").
inline constexpr const char* kInstalledMarker = "share/pictray/installed";

ProgramFolders LocateProgramFolders(const fs::Env& env, const std::string& programDir, const UserEnvironment& user);
ProgramFolders LocateProgramFolders(const fs::Env& env, const std::string& programDir);

// Makes the settings folder (and its parents) when it is in the user's
// configuration folder; new folders are the user's alone (0700). False with
// errno set.
bool MakeSettingsFolder(const fs::Env& env, const ProgramFolders& folders);

}  // namespace pictray
