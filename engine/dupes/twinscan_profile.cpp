#include "engine/dupes/twinscan_profile.h"

#include "engine/settings/settings_keys.h"

namespace pictray::dupes {

std::string TwinscanProfilePath(const std::string& programPath) {
  const std::size_t slash = programPath.rfind('/');
  const std::size_t dot = programPath.rfind('.');
  if (dot != std::string::npos && (slash == std::string::npos || dot > slash))
    return programPath.substr(0, dot) + ".ini";
  return programPath + ".ini";
}

TwinscanProfile ReadTwinscanProfile(const std::string& profile) {
  TwinscanProfile p;
  p.Px = ReadSetting(key::twinscan::Px, profile);
  p.Py = ReadSetting(key::twinscan::Py, profile);
  p.Pw = ReadSetting(key::twinscan::Pw, profile);
  p.Ph = ReadSetting(key::twinscan::Ph, profile);
  p.MoveSoon = ReadSetting(key::twinscan::MoveSoon, profile);
  p.DeleteSoon = ReadSetting(key::twinscan::DeleteSoon, profile);
  return p;
}

bool WriteTwinscanProfile(const std::string& profile, const TwinscanProfile& p) {
  bool ok = WriteSetting(key::twinscan::MoveSoon, p.MoveSoon, profile);
  ok = WriteSetting(key::twinscan::DeleteSoon, p.DeleteSoon, profile) && ok;
  ok = WriteSetting(key::twinscan::Px, p.Px, profile) && ok;
  ok = WriteSetting(key::twinscan::Py, p.Py, profile) && ok;
  ok = WriteSetting(key::twinscan::Pw, p.Pw, profile) && ok;
  ok = WriteSetting(key::twinscan::Ph, p.Ph, profile) && ok;
  return ok;
}

std::string ReadOpenApp(const std::string& profile) { return ReadSetting(key::twinscan::OPENAPP, profile); }

std::string ReadFileApp(const std::string& profile) { return ReadSetting(key::twinscan::app, profile); }

bool WriteApps(const std::string& profile, const std::string& openApp, const std::string& fileApp) {
  bool ok = WriteSetting(key::twinscan::OPENAPP, openApp, profile);
  return WriteSetting(key::twinscan::app, fileApp, profile) && ok;
}

}  // namespace pictray::dupes
