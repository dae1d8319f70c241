// The settings file beside the program, its private working copy and the
// paths derived from them at start.
#pragma once

#include <string>

#include "engine/settings/settings_keys.h"

namespace pictray {

// Local time, as the time stamp of the working copy and work file needs it.
struct TimeStamp {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, millisecond = 0;
  static TimeStamp Now();
  // "%d%d%d%d%d%d": year, month, day, hour, minute, millisecond.
  std::string Text() const;
};

class SettingsStore {
 public:
  // F = program folder, N = program base name (ProName).
  SettingsStore(std::string programDir, std::string proName);

  // Computes the paths, creates the settings file with its creation values
  // when missing, and reads the start-up keys. False when the file could not
  // be created or a creation value could not be written.
  bool ProfileSetSub(const TimeStamp& t);
  // Copies the settings file to a time-stamped working copy. A name already
  // taken (another copy started in the same millisecond) gets a suffix
  // instead of overwriting that copy.
  bool NewProfileSetSub(const TimeStamp& t);
  // Deletes the working copy and the work file (program exit).
  void RemoveWorkingFiles() const;

  const std::string& programDir() const { return F_; }
  const std::string& proName() const { return N_; }

  // Paths made at start; the colour runs and the help add theirs when they come.
  std::string GRprofile, profile, workfile, dllfile;
  // Start-up keys that the window and the runs use.
  std::string ExifSel, WinClose, disabledchar, Px, Py, Pw, Ph;
  bool created = false;  // the settings file was created by this start

 private:
  bool WriteCreationValues() const;
  void ReadStartupKeys();

  std::string F_, N_;
};

}  // namespace pictray
