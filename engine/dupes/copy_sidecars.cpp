#include "engine/dupes/copy_sidecars.h"

#include <string_view>
#include <unordered_set>

#include "engine/dupes/companions.h"
#include "engine/dupes/dupes.h"
#include "engine/list/sidecar_names.h"

namespace pictray::dupes {
namespace {

bool IsCopy(const FileRec& r) { return r.folda != "---" && !r.keptPath.empty(); }

// A listed file of the stem, and whether every one of them is a copy.
struct Stem {
  std::size_t first = 0;
  bool any = false, allCopies = true;
};

// The path of the picture whose whole name the sidecar `r` extends
// ("dir/IMG_1.CR2" for "dir/IMG_1.CR2.xmp"); empty for any other name.
std::string_view WholePathOf(const FileRec& r) {
  const std::string_view whole = WholeNameOf(r.filename);
  if (whole.empty() || !std::string_view(r.path).ends_with(r.filename)) return {};
  return std::string_view(r.path).substr(0, r.path.size() - r.filename.size() + whole.size());
}

}  // namespace

std::unordered_map<std::size_t, std::vector<std::size_t>> SidecarsOfCopies(const std::vector<FileRec>& lpData) {
  // The companions that might go, and the paths and stems of files that
  // could own them: only those files are looked up, which on a folder
  // without companions is none.
  std::vector<std::size_t> candidates;
  std::unordered_set<std::string_view> owners;
  for (std::size_t i = 0; i < lpData.size(); ++i) {
    const FileRec& r = lpData[i];
    if (!r.groupable || !IsCompanion(r)) continue;
    candidates.push_back(i);
    owners.insert(WholePathOf(r));
    owners.insert(StemKey(r.path));
  }
  std::unordered_map<std::size_t, std::vector<std::size_t>> sidecars;
  if (candidates.empty()) return sidecars;

  std::unordered_map<std::string_view, std::size_t> byPath;
  std::unordered_map<std::string_view, Stem> byStem;
  for (std::size_t i = 0; i < lpData.size(); ++i) {
    const FileRec& r = lpData[i];
    if (!r.groupable || IsCompanion(r)) continue;
    if (owners.count(r.path)) byPath.emplace(r.path, i);
    const std::string_view stem = StemKey(r.path);
    if (!owners.count(stem)) continue;
    Stem& s = byStem[stem];
    if (!s.any) s.first = i;
    s.any = true;
    s.allCopies = s.allCopies && IsCopy(r);
  }
  for (std::size_t i : candidates) {
    const FileRec& r = lpData[i];
    if (const std::string_view whole = WholePathOf(r); !whole.empty())
      if (const auto it = byPath.find(whole); it != byPath.end()) {
        if (IsCopy(lpData[it->second])) sidecars[it->second].push_back(i);
        continue;
      }
    if (const auto it = byStem.find(StemKey(r.path)); it != byStem.end() && it->second.allCopies)
      sidecars[it->second.first].push_back(i);
  }
  return sidecars;
}

}  // namespace pictray::dupes
