// Which of Twinscan's bars shows which work of a run.
#pragma once

#include "engine/run/twinscan_host.h"

namespace pictray::twinscan {

// Twinscan's two progress bars, both 0..100.
enum class TwinscanBar { PR01, PR02 };

// The listing on PR01; the copies moved, by the extraction or back by its
// undo, on PR02.
constexpr TwinscanBar BarOf(TwinscanWork work) {
  return work == TwinscanWork::Listing ? TwinscanBar::PR01 : TwinscanBar::PR02;
}

}  // namespace pictray::twinscan
