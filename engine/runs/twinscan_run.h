// Twinscan's runs: the automatic run after a start with a folder or a drop,
// the extraction on BT01 and the deletion on BT42. Each runs on a worker
// thread (twinscan-cli calls the automatic run itself), touches the window
// only through its host, stops between two files once val.abort is set, and
// ends with exactly one RunEnded.
#pragma once

#include <optional>
#include <vector>

#include "engine/move/extract.h"
#include "engine/run/twinscan_host.h"
#include "engine/run/twinscan_state.h"

namespace pictray {

// What a run did, for a caller that waits for it.
struct TwinscanReport {
  TwinscanEnd end;    // as told to the host
  int openError = 0;  // errno when the folder could not be read as a folder
  std::string failedFolder;  // which folder (of a library's) that was
  std::optional<dupes::ExtractResult> extraction;  // when the run extracted, or was refused
  // The automatic run's table as grouped, before any extraction; empty when
  // it stopped sooner. A front end that shows only the outcome reads it here
  // rather than copying every table shown.
  std::vector<dupes::FileRec> grouped;
};

// Lists val.TargetFolda (or, for a library, val.Roots() with their
// subfolders when val.subfolders), keys, sorts and groups it, showing each
// table; hides the groups and files the review's lasting decisions left out
// (val.decisionsPath; how many in the end); then
// with MoveSoon extracts the surplus copies (saying so only when some were
// left), and with DeleteSoon deletes the extraction folder without a question.
TwinscanReport ThreadTwinscanAutoRun(TwinscanBlock& val, TwinscanHost& host);

// Extracts the surplus copies of val.lpData and says where they went.
TwinscanReport ThreadTwinscanExtract(TwinscanBlock& val, TwinscanHost& host);

// Asks whether to take back the last extraction of val.TargetFolda (from
// val.journalDir); on yes, takes it back, says what was left and why, and
// lists the folder again. The end keeps the extraction folder only while it
// is still there.
TwinscanReport ThreadTwinscanUndo(TwinscanBlock& val, TwinscanHost& host);

// Asks whether to delete the extraction folder val.samedir; on yes, checks
// it, has the deleter take it away and lists the folder again.
TwinscanReport ThreadTwinscanDelete(TwinscanBlock& val, TwinscanHost& host);

}  // namespace pictray
