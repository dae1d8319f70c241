// The review's choices as steps that can be taken back, last first, until
// the groups are extracted or replaced by a new search.
#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include "engine/list/twin_groups.h"

namespace pictray::twinscan {

enum class ReviewChoice { MakeKept, LeaveOut, LeaveOutGroup };

// A choice made, with what it takes to take it back.
struct ReviewStep {
  ReviewChoice choice = ReviewChoice::MakeKept;
  std::size_t group = 0;    // its index among the groups when it was made
  dupes::TwinGroup former;  // the group as it was before
  bool removed = false;     // the choice took the group out of the review
  std::size_t member = 0;   // the member it was made on
  int row = 0;              // where the group list showed the group, to put it back there
};

class ReviewChoices {
 public:
  // Makes `choice` on member `member` of group `group` (shown on `row`)
  // and keeps its step; nothing when it changes nothing (the kept file made
  // kept or left out).
  std::optional<ReviewStep> Make(std::vector<dupes::TwinGroup>& groups, ReviewChoice choice, std::size_t group,
                                 std::size_t member, int row);
  // Takes the last choice back; the step it took back.
  std::optional<ReviewStep> Undo(std::vector<dupes::TwinGroup>& groups);
  bool empty() const { return steps_.empty(); }
  // The choices still standing that last beyond the extraction: "not the
  // same" and "leave out group", in the order made.
  std::vector<dupes::ReviewDecision> Lasting() const;
  void Clear() { steps_.clear(); }

 private:
  std::vector<ReviewStep> steps_;
};

}  // namespace pictray::twinscan
