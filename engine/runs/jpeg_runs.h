// The Exif, Info, header-check, size and NG runs, and the per-file labels
// list-up asks for. The runs are plain functions the window calls on a
// worker thread; each holds a RunRegistry guard while it touches the rows.
#pragma once

#include <string>

#include "engine/fs/read_only_file.h"
#include "engine/jpeg/ng_check.h"
#include "engine/run/pictray_state.h"
#include "engine/run/run_host.h"
#include "engine/run/run_state.h"
#include "engine/settings/profile.h"

namespace pictray {

// Settings the JPEG labels depend on, read once per run.
struct JpegSettings {
  std::string ExifSel = "1";
  std::string disabledchar;
  NgSettings ng;
  bool AllFormats = false;   // other formats are read through engine/meta (Read: on when missing)
  bool ExifOrderTag = true;  // labels end with "(II)"/"(MM)"
  bool NameDate = false;     // no Exif date: the name's date
  bool FileDate = false;     // no Exif date (nor the name's): the file's time

  // "ExifSel", "disabledchar", "NullCheck", "NullByte", "JlibCheck",
  // "AllFormats", "ExifOrderTag" of Section0 of the working settings file,
  // with their fallbacks.
  static JpegSettings Read(const ProfileSnapshot& profile);
};

// A label and the kind code and command it is stored with (which only count
// when the text is not empty).
struct JpegLabel {
  std::string text;
  std::string kind;
  int by = 0;
  std::string notes;  // where an Exif label's date came from, when not from the Exif
  void By(int command);
};

// List-up's label for one file from the selected analyses NG, header
// check, Info, Exif and size (in that order of precedence as list-up
// defines it). The colour analyses are not part of it: list-up runs them
// itself when the text is empty. Every analysis reads `file`, opened at
// `path` by the caller. `host` hears how far the zero-run test is through
// the file (may be null).
JpegLabel ListUpJpegLabel(const fs::ReadOnlyFile& file, const std::string& path, const AnalysisFlags& flags,
                          const JpegSettings& settings, RunHost* host);

// Run labels for one file. Mode 1: the Exif reader; 2: the header label,
// sanitised strictly, blanks removed; 3: as 2 with "" becoming "NoExif".
// `file` is the one opened at `path`.
// `notes` (may be null) takes where mode 1's date came from when it was
// not the Exif ("NameDate", "FileDate"), else nothing.
std::string ExDateLabel(const fs::ReadOnlyFile& file, const std::string& path, int mode, const JpegSettings& settings,
                        std::string* notes = nullptr);

// Each run is handed its registration (`guard`) by whoever starts it, and
// lets it go before it asks for the move that may follow.
// Exif (mode 1), Info (2), header check (3); reads ExifSel into st.ExifSel.
void ThreadExDate(ParamBlock& val, PictrayState& st, RunHost& host, RunRegistry::Guard guard);
// Size analysis: "%dX%d" with kind "Z" for unclassified rows.
void ThreadJpegImageSize(ParamBlock& val, PictrayState& st, RunHost& host, RunRegistry::Guard guard);
// NG analysis: every row gets "NG" or "" with kind "G".
void ThreadJpegIError(ParamBlock& val, PictrayState& st, RunHost& host, RunRegistry::Guard guard);

// What an analysis button starts: its run and the run's mode.
struct JpegRunChoice {
  void (*run)(ParamBlock&, PictrayState&, RunHost&, RunRegistry::Guard);
  int mode;
};
// Selects the analysis of command `id` (Exif, Info, header check, size, NG)
// in `flags` as its checked button does (Exif or Info deselect the header
// check, the header check deselects both) and tells which run it starts.
JpegRunChoice SelectJpegAnalysis(int id, AnalysisFlags& flags);

}  // namespace pictray
