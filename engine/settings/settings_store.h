// The settings file, its private working copy and the paths derived from
// them at start. They live in the settings folder: the program's folder, or
// the user's configuration folder for an installed program (program_folders.h).
#pragma once

#include <string>

#include "engine/settings/profile.h"
#include "engine/settings/program_folders.h"
#include "engine/settings/settings_keys.h"

namespace pictray {

// Local time, as the time stamp of the working copy and work file needs it.
struct TimeStamp {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, millisecond = 0;
  static TimeStamp Now(const fs::Env& env);
  // "%d%d%d%d%d%d": year, month, day, hour, minute, millisecond.
  std::string Text() const;
};

class SettingsStore {
 public:
  // F = program folder, N = program base name (ProName); the folders
  // follow from F and the user's environment. The files are reached
  // through `env`.
  SettingsStore(const fs::Env& env, std::string programDir, std::string proName);
  SettingsStore(const fs::Env& env, ProgramFolders folders, std::string proName);

  // Computes the paths, creates the settings folder and the settings file
  // with its creation values when missing, and reads the start-up keys.
  // False when the folder or file could not be created or a creation value
  // could not be written, and when the file is over kMaxProfileBytes
  // (tooLarge: it is neither read nor written, every key has its fallback).
  bool ProfileSetSub(const TimeStamp& t);
  // Copies the settings file to a time-stamped working copy. A name already
  // taken (another copy started in the same millisecond) gets a suffix
  // instead of overwriting that copy.
  bool NewProfileSetSub(const TimeStamp& t);
  // Deletes the working copy and the work file (program exit).
  void RemoveWorkingFiles() const;

  const std::string& programDir() const { return folders_.programDir; }
  const ProgramFolders& folders() const { return folders_; }
  const std::string& proName() const { return N_; }

  // Paths made at start; the help adds its own when it comes. RGBtxt is the
  // colour list of the colour dialogs, in the settings folder.
  std::string GRprofile, profile, workfile, dllfile, RGBtxt;
  // Start-up keys that the window and the runs use.
  std::string ExifSel, WinClose, disabledchar, Px, Py, Pw, Ph;
  bool created = false;  // the settings file was created by this start
  bool tooLarge = false;

 private:
  bool WriteCreationValues() const;
  void ReadStartupKeys(const ProfileSnapshot& profile);

  const fs::Env* env_;
  ProgramFolders folders_;
  std::string N_;
};

}  // namespace pictray
