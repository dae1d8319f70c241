#include "engine/dupes/twinscan_profile.h"

#include "engine/settings/profile.h"
#include "engine/settings/settings_store.h"

namespace pictray::dupes {
namespace {
// Room for 9 digits of a window coordinate; one character for a toggle.
constexpr std::size_t kNumberWidth = 10;
constexpr std::size_t kToggleWidth = 2;
}  // namespace

std::string TwinscanProfilePath(const std::string& programPath) {
  const std::size_t slash = programPath.rfind('/');
  const std::size_t dot = programPath.rfind('.');
  if (dot != std::string::npos && (slash == std::string::npos || dot > slash))
    return programPath.substr(0, dot) + ".ini";
  return programPath + ".ini";
}

TwinscanProfile ReadTwinscanProfile(const std::string& profile) {
  TwinscanProfile p;
  p.Px = GetProfileString(kSection0, "Px", p.Px, kNumberWidth, profile);
  p.Py = GetProfileString(kSection0, "Py", p.Py, kNumberWidth, profile);
  p.Pw = GetProfileString(kSection0, "Pw", p.Pw, kNumberWidth, profile);
  p.Ph = GetProfileString(kSection0, "Ph", p.Ph, kNumberWidth, profile);
  p.MoveSoon = GetProfileString(kSection0, "MoveSoon", p.MoveSoon, kToggleWidth, profile);
  p.DeleteSoon = GetProfileString(kSection0, "DeleteSoon", p.DeleteSoon, kToggleWidth, profile);
  return p;
}

bool WriteTwinscanProfile(const std::string& profile, const TwinscanProfile& p) {
  bool ok = WriteProfileString(kSection0, "MoveSoon", p.MoveSoon, profile);
  ok = WriteProfileString(kSection0, "DeleteSoon", p.DeleteSoon, profile) && ok;
  ok = WriteProfileString(kSection0, "Px", p.Px, profile) && ok;
  ok = WriteProfileString(kSection0, "Py", p.Py, profile) && ok;
  ok = WriteProfileString(kSection0, "Pw", p.Pw, profile) && ok;
  ok = WriteProfileString(kSection0, "Ph", p.Ph, profile) && ok;
  return ok;
}

std::string ReadOpenApp(const std::string& profile) {
  return GetProfileString(kSection0, "OPENAPP", "open", kPathWidth, profile);
}

std::string ReadFileApp(const std::string& profile) {
  return GetProfileString(kSection0, "app", "open", kPathWidth, profile);
}

bool WriteApps(const std::string& profile, const std::string& openApp, const std::string& fileApp) {
  bool ok = WriteProfileString(kSection0, "OPENAPP", openApp, profile);
  return WriteProfileString(kSection0, "app", fileApp, profile) && ok;
}

}  // namespace pictray::dupes
