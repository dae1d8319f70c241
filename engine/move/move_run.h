// The move run: creates the target folders inside the source folder and
// moves the files into them (the steps before it: move_prepare.h).
#pragma once

#include "engine/run/pictray_state.h"
#include "engine/run/run_host.h"
#include "engine/run/run_state.h"
#include "engine/move/move_prepare.h"
#include "engine/move/move_report.h"

namespace pictray {

// The move run (called on a worker thread; the source folder and abort flag
// come from val21). Rows become "M" only when their file was moved; files
// that cannot be moved stay where they are and are listed in the report and
// the end message. Rows already "M" are not moved again. The run holds the
// source folder's lock throughout; when another run holds it, nothing is
// moved and the run says so. Each move is written to a journal in
// st.journalDir before it is made and marked right after, so that the run
// can be taken back; without a journal nothing moves. `guard` is the run's registration, taken by
// whoever started it and held until the run returns.
MoveReport ThreadMakeFoldaAndMove(ParamBlock& val21, PictrayState& st, RunHost& host,
                                  RunRegistry::Guard guard);

}  // namespace pictray
