// The run host of twinscan-cli: what the window would show on the way
// (tables, counts, result lines, messages) is left out, as the program
// prints the grouped table and the extraction's own report from what the
// run hands back; the steps and the search's phases go to the terminal's
// progress line when there is one. Questions answer 7, as a closed box does.
#pragma once

#include <vector>

#include "cli/twinscan/terminal_progress.h"
#include "engine/run/twinscan_host.h"

namespace pictray::cli {

class TwinscanCliHost : public TwinscanHost {
 public:
  // keepFirst: also keep the groups as first found (the exports), apart
  // from what an extraction leaves.
  explicit TwinscanCliHost(TerminalProgress* progress = nullptr, bool keepFirst = false)
      : progress_(progress), keepFirst_(keepFirst) {}

  int MessageBox1Q(const Message&, Button, Button) override { return 7; }
  void SetShare(TwinscanWork, int) override {}
  void SetCountText(const std::string&) override {}
  void SetTable(const std::vector<dupes::FileRec>&) override {}
  void ClearResultLines() override {}
  void SetResultLine(std::size_t, const dupes::SameResultLine&) override {}
  void SetSearchProgress(SearchPhase phase, std::size_t done, std::size_t total) override {
    if (progress_) progress_->Show(texts::ProgressStepOf(phase), done, total);
  }
  void SetStep(TwinscanStep step, std::size_t done, std::size_t total) override {
    if (progress_) progress_->Show(texts::ProgressStepOf(step), done, total);
  }
  void SetReview(const dupes::TwinReview& found) override {
    if (!reviewed && keepFirst_) firstReview = found;
    reviewed = true;
    review = found;
  }
  void RunEnded(const TwinscanEnd&) override {
    if (progress_) progress_->Clear();
  }

  dupes::TwinReview review;       // the last told: after an extraction, what it left
  dupes::TwinReview firstReview;  // the groups as found
  bool reviewed = false;

 private:
  TerminalProgress* progress_;
  bool keepFirst_;
};

}  // namespace pictray::cli
