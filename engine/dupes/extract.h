// Extraction: moving the surplus copies of a grouped file table into a new
// time-stamped "same..." folder inside the source folder.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/dupes/dupes.h"
#include "engine/settings/settings_store.h"

namespace pictray::dupes {

// One line of the result list LV02: one surplus folder.
struct SameResultLine {
  std::string folda;      // surplus folder name
  int count = 0;          // files moved into it
  std::string firstFile;  // filename of the first file moved into it
  std::string path;       // full path of the surplus folder
  std::string mode;       // "new" when it was created, "add" when it existed
  bool operator==(const SameResultLine&) const = default;
};

// What happened to one surplus copy.
struct SurplusOutcome {
  enum class Kind { Moved, Failed, Differs, Changed };
  Kind kind = Kind::Moved;
  std::string from;      // path of the copy
  std::string to;        // where it went (or would go)
  std::string keptPath;  // the file it was compared with
  std::string reason;    // for Failed: the system's error text
};

struct MovedFile {
  std::string to, keptPath;
  std::uint64_t bytes = 0;
  std::int64_t mtimeNs = 0;
};

struct ExtractResult {
  std::string samedir;  // extraction folder ending in "/"; "" when nothing moved
  std::vector<SameResultLine> lines;
  std::vector<SurplusOutcome> outcomes;
  std::vector<MovedFile> moved;  // what a later deletion checks against
  int movedCount = 0, failed = 0, differs = 0, changed = 0;
};

struct ExtractCallbacks {
  std::function<void(int position)> progress;  // 0..100 as rows are done
  // Line `index` of LV02 was added (index == former count) or changed.
  std::function<void(std::size_t index, const SameResultLine&)> resultLine;
};

// "same" followed by year, month, day, hour, minute and millisecond.
std::string SameFolderName(const TimeStamp& t);

// Moves every surplus copy of `lpData` (a grouped table of `folder`) into
// folder/same.../<folda>/. A copy is moved only when it is still the file that
// was listed and is byte-identical to the kept file of its run; moves never
// replace anything. Folders are made only for files that are moved; with
// `dryRun` nothing on disk changes and the result says what would be moved.
ExtractResult MakeFoldaAndMove(const std::vector<FileRec>& lpData, const std::string& folder,
                               const TimeStamp& now, bool dryRun, const ExtractCallbacks& cb);

// rename() that fails instead of replacing an existing target.
bool MoveNoReplace(const std::string& from, const std::string& to, std::string& error);

// The moved files that are no longer as they were moved, or whose kept file
// has gone: trashing the extraction folder would then lose the only copy or
// a file changed since. Empty when the folder may be deleted.
std::vector<std::string> CheckBeforeDelete(const std::vector<MovedFile>& moved);

}  // namespace pictray::dupes
