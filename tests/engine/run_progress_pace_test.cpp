#include "engine/run/progress_pace.h"

#include <gtest/gtest.h>

namespace pictray {
namespace {

using std::chrono::milliseconds;

// One run's counts in order, each with what a front end shows of it.
TEST(ProgressPace, ShowsNewStepsAtOnceCountsTenTimesASecondAndTheTimeLeftAtTheStepsPace) {
  const struct {
    int step;
    std::size_t done, total;
    int atMs;  // since the first count
    bool show;
    long long left;
  } counts[] = {
      {0, 0, 1000, 0, true, -1},         // a new step, nothing done yet
      {0, 10, 1000, 50, false, -1},      // too soon after the last shown
      {0, 100, 1000, 500, true, -1},     // under a second into the step: no estimate
      {0, 250, 1000, 1000, true, 3},     // 1 s for 250: 3 s for the 750 left
      {0, 500, 1000, 1050, false, -1},   // too soon again
      {0, 1000, 1000, 1060, true, -1},   // the last count is shown, nothing left
      {1, 0, 0, 1070, true, -1},         // a new step without a total
      {2, 300, 600, 3070, true, -1},     // a new step starts its own clock
      {2, 300, 600, 6070, true, 3},      // 3 s for 300: 3 s for the other 300
      {2, 10, 600, 6080, true, -1},      // a count going back is a new run's: its clock starts again
      {2, 20, 600, 8080, true, 58},      // 2 s for 20 (from 10): 58 s left at that pace, (600-20)*2/20
  };
  ProgressPace pace;
  const ProgressPace::Clock::time_point start{};
  for (const auto& c : counts) {
    SCOPED_TRACE(c.atMs);
    const ProgressPace::Shown shown = pace.Take(c.step, c.done, c.total, start + milliseconds(c.atMs));
    EXPECT_EQ(shown.show, c.show);
    if (c.show) {
      EXPECT_EQ(shown.secondsLeft, c.left);
    }
  }
}

}  // namespace
}  // namespace pictray
