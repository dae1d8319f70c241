#pragma once

#include "engine/list/file_list.h"
#include "engine/run/run_host.h"

namespace pictray {

// Uniformity check at the end of every classification: when every row got
// the same target, asks whether to clear them all. Returns 1 when all
// targets are equal (or there is nothing to compare), else 0.
int SetDataAllCheck(RunHost& host, FileList& rows);

// Rebuilds the summary list from the rows.
void CountSetItem(RunHost& host, const FileList& rows);

}  // namespace pictray
