// What the main window keeps in the settings files: the file beside the
// program and the private working copy made at start, the window's place,
// the grid, the pre-read program and its switch. Every value is read and
// written through the settings table, never by a key's text.
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

#include <string>
#include <vector>

#include "engine/run/pictray_state.h"
#include "engine/settings/settings_store.h"

namespace pictray::app {

// The two files a settings dialog reads and writes: the working copy the
// runs read (profile) and the settings file the next start reads (GRprofile).
struct SettingsFiles {
  std::string profile;
  std::string GRprofile;
};

// Writes a dialog's values and remembers the files that refused them, so
// that the dialog can say so in one message.
class SettingsWrites {
 public:
  explicit SettingsWrites(const fs::Env& env) : env_(env) {}
  void Write(const SettingKey& k, const std::string& value, const std::string& file);
  // To the working copy and the settings file.
  void WriteBoth(const SettingKey& k, const std::string& value, const SettingsFiles& files);
  bool ok() const { return failed_.empty(); }
  // "設定ファイルに書き込めません: " and the files.
  std::string Message() const;

 private:
  const fs::Env& env_;
  std::vector<std::string> failed_;
};

// What the window takes from the settings file at start.
struct StartSettings {
  QRect place;  // Px, Py, Pw, Ph as stored; the window decides what it accepts
  std::string PartX;
  std::string WinClose;
  std::string ZenApp;  // the pre-read program its button shows
  bool ZenAppOn = false;
};

class WindowSettings {
 public:
  WindowSettings(const std::string& programDir, const std::string& proName);

  // The settings file (made with its creation values when missing), then
  // the private working copy. False when either cannot be made; the window
  // says so and goes on with the settings file alone.
  bool Open();
  // The working copy and the work file go at exit; the settings file stays.
  void RemoveWorkingFiles() const;
  // The runs read the working copy and the start-up keys: handed over once.
  void Share(PictrayState& st) const;
  StartSettings ReadAtStart() const;
  const SettingsStore& store() const { return store_; }
  // For the settings dialogs.
  SettingsFiles Files() const { return {WorkingCopy(), store_.GRprofile}; }

  // Read from the working copy when a command needs them, so that what the
  // settings dialogs change there counts from the next command on.
  std::string ZenApp() const;
  std::string ExifSel() const;
  std::string app3() const;
  // The help page beside the program.
  std::string helpfile() const;

  // A new work file name in the folder "WPath" (the program's folder when
  // it is not one); the old work file goes.
  void RebuildWorkfile();
  // The applications of the settings file count from now on: copied into
  // the working copy. False when it cannot be written.
  bool CopyAppsToWorkingCopy() const;
  // "app3" in both files.
  bool StoreApp3(const std::string& value) const;

  // The grid counts for this start (the working copy) and the next ones.
  void StorePartX(const std::string& x) const;
  // At exit, into the settings file.
  void StoreZenAppOn(bool on) const;
  void StorePlace(const QPoint& pos, const QSize& size) const;

 private:
  // The runs' file: the working copy, or the settings file when no copy
  // could be made.
  const std::string& WorkingCopy() const;

  const fs::Env& env_ = fs::DefaultEnv();
  SettingsStore store_;
};

}  // namespace pictray::app
