// Twinscan's parameter block: what a run is given. The window fills it on
// its thread before the run starts; while the run works only the abort flag
// changes.
#pragma once

#include <atomic>
#include <chrono>
#include <string>
#include <vector>

#include "engine/fs/env.h"
#include <optional>

#include "engine/list/twin_groups.h"
#include "engine/list/twin_table.h"

namespace pictray {

struct UndoTurns;
namespace similar {
struct SimilarTools;
}

struct TwinscanBlock {
  std::string TargetFolda;  // the source folder: the first of `folders`, or the only one
  // A library: the folders searched (TargetFolda alone when empty; else
  // TargetFolda is folders[0], the folder whose journals hold the run's
  // extraction), with their subfolders when `subfolders` is on, and the
  // reference folders, whose files are never moved and stay first in every
  // group they are in (a group of theirs alone is not shown). Off, with one
  // folder and no reference folder, the search is the one-folder search.
  std::vector<std::string> folders;
  bool subfolders = false;
  std::vector<std::string> references;
  // The file of the review's lasting decisions (engine/dupes/decisions.h,
  // DecisionsPath); "": none are kept or honoured.
  std::string decisionsPath;
  std::string deleteexe;    // the deleter (erasekit)
  std::string programDir;   // where the deleter runs
  std::string journalDir;   // where extractions keep their journals (the user's state folder)
  const fs::Env* env = &fs::DefaultEnv();  // the file system the runs go through; tests hand in another
  bool MoveSoon = false;    // BT01 on: the automatic run extracts after grouping
  bool DeleteSoon = false;  // BT42 on: ... and then deletes the extraction folder
  // false: only the keys that decide the order or the groups are read (the
  // table's key column may then stay empty).
  bool keyEveryFile = true;
  // ... and with only the groups shown, a file alone in its size not at all
  // (the groups and their order stay; the table's order of the rest may not).
  bool groupsOnly = false;
  bool dryRun = false;  // the extraction says what it would move and changes nothing
  dupes::KeepRule keepRule = dupes::DefaultKeepRule();  // which copy of a set stays
  // The undo's turns of a caller that shows no table (twinscan-cli); null:
  // the host asks and shows, and the folder is listed again.
  const UndoTurns* undoTurns = nullptr;
  // After the byte-identical copies, the same pictures are looked for too
  // (resized, re-encoded, turned, slightly cropped), with these tools.
  // Without the tools (no thumbnail library) only copies are looked for;
  // with them the groups' files also come with their facts.
  bool similar = false;
  const similar::SimilarTools* similarTools = nullptr;
  // The automatic extraction moves copies of the same picture too
  // (twinscan-cli --similar --extract); the window's moves only byte-
  // identical copies and leaves the rest to the review.
  bool extractSimilar = false;
  // The review's groups (rows of lpData): the extraction moves their copies
  // instead of the table's own marks.
  std::optional<std::vector<dupes::TwinGroup>> chosen;
  // ... and the choices among them to remember (decisionsPath) once it is made.
  std::vector<dupes::ReviewDecision> lasting;
  // Between keying, sorting and grouping, so that the user sees each table.
  std::chrono::milliseconds pause{0};

  // What the window holds from earlier runs.
  std::vector<dupes::FileRec> lpData;  // the table shown (the extraction moves its copies)
  std::string samedir, kenbuf;
  std::vector<std::string> samedirs;  // as TwinscanEnd::samedirs
  std::vector<dupes::MovedFile> moved;

  std::atomic<int> abort{0};
  // The roots of the search, in the order of FileRec::root: the folders,
  // then the reference folders.
  std::vector<dupes::ListRoot> Roots() const {
    std::vector<dupes::ListRoot> roots;
    if (folders.empty()) roots.push_back({TargetFolda, false});
    for (const std::string& f : folders) roots.push_back({f, false});
    for (const std::string& f : references) roots.push_back({f, true});
    return roots;
  }
  // More than the one-folder search.
  bool Library() const { return subfolders || Roots().size() > 1; }
  bool Aborted() const { return abort.load(std::memory_order_relaxed) != 0; }
};

}  // namespace pictray
