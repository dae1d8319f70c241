#include "engine/settings/settings_keys.h"

#include "engine/settings/profile.h"

namespace pictray {

std::string ReadSetting(const fs::Env& env, const SettingKey& k, const std::string& file) {
  return GetProfileString(env, k.section, k.name, k.fallback, k.width, file);
}

std::string ReadSetting(const fs::Env& env, const SettingKey& k, const std::string& file,
                        const std::string& fallback) {
  return GetProfileString(env, k.section, k.name, fallback, k.width, file);
}

int ReadSettingNumber(const fs::Env& env, const SettingKey& k, const std::string& file) {
  return ProfileNumber(ReadSetting(env, k, file));
}

std::string ReadSetting(const SettingKey& k, const ProfileSnapshot& profile) {
  return profile.Get(k.section, k.name, k.fallback, k.width);
}

std::string ReadSetting(const SettingKey& k, const ProfileSnapshot& profile, const std::string& fallback) {
  return profile.Get(k.section, k.name, fallback, k.width);
}

int ReadSettingNumber(const SettingKey& k, const ProfileSnapshot& profile) {
  return ProfileNumber(ReadSetting(k, profile));
}

int ReadPartX(const fs::Env& env, const std::string& file) {
  return ReadSettingNumber(env, key::PartX, file) == 8 ? 8 : 4;
}

int ReadPartX(const ProfileSnapshot& profile) { return ReadSettingNumber(key::PartX, profile) == 8 ? 8 : 4; }

bool WriteSetting(const fs::Env& env, const SettingKey& k, const std::string& value, const std::string& file) {
  return WriteProfileString(env, k.section, k.name, value, file);
}

}  // namespace pictray
