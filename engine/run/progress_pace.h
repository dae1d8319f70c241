// How a front end follows a run's counts: which to show (a new step at
// once, a count at most ten times a second, the last one always) and the
// time left of the step at its pace so far. The command line's terminal
// line and the window's count line both go by it.
#pragma once

#include <chrono>
#include <cstddef>

namespace pictray {

class ProgressPace {
 public:
  using Clock = std::chrono::steady_clock;

  struct Shown {
    bool show = false;          // false: too soon after the last shown
    long long secondsLeft = -1;  // < 0: not known (no total, nothing done, or under a second into the step)
  };

  // `step` names the step (any number the caller keeps apart); a count
  // that goes back starts the step again, as a new run's does.
  Shown Take(int step, std::size_t done, std::size_t total, Clock::time_point now = Clock::now()) {
    const bool newStep = !started_ || step != step_ || done < done_;
    if (newStep) {
      started_ = true;
      step_ = step;
      stepStart_ = now;
    } else if (now - lastShown_ < std::chrono::milliseconds(100) && done != total) {
      done_ = done;
      return {};
    }
    done_ = done;
    lastShown_ = now;
    Shown shown{true, -1};
    const double elapsed = std::chrono::duration<double>(now - stepStart_).count();
    if (total > 0 && done > 0 && done < total && elapsed >= 1.0)
      shown.secondsLeft = static_cast<long long>(elapsed * double(total - done) / double(done) + 0.5);
    return shown;
  }

 private:
  bool started_ = false;
  int step_ = 0;
  std::size_t done_ = 0;
  Clock::time_point stepStart_{}, lastShown_{};
};

}  // namespace pictray
