#include "engine/move/sidecars.h"

#include <cstdint>
#include <optional>
#include <string_view>

namespace pictray {
namespace {

bool MovesThisRun(const Row& r) { return !r.kind.empty() && r.kind != kind::Moved && !r.target.empty(); }

struct StemPictures {
  std::size_t first = SIZE_MAX, firstMoving = SIZE_MAX;
};

std::optional<std::size_t> PictureOf(std::string_view sidecar,
                                     const std::unordered_map<std::string_view, std::size_t>& byName,
                                     const std::unordered_map<std::string_view, StemPictures>& byStem) {
  if (const std::string_view whole = WholeNameOf(sidecar); !whole.empty())
    if (const auto it = byName.find(whole); it != byName.end()) return it->second;
  if (const auto it = byStem.find(StemOf(sidecar)); it != byStem.end())
    return it->second.firstMoving != SIZE_MAX ? it->second.firstMoving : it->second.first;
  return std::nullopt;
}

}  // namespace

SidecarPlan::SidecarPlan(const FileList& rows) {
  std::vector<Row> all;
  rows.forEach([&](std::size_t, const Row& r) { all.push_back(r); });
  follows_.assign(all.size(), false);
  std::unordered_map<std::string_view, std::size_t> byName;
  std::unordered_map<std::string_view, StemPictures> byStem;
  for (std::size_t i = 0; i < all.size(); ++i) {
    const Row& r = all[i];
    if (r.kind == kind::Moved || IsSidecarName(r.name)) continue;
    byName.emplace(r.name, i);
    const std::string_view stem = StemOf(r.name);
    if (stem.empty()) continue;
    StemPictures& p = byStem[stem];
    if (p.first == SIZE_MAX) p.first = i;
    if (p.firstMoving == SIZE_MAX && MovesThisRun(r)) p.firstMoving = i;
  }
  for (std::size_t i = 0; i < all.size(); ++i) {
    if (all[i].kind == kind::Moved || !IsSidecarName(all[i].name)) continue;
    if (const auto picture = PictureOf(all[i].name, byName, byStem)) {
      sidecars_[*picture].push_back(i);
      follows_[i] = true;
    }
  }
}

const std::vector<std::size_t>& SidecarPlan::Of(std::size_t picture) const {
  static const std::vector<std::size_t> kNone;
  const auto it = sidecars_.find(picture);
  return it == sidecars_.end() ? kNone : it->second;
}

bool SidecarPlan::Follows(std::size_t row) const { return row < follows_.size() && follows_[row]; }

}  // namespace pictray
