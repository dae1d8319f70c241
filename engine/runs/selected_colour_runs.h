// The selected-colour runs: the all-colour run (every pixel of each full-size
// picture) and the part-colour run (chosen grid cells drawn at 75 x 75). Both
// label every row whatever its kind, leave the summary list alone, and share
// the rows out to a small pool of workers, each with its own decoder or
// surface, so that every row gets the label one thread would give it.
#pragma once

#include <string>

#include "engine/colour/selected_colours.h"
#include "engine/run/pictray_state.h"
#include "engine/run/run_host.h"
#include "engine/run/run_state.h"

namespace pictray {

// ThreadAllColor (block val5): each JPEG row's target is the AllColorMode
// label of its first pixel whose colour is in `colours`, sanitised with
// "disabledchar"; with "AllFormats" 1 a picture of another format is
// scanned through the thumbnail library's PictureRows alike. A row that is
// no such picture or cannot be decoded gets an empty target. Every row gets kind "A". Status part 1 counts "%d/%d (%d)" with the
// rows in which a colour was found. An abort stops within the current
// picture, which keeps its state. At the end the work file `workfile` goes
// (none when empty);
// then the move follows when MoveOn is 1 and the run was not aborted (an
// aborted run never starts the move), else the end message.
void ThreadAllColor(ParamBlock& val5, PictrayState& st, RunHost& host, const SelectedColours& colours,
                    const std::string& workfile, RunRegistry::Guard guard);

// ThreadPartColor (block val6): for each JPEG row the cells chosen in
// strJpos_bit are matched in order (CompJpegColor, rules from PartColorMode,
// MatchPer and PartX); each tested cell's label replaces the one before,
// and "1-1-1" tests no further cell. The label, sanitised, is the target
// (empty for a row that is no JPEG), kind "P". An abort is seen before
// each row and each cell. Ends as ThreadAllColor does.
void ThreadPartColor(ParamBlock& val6, PictrayState& st, RunHost& host, const SelectedColours& colours,
                     const std::string& strJpos_bit, RunRegistry::Guard guard);

}  // namespace pictray
