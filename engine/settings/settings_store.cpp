#include "engine/settings/settings_store.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <ctime>

#include "engine/fs/paths.h"
#include "engine/fs/safe_move.h"
#include "engine/settings/profile.h"

namespace pictray {

TimeStamp TimeStamp::Now(const fs::Env& env) {
  const struct timespec now = env.Now();
  const std::time_t secs = now.tv_sec;
  std::tm tm{};
  ::localtime_r(&secs, &tm);
  return TimeStamp{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min,
                   static_cast<int>(now.tv_nsec / 1000000)};
}

std::string TimeStamp::Text() const {
  char buf[80];
  std::snprintf(buf, sizeof buf, "%d%d%d%d%d%d", year, month, day, hour, minute, millisecond);
  return buf;
}

SettingsStore::SettingsStore(const fs::Env& env, std::string programDir, std::string proName)
    : SettingsStore(env, LocateProgramFolders(env, programDir), std::move(proName)) {}

SettingsStore::SettingsStore(const fs::Env& env, ProgramFolders folders, std::string proName)
    : env_(&env), folders_(std::move(folders)), N_(std::move(proName)) {}

bool SettingsStore::ProfileSetSub(const TimeStamp& t) {
  // The settings folder stands where the program's folder stood: it holds
  // the files and is the work file's folder when "WPath" names none (an
  // installed program's folder is not the user's to write in).
  const std::string& S = folders_.settingsDir;
  GRprofile = S + "/" + N_ + ".ini";
  dllfile = folders_.libraryDir + "/libthumbkit.so";
  RGBtxt = S + "/RGB.txt";
  if (!MakeSettingsFolder(*env_, folders_)) return false;
  const ProfileSnapshot existing = ProfileSnapshot::Read(*env_, GRprofile);
  tooLarge = existing.outcome() == ProfileRead::TooLarge;
  if (tooLarge) {
    ReadStartupKeys(existing);
    return false;
  }
  std::string W = ReadSetting(key::WPath, existing);
  if (!IsFolder(*env_, W)) W = S;
  created = !PathExists(*env_, GRprofile);
  if (created && !WriteSetting(*env_, key::WPath, W, GRprofile)) return false;
  workfile = W + "/" + t.Text() + "bit.$$$";
  if (created && !WriteCreationValues()) return false;
  ReadStartupKeys(created ? ProfileSnapshot::Read(*env_, GRprofile) : existing);
  return true;
}

bool SettingsStore::WriteCreationValues() const {
  // "WPath" was written first: it created the file.
  bool ok = true;
  for (const SettingKey* k : kCreationOrder) ok = WriteSetting(*env_, *k, k->creation, GRprofile) && ok;
  return ok;
}

void SettingsStore::ReadStartupKeys(const ProfileSnapshot& profile) {
  auto get = [&profile](const SettingKey& k) { return ReadSetting(k, profile); };
  ExifSel = get(key::ExifSel);
  WinClose = get(key::WinClose);
  disabledchar = get(key::disabledchar);
  Px = get(key::Px);
  Py = get(key::Py);
  Pw = get(key::Pw);
  Ph = get(key::Ph);
}

bool SettingsStore::NewProfileSetSub(const TimeStamp& t) {
  std::string base = folders_.settingsDir + "/" + t.Text() + N_;
  for (int i = 0; i < 100; ++i) {
    std::string name = base + (i == 0 ? "" : "_" + std::to_string(i)) + ".ini";
    const int e = CopyToNewFile(*env_, GRprofile, name);
    if (e == 0) {
      profile = name;
      return true;
    }
    if (e != EEXIST) return false;  // not a name clash: the copy itself failed
  }
  return false;
}

void SettingsStore::RemoveWorkingFiles() const {
  if (!profile.empty()) RemoveFileIfPresent(*env_, profile);
  if (!workfile.empty()) RemoveFileIfPresent(*env_, workfile);
}

}  // namespace pictray
