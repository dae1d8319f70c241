#include "engine/runs/colour_runs.h"

#include <atomic>
#include <functional>
#include <new>
#include <type_traits>
#include <utility>
#include <vector>

#include "engine/colour/exact_colour.h"
#include "engine/colour/rgb_name.h"
#include "engine/run/null_host.h"
#include "engine/runs/row_pool.h"
#include "engine/runs/run_commands.h"
#include "engine/runs/run_steps.h"
#include "engine/runs/uniformity.h"

namespace pictray {

static_assert(std::is_same_v<decltype(PictrayState::MMI), MakeMinImageFn>,
              "the state carries the thumbnail library's MakeMinImage");
static_assert(std::is_same_v<decltype(PictrayState::MMIs), MakeMinImagesFn>,
              "and its MakeMinImages");
static_assert(std::is_same_v<decltype(PictrayState::PictureRows), PictureRowsFn> &&
                  std::is_same_v<decltype(PictrayState::MMIWithin), MakeMinImageWithinFn> &&
                  std::is_same_v<decltype(PictrayState::MMIsWithin), MakeMinImagesWithinFn> &&
                  std::is_same_v<decltype(PictrayState::PictureRowsWithin), PictureRowsWithinFn> &&
                  std::is_same_v<decltype(PictrayState::MMIsFdWithin), MakeMinImagesFdWithinFn> &&
                  std::is_same_v<decltype(PictrayState::PictureRowsFdWithin), PictureRowsFdWithinFn>,
              "and its other calls");

ThumbnailCalls LibraryCalls(PictrayState& st) {
  ThumbnailCalls lib(st.MMI, st.MMIs);
  lib.rows = st.PictureRows;
  lib.oneWithin = st.MMIWithin;
  lib.manyWithin = st.MMIsWithin;
  lib.rowsWithin = st.PictureRowsWithin;
  lib.manyFdWithin = st.MMIsFdWithin;
  lib.rowsFdWithin = st.PictureRowsFdWithin;
  lib.budget = st.decodeBudget.Calls();
  return lib;
}

void DrawThrough(PictrayState& st, const ThumbnailCalls& calls) {
  st.MMI = calls.one;
  st.MMIs = calls.many;
  st.PictureRows = calls.rows;
  st.MMIWithin = calls.oneWithin;
  st.MMIsWithin = calls.manyWithin;
  st.PictureRowsWithin = calls.rowsWithin;
  st.MMIsFdWithin = calls.manyFdWithin;
  st.PictureRowsFdWithin = calls.rowsFdWithin;
}

namespace {

enum class CellsOutcome { Counted, NoPicture, Aborted, NoMemory };

// Counts the cells `cells` of one file into `table`, drawn from one reading
// of the file when the library can, looking for an abort before the file
// and before each cell; NoPicture when the file is no picture at all. With
// a host, every tenth row of a cell is told (one worker tells its pictures;
// several would make the progress jump).
CellsOutcome CountCells(const fs::ReadOnlyFile& file, const std::string& path, const std::vector<int>& cells,
                        CellSampler& sampler, ExactColourTable& table, const ParamBlock& val, RunHost* host) {
  try {
    if (val.Aborted()) return CellsOutcome::Aborted;
    sampler.Start(file, path, cells);
    for (std::size_t i = 0; i < cells.size(); ++i) {
      if (i > 0 && val.Aborted()) return CellsOutcome::Aborted;
      if (host) host->Progressed(RunProgress::Cell(0));
      const std::string drawn = sampler.CountCell(i, table, [host](std::uint32_t row) {
        if (host && row % 10 == 9) host->Progressed(RunProgress::Cell(row));
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
void EndWithSummary(PictrayState& st, RunHost& host, Said message, const RunEnd& end) {
  CountSetItem(host, st.rows);
  SetDataAllCheck(host, st.rows);
  if (!end.moveDue) Inform(host, message);
  host.Progressed(RunProgress::Over(end.command));
}

// The move that may follow is a run of its own: the registration ends
// before the end is told.
void TellEnd(RunHost& host, const RunEnd& end, RunRegistry::Guard& guard) {
  guard.Release();
  host.RunEnded(end);
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

// One ratio worker: `own` 1 takes the even rows, 2 the odd ones. The even
// one shows the run's progress.
void RatioWorker(ParamBlock& val, PictrayState& st, RunHost& host, int own, RunRegistry::Guard guard) {
  const bool even = own == 1;
  const ProfileSnapshot profile = ProfileSnapshot::Read(*st.env, st.profile);
  RatioSampler sampler(LibraryCalls(st), RatioSettings::Read(profile), ReadSampledFormats(profile));
  const std::size_t n = st.rows.ListMax();
  if (even) host.Progressed(RunProgress::Began(cmd::RgbRatio, n));
  host.DeselectAll();

  NullHost unseen;
  FinishedRows progress(even ? host : unseen, cmd::RgbRatio, n);
  const bool aborted = WorkRowsOnPool(
      *st.env, 1, st.rows, val.folder, val, progress, kWholePictureAhead,
      [n, even](std::size_t j) { return j < n && (j % 2 == 0) == even; },
      [&](int, std::size_t j, const fs::ReadOnlyFile& file) {
        const Row row = st.rows.row(j);
        const std::string name = sampler.RatioFolderName(file, RowPath(val.folder, row.name));
        if (val.mode == 1)
          st.rows.setTarget(j, name, KindOf(cmd::RgbRatio), cmd::RgbRatio);
        else
          st.rows.setTarget(j, name, row.kind, row.by);
        ShowRow(host, j);
      });
  host.DeselectAll();
  // The first to finish only leaves its number; the second ends the run.
  int first = 0;
  if (st.RgbPerEnd.compare_exchange_strong(first, own)) return;
  if (aborted) {
    Inform(host, Said::RatioAborted);
    host.Progressed(RunProgress::Over(cmd::RgbRatio));
    host.RunEnded(EndOfRun(cmd::RgbRatio, st, true, false));
    return;
  }
  const RunEnd end = EndOfRun(cmd::RgbRatio, st);
  EndWithSummary(st, host, Said::RatioEnd, end);
  TellEnd(host, end, guard);
}

}  // namespace

void ThreadRGB(ParamBlock& val, PictrayState& st, RunHost& host, const std::string& strJpos_bit,
               RunRegistry::Guard guard) {
  const ProfileSnapshot profile = ProfileSnapshot::Read(*st.env, st.profile);
  const RgbSettings settings = RgbSettings::Read(profile);
  const SampledFormats formats = ReadSampledFormats(profile);
  host.Progressed(RunProgress::Began(cmd::RgbAnalysis, st.rows.ListMax()));
  host.Progressed(RunProgress::Stage(RunProgress::Kind::Uncounted));
  host.DeselectAll();

  FinishedRows progress(host, cmd::RgbAnalysis, st.rows.ListMax());
  std::atomic<bool> noMemory{false};
  const int workers = PoolWorkers(st, profile);
  std::vector<CellSampler> samplers;
  for (int w = 0; w < workers; ++w)
    samplers.emplace_back(LibraryCalls(st), settings.PartX, settings.PixelPassbit, formats);
  const std::vector<int> cells = ChosenCells(strJpos_bit, kMaxCells);
  const std::string kind = KindOf(cmd::RgbAnalysis);
  // Once memory has run out the rows left keep their state.
  const auto unclassified = [&](std::size_t i) { return !noMemory && st.rows.kind(i).empty(); };
  const bool stopped = WorkRowsOnPool(
      *st.env, workers, st.rows, val.folder, val, progress, kWholePictureAhead, unclassified,
                 [&](int worker, std::size_t i, const fs::ReadOnlyFile& file) {
                   const Row row = st.rows.row(i);
                   if (!row.kind.empty()) return;
                   const std::string path = RowPath(val.folder, row.name);
                   if (!IsSampled(file, formats)) {
                     st.rows.setTarget(i, "", kind, cmd::RgbAnalysis);
                   } else {
                     ExactColourTable table(settings.samcount);
                     const CellsOutcome outcome =
                         CountCells(file, path, cells, samplers[static_cast<std::size_t>(worker)], table, val,
                                    worker == 0 ? &host : nullptr);
                     if (outcome == CellsOutcome::NoMemory) noMemory = true;
                     if (outcome == CellsOutcome::Aborted || outcome == CellsOutcome::NoMemory) return;
                     st.rows.setTarget(i,
                                       outcome == CellsOutcome::NoPicture
                                           ? ""
                                           : RgbFolderName(SacrchMaxIndex2(table, settings.search), settings),
                                       kind, cmd::RgbAnalysis);
                   }
                   ShowRow(host, i);
                 });
  if (noMemory) host.MessageBox1Q(Message{Said::RgbNoMemory}, Button::Err, Button::Err);
  host.DeselectAll();
  // A stop in the middle of the last files leaves no row undone, but their
  // rows unnamed all the same.
  if (stopped || val.Aborted()) {
    Inform(host, Said::RgbAborted);
    host.Progressed(RunProgress::Over(cmd::RgbAnalysis));
    host.RunEnded(EndOfRun(cmd::RgbAnalysis, st, true, false));
    return;
  }
  const RunEnd end = EndOfRun(cmd::RgbAnalysis, st);
  EndWithSummary(st, host, Said::RgbEnd, end);
  TellEnd(host, end, guard);
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

namespace {

// What a run that labels every row reports as its own.
struct EveryRowRun {
  int id;
  Said end, aborted;
};

// Labels every row with `label` (on `workers` workers, each given its
// index) and the run's kind; mode 1 first reopens the rows an earlier
// classification left without a target.
void LabelEveryRow(ParamBlock& val, PictrayState& st, RunHost& host, const EveryRowRun& run, int workers,
                   const std::function<void(int worker, std::size_t j, const fs::ReadOnlyFile& file,
                                            const std::string& path)>& label,
                   RunRegistry::Guard guard) {
  const std::size_t n = st.rows.ListMax();
  host.Progressed(RunProgress::Began(run.id, n));
  if (val.mode == 1) ReopenUntargetedRows(st, host);
  host.DeselectAll();

  FinishedRows progress(host, run.id, n);
  const bool stopped = WorkRowsOnPool(
      *st.env, workers, st.rows, val.folder, val, progress, kWholePictureAhead,
      [n](std::size_t j) { return j < n; }, [&](int worker, std::size_t j, const fs::ReadOnlyFile& file) {
        label(worker, j, file, RowPath(val.folder, st.rows.name(j)));
        ShowRow(host, j);
      });
  if (stopped) {
    Inform(host, run.aborted);
    host.Progressed(RunProgress::Over(run.id));
    host.RunEnded(EndOfRun(run.id, st, true, false));
    return;
  }
  const RunEnd end = EndOfRun(run.id, st);
  EndWithSummary(st, host, run.end, end);
  TellEnd(host, end, guard);
}

}  // namespace

void ThreadTopRGB(ParamBlock& valrp, PictrayState& st, RunHost& host, RunRegistry::Guard guard) {
  const ProfileSnapshot profile = ProfileSnapshot::Read(*st.env, st.profile);
  const int workers = PoolWorkers(st, profile);
  std::vector<StrengthSampler> samplers(
      static_cast<std::size_t>(workers),
      StrengthSampler(LibraryCalls(st), StrengthSettings::Read(profile), ReadSampledFormats(profile)));
  const std::string kind = KindOf(cmd::RgbStrength);
  LabelEveryRow(
      valrp, st, host, {cmd::RgbStrength, Said::StrengthEnd, Said::StrengthAborted}, workers,
      [&](int worker, std::size_t j, const fs::ReadOnlyFile& file, const std::string& path) {
        const StrengthResult r = samplers[static_cast<std::size_t>(worker)].GetTopRGB(file, path);
        if (r.notes) st.rows.setNotes(j, *r.notes);
        st.rows.setTarget(j, r.target, kind, cmd::RgbStrength);
      },
      std::move(guard));
}

void ThreadSharpness(ParamBlock& valrp, PictrayState& st, RunHost& host, RunRegistry::Guard guard) {
  const ProfileSnapshot profile = ProfileSnapshot::Read(*st.env, st.profile);
  const int workers = PoolWorkers(st, profile);
  std::vector<SharpnessSampler> samplers(static_cast<std::size_t>(workers),
                                         SharpnessSampler(LibraryCalls(st), ReadSampledFormats(profile)));
  const std::string kind = KindOf(cmd::Sharpness);
  LabelEveryRow(
      valrp, st, host, {cmd::Sharpness, Said::SharpnessEnd, Said::SharpnessAborted}, workers,
      [&](int worker, std::size_t j, const fs::ReadOnlyFile& file, const std::string& path) {
        st.rows.setTarget(j, samplers[static_cast<std::size_t>(worker)].Label(file, path), kind, cmd::Sharpness);
      },
      std::move(guard));
}

ListUpColourLabeller::ListUpColourLabeller(const AnalysisFlags& flags, PictrayState& st,
                                           const ProfileSnapshot& profile) {
  if (flags.M_RP) ratio_.emplace(LibraryCalls(st), RatioSettings::Read(profile), ReadSampledFormats(profile));
  if (flags.M_RS) strength_.emplace(LibraryCalls(st), StrengthSettings::Read(profile), ReadSampledFormats(profile));
  if (flags.M_Sharp) sharpness_.emplace(LibraryCalls(st), ReadSampledFormats(profile));
}

void ListUpColourLabeller::Label(const fs::ReadOnlyFile& file, const std::string& path, Row& row) {
  if (ratio_ && row.target.empty()) {
    row.target = ratio_->RatioFolderName(file, path);
    if (!row.target.empty()) {
      row.kind = KindOf(cmd::RgbRatio);
      row.by = cmd::RgbRatio;
    }
  }
  if (strength_ && row.target.empty()) {
    const StrengthResult r = strength_->GetTopRGB(file, path);
    row.target = r.target;
    if (r.notes) row.notes = *r.notes;
    if (!row.target.empty()) {
      row.kind = KindOf(cmd::RgbStrength);
      row.by = cmd::RgbStrength;
    }
  }
  if (sharpness_ && row.target.empty()) {
    row.target = sharpness_->Label(file, path);
    if (!row.target.empty()) {
      row.kind = KindOf(cmd::Sharpness);
      row.by = cmd::Sharpness;
    }
  }
}

}  // namespace pictray
