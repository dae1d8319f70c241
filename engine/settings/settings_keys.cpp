#include "engine/settings/settings_keys.h"

#include "engine/settings/profile.h"

namespace pictray {

std::string ReadSetting(const SettingKey& k, const std::string& file) {
  return GetProfileString(k.section, k.name, k.fallback, k.width, file);
}

std::string ReadSetting(const SettingKey& k, const std::string& file, const std::string& fallback) {
  return GetProfileString(k.section, k.name, fallback, k.width, file);
}

int ReadSettingNumber(const SettingKey& k, const std::string& file) {
  return ProfileNumber(ReadSetting(k, file));
}

bool WriteSetting(const SettingKey& k, const std::string& value, const std::string& file) {
  return WriteProfileString(k.section, k.name, value, file);
}

}  // namespace pictray
