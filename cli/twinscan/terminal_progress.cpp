#include "cli/twinscan/terminal_progress.h"

namespace pictray::cli {

void TerminalProgress::Show(texts::ProgressStep step, std::size_t done, std::size_t total) {
  if (!on_) return;
  const Clock::time_point now = Clock::now();
  const bool newStep = !started_ || step != step_;
  if (newStep) {
    started_ = true;
    step_ = step;
    stepStart_ = now;
  } else if (now - lastDraw_ < std::chrono::milliseconds(100) && done != total) {
    return;
  }
  lastDraw_ = now;
  // The time left once a second of the step has passed, at its pace so far.
  long long left = -1;
  const double elapsed = std::chrono::duration<double>(now - stepStart_).count();
  if (total > 0 && done > 0 && done < total && elapsed >= 1.0)
    left = static_cast<long long>(elapsed * double(total - done) / double(done) + 0.5);
  const std::string text = texts::ProgressWords(step, done, total, left, language_);
  std::fprintf(out_, "\r\033[K%s", text.c_str());
  std::fflush(out_);
  shown_ = true;
}

void TerminalProgress::Clear() {
  if (!shown_) return;
  std::fputs("\r\033[K", out_);
  std::fflush(out_);
  shown_ = false;
}

}  // namespace pictray::cli
