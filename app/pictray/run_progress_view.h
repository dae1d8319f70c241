// What Pictray's window shows of a run's progress: which bar, which range,
// which status-bar part and which words. No Qt, so that a test can check
// every row of it without a window.
#pragma once

#include <string>
#include <vector>

#include "engine/run/run_host.h"

namespace pictray::app {

// The window's two progress bars.
enum class RunBar { PR01, PR02 };

// One change of the window: a bar's range (0..maximum), a bar's position,
// or the text of a status-bar part.
struct ProgressShown {
  enum class What { Range, Position, Status };
  What what = What::Status;
  RunBar bar = RunBar::PR01;
  int value = 0;  // the range's maximum, the position, or the status part
  std::string text;
  bool operator==(const ProgressShown&) const = default;
};

// The changes that show `progress`, in order. `partCaption` is what the
// part-colour dialog named the chosen cells; status part 2 holds it while
// that run works.
std::vector<ProgressShown> ShownOf(const RunProgress& progress, const std::string& partCaption);

}  // namespace pictray::app
