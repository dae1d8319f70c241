#include "engine/runs/selected_colour_runs.h"

#include <atomic>
#include <chrono>
#include <mutex>
#include <optional>
#include <vector>

#include "engine/fs/paths.h"
#include "engine/jpeg/header_check.h"
#include "engine/names/folda_name.h"
#include "engine/runs/colour_runs.h"
#include "engine/runs/row_pool.h"
#include "engine/runs/run_commands.h"
#include "engine/runs/run_steps.h"
#include "engine/settings/settings_keys.h"

namespace pictray {
namespace {

// The rows labelled and those a colour was found in, never going back; the
// host hears of them at most every 40 ms and at the last row.
class FoundRows {
 public:
  FoundRows(RunHost& host, std::size_t total) : host_(host), total_(total) {}
  void Labelled(bool found) {
    std::lock_guard<std::mutex> l(m_);
    ++labelled_;
    if (found) ++found_;
    const auto now = std::chrono::steady_clock::now();
    if (labelled_ < total_ && now - shown_ < std::chrono::milliseconds(40)) return;
    shown_ = now;
    host_.Progressed(RunProgress::Found(labelled_, total_, found_));
  }

 private:
  RunHost& host_;
  std::size_t total_;
  std::mutex m_;
  std::size_t labelled_ = 0, found_ = 0;
  std::chrono::steady_clock::time_point shown_{};
};

void BeginColourRun(RunHost& host, int command, std::size_t rows) {
  host.Progressed(RunProgress::Began(command, rows));
  host.Progressed(RunProgress::Stage(RunProgress::Kind::Uncounted));
  host.RunBegan(command);
  host.DeselectAll();
}

// The end both runs share. An aborted run never starts the move: the user
// asked it to stop, and the rows it did not reach keep old targets.
void EndColourRun(PictrayState& st, RunHost& host, int command, bool aborted, Said endMessage,
                  RunRegistry::Guard& guard) {
  host.DeselectAll();
  host.Progressed(RunProgress::Over(command));
  guard.Release();
  const RunEnd end = EndOfRun(command, st, aborted);
  if (!end.moveDue) Inform(host, aborted ? Said::ColourRunAborted : endMessage);
  host.RunEnded(end);
}

// Runs `label(row, worker, file)` over every row on the pool, with the
// row's file opened once; false when the abort came before the last row
// was labelled. A label call answers whether a colour was found, or nothing
// when it met the abort (its row then keeps its state).
template <typename Label>
bool LabelEveryRow(PictrayState& st, RunHost& host, int command, const ParamBlock& block, Label label) {
  const std::size_t n = st.rows.ListMax();
  FinishedRows progress(host, command, n);
  FoundRows found(host, n);
  std::atomic<bool> metAbort{false};
  const ProfileSnapshot profile = ProfileSnapshot::Read(*st.env, st.profile);
  const bool stopped = WorkRowsOnPool(
      *st.env, PoolWorkers(st, profile), st.rows, block.folder, block, progress, kWholePictureAhead,
      [&](std::size_t i) { return i < n && !metAbort; },
      [&](int worker, std::size_t i, const fs::ReadOnlyFile& file) {
        const std::optional<bool> colour = label(i, worker, file);
        if (!colour) {
          metAbort = true;
          return;
        }
        ShowRow(host, i);
        found.Labelled(*colour);
      });
  return !stopped && !metAbort;
}

// Whether a part-colour label says a colour decided it.
bool FoundByLabel(const std::string& label) { return label == kMatchFolder || (label.size() == 11 && label[3] == ':'); }

}  // namespace

void ThreadAllColor(ParamBlock& val5, PictrayState& st, RunHost& host, const SelectedColours& colours,
                    const std::string& workfile, RunRegistry::Guard guard) {
  const ProfileSnapshot profile = ProfileSnapshot::Read(*st.env, st.profile);
  const int mode = ColourMode(ReadSetting(key::AllColorMode, profile));
  const std::string disabledchar = ReadSetting(key::disabledchar, profile);
  const SampledFormats formats = ReadSampledFormats(profile);
  BeginColourRun(host, cmd::AllColour, st.rows.ListMax());
  const bool complete = LabelEveryRow(st, host, cmd::AllColour, val5,
                                      [&](std::size_t i, int worker, const fs::ReadOnlyFile& file) -> std::optional<bool> {
    const std::string path = RowPath(val5.folder, st.rows.name(i));
    ScanResult scan{ScanResult::NotDecoded, {}};
    const std::function<bool()> aborted = [&val5] { return val5.Aborted(); };
    // One worker tells how far its pictures are; several would make it jump.
    const std::function<void(int)> rowsDone = [&](int percent) {
      if (worker == 0) host.Progressed(RunProgress::File(percent));
    };
    if (FileHedarCheck(file) == 2)
      scan = ScanFullPicture(file, colours, aborted, rowsDone);
    else if (formats == SampledFormats::kAll && st.PictureRows)
      scan = ScanPictureRows(LibraryCalls(st), file, path, colours, aborted, rowsDone);
    if (worker == 0) host.Progressed(RunProgress::File(0));
    if (scan.outcome == ScanResult::Aborted) return std::nullopt;
    const std::string label = scan.outcome == ScanResult::Scanned ? AllColourLabel(mode, scan.found) : "";
    st.rows.setTarget(i, GetFoldaName(label, 1, disabledchar), KindOf(cmd::AllColour), cmd::AllColour);
    return scan.found.has_value();
  });
  if (const int e = workfile.empty() ? 0 : RemoveFileIfPresent(*st.env, workfile))
    host.MessageBox1Q(Message{Said::WorkFileNotRemoved, {workfile}, {}, e}, Button::Err, Button::Err);
  EndColourRun(st, host, cmd::AllColour, !complete, Said::AllColourEnd, guard);
}

void ThreadPartColor(ParamBlock& val6, PictrayState& st, RunHost& host, const SelectedColours& colours,
                     const std::string& strJpos_bit, RunRegistry::Guard guard) {
  const ProfileSnapshot profile = ProfileSnapshot::Read(*st.env, st.profile);
  const PartColourRules rules{ColourMode(ReadSetting(key::PartColorMode, profile)),
                              MatchThreshold(colours.dwCount(), ReadSettingNumber(key::MatchPer, profile))};
  const int PartX = ReadPartX(profile);
  const std::string disabledchar = ReadSetting(key::disabledchar, profile);
  const SampledFormats formats = ReadSampledFormats(profile);
  BeginColourRun(host, cmd::PartColour, st.rows.ListMax());
  std::vector<CellDrawer> drawers(static_cast<std::size_t>(PoolWorkers(st, profile)),
                                  CellDrawer(LibraryCalls(st), kPartCellEdge, PartX, formats));
  const std::vector<int> cells = ChosenCells(strJpos_bit, PartX * PartX);
  const bool complete = LabelEveryRow(st, host, cmd::PartColour, val6,
                                      [&](std::size_t i, int worker, const fs::ReadOnlyFile& file) -> std::optional<bool> {
    const std::string path = RowPath(val6.folder, st.rows.name(i));
    std::string label;
    if (IsSampled(file, formats)) {
      CellDrawer& drawer = drawers[static_cast<std::size_t>(worker)];
      const auto rowDone = [&](std::uint32_t row) {
        if (worker == 0) host.Progressed(RunProgress::Cell(row));
      };
      if (val6.Aborted()) return std::nullopt;
      drawer.Start(file, path, cells);
      for (std::size_t k = 0; k < cells.size(); ++k) {
        if (k > 0 && val6.Aborted()) return std::nullopt;
        label = MatchDrawnCell(drawer, k, colours, rules, rowDone);
        if (label == kMatchFolder) break;
      }
    }
    st.rows.setTarget(i, GetFoldaName(label, 1, disabledchar), KindOf(cmd::PartColour), cmd::PartColour);
    return FoundByLabel(label);
  });
  EndColourRun(st, host, cmd::PartColour, !complete, Said::PartColourEnd, guard);
}

}  // namespace pictray
