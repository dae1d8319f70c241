#include "engine/dupes/copy_sidecars.h"

#include <string_view>
#include <unordered_set>

#include "engine/list/sidecar_names.h"

namespace pictray::dupes {
namespace {

bool IsCopy(const FileRec& r) { return r.folda != "---" && !r.keptPath.empty(); }

// A listed picture of the stem, and whether every one of them is a copy.
struct Stem {
  std::size_t first = 0;
  bool any = false, allCopies = true;
};

}  // namespace

std::unordered_map<std::size_t, std::vector<std::size_t>> SidecarsOfCopies(const std::vector<FileRec>& lpData) {
  // The sidecars that might go, and the names and stems of pictures that
  // could own them: only those pictures are looked up, which on a folder
  // without sidecars is none.
  std::vector<std::size_t> candidates;
  std::unordered_set<std::string_view> owners;
  for (std::size_t i = 0; i < lpData.size(); ++i) {
    const FileRec& r = lpData[i];
    if (!r.groupable || IsCopy(r) || !IsSidecarName(r.filename)) continue;
    candidates.push_back(i);
    owners.insert(WholeNameOf(r.filename));
    owners.insert(StemOf(r.filename));
  }
  std::unordered_map<std::size_t, std::vector<std::size_t>> sidecars;
  if (candidates.empty()) return sidecars;

  std::unordered_map<std::string_view, std::size_t> byName;
  std::unordered_map<std::string_view, Stem> byStem;
  for (std::size_t i = 0; i < lpData.size(); ++i) {
    const FileRec& r = lpData[i];
    if (!r.groupable || IsSidecarName(r.filename)) continue;
    if (owners.count(r.filename)) byName.emplace(r.filename, i);
    const std::string_view stem = StemOf(r.filename);
    if (stem.empty() || !owners.count(stem)) continue;
    Stem& s = byStem[stem];
    if (!s.any) s.first = i;
    s.any = true;
    s.allCopies = s.allCopies && IsCopy(r);
  }
  for (std::size_t i : candidates) {
    const FileRec& r = lpData[i];
    if (const std::string_view whole = WholeNameOf(r.filename); !whole.empty())
      if (const auto it = byName.find(whole); it != byName.end()) {
        if (IsCopy(lpData[it->second])) sidecars[it->second].push_back(i);
        continue;
      }
    if (const auto it = byStem.find(StemOf(r.filename)); it != byStem.end() && it->second.allCopies)
      sidecars[it->second.first].push_back(i);
  }
  return sidecars;
}

}  // namespace pictray::dupes
