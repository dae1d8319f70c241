#include "app/pictray/window_settings.h"

#include <unistd.h>

#include <algorithm>

#include "app/common/help_page.h"
#include "app/pictray/window_text.h"
#include "engine/fs/paths.h"
#include "engine/settings/profile.h"
#include "engine/settings/settings_keys.h"

namespace pictray::app {

WindowSettings::WindowSettings(const std::string& programDir, const std::string& proName)
    : store_(env_, programDir, proName) {}

bool WindowSettings::Open() {
  return store_.ProfileSetSub(TimeStamp::Now(env_)) && store_.NewProfileSetSub(TimeStamp::Now(env_));
}

void WindowSettings::RemoveWorkingFiles() const { store_.RemoveWorkingFiles(); }

const std::string& WindowSettings::WorkingCopy() const {
  return store_.profile.empty() ? store_.GRprofile : store_.profile;
}

void WindowSettings::Share(PictrayState& st) const {
  st.profile = WorkingCopy();
  st.GRprofile = store_.GRprofile;
  st.programDir = store_.programDir();
  st.ExifSel.set(store_.ExifSel);
  st.disabledchar.set(store_.disabledchar);
}

StartSettings WindowSettings::ReadAtStart() const {
  StartSettings s;
  // The store read the place when it opened the file: one pass fewer.
  s.place = QRect(ProfileNumber(store_.Px), ProfileNumber(store_.Py), ProfileNumber(store_.Pw),
                  ProfileNumber(store_.Ph));
  s.PartX = ReadSetting(env_, key::PartX, store_.GRprofile);
  s.WinClose = store_.WinClose;
  s.ZenApp = ReadSetting(env_, key::ZenApp, store_.GRprofile);
  s.ZenAppOn = ReadSetting(env_, key::ZenAppOn, store_.GRprofile) == "1";
  return s;
}

std::string WindowSettings::ZenApp() const { return ReadSetting(env_, key::ZenApp, WorkingCopy()); }

std::string WindowSettings::ExifSel() const { return ReadSetting(env_, key::ExifSel, WorkingCopy()); }

std::string WindowSettings::app3() const { return ReadSetting(env_, key::app3, WorkingCopy()); }

std::string WindowSettings::helpfile() const {
  return store_.folders().dataDir + "/" + store_.proName() + ui::HelpPageEnding();
}

void WindowSettings::RebuildWorkfile() {
  std::string W = ReadSetting(env_, key::WPath, store_.GRprofile);
  if (!IsFolder(env_, W)) W = store_.programDir();
  // Only this program writes its work file: the old name would be left behind.
  if (!store_.workfile.empty() && PathExists(env_, store_.workfile)) ::unlink(store_.workfile.c_str());
  store_.workfile = W + "/" + TimeStamp::Now(env_).Text() + "bit.$$$";
}

bool WindowSettings::CopyAppsToWorkingCopy() const {
  SettingsWrites writes(env_);
  for (const SettingKey* k : {&key::app, &key::app1, &key::app2, &key::app3})
    writes.Write(*k, ReadSetting(env_, *k, store_.GRprofile), WorkingCopy());
  return writes.ok();
}

bool WindowSettings::StoreApp3(const std::string& value) const {
  SettingsWrites writes(env_);
  writes.WriteBoth(key::app3, value, Files());
  return writes.ok();
}

void WindowSettings::StorePartX(const std::string& x) const {
  WriteSetting(env_, key::PartX, x, WorkingCopy());
  WriteSetting(env_, key::PartX, x, store_.GRprofile);
}

void WindowSettings::StoreZenAppOn(bool on) const {
  WriteSetting(env_, key::ZenAppOn, on ? "1" : "0", store_.GRprofile);
}

void WindowSettings::StorePlace(const QPoint& pos, const QSize& size) const {
  WriteSetting(env_, key::Px, std::to_string(pos.x()), store_.GRprofile);
  WriteSetting(env_, key::Py, std::to_string(pos.y()), store_.GRprofile);
  WriteSetting(env_, key::Pw, std::to_string(size.width()), store_.GRprofile);
  WriteSetting(env_, key::Ph, std::to_string(size.height()), store_.GRprofile);
}

}  // namespace pictray::app

namespace pictray::app {

void SettingsWrites::Write(const SettingKey& k, const std::string& value, const std::string& file) {
  if (WriteSetting(env_, k, value, file) || std::find(failed_.begin(), failed_.end(), file) != failed_.end()) return;
  failed_.push_back(file);
}

void SettingsWrites::WriteBoth(const SettingKey& k, const std::string& value, const SettingsFiles& files) {
  Write(k, value, files.GRprofile);
  if (files.profile != files.GRprofile) Write(k, value, files.profile);
}

std::string SettingsWrites::Message() const {
  std::string files;
  for (const std::string& f : failed_) files += (files.empty() ? "" : ", ") + f;
  return WindowText(QT_TRANSLATE_NOOP("Pictray", "設定ファイルに書き込めません: %1"), {files});
}

}  // namespace pictray::app
