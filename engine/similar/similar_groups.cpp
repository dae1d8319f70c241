#include "engine/similar/similar_groups.h"

#include <algorithm>
#include <optional>
#include <tuple>

namespace pictray::similar {
namespace {

bool Closer(const dupes::Likeness& a, const dupes::Likeness& b) {
  if (a.correlation != b.correlation) return a.correlation > b.correlation;
  return a.distance < b.distance;
}

void AddWithCopies(dupes::TwinGroup& g, const Participant& p, const dupes::Likeness& likeness) {
  g.members.push_back({p.row, likeness});
  for (std::size_t copy : p.copies) g.members.push_back({copy, likeness});
}

}  // namespace

std::vector<dupes::TwinGroup> GroupAroundKept(const std::vector<Participant>& ordered, std::vector<SamePair> pairs) {
  std::sort(pairs.begin(), pairs.end(), [](const SamePair& a, const SamePair& b) {
    return std::tie(a.later, a.earlier) < std::tie(b.later, b.earlier);
  });
  // joined[i]: the kept picture i joined, or nothing when i keeps a group.
  std::vector<std::optional<std::uint32_t>> joined(ordered.size());
  std::vector<dupes::Likeness> likeness(ordered.size());
  for (std::size_t p = 0; p < pairs.size();) {
    const std::uint32_t later = pairs[p].later;
    const SamePair* best = nullptr;
    for (; p < pairs.size() && pairs[p].later == later; ++p)
      if (!joined[pairs[p].earlier] && (!best || Closer(pairs[p].likeness, best->likeness))) best = &pairs[p];
    if (!best) continue;
    joined[later] = best->earlier;
    likeness[later] = best->likeness;
  }
  std::vector<dupes::TwinGroup> groups(ordered.size());
  for (std::uint32_t i = 0; i < ordered.size(); ++i)
    AddWithCopies(groups[joined[i].value_or(i)], ordered[i], joined[i] ? likeness[i] : dupes::Likeness{});
  std::erase_if(groups, [](const dupes::TwinGroup& g) { return g.members.size() < 2; });
  std::sort(groups.begin(), groups.end(),
            [](const dupes::TwinGroup& a, const dupes::TwinGroup& b) { return a.members[0].row < b.members[0].row; });
  return groups;
}

}  // namespace pictray::similar
