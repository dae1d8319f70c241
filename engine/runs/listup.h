// The list-up run: reads the source folder into the rows.
#pragma once

#include <string>

#include "engine/run/pictray_state.h"
#include "engine/run/run_host.h"

namespace pictray {

// Lists val3.folder into st.rows (which the caller has emptied), then runs
// the end steps: summary, uniformity check, end message, selecting the file
// named in SarchFile when Firstset is 0, 1052 to the window, and 1001 or
// enabling BT01 when some row got a target. `guard` is the registration of
// this run, taken by the caller before the thread started; it is released
// before the window is told the run ended.
void ThreadSetListView(ParamBlock& val3, PictrayState& st, RunHost& host, RunRegistry::Guard guard);

}  // namespace pictray
