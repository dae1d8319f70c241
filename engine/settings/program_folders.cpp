#include "engine/settings/program_folders.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "engine/fs/make_folders.h"
#include "engine/fs/paths.h"

namespace pictray {
namespace {

std::string HomeFromPasswordEntry() {
  std::vector<char> buf(16384);
  passwd entry{};
  passwd* found = nullptr;
  if (::getpwuid_r(::getuid(), &entry, buf.data(), buf.size(), &found) != 0 || !found || !found->pw_dir)
    return "";
  return found->pw_dir;
}

// `dir` without trailing "/" (the root stays "/").
std::string Trimmed(std::string dir) {
  while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
  return dir;
}

std::string UserConfigFolder(const UserEnvironment& env) {
  // XDG: a relative XDG_CONFIG_HOME is invalid and is ignored.
  if (!env.xdgConfigHome.empty() && env.xdgConfigHome.front() == '/') return Trimmed(env.xdgConfigHome);
  return JoinPath(Trimmed(env.home.empty() ? "/" : env.home), ".config");
}

}  // namespace

UserEnvironment UserEnvironment::Of(const fs::Env& env) {
  UserEnvironment user{env.Variable("HOME"), env.Variable("XDG_CONFIG_HOME")};
  if (user.home.empty()) user.home = HomeFromPasswordEntry();
  return user;
}

ProgramFolders LocateProgramFolders(const fs::Env& env, const std::string& programDir, const UserEnvironment& user) {
  ProgramFolders f;
  f.programDir = Trimmed(programDir);
  f.settingsDir = f.libraryDir = f.dataDir = f.programDir;
  const std::size_t slash = f.programDir.rfind('/');
  if (slash == std::string::npos || f.programDir.compare(slash, std::string::npos, "/bin") != 0) return f;
  const std::string prefix = slash == 0 ? "/" : f.programDir.substr(0, slash);
  if (!PathExists(env, JoinPath(prefix, kInstalledMarker))) return f;
  f.installed = true;
  f.libraryDir = JoinPath(prefix, "lib/pictray");
  f.dataDir = JoinPath(prefix, "share/pictray");
  // Settings a user put beside the programs stay where they are.
  const bool besideProgram = PathExists(env, JoinPath(f.programDir, "Pictray.ini")) ||
                             PathExists(env, JoinPath(f.programDir, "Twinscan.ini"));
  if (besideProgram) return f;
  f.settingsDir = JoinPath(UserConfigFolder(user), "pictray");
  f.inUserConfig = true;
  return f;
}

ProgramFolders LocateProgramFolders(const fs::Env& env, const std::string& programDir) {
  return LocateProgramFolders(env, programDir, UserEnvironment::Of(env));
}

bool MakeSettingsFolder(const fs::Env& env, const ProgramFolders& folders) {
  if (!folders.inUserConfig) return true;
  if (const int e = MakeFolders(env, folders.settingsDir, 0700); e != 0) {
    errno = e;
    return false;
  }
  return true;
}

}  // namespace pictray
