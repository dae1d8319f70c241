// Groups of the same picture, formed around the file each keeps: a picture
// joins the kept picture it is most like, never a picture that joined one,
// so that A like B and B like C never groups A with C unless A is like C.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/list/twin_groups.h"

namespace pictray::similar {

// A picture that takes part: its row, and the rows of its byte-identical
// copies, which follow it wherever it goes.
struct Participant {
  std::size_t row = 0;
  std::vector<std::size_t> copies;
};

// Pictures `earlier` < `later` (in keep order) are the same picture.
struct SamePair {
  std::uint32_t earlier = 0, later = 0;
  dupes::Likeness likeness;
};

// `ordered`: the participants in keep order, the file that stays first.
// Each becomes the kept file of a group unless it is the same as an
// earlier kept file; then it joins the one whose thumbnails line up best.
// Groups of one file are left out; groups come in the order of their kept
// file's row.
std::vector<dupes::TwinGroup> GroupAroundKept(const std::vector<Participant>& ordered, std::vector<SamePair> pairs);

}  // namespace pictray::similar
