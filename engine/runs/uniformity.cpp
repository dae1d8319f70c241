#include "engine/runs/uniformity.h"

namespace pictray {

int SetDataAllCheck(RunHost& host, FileList& rows) {
  const std::size_t n = rows.ListMax();
  if (n <= 1 || rows.ListBlankCheck() == 1) return 1;
  const std::string first = rows.target(0);
  bool allSame = true;
  rows.forEach([&](std::size_t, const Row& r) {
    if (r.target != first) allSame = false;
  });
  if (!allSame) return 0;
  if (host.MessageBox1Q(Message{Said::AllSameQuestion}, Button::Clear, Button::DoNot) != 6) return 1;
  rows.clearAnalyses();
  host.RowsChanged(0, n - 1);
  host.SetSummary({});
  return 1;
}

void CountSetItem(RunHost& host, const FileList& rows) { host.SetSummary(rows.CountSetItem()); }

}  // namespace pictray
