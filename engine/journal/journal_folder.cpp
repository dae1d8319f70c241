#include "engine/journal/journal_folder.h"

#include <fcntl.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <string_view>
#include <vector>

#include "engine/fs/paths.h"
#include "engine/journal/journal.h"
#include "engine/journal/journal_format.h"

namespace pictray {
namespace {

// The journals of one folder share this name prefix.
std::string FolderPrefix(const std::string& key) {
  std::uint64_t h = 1469598103934665603ull;
  for (unsigned char c : key) h = (h ^ c) * 1099511628211ull;
  char buf[24];
  std::snprintf(buf, sizeof buf, "%016llx-", static_cast<unsigned long long>(h));
  return buf;
}

// The names in `dir` starting with `prefix` and ending in ".journal".
std::vector<std::string> JournalNames(const fs::Env& env, const std::string& dir, const std::string& prefix) {
  std::vector<std::string> names;
  env.ListFolder(AT_FDCWD, dir.c_str(), [&](std::string_view n, unsigned char) {
    if (n.starts_with(prefix) && n.ends_with(kJournalSuffix)) names.emplace_back(n);
  });
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace

std::string JournalFileName(const std::string& key, std::int64_t timeNs, int pid) {
  char stamp[32];
  std::snprintf(stamp, sizeof stamp, "%020lld-%d", static_cast<long long>(timeNs), pid);
  return FolderPrefix(key) + stamp + kJournalSuffix;
}

void PruneJournals(const fs::Env& env, const std::string& dir, const std::string& key) {
  const std::vector<std::string> names = JournalNames(env, dir, FolderPrefix(key));
  if (names.size() <= kJournalsKept) return;
  for (std::size_t i = 0; i + kJournalsKept < names.size(); ++i) {
    JournalRun run;
    const std::string path = JoinPath(dir, names[i]);
    // A journal of another folder whose name shares the prefix is not ours.
    if (ReadJournal(env, path, run) && run.valid && run.folder != key) continue;
    env.Unlinkat(AT_FDCWD, path.c_str(), 0);
  }
}

std::int64_t RealTimeNs(const fs::Env& env) { return Nanoseconds(env.Now()); }

std::string JournalDir(const fs::Env& env, const std::string& program) {
  const std::string state = env.StateFolder();
  return state.empty() ? "" : JoinPath(JoinPath(state, program), "journals");
}

std::string CacheDir(const fs::Env& env, const std::string& program) {
  // XDG base folders are absolute: a relative value is ignored.
  const std::string cache = env.Variable("XDG_CACHE_HOME");
  if (!cache.empty() && cache[0] == '/') return JoinPath(cache, program);
  const std::string home = env.Variable("HOME");
  return home.empty() || home[0] != '/' ? "" : JoinPath(JoinPath(home, ".cache"), program);
}

std::string JournalFolderKey(const fs::Env& env, const std::string& folder) {
  std::string key = env.Realpath(folder.c_str());
  if (key.empty()) key = AbsolutePath(folder);
  while (key.size() > 1 && key.back() == '/') key.pop_back();
  return key;
}

void ForEachJournalOf(const fs::Env& env, const std::string& dir, const std::string& folder,
                      const std::function<bool(JournalRun&)>& visit, const JournalRefused& refused) {
  const std::string key = JournalFolderKey(env, folder);
  const std::vector<std::string> names = JournalNames(env, dir, FolderPrefix(key));
  for (auto it = names.rbegin(); it != names.rend(); ++it) {
    JournalRun run;
    const std::string path = JoinPath(dir, *it);
    if (!ReadJournal(env, path, run)) {
      if (refused) refused(path, errno);
      continue;
    }
    if (run.valid && run.folder == key && !visit(run)) return;
  }
}

std::vector<JournalRun> JournalsOf(const fs::Env& env, const std::string& dir, const std::string& folder) {
  std::vector<JournalRun> runs;
  ForEachJournalOf(env, dir, folder, [&](JournalRun& run) {
    runs.push_back(std::move(run));
    return true;
  });
  return runs;
}

}  // namespace pictray
