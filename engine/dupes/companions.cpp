#include "engine/dupes/companions.h"

#include <fcntl.h>

#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include "engine/fs/read_only_file.h"
#include "engine/fs/unique_fd.h"
#include "engine/list/sidecar_names.h"
#include "engine/marks/file_kind.h"

namespace pictray::dupes {
namespace {

bool EndsWithNoCase(std::string_view s, std::string_view tail) {
  if (s.size() <= tail.size()) return false;
  for (std::size_t i = 0; i < tail.size(); ++i) {
    char c = s[s.size() - tail.size() + i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != tail[i]) return false;
  }
  return true;
}

bool MovieName(std::string_view name) {
  for (std::string_view ext : {".mov", ".mp4", ".m4v", ".3gp", ".qt"})
    if (EndsWithNoCase(name, ext)) return true;
  return false;
}

// The last name of a path.
std::string_view NameOf(std::string_view path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

}  // namespace

std::string_view StemKey(std::string_view path) {
  const std::string_view name = NameOf(path);
  const std::string_view stem = StemOf(name);
  return stem.empty() ? path : path.substr(0, path.size() - name.size() + stem.size());
}

bool IsMovieFile(const fs::Env& env, const std::string& path) {
  const UniqueFd fd(env, env.Open(AT_FDCWD, path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
  return fd.get() >= 0 && marks::KindOfFile(fs::ReadOnlyFile(env, fs::BorrowedFd{fd.get()})) == marks::FileKind::Movie;
}

void MarkCompanions(const fs::Env& env, std::vector<FileRec>& table) {
  // The stems a sidecar or a movie could share; none in most folders.
  std::unordered_set<std::string_view> stems;
  std::vector<std::size_t> movies, sidecars;
  for (std::size_t i = 0; i < table.size(); ++i) {
    FileRec& r = table[i];
    r.companions = 0;
    r.companion = false;
    if (!r.groupable) continue;
    if (IsSidecarName(r.filename)) {
      r.companion = true;
      sidecars.push_back(i);
      stems.insert(StemKey(r.path));
    } else if (MovieName(r.filename)) {
      movies.push_back(i);
      stems.insert(StemKey(r.path));
    }
  }
  if (stems.empty()) return;

  // The files of those stems that are neither sidecars nor movie names, and
  // the movies of each stem.
  std::unordered_map<std::string_view, std::vector<std::size_t>> owners;
  std::unordered_map<std::string_view, std::size_t> byPath;  // for the whole-name sidecars
  for (std::size_t i = 0; i < table.size(); ++i) {
    const FileRec& r = table[i];
    if (!r.groupable || r.companion || MovieName(r.filename)) continue;
    const std::string_view stem = StemKey(r.path);
    if (stems.count(stem)) owners[stem].push_back(i);
    if (!sidecars.empty()) byPath.emplace(r.path, i);
  }
  for (std::size_t i : movies) {
    const auto it = owners.find(StemKey(table[i].path));
    if (it == owners.end() || !IsMovieFile(env, table[i].path)) continue;
    table[i].companion = true;
    for (std::size_t owner : it->second) table[owner].companions |= kLiveVideo;
  }
  // A movie that is no Live Photo video may own sidecars as a picture does.
  for (std::size_t i : movies)
    if (!table[i].companion) owners[StemKey(table[i].path)].push_back(i);
  for (std::size_t i : sidecars) {
    const FileRec& s = table[i];
    const std::string_view whole = WholeNameOf(s.filename);
    if (!whole.empty()) {
      const std::string_view path(s.path.data(), s.path.size() - s.filename.size() + whole.size());
      if (const auto it = byPath.find(path); it != byPath.end()) {
        table[it->second].companions |= kSidecars;
        continue;
      }
    }
    if (const auto it = owners.find(StemKey(s.path)); it != owners.end())
      for (std::size_t owner : it->second) table[owner].companions |= kSidecars;
  }
}

}  // namespace pictray::dupes
