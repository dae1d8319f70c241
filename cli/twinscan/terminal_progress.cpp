#include "cli/twinscan/terminal_progress.h"

namespace pictray::cli {

void TerminalProgress::Show(texts::ProgressStep step, std::size_t done, std::size_t total) {
  if (!on_) return;
  const ProgressPace::Shown shown = pace_.Take(static_cast<int>(step), done, total);
  if (!shown.show) return;
  const std::string text = texts::ProgressWords(step, done, total, shown.secondsLeft, language_);
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
