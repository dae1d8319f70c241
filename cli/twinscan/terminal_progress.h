// twinscan-cli's progress on a terminal: one line on standard error, written
// over as the run moves (its step, how far, and the time left where the
// total is known), and wiped before anything else is printed.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

#include "engine/run/progress_pace.h"
#include "texts/texts.h"

namespace pictray::cli {

class TerminalProgress {
 public:
  // Shows nothing unless `on` (standard error a terminal, no --quiet).
  TerminalProgress(bool on, texts::Language language, std::FILE* out = stderr)
      : on_(on), language_(language), out_(out) {}
  ~TerminalProgress() { Clear(); }
  TerminalProgress(const TerminalProgress&) = delete;
  TerminalProgress& operator=(const TerminalProgress&) = delete;

  // The step and its count (total 0: not known). A new step is shown at
  // once, a count at most ten times a second.
  void Show(texts::ProgressStep step, std::size_t done, std::size_t total);
  // Wipes the line, if one is shown.
  void Clear();

 private:
  const bool on_;
  const texts::Language language_;
  std::FILE* const out_;
  bool shown_ = false;
  ProgressPace pace_;
};

}  // namespace pictray::cli
