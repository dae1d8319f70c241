#include "engine/runs/selected_colour_runs.h"

#include <mutex>

#include "engine/fs/paths.h"
#include "engine/jpeg/header_check.h"
#include "engine/names/folda_name.h"
#include "engine/runs/row_pool.h"
#include "engine/runs/run_steps.h"
#include "engine/settings/settings_keys.h"

namespace pictray {
namespace {

// The run's progress by finished rows: PR01 in percent and status part 1
// "finished/total (found)", never going back.
class LabelledRows {
 public:
  LabelledRows(RunHost& host, std::size_t total) : host_(host), total_(total) {}
  void Finished(bool found) {
    std::lock_guard<std::mutex> l(m_);
    ++finished_;
    if (found) ++found_;
    host_.SetProgress(Control::PR01, static_cast<int>(finished_ * 100 / total_));
    host_.SetStatusText(1, Counter(finished_, total_) + " (" + std::to_string(found_) + ")");
  }

 private:
  RunHost& host_;
  std::size_t total_;
  std::mutex m_;
  std::size_t finished_ = 0, found_ = 0;
};

void BeginColourRun(RunHost& host) {
  host.SetProgressRange(Control::PR01, 0, 100);
  host.SetProgress(Control::PR01, 0);
  host.SetStatusText(1, "");
  host.EnableControl(Control::LV01, false);
  host.DeselectAll();
}

// The end both runs share. An aborted run never starts the move: the user
// asked it to stop, and the rows it did not reach keep old targets.
void EndColourRun(PictrayState& st, RunHost& host, bool aborted, Said endMessage, RunRegistry::Guard& guard) {
  host.DeselectAll();
  host.EnableControl(Control::LV01, true);
  host.SetProgress(Control::PR01, 0);
  host.SetProgress(Control::PR02, 0);
  guard.Release();
  if (!aborted && st.MoveOn.load() == 1) {
    host.SendCommand(cmd::MoveStart);
    return;
  }
  Inform(host, aborted ? Said::ColourRunAborted : endMessage);
  host.EnableControl(Control::BT01, true);
}

// Runs `label(row, worker)` over every row on the pool; false when the abort
// came before the last row was labelled. A label call answers whether a
// colour was found, or nothing when it met the abort (its row then keeps
// its state).
template <typename Label>
bool LabelEveryRow(PictrayState& st, RunHost& host, const ParamBlock& block, Label label) {
  RowDispenser rows(st.rows);
  LabelledRows progress(host, st.rows.ListMax());
  std::atomic<bool> stopped{false};
  OnWorkers(RowWorkers(st.PoolMax.load()), [&](int worker) {
    std::size_t i = 0;
    while (rows.Next(&i)) {
      if (block.Aborted()) {
        stopped = true;
        return;
      }
      const std::optional<bool> found = label(i, worker);
      if (!found) {
        stopped = true;
        return;
      }
      ShowRow(host, i);
      progress.Finished(*found);
    }
  });
  return !stopped;
}

// Whether a part-colour label says a colour decided it.
bool FoundByLabel(const std::string& label) { return label == kMatchFolder || (label.size() == 11 && label[3] == ':'); }

}  // namespace

void ThreadAllColor(ParamBlock& val5, PictrayState& st, RunHost& host, const SelectedColours& colours,
                    const std::string& workfile, RunRegistry::Guard guard) {
  const ProfileSnapshot profile = ProfileSnapshot::Read(st.profile);
  const int mode = ColourMode(ReadSetting(key::AllColorMode, profile));
  const std::string disabledchar = ReadSetting(key::disabledchar, profile);
  BeginColourRun(host);
  host.SetProgressRange(Control::PR02, 0, 100);
  const bool complete = LabelEveryRow(st, host, val5, [&](std::size_t i, int worker) -> std::optional<bool> {
    const std::string path = RowPath(val5.folder, st.rows.name(i));
    ScanResult scan{ScanResult::NotDecoded, {}};
    if (FileHedarCheck(path) == 2) {
      // One worker shows its pictures' rows on PR02; several would make it jump.
      scan = ScanFullPicture(path, colours, [&val5] { return val5.Aborted(); }, [&](int percent) {
        if (worker == 0) host.SetProgress(Control::PR02, percent);
      });
      if (worker == 0) host.SetProgress(Control::PR02, 0);
    }
    if (scan.outcome == ScanResult::Aborted) return std::nullopt;
    const std::string label = scan.outcome == ScanResult::Scanned ? AllColourLabel(mode, scan.found) : "";
    st.rows.setTarget(i, GetFoldaName(label, 1, disabledchar), kind::AllColor);
    return scan.found.has_value();
  });
  if (const int e = workfile.empty() ? 0 : RemoveFileIfPresent(*st.env, workfile))
    host.MessageBox1Q(Message{Said::WorkFileNotRemoved, {workfile}, {}, e}, Button::Err, Button::Err);
  EndColourRun(st, host, !complete, Said::AllColourEnd, guard);
}

void ThreadPartColor(ParamBlock& val6, PictrayState& st, RunHost& host, const SelectedColours& colours,
                     const std::string& strJpos_bit, const std::string& GRmsgtext, RunRegistry::Guard guard) {
  const ProfileSnapshot profile = ProfileSnapshot::Read(st.profile);
  const PartColourRules rules{ColourMode(ReadSetting(key::PartColorMode, profile)),
                              MatchThreshold(colours.dwCount(), ReadSettingNumber(key::MatchPer, profile))};
  const int PartX = ReadPartX(profile);
  const std::string disabledchar = ReadSetting(key::disabledchar, profile);
  const SampledFormats formats = ReadSampledFormats(profile);
  BeginColourRun(host);
  host.SetProgressRange(Control::PR02, 0, 99);
  host.SetStatusText(2, GRmsgtext);
  const bool complete = LabelEveryRow(st, host, val6, [&](std::size_t i, int worker) -> std::optional<bool> {
    const std::string path = RowPath(val6.folder, st.rows.name(i));
    std::string label;
    if (IsSampled(path, formats)) {
      Surface surface(kPartCellEdge);
      const auto rowDone = [&](std::uint32_t row) {
        if (worker == 0) host.SetProgress(Control::PR02, static_cast<int>(row));
      };
      for (int k = 1; k <= PartX * PartX; ++k) {
        if (val6.Aborted()) return std::nullopt;
        if (static_cast<std::size_t>(k) >= strJpos_bit.size() || strJpos_bit[static_cast<std::size_t>(k)] != '1')
          continue;
        label = CompJpegColor(st.MMI, path, k, PartX, surface, colours, rules, rowDone, formats);
        if (label == kMatchFolder) break;
      }
    }
    st.rows.setTarget(i, GetFoldaName(label, 1, disabledchar), kind::PartColor);
    return FoundByLabel(label);
  });
  host.SetStatusText(2, "");
  EndColourRun(st, host, !complete, Said::PartColourEnd, guard);
}

}  // namespace pictray
