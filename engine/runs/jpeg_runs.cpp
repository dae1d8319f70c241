#include "engine/runs/jpeg_runs.h"

#include <cstdint>
#include <functional>

#include "engine/jpeg/exif_reader.h"
#include "engine/jpeg/header_check.h"
#include "engine/jpeg/jpeg_decode.h"
#include "engine/runs/other_formats.h"
#include "engine/runs/row_pool.h"
#include "engine/runs/run_commands.h"
#include "engine/runs/run_steps.h"
#include "engine/runs/uniformity.h"
#include "engine/names/folda_name.h"
#include "engine/settings/settings_keys.h"

namespace pictray {
namespace {

// Ending of a run stopped by abort: rows done keep their results and the
// summary is not rebuilt.
void EndAborted(RunHost& host, const RunEnd& end, Said message) {
  Inform(host, message);
  host.Progressed(RunProgress::Over(end.command));
  host.RunEnded(end);
}

// Ending shared by the three runs once the rows are done.
void FinishRun(PictrayState& st, RunHost& host, RunRegistry::Guard& guard, int command, Said endMessage) {
  const RunEnd end = EndOfRun(command, st);
  if (!end.moveDue) Inform(host, endMessage);
  host.Progressed(RunProgress::Over(command));
  guard.Release();  // the move that may follow is a run of its own
  host.RunEnded(end);
}

// The zero-run test's progress through its file (nothing without a host).
ScanProgress FileProgress(RunHost* host) {
  if (!host) return {};
  return [host](int percent) { host->Progressed(RunProgress::File(percent)); };
}

// How much of each file the header runs read: the Exif segment (at most
// 64 KiB) and the frame header lie at the start of a JPEG.
constexpr std::uint64_t kHeaderBytes = 64 * 1024;
// How many rows ahead of the workers files are announced to the kernel, so
// that on a cold cache several reads are in flight.
constexpr std::size_t kReadAheadRows = 32;

// Rows that a run labelling unclassified rows works on.
std::function<bool(std::size_t)> Unclassified(const FileList& rows) {
  return [&rows](std::size_t i) { return rows.kind(i).empty(); };
}

}  // namespace

JpegSettings JpegSettings::Read(const ProfileSnapshot& profile) {
  JpegSettings s;
  s.ExifSel = ReadSetting(key::ExifSel, profile);
  s.disabledchar = ReadSetting(key::disabledchar, profile);
  s.ng.NullCheck = ReadSetting(key::NullCheck, profile);
  s.ng.NullByte = ReadSetting(key::NullByte, profile);
  s.ng.JlibCheck = ReadSetting(key::JlibCheck, profile);
  s.AllFormats = ReadSetting(key::AllFormats, profile) == "1";
  s.ExifOrderTag = ReadSetting(key::ExifOrderTag, profile) == "1";
  s.NameDate = ReadSetting(key::NameDate, profile) == "1";
  s.FileDate = ReadSetting(key::FileDate, profile) == "1";
  return s;
}

void JpegLabel::By(int command) {
  kind = KindOf(command);
  by = command;
}

JpegLabel ListUpJpegLabel(const fs::ReadOnlyFile& file, const std::string& path, const AnalysisFlags& flags,
                          const JpegSettings& settings, RunHost* host) {
  JpegLabel r;
  std::string& t = r.text;
  if (flags.M_NG) {
    t = NgVerdictAnyFormat(file, path, settings, FileProgress(host));
    r.By(cmd::NgAnalysis);
  }
  if (t.empty() && (flags.M_Hed || flags.M_Info)) t = ExifHedarCheck(file);
  if (flags.M_Hed) {
    if (t.empty()) t = "NoExif";
    r.By(cmd::HeaderCheck);
    t = GetFoldaName(t, 0, settings.disabledchar);
  }
  if (flags.M_Info) {
    t = GetFoldaName(t, 0, settings.disabledchar);
    r.By(cmd::Info);
    if (t == "Exif" && flags.M_Exif) {
      t = ExifLabelAnyFormat(file, path, settings, &r.notes);
      r.By(cmd::Exif);
    }
  }
  if (flags.M_Exif && !flags.M_Info) {
    t = ExifLabelAnyFormat(file, path, settings, &r.notes);
    r.By(cmd::Exif);
  }
  if (flags.M_Size && t.empty()) {
    t = SizeLabelAnyFormat(file, path, settings);
    r.By(cmd::SizeAnalysis);
  }
  return r;
}

std::string ExDateLabel(const fs::ReadOnlyFile& file, const std::string& path, int mode, const JpegSettings& settings,
                        std::string* notes) {
  if (mode == 1) return ExifLabelAnyFormat(file, path, settings, notes);
  std::string label = GetFoldaName2(GetFoldaName(ExifHedarCheck(file), 0, settings.disabledchar));
  if (mode == 3 && label.empty()) label = "NoExif";
  return label;
}

void ThreadExDate(ParamBlock& val, PictrayState& st, RunHost& host, RunRegistry::Guard guard) {
  const int mode = val.mode;
  const ProfileSnapshot profile = ProfileSnapshot::Read(*st.env, st.profile);
  const JpegSettings settings = JpegSettings::Read(profile);
  st.ExifSel.set(settings.ExifSel);
  const int command = mode == 1 ? cmd::Exif : mode == 2 ? cmd::Info : cmd::HeaderCheck;
  const std::string kindCode = KindOf(command);

  const std::size_t n = st.rows.ListMax();
  host.Progressed(RunProgress::Began(command, n));
  host.DeselectAll();
  // Re-open rows an earlier Info run labelled "Exif" (mode 1) or a header
  // check labelled "NoExif" (mode 2).
  const char* reopen = mode == 1 ? "Exif" : mode == 2 ? "NoExif" : nullptr;
  if (reopen) {
    for (std::size_t i = 0; i < n; ++i)
      if (st.rows.target(i) == reopen) {
        st.rows.setKind(i, "");
        host.RowsChanged(i, i);
      }
  }
  host.DeselectAll();

  FinishedRows progress(host, command, n);
  const bool stopped = WorkRowsOnPool(
      *st.env, PoolWorkers(st, profile), st.rows, val.folder, val, progress, {kHeaderBytes, 0, kReadAheadRows},
      Unclassified(st.rows), [&](int, std::size_t i, const fs::ReadOnlyFile& file) {
        const Row row = st.rows.row(i);
        if (!row.kind.empty()) return;
        std::string notes;
        const std::string label = ExDateLabel(file, RowPath(val.folder, row.name), mode, settings, &notes);
        st.rows.storeResult(i, label, kindCode, command);
        if (!label.empty()) st.rows.setNotes(i, notes);
        ShowRow(host, i);
      });
  if (stopped) {
    EndAborted(host, EndOfRun(command, st, true), Said::SetAborted);
    return;
  }
  CountSetItem(host, st.rows);
  SetDataAllCheck(host, st.rows);
  host.DeselectAll();
  CountSetItem(host, st.rows);
  FinishRun(st, host, guard, command, Said::SetEnd);
}

void ThreadJpegImageSize(ParamBlock& val, PictrayState& st, RunHost& host, RunRegistry::Guard guard) {
  const std::size_t n = st.rows.ListMax();
  host.Progressed(RunProgress::Began(cmd::SizeAnalysis, n));
  // Rows without a target take part again (an NG run leaves sound files
  // with kind "G" and no target).
  for (std::size_t i = 0; i < n; ++i)
    if (st.rows.target(i).empty() && !st.rows.kind(i).empty()) {
      st.rows.setKind(i, "");
      host.RowsChanged(i, i);
    }
  host.DeselectAll();

  const ProfileSnapshot profile = ProfileSnapshot::Read(*st.env, st.profile);
  const JpegSettings settings = JpegSettings::Read(profile);
  FinishedRows progress(host, cmd::SizeAnalysis, n);
  const std::string kind = KindOf(cmd::SizeAnalysis);
  const bool stopped = WorkRowsOnPool(
      *st.env, PoolWorkers(st, profile), st.rows, val.folder, val, progress,
      {kHeaderBytes, 0, kReadAheadRows}, Unclassified(st.rows), [&](int, std::size_t i, const fs::ReadOnlyFile& file) {
        const Row row = st.rows.row(i);
        if (!row.kind.empty()) return;
        st.rows.storeResult(i, SizeLabelAnyFormat(file, RowPath(val.folder, row.name), settings), kind, cmd::SizeAnalysis);
        ShowRow(host, i);
      });
  if (stopped) {
    EndAborted(host, EndOfRun(cmd::SizeAnalysis, st, true, false), Said::SizeAborted);
    return;
  }
  host.DeselectAll();
  CountSetItem(host, st.rows);
  SetDataAllCheck(host, st.rows);
  FinishRun(st, host, guard, cmd::SizeAnalysis, Said::SizeEnd);
}

void ThreadJpegIError(ParamBlock& val, PictrayState& st, RunHost& host, RunRegistry::Guard guard) {
  const std::size_t n = st.rows.ListMax();
  host.Progressed(RunProgress::Began(cmd::NgAnalysis, n));
  const ProfileSnapshot profile = ProfileSnapshot::Read(*st.env, st.profile);
  const JpegSettings settings = JpegSettings::Read(profile);
  host.DeselectAll();

  // The decoder and zero-run tests read whole files, the end check only
  // both ends.
  constexpr std::uint64_t kEnds = 4096;
  const bool wholeFiles = settings.ng.JlibCheck == "1" || settings.ng.NullCheck == "1";
  FinishedRows progress(host, cmd::NgAnalysis, n);
  const std::string kind = KindOf(cmd::NgAnalysis);
  const bool stopped = WorkRowsOnPool(
      *st.env, PoolWorkers(st, profile), st.rows, val.folder, val, progress, {wholeFiles ? 0 : kEnds, wholeFiles ? 0 : kEnds, kReadAheadRows},
      [](std::size_t) { return true; }, [&](int worker, std::size_t i, const fs::ReadOnlyFile& file) {
        // One worker tells how far its files' scans are; several would make it jump.
        const ScanProgress scan = FileProgress(worker == 0 ? &host : nullptr);
        st.rows.setTarget(i, NgVerdictAnyFormat(file, RowPath(val.folder, st.rows.name(i)), settings, scan), kind,
                          cmd::NgAnalysis);
        ShowRow(host, i);
      });
  if (stopped) {
    EndAborted(host, EndOfRun(cmd::NgAnalysis, st, true, false), Said::NgAborted);
    return;
  }
  host.Progressed(RunProgress::Done(cmd::NgAnalysis, n, n));
  host.DeselectAll();
  CountSetItem(host, st.rows);
  SetDataAllCheck(host, st.rows);
  FinishRun(st, host, guard, cmd::NgAnalysis, Said::NgEnd);
}

JpegRunChoice SelectJpegAnalysis(int id, AnalysisFlags& flags) {
  switch (id) {
    case cmd::Info:
      flags.M_Info = 1;
      flags.M_Hed = 0;
      return {ThreadExDate, 2};
    case cmd::HeaderCheck:
      flags.M_Hed = 1;
      flags.M_Exif = 0;
      flags.M_Info = 0;
      return {ThreadExDate, 3};
    case cmd::SizeAnalysis:
      flags.M_Size = 1;
      return {ThreadJpegImageSize, 1};
    case cmd::NgAnalysis:
      flags.M_NG = 1;
      return {ThreadJpegIError, 1};
    default:
      flags.M_Exif = 1;
      flags.M_Hed = 0;
      return {ThreadExDate, 1};
  }
}

}  // namespace pictray
