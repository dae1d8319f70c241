// The colour runs: the RGB analysis, the two ratio workers and the strength
// run, the sharpness run, and the colour labels list-up gives new rows while the ratio or the
// strength mode is on. Every run draws its pictures through st.MMI. Each run
// is handed its registration (`guard`) by whoever starts it, and lets it go
// before it asks for the move that may follow.
#pragma once

#include <optional>
#include <string>

#include "engine/colour/ratio_name.h"
#include "engine/colour/sharpness.h"
#include "engine/colour/strength.h"
#include "engine/list/file_list.h"
#include "engine/run/pictray_state.h"
#include "engine/run/run_host.h"
#include "engine/run/run_state.h"
#include "engine/runs/row_pool.h"

namespace pictray {

// The thumbnail library as the state holds it, within the state's budget.
ThumbnailCalls LibraryCalls(PictrayState& st);
// The state draws through `calls` from now on (a front end's loaded library).
void DrawThrough(PictrayState& st, const ThumbnailCalls& calls);

// What the colour runs announce of the files ahead of their workers: whole
// files (a picture is decoded per row), a few rows on, enough to keep reads
// in flight.
inline constexpr ReadAhead kWholePictureAhead{0, 0, 4};

// The RGB analysis (block val): every unclassified row gets the most
// frequent exact colour of the cells chosen in strJpos_bit as its target,
// kind "R" (a non-JPEG row an empty target). Rows with a kind keep it. An
// abort is seen before each row and each cell; the run then ends as it ends
// after the last row.
void ThreadRGB(ParamBlock& val, PictrayState& st, RunHost& host, const std::string& strJpos_bit,
               RunRegistry::Guard guard);

// What the window does before it starts the two ratio workers: rows an
// earlier classification left without a target count as unclassified again,
// both blocks get the folder (mode 1, abort flag 0) and the finish marker is
// cleared.
void PrepareRatioRun(PictrayState& st, const std::string& folder);

// The ratio workers, run at the same time: ThreadRGBPer names the even rows
// (block valrp), ThreadRGBPer2 the odd ones (block valrp2), each with its own
// sampler, whatever the rows' kinds. The second to finish or stop ends the
// run for both and shows its one message. Each worker is a run of its own
// with its own registration.
void ThreadRGBPer(ParamBlock& valrp, PictrayState& st, RunHost& host, RunRegistry::Guard guard);
void ThreadRGBPer2(ParamBlock& valrp2, PictrayState& st, RunHost& host, RunRegistry::Guard guard);

// The strength run (block valrp): every row gets its strength name as its
// target and kind "T", and the strongest pixel's key as its notes.
void ThreadTopRGB(ParamBlock& valrp, PictrayState& st, RunHost& host, RunRegistry::Guard guard);

// The sharpness run (block valrp): every row gets its sharpness band as its
// target and kind "S"; a file that is no picture the strength run's label.
void ThreadSharpness(ParamBlock& valrp, PictrayState& st, RunHost& host, RunRegistry::Guard guard);

// List-up's colour labels: made once per list-up for the modes that are on.
class ListUpColourLabeller {
 public:
  ListUpColourLabeller(const AnalysisFlags& flags, PictrayState& st, const ProfileSnapshot& profile);
  // Gives a row that has no target yet the ratio name (kind "P"), the
  // strength name (kind "T", with its notes) or the sharpness band (kind
  // "S"); the kind only with a target.
  // `file` is the one list-up opened at `path`.
  void Label(const fs::ReadOnlyFile& file, const std::string& path, Row& row);

 private:
  std::optional<RatioSampler> ratio_;
  std::optional<StrengthSampler> strength_;
  std::optional<SharpnessSampler> sharpness_;
};

}  // namespace pictray
