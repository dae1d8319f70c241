#include "engine/dupes/twinscan_profile.h"

#include "engine/dupes/keep_rule.h"
#include "engine/journal/tab_fields.h"
#include "engine/settings/settings_keys.h"

namespace pictray::dupes {

std::string TwinscanProfilePath(const std::string& programPath) {
  const std::size_t slash = programPath.rfind('/');
  const std::size_t dot = programPath.rfind('.');
  if (dot != std::string::npos && (slash == std::string::npos || dot > slash))
    return programPath.substr(0, dot) + ".ini";
  return programPath + ".ini";
}

TwinscanProfile ReadTwinscanProfile(const fs::Env& env, const std::string& profile) {
  TwinscanProfile p;
  p.Px = ReadSetting(env, key::twinscan::Px, profile);
  p.Py = ReadSetting(env, key::twinscan::Py, profile);
  p.Pw = ReadSetting(env, key::twinscan::Pw, profile);
  p.Ph = ReadSetting(env, key::twinscan::Ph, profile);
  p.MoveSoon = ReadSetting(env, key::twinscan::MoveSoon, profile);
  p.DeleteSoon = ReadSetting(env, key::twinscan::DeleteSoon, profile);
  return p;
}

bool WriteTwinscanProfile(const fs::Env& env, const std::string& profile, const TwinscanProfile& p) {
  bool ok = WriteSetting(env, key::twinscan::MoveSoon, p.MoveSoon, profile);
  ok = WriteSetting(env, key::twinscan::DeleteSoon, p.DeleteSoon, profile) && ok;
  ok = WriteSetting(env, key::twinscan::Px, p.Px, profile) && ok;
  ok = WriteSetting(env, key::twinscan::Py, p.Py, profile) && ok;
  ok = WriteSetting(env, key::twinscan::Pw, p.Pw, profile) && ok;
  ok = WriteSetting(env, key::twinscan::Ph, p.Ph, profile) && ok;
  return ok;
}

KeepRuleParse ReadKeepRule(const fs::Env& env, const std::string& profile) {
  return ParseKeepRule(ReadSetting(env, key::twinscan::Keep, profile));
}

bool ReadSimilarSearch(const fs::Env& env, const std::string& profile) {
  return ReadSetting(env, key::twinscan::Similar, profile) == "1";
}

bool WriteSimilarSearch(const fs::Env& env, const std::string& profile, bool on) {
  return WriteSetting(env, key::twinscan::Similar, on ? "1" : "0", profile);
}

namespace {

// Paths joined by tabs, each escaped; an empty path is no path.
std::string PathList(const std::vector<std::string>& paths) {
  std::string text;
  for (const std::string& p : paths) {
    if (p.empty()) continue;
    if (!text.empty()) text += '\t';
    text += EscapeField(p);
  }
  return text;
}

// A field that does not unescape is left out.
std::vector<std::string> Paths(const std::string& text) {
  std::vector<std::string> paths;
  for (std::size_t start = 0; start < text.size();) {
    std::size_t tab = text.find('\t', start);
    if (tab == std::string::npos) tab = text.size();
    std::string path;
    if (tab > start && UnescapeField(std::string_view(text).substr(start, tab - start), path)) paths.push_back(path);
    start = tab + 1;
  }
  return paths;
}

}  // namespace

TwinscanLibrary ReadTwinscanLibrary(const fs::Env& env, const std::string& profile) {
  TwinscanLibrary library;
  library.subfolders = ReadSetting(env, key::twinscan::Subfolders, profile) == "1";
  library.folders = Paths(ReadSetting(env, key::twinscan::Folders, profile));
  library.references = Paths(ReadSetting(env, key::twinscan::References, profile));
  return library;
}

bool WriteTwinscanLibrary(const fs::Env& env, const std::string& profile, const TwinscanLibrary& library) {
  bool ok = WriteSetting(env, key::twinscan::Subfolders, library.subfolders ? "1" : "0", profile);
  ok = WriteSetting(env, key::twinscan::Folders, PathList(library.folders), profile) && ok;
  return WriteSetting(env, key::twinscan::References, PathList(library.references), profile) && ok;
}

std::string ReadOpenApp(const fs::Env& env, const std::string& profile) {
  return ReadSetting(env, key::twinscan::OPENAPP, profile);
}

std::string ReadFileApp(const fs::Env& env, const std::string& profile) {
  return ReadSetting(env, key::twinscan::app, profile);
}

bool WriteApps(const fs::Env& env, const std::string& profile, const std::string& openApp,
               const std::string& fileApp) {
  bool ok = WriteSetting(env, key::twinscan::OPENAPP, openApp, profile);
  return WriteSetting(env, key::twinscan::app, fileApp, profile) && ok;
}

}  // namespace pictray::dupes
