#include "engine/dupes/groups.h"

#include <algorithm>
#include <cmath>
#include <string_view>
#include <unordered_map>

#include "engine/dupes/dupes.h"

namespace pictray::dupes {
namespace {

void MarkKept(FileRec& r) {
  r.sameno = "0";
  r.folda = "---";
  r.firstfile.clear();
  r.keptPath.clear();
  r.keptIdentity = {};
  r.similarCopy = false;
}

void MarkCopy(FileRec& r, const FileRec& kept, int number, bool similar) {
  r.sameno = std::to_string(number);
  r.firstfile = kept.file;
  r.folda = SurplusFolderOf(kept);
  r.keptPath = kept.path;
  r.keptIdentity = kept.identity;
  r.similarCopy = similar;
}

// The search measures the common area on thumbnails, its scale to half a
// step of 1.5% of a side: a plain resize may come out a few percent short.
constexpr int kResizeMeasurePercent = 94;
constexpr int kWholePercent = 98;

// Whether a copy is cropped, by its common area with the kept picture:
// below 98% when the two shapes differ beyond a pixel's rounding, but with
// the kept picture's shape only below what the measure leaves of a plain
// resize.
bool Cropped(const PictureFacts& kept, const PictureFacts& copy, int commonAreaPercent) {
  if (commonAreaPercent >= kWholePercent) return false;
  if (kept.width <= 0 || kept.height <= 0 || copy.width <= 0 || copy.height <= 0) return true;
  // The copy's width for the kept picture's shape at its height, and the
  // other way round: within a pixel of its own for a plain resize.
  const double widthAtShape = double(kept.width) * copy.height / kept.height;
  const double heightAtShape = double(kept.height) * copy.width / kept.width;
  const bool sameShape = std::abs(widthAtShape - copy.width) <= 1.0 || std::abs(heightAtShape - copy.height) <= 1.0;
  return !sameShape || commonAreaPercent < kResizeMeasurePercent;
}

}  // namespace

std::vector<TwinGroup> GroupsOfTable(const std::vector<FileRec>& lpData) {
  std::unordered_map<std::string_view, std::size_t> keptRow;
  for (std::size_t i = 0; i < lpData.size(); ++i)
    if (lpData[i].groupable && lpData[i].sameno == "0") keptRow.emplace(lpData[i].path, i);
  std::vector<TwinGroup> groups;
  std::unordered_map<std::size_t, std::size_t> groupOf;  // kept row -> group
  for (std::size_t i = 0; i < lpData.size(); ++i) {
    const FileRec& r = lpData[i];
    if (r.keptPath.empty() || r.folda == "---") continue;
    const auto kept = keptRow.find(r.keptPath);
    if (kept == keptRow.end()) continue;
    auto [g, added] = groupOf.emplace(kept->second, groups.size());
    if (added) groups.push_back(TwinGroup{{TwinMember{kept->second, {}}}, 0, {}});
    Likeness likeness;
    likeness.identical = !r.similarCopy;
    groups[g->second].members.push_back(TwinMember{i, likeness});
  }
  return groups;
}

void MarkGroups(std::vector<FileRec>& lpData, const std::vector<TwinGroup>& groups) {
  for (FileRec& r : lpData)
    if (r.groupable) MarkKept(r);
  for (const TwinGroup& g : groups) {
    const FileRec& kept = lpData[g.members[g.kept].row];
    int number = 0;
    for (std::size_t m = 0; m < g.members.size(); ++m)
      if (m != g.kept) MarkCopy(lpData[g.members[m].row], kept, ++number, !g.members[m].likeness.identical);
  }
}

void MakeKept(std::vector<TwinGroup>& groups, std::size_t group, std::size_t member) {
  TwinGroup& g = groups[group];
  if (member == g.kept || member >= g.members.size()) return;
  const bool identicalToNew = g.members[member].likeness.identical;
  const Likeness former = g.members[member].likeness;
  for (TwinMember& m : g.members) {
    if (&m == &g.members[member]) continue;
    // Byte-identical to the former kept file and to the new one: still so.
    if (!(identicalToNew && m.likeness.identical)) m.likeness.identical = false;
  }
  g.members[g.kept].likeness = former;
  g.members[g.kept].likeness.identical = identicalToNew;
  g.members[member].likeness = Likeness{};
  g.kept = member;
  g.why = KeepReason{};
  g.why.criterion = KeepCriterion::Chosen;
}

void LeaveOut(std::vector<TwinGroup>& groups, std::size_t group, std::size_t member) {
  TwinGroup& g = groups[group];
  if (member == g.kept || member >= g.members.size()) return;
  g.members.erase(g.members.begin() + static_cast<std::ptrdiff_t>(member));
  if (member < g.kept) --g.kept;
  if (g.members.size() < 2) LeaveOutGroup(groups, group);
}

void LeaveOutGroup(std::vector<TwinGroup>& groups, std::size_t group) {
  if (group < groups.size()) groups.erase(groups.begin() + static_cast<std::ptrdiff_t>(group));
}

bool ProtectReference(std::vector<TwinGroup>& groups, const std::vector<FileRec>& lpData) {
  bool changed = false;
  for (std::size_t g = groups.size(); g-- > 0;) {
    TwinGroup& group = groups[g];
    const auto isReference = [&](const TwinMember& m) { return lpData[m.row].reference; };
    const auto first = std::find_if(group.members.begin(), group.members.end(), isReference);
    if (first == group.members.end()) continue;
    const auto keptAt = static_cast<std::size_t>(first - group.members.begin());
    if (!isReference(group.members[group.kept])) {
      MakeKept(groups, g, keptAt);
      changed = true;
    }
    for (std::size_t m = group.members.size(); m-- > 0;) {
      if (m == group.kept || !isReference(group.members[m])) continue;
      changed = true;
      const bool last = group.members.size() <= 2;
      LeaveOut(groups, g, m);
      if (last) break;  // the group went
    }
  }
  return changed;
}

Difference DifferenceOf(const PictureFacts& kept, const PictureFacts& copy, const Likeness& likeness) {
  Difference d;
  if (likeness.identical) return d;
  const long long keptPixels = 1LL * kept.width * kept.height, copyPixels = 1LL * copy.width * copy.height;
  d.smaller = copyPixels > 0 && copyPixels < keptPixels;
  d.larger = keptPixels > 0 && copyPixels > keptPixels;
  if (Cropped(kept, copy, likeness.commonAreaPercent)) d.croppedPercent = likeness.commonAreaPercent;
  d.kind = copy.kind;
  d.otherFormat = copy.kind != kept.kind;
  return d;
}

}  // namespace pictray::dupes
