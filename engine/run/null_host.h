// A run host with no window: every call does nothing and questions answer 7
// (as closing the box would). Command-line front ends and benchmarks build
// on it.
#pragma once

#include "engine/run/run_host.h"

namespace pictray {

class NullHost : public RunHost {
 public:
  int MessageBox1Q(const Message&, Button, Button) override { return 7; }
  void Progressed(const RunProgress&) override {}
  void RunBegan(int) override {}
  void RunEnded(const RunEnd&) override {}
  void SearchedFileListed(const std::string&, long) override {}
  void SetItemCount(std::size_t) override {}
  void RowsChanged(std::size_t, std::size_t) override {}
  void ShowRunPlace(std::size_t) override {}
  void DeselectAll() override {}
  void SetSummary(const std::vector<SummaryLine>&) override {}
  void ClearMoveResults() override {}
  void SetMoveResult(std::size_t, const MoveResultLine&) override {}
};

}  // namespace pictray
