#include "app/twinscan/review_choices.h"

#include "engine/dupes/groups.h"

namespace pictray::twinscan {

std::optional<ReviewStep> ReviewChoices::Make(std::vector<dupes::TwinGroup>& groups, ReviewChoice choice,
                                              std::size_t group, std::size_t member, int row) {
  if (group >= groups.size()) return std::nullopt;
  const dupes::TwinGroup& g = groups[group];
  if (choice != ReviewChoice::LeaveOutGroup && (member >= g.members.size() || member == g.kept)) return std::nullopt;
  ReviewStep step{choice, group, g, false, member, row};
  const std::size_t before = groups.size();
  switch (choice) {
    case ReviewChoice::MakeKept:
      dupes::MakeKept(groups, group, member);
      break;
    case ReviewChoice::LeaveOut:
      dupes::LeaveOut(groups, group, member);
      break;
    case ReviewChoice::LeaveOutGroup:
      dupes::LeaveOutGroup(groups, group);
      break;
  }
  step.removed = groups.size() < before;
  steps_.push_back(step);
  return step;
}

std::optional<ReviewStep> ReviewChoices::Undo(std::vector<dupes::TwinGroup>& groups) {
  if (steps_.empty()) return std::nullopt;
  ReviewStep step = std::move(steps_.back());
  steps_.pop_back();
  if (step.removed)
    groups.insert(groups.begin() + static_cast<std::ptrdiff_t>(step.group), step.former);
  else
    groups[step.group] = step.former;
  return step;
}

std::vector<dupes::ReviewDecision> ReviewChoices::Lasting() const {
  std::vector<dupes::ReviewDecision> lasting;
  for (const ReviewStep& step : steps_) {
    if (step.choice == ReviewChoice::LeaveOut) lasting.push_back({step.former, step.member});
    if (step.choice == ReviewChoice::LeaveOutGroup) lasting.push_back({step.former, std::nullopt});
  }
  return lasting;
}

}  // namespace pictray::twinscan
