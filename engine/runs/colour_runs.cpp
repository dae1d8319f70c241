#include "engine/runs/colour_runs.h"

#include <atomic>
#include <new>
#include <type_traits>
#include <utility>

#include "engine/colour/exact_colour.h"
#include "engine/colour/rgb_name.h"
#include "engine/runs/row_pool.h"
#include "engine/runs/run_steps.h"
#include "engine/runs/uniformity.h"

namespace pictray {

static_assert(std::is_same_v<decltype(PictrayState::MMI), MakeMinImageFn>,
              "the state carries the thumbnail library's MakeMinImage");

namespace {

enum class CellsOutcome { Counted, NoPicture, Aborted, NoMemory };

// Counts the chosen cells of one file into `table`, looking for an abort
// before each cell; NoPicture when the file is no picture at all. With a
// host, the per-picture bar moves every tenth row of a cell (one worker
// shows its pictures; several would make it jump).
CellsOutcome CountCells(const std::string& path, const std::string& strJpos_bit, CellSampler& sampler,
                        ExactColourTable& table, const ParamBlock& val, RunHost* host) {
  try {
    for (int k = 1; k <= kMaxCells; ++k) {
      if (val.Aborted()) return CellsOutcome::Aborted;
      if (static_cast<std::size_t>(k) >= strJpos_bit.size() || strJpos_bit[static_cast<std::size_t>(k)] != '1')
        continue;
      if (host) host->SetProgress(Control::PR02, 0);
      const std::string drawn = sampler.GetJpegColor(path, k, table, [host](std::uint32_t row) {
        if (host && row % 10 == 9) host->SetProgress(Control::PR02, static_cast<int>(row));
      });
      if (drawn == kNoPictureLabel) return CellsOutcome::NoPicture;
    }
  } catch (const std::bad_alloc&) {
    return CellsOutcome::NoMemory;
  }
  return CellsOutcome::Counted;
}

// The ending of a run whose rows are done: summary, uniformity check, the
// end message unless the move follows at once.
void EndWithSummary(PictrayState& st, RunHost& host, Said message) {
  CountSetItem(host, st.rows);
  SetDataAllCheck(host, st.rows);
  const bool moveOn = st.MoveOn.load() == 1;
  if (!moveOn) Inform(host, message);
  host.SetProgress(Control::PR01, 0);
}

// The move chained by MoveOn is a run of its own: the registration ends
// before it is asked for.
void EnableMoveOrStartIt(PictrayState& st, RunHost& host, RunRegistry::Guard& guard) {
  guard.Release();
  if (st.MoveOn.load() == 1) host.SendCommand(cmd::MoveStart);
  else host.EnableControl(Control::BT01, true);
}

// A row an earlier classification left without a target counts as
// unclassified again; these runs give every row a result of their own.
void ReopenUntargetedRows(PictrayState& st, RunHost& host) {
  for (std::size_t i = 0; i < st.rows.ListMax(); ++i)
    if (st.rows.target(i).empty()) {
      st.rows.setKind(i, "");
      host.RowsChanged(i, i);
    }
}

// One ratio worker: `own` 1 takes the even rows, 2 the odd ones.
void RatioWorker(ParamBlock& val, PictrayState& st, RunHost& host, int own, RunRegistry::Guard guard) {
  const bool even = own == 1;
  const ProfileSnapshot profile = ProfileSnapshot::Read(st.profile);
  RatioSampler sampler(st.MMI, RatioSettings::Read(profile), ReadSampledFormats(profile));
  const std::size_t n = st.rows.ListMax();
  if (even) {
    host.SetProgressRange(Control::PR01, 0, static_cast<int>(n));
    host.SetProgress(Control::PR01, 0);
  }
  host.DeselectAll();

  bool aborted = false;
  for (std::size_t j = even ? 0 : 1; j < st.rows.ListMax(); j += 2) {
    if (val.Aborted()) {
      aborted = true;
      break;
    }
    host.SetProgress(Control::PR01, static_cast<int>(j + 1));
    host.SetStatusText(1, Counter(j + 1, n));
    const Row row = st.rows.row(j);
    const std::string name = sampler.RatioFolderName(RowPath(val.folder, row.name));
    st.rows.setTarget(j, name, val.mode == 1 ? kind::Ratio : row.kind);
    ShowRow(host, j);
  }
  if (!aborted && even) {
    host.SetStatusText(1, Counter(n, n));
    host.SetProgress(Control::PR01, static_cast<int>(n));
  }
  host.DeselectAll();

  // The first to finish only leaves its number; the second ends the run.
  int first = 0;
  if (st.RgbPerEnd.compare_exchange_strong(first, own)) return;
  if (aborted) {
    Inform(host, Said::RatioAborted);
    host.SetProgress(Control::PR01, 0);
    host.CheckControl(Control::BT15, false);
    return;
  }
  EndWithSummary(st, host, Said::RatioEnd);
  host.CheckControl(Control::BT07, false);
  host.CheckControl(Control::BT15, false);
  EnableMoveOrStartIt(st, host, guard);
}

}  // namespace

void ThreadRGB(ParamBlock& val, PictrayState& st, RunHost& host, const std::string& strJpos_bit,
               RunRegistry::Guard guard) {
  const ProfileSnapshot profile = ProfileSnapshot::Read(st.profile);
  const RgbSettings settings = RgbSettings::Read(profile);
  const SampledFormats formats = ReadSampledFormats(profile);
  host.SetProgressRange(Control::PR01, 0, 100);
  host.SetProgress(Control::PR01, 0);
  host.SetProgressRange(Control::PR02, 0, 99);
  host.SetStatusText(1, "");
  host.DeselectAll();

  RowDispenser rows(st.rows);
  FinishedRows progress(host, Control::PR01, st.rows.ListMax(), 100);
  std::atomic<bool> noMemory{false};
  OnWorkers(PoolWorkers(st, profile), [&](int worker) {
    CellSampler sampler(st.MMI, settings.PartX, settings.PixelPassbit, formats);
    std::size_t i = 0;
    while (!val.Aborted() && !noMemory && rows.Next(&i)) {
      const Row row = st.rows.row(i);
      if (row.kind.empty()) {
        const std::string path = RowPath(val.folder, row.name);
        if (!IsSampled(path, formats)) {
          st.rows.setTarget(i, "", kind::Rgb);
        } else {
          ExactColourTable table(settings.samcount);
          const CellsOutcome outcome = CountCells(path, strJpos_bit, sampler, table, val, worker == 0 ? &host : nullptr);
          if (outcome == CellsOutcome::NoMemory) noMemory = true;
          if (outcome == CellsOutcome::Aborted || outcome == CellsOutcome::NoMemory) break;
          st.rows.setTarget(i,
                            outcome == CellsOutcome::NoPicture
                                ? ""
                                : RgbFolderName(SacrchMaxIndex2(table, settings.search), settings),
                            kind::Rgb);
        }
        ShowRow(host, i);
      }
      progress.Finished();
    }
  });
  if (noMemory) host.MessageBox1Q(Message{Said::RgbNoMemory}, Button::Err, Button::Err);
  host.DeselectAll();
  EndWithSummary(st, host, Said::RgbEnd);
  host.SetProgress(Control::PR02, 0);
  EnableMoveOrStartIt(st, host, guard);
}

void PrepareRatioRun(PictrayState& st, const std::string& folder) {
  // Done here, before either worker starts: both name rows from the start.
  for (std::size_t i = 0; i < st.rows.ListMax(); ++i)
    if (st.rows.target(i).empty()) st.rows.setKind(i, "");
  st.RgbPerEnd.store(0);
  st.blocks.valrp.Start(folder, 1);
  st.blocks.valrp2.Start(folder, 1);
}

void ThreadRGBPer(ParamBlock& valrp, PictrayState& st, RunHost& host, RunRegistry::Guard guard) {
  RatioWorker(valrp, st, host, 1, std::move(guard));
}

void ThreadRGBPer2(ParamBlock& valrp2, PictrayState& st, RunHost& host, RunRegistry::Guard guard) {
  RatioWorker(valrp2, st, host, 2, std::move(guard));
}

void ThreadTopRGB(ParamBlock& valrp, PictrayState& st, RunHost& host, RunRegistry::Guard guard) {
  const ProfileSnapshot profile = ProfileSnapshot::Read(st.profile);
  const StrengthSettings settings = StrengthSettings::Read(profile);
  const SampledFormats formats = ReadSampledFormats(profile);
  const std::size_t n = st.rows.ListMax();
  host.SetProgressRange(Control::PR01, 0, n > 0 ? static_cast<int>(n - 1) : 0);
  host.SetProgress(Control::PR01, 0);
  if (valrp.mode == 1) ReopenUntargetedRows(st, host);
  host.DeselectAll();

  RowDispenser rows(st.rows);
  FinishedRows progress(host, Control::PR01, n, n);
  // Set by a worker that met the abort with rows left; an abort that comes
  // after the last row changes nothing.
  std::atomic<bool> stopped{false};
  OnWorkers(PoolWorkers(st, profile), [&](int) {
    StrengthSampler sampler(st.MMI, settings, formats);
    std::size_t j = 0;
    while (rows.Next(&j)) {
      if (valrp.Aborted()) {
        stopped = true;
        break;
      }
      const StrengthResult r = sampler.GetTopRGB(RowPath(valrp.folder, st.rows.name(j)));
      if (r.notes) st.rows.setNotes(j, *r.notes);
      st.rows.setTarget(j, r.target, kind::Strength);
      ShowRow(host, j);
      progress.Finished();
    }
  });
  if (stopped) {
    Inform(host, Said::StrengthAborted);
    host.SetProgress(Control::PR01, 0);
    host.CheckControl(Control::BT16, false);
    return;
  }
  EndWithSummary(st, host, Said::StrengthEnd);
  host.CheckControl(Control::BT16, false);
  EnableMoveOrStartIt(st, host, guard);
}

ListUpColourLabeller::ListUpColourLabeller(const AnalysisFlags& flags, const PictrayState& st,
                                           const ProfileSnapshot& profile) {
  if (flags.M_RP) ratio_.emplace(st.MMI, RatioSettings::Read(profile), ReadSampledFormats(profile));
  if (flags.M_RS) strength_.emplace(st.MMI, StrengthSettings::Read(profile), ReadSampledFormats(profile));
}

void ListUpColourLabeller::Label(const std::string& path, Row& row) {
  if (ratio_ && row.target.empty()) {
    row.target = ratio_->RatioFolderName(path);
    if (!row.target.empty()) row.kind = kind::Ratio;
  }
  if (strength_ && row.target.empty()) {
    const StrengthResult r = strength_->GetTopRGB(path);
    row.target = r.target;
    if (r.notes) row.notes = *r.notes;
    if (!row.target.empty()) row.kind = kind::Strength;
  }
}

}  // namespace pictray
