// The run host of twinscan-cli: what the window would show on the way
// (tables, progress, counts, result lines, messages) is left out, as the
// program prints the grouped table and the extraction's own report from what
// the run hands back. Questions answer 7, as a closed box does.
#pragma once

#include <vector>

#include "engine/run/twinscan_host.h"

namespace pictray::cli {

class TwinscanCliHost : public TwinscanHost {
 public:
  int MessageBox1Q(const Message&, Button, Button) override { return 7; }
  void SetProgress(TwinscanBar, int) override {}
  void SetCountText(const std::string&) override {}
  void SetTable(const std::vector<dupes::FileRec>&) override {}
  void ClearResultLines() override {}
  void SetResultLine(std::size_t, const dupes::SameResultLine&) override {}
  void SetSearchProgress(SearchPhase, std::size_t, std::size_t) override {}
  void SetReview(const dupes::TwinReview& found) override { review = found; }
  void RunEnded(const TwinscanEnd&) override {}

  dupes::TwinReview review;
};

}  // namespace pictray::cli
