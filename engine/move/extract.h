// Extraction: moving the surplus copies of a grouped file table into a new
// time-stamped "same..." folder inside the source folder.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/dupes/dupes.h"
#include "engine/fs/env.h"
#include "engine/run/message.h"
#include "engine/settings/settings_store.h"

namespace pictray::dupes {

// Why a surplus copy was not moved, with the errno that explains it.
enum class SurplusLeft {
  None,
  MoveFailed,          // its folder could not be made, or the rename failed
  JournalStopped,      // the run stopped before it, as its journal could not be written
  InExtractionFolder,  // another file took its name there; it could not come back from it
  Reference,           // a protected library's file (FileRec::reference): never moved
};

// What happened to one surplus copy.
struct SurplusOutcome {
  enum class Kind { Moved, Failed, Differs, Changed };
  Kind kind = Kind::Moved;
  std::string from;      // path of the copy
  std::string to;        // where it went (or would go)
  std::string keptPath;  // the file it was compared with
  SurplusLeft reason = SurplusLeft::None;
  int err = 0;
  // A companion (a sidecar, a Live Photo video) that went (or was to go)
  // with the copy `keptPath` names.
  bool sidecar = false;
};

// Why the copy was left, in words of texts/.
Message SurplusLeftMessage(const SurplusOutcome& o);

struct ExtractResult {
  std::string samedir;  // extraction folder ending in "/"; "" when nothing moved
  // In a tree: every root's extraction folder that holds something (the
  // first root's is also `samedir`).
  std::vector<std::string> samedirs;
  std::vector<SameResultLine> lines;
  std::vector<SurplusOutcome> outcomes;
  std::vector<MovedFile> moved;  // what a later deletion checks against
  // movedCount: the files moved (a dry run: that would move), companions
  // included; movedBytes: their size together.
  int movedCount = 0, failed = 0, differs = 0, changed = 0;
  std::uint64_t movedBytes = 0;
  bool aborted = false;  // stopped before the last copy; the moves made stay
  // 0, or why nothing was done: EWOULDBLOCK while another run moves files of
  // the folder, else the errno of opening the folder (a dry run takes no lock
  // but opens it too).
  int lockError = 0;
  // The journal could not be made (nothing was moved) or written (the
  // extraction stopped there): its errno and path.
  int journalError = 0;
  std::string journalPath;
};

struct ExtractCallbacks {
  std::function<void(int position)> progress;  // 0..100 as rows are done
  // Line `index` of LV02 was added (index == former count) or changed.
  std::function<void(std::size_t index, const SameResultLine&)> resultLine;
  std::function<void(std::size_t done, std::size_t total)> count;  // surplus copies taken up, of how many
  // Whether the pictures at `kept` and `copy`, measured again from their
  // bytes, are still the same picture. A copy of the same picture moves
  // only when this says so (without it, never).
  std::function<bool(const std::string& kept, const std::string& copy)> samePicture;
};

// "same" followed by year, month, day, hour, minute and millisecond.
std::string SameFolderName(const TimeStamp& t);

// Makes one folder (relative to the source folder); 0 or an errno.
using MakeDirFn = std::function<int(const std::string& rel)>;

// Makes the folder `name` in `dirfd`, or name_2, name_3, ... while the name
// is taken: an existing folder is never taken over. Returns 0 with the name
// made in `made`, or an errno. `makeDir` makes each candidate (mkdirat when
// not given).
int MakeOwnFolder(const fs::Env& env, int dirfd, const std::string& name, std::string& made, const MakeDirFn& makeDir = {});

// Moves every surplus copy of `lpData` (a grouped table of `folder`) into
// folder/same.../<folda>/, where same... is a folder made for this
// extraction alone. A copy is moved only when it is still the file that was
// listed and is byte-identical to the kept file of its run (a copy of the
// same picture: both files are still as listed); the companions of a moved
// copy (its sidecars, its Live Photo video) go with it, journalled as it is
// (copy_sidecars.h); moves never replace anything. Folders are made only for files that are moved; with
// `dryRun` nothing on disk changes and the result says what would be moved.
// The folder's move lock is held throughout; while another run holds it,
// nothing is done and lockError says so. Every folder made and every copy
// moved is written to a journal in `journalDir` first and marked right
// after, so that the extraction can be taken back; without a journal
// nothing moves. Once `abort` is set no further copy is taken up.
// A dry run that follows grouping at once may be handed grouping's looks
// (SetFolda's `looked`): a file found still as listed there is not looked at
// again.
// In a tree (`treeRoots`, the roots of FileRec::root, `folder` first), each
// copy moves into the extraction folder of its own root, keeping its path
// relative to that root (root/same.../<folda>/<path>), all in one journal
// (JournalRunKind::ExtractTree) and under every root's lock. A reference
// file (FileRec::reference) is never moved, whatever its marks say.
ExtractResult MakeFoldaAndMove(const fs::Env& env, const std::vector<FileRec>& lpData, const std::string& folder,
                               const std::string& journalDir, const TimeStamp& now, bool dryRun, const ExtractCallbacks& cb,
                               AbortFlag abort = nullptr, const LookedAsListed* looked = nullptr,
                               const std::vector<std::string>& treeRoots = {});

}  // namespace pictray::dupes
