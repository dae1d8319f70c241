#include "engine/runs/twinscan_run.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <set>
#include <string_view>
#include <thread>
#include <utility>

#include "engine/dupes/decisions.h"
#include "engine/dupes/delete_check.h"
#include "engine/dupes/groups.h"
#include "engine/dupes/keep_rule.h"
#include "engine/fs/folder_lock.h"
#include "engine/fs/paths.h"
#include "engine/runs/twinscan_delete.h"
#include "engine/runs/undo_run.h"
#include "engine/similar/similar_tools.h"

namespace pictray {
namespace {

using dupes::DeleteProblem;
using dupes::ExtractResult;
using dupes::FileRec;

// What one run carries from step to step.
struct Work {
  TwinscanBlock& val;
  TwinscanHost& host;
  TwinscanReport report;
  std::string kenbuf;
  // What the last grouping found still as listed, by row of its table.
  dupes::LookedAsListed looked;

  Work(TwinscanBlock& v, TwinscanHost& h) : val(v), host(h), kenbuf(v.kenbuf) {
    report.end.samedir = v.samedir;
    report.end.samedirs = v.samedirs;
    report.end.moved = v.moved;
  }
  // False, marking the run aborted, once the stop control was used.
  bool GoOn() {
    if (val.Aborted()) report.end.aborted = true;
    return !report.end.aborted;
  }
  int Ask(const Message& message, Button caption1, Button caption2) {
    return host.MessageBox1Q(message, caption1, caption2);
  }
  void Tell(const Message& message) { host.MessageBox1Q(message, Button::Yes, Button::Yes); }
  void TellError(const Message& message) { host.MessageBox1Q(message, Button::Err, Button::Err); }
  void ResetProgress() {
    host.SetShare(TwinscanWork::Listing, 0);
    host.SetShare(TwinscanWork::Moving, 0);
  }
};

// The last component of the extraction folder, keeping its trailing "/".
std::string LastComponent(const std::string& dir) {
  std::string cut = dir;
  if (!cut.empty() && cut.back() == '/') cut.pop_back();
  const std::size_t slash = cut.rfind('/');
  return dir.substr(slash == std::string::npos ? 0 : slash + 1);
}

// An extraction's end: the copies left as they differ or changed, those
// that could not be moved, and the files moved with their size.
Message ExtractionEnd(Said said, const ExtractResult& r, std::vector<std::string> names = {}) {
  return Message{said,
                 std::move(names),
                 {r.differs + r.changed, r.failed, r.movedCount, static_cast<long long>(r.movedBytes)}};
}

bool LeftCopies(const ExtractResult& r) { return r.differs + r.changed > 0 || r.failed > 0; }

// Between the steps of the automatic run, so that each table is seen.
void Pause(const TwinscanBlock& val) {
  if (val.pause.count() > 0) std::this_thread::sleep_for(val.pause);
}

// Whether a kept picture and its copy, measured again from their bytes,
// are still the same picture; nothing without the search's tools.
std::function<bool(const std::string&, const std::string&)> SamePictureOf(const TwinscanBlock& val) {
  const similar::SimilarTools* tools = val.similarTools;
  if (!tools || !tools->search.same) return {};
  return [tools, env = val.env](const std::string& kept, const std::string& copy) {
    return tools->search.same(*env, kept, copy, *tools);
  };
}

// Lists the source folder, telling the share of its files listed.
std::vector<FileRec> ListFolder(Work& w, int& openError) {
  w.host.SetShare(TwinscanWork::Listing, 0);
  int shown = 0;
  auto progress = [&](std::size_t listed, std::size_t total) {
    w.host.SetStep(TwinscanStep::Listing, listed, total);
    // All listed: the keys still to read are read next.
    if (listed == total) w.host.SetStep(TwinscanStep::Keying, 0, 0);
    const int position = static_cast<int>(listed * 100 / total);
    if (position == shown) return;
    shown = position;
    w.host.SetShare(TwinscanWork::Listing, position);
  };
  const dupes::Keying keying = w.val.keyEveryFile ? dupes::Keying::AllFiles
                               : w.val.groupsOnly ? dupes::Keying::GroupsOnly
                                                  : dupes::Keying::WhereNeeded;
  if (!w.val.Library())
    return dupes::SetListView(*w.val.env, w.val.TargetFolda, progress, keying, &openError, &w.val.abort);
  const std::vector<dupes::ListRoot> roots = w.val.Roots();
  dupes::RootError error;
  std::vector<FileRec> table =
      dupes::ListRoots(*w.val.env, roots, w.val.subfolders, progress, keying, &error, &w.val.abort);
  openError = error.err;
  if (error.err != 0) w.report.failedFolder = roots[error.root].folder;
  return table;
}

// The roots of a library's extraction (FileRec::root); none for one folder.
std::vector<std::string> TreeRoots(const TwinscanBlock& val) {
  std::vector<std::string> roots;
  if (val.Library())
    for (const dupes::ListRoot& root : val.Roots()) roots.push_back(root.folder);
  return roots;
}

// Moves the surplus copies of `table`, telling their share and LV02's lines; a
// dry run takes `looked` (grouping's looks) as its own. False when the run
// is to end here: refused, or stopped.
bool Extract(Work& w, const std::vector<FileRec>& table, const dupes::LookedAsListed* looked = nullptr) {
  w.host.SetShare(TwinscanWork::Moving, 0);
  int shown = 0;
  dupes::ExtractCallbacks cb;
  cb.progress = [&](int position) {
    if (position == shown) return;
    shown = position;
    w.host.SetShare(TwinscanWork::Moving, position);
  };
  cb.count = [&](std::size_t done, std::size_t total) { w.host.SetStep(TwinscanStep::Extracting, done, total); };
  cb.resultLine = [&](std::size_t index, const dupes::SameResultLine& line) {
    w.host.SetResultLine(index, line);
  };
  cb.samePicture = SamePictureOf(w.val);
  const ExtractResult& r = w.report.extraction.emplace(dupes::MakeFoldaAndMove(*w.val.env, 
      table, w.val.TargetFolda, w.val.journalDir, TimeStamp::Now(*w.val.env), w.val.dryRun, cb, &w.val.abort, looked,
      TreeRoots(w.val)));
  if (r.lockError != 0) {
    // Nothing was done: the earlier extraction folder stays the current one.
    w.report.end.refused = true;
    w.TellError(r.lockError == EWOULDBLOCK ? Message{Said::FolderBusy}
                                           : Message{Said::FolderNotOpened, {w.val.TargetFolda}, {}, r.lockError});
    return false;
  }
  if (r.journalError != 0 && r.movedCount == 0 && r.samedir.empty()) {
    w.report.end.refused = true;
    w.TellError(Message{Said::ExtractJournalNotCreated, {r.journalPath}, {}, r.journalError});
    return false;
  }
  // In a tree the first root may have received nothing: the first folder made stands for them all.
  w.report.end.samedirs = r.samedirs;
  w.report.end.samedir = r.samedirs.empty() ? r.samedir : r.samedirs.front();
  w.report.end.moved = r.moved;
  if (r.journalError != 0) {
    w.TellError(Message{Said::ExtractJournalStopped, {r.journalPath}, {}, r.journalError});
    return false;
  }
  if (r.aborted) w.report.end.aborted = true;
  return !r.aborted;
}

// Every extraction folder of the last extraction: samedir and, in a tree,
// each other root's.
std::vector<std::string> ExtractionFolders(const TwinscanEnd& end) {
  std::vector<std::string> dirs = end.samedirs;
  if (!end.samedir.empty() && std::find(dirs.begin(), dirs.end(), end.samedir) == dirs.end())
    dirs.insert(dirs.begin(), end.samedir);
  return dirs;
}

// The copies moved into the extraction folder `dir`.
std::vector<dupes::MovedFile> MovedInto(const std::vector<dupes::MovedFile>& moved, const std::string& dir) {
  std::vector<dupes::MovedFile> in;
  for (const dupes::MovedFile& m : moved)
    if (m.to.starts_with(dir)) in.push_back(m);
  return in;
}

// The checks, the deletion, the folder listed again and the count before
// and after. Every extraction folder is checked before any goes.
void DeletionSequence(Work& w) {
  TwinscanEnd& end = w.report.end;
  const std::vector<std::string> dirs = ExtractionFolders(end);
  for (const std::string& dir : dirs) {
    const std::vector<DeleteProblem> problems = dupes::CheckBeforeDelete(*w.val.env, dir, MovedInto(end.moved, dir),
                                                                         &w.val.abort, SamePictureOf(w.val));
    if (!w.GoOn()) return;
    if (!problems.empty()) {
      w.TellError(DeleteRefusal(dir, problems));
      return;
    }
  }
  for (const std::string& dir : dirs) {
    std::string error;
    if (!FileDELETE2(w.val, dir, error)) {
      w.TellError(Message{Said::FolderNotDeleted, {error}});
      return;
    }
    // What went is no longer the extraction's; the rest stays to be deleted.
    std::erase(end.samedirs, dir);
    std::erase_if(end.moved, [&](const dupes::MovedFile& m) { return m.to.starts_with(dir); });
    end.samedir = end.samedirs.empty() ? "" : end.samedirs.front();
  }
  w.host.SetTable({});
  int openError = 0;
  const std::vector<FileRec> table = ListFolder(w, openError);
  if (!w.GoOn()) return;
  w.host.SetTable(table);
  w.kenbuf += "->" + std::to_string(table.size());
  w.host.SetCountText(w.kenbuf);
  w.host.ClearResultLines();
  w.ResetProgress();
  if (w.Ask(Message{Said::Deleted, {w.kenbuf}}, Button::Yes, Button::QuitProgram) == 7) end.quit = true;
}

// Lists the folder and groups its copies as a start does, showing each
// table; false when stopped or when the folder holds nothing.
bool ListAndGroup(Work& w, std::vector<FileRec>& table, int& openError) {
  table = ListFolder(w, openError);
  if (!w.GoOn() || table.empty()) return false;
  w.host.SetTable(table);
  w.kenbuf = std::to_string(table.size());
  w.host.SetCountText(w.kenbuf);

  w.host.SetStep(TwinscanStep::Grouping, 0, 0);
  dupes::SetSizeWork(table);
  Pause(w.val);
  if (!w.GoOn()) return false;
  dupes::SortFileTable(table, 0, w.val.keepRule);
  w.host.SetTable(table);
  Pause(w.val);
  if (!w.GoOn()) return false;
  // Without a pause the table was listed a moment ago.
  const auto listing = w.val.pause.count() > 0 ? dupes::ListingLooks::LookAgain : dupes::ListingLooks::JustMade;
  dupes::SetFolda(*w.val.env, table, &w.val.abort, &w.looked, listing);
  if (!w.GoOn()) return false;
  w.host.SetTable(table);
  return true;
}

// The search's progress, told when its tenth of a percent or its phase moves.
similar::SearchProgress SearchProgressOf(Work& w) {
  return [&w, shown = std::size_t(-1), shownPhase = SearchPhase::Measuring](SearchPhase phase, std::size_t done,
                                                                            std::size_t total) mutable {
    const std::size_t step = total == 0 ? 0 : done * 1000 / total;
    if (step == shown && phase == shownPhase) return;
    shown = step;
    shownPhase = phase;
    w.host.SetSearchProgress(phase, done, total);
  };
}

// The groups as the library's rules have them: a reference file kept and
// alone of its kind in each, and what the review decided earlier hidden.
// `changed` when the groups changed, so that the table's marks follow them.
struct RulesApplied {
  bool changed = false;
  dupes::HiddenCount hidden;
};
RulesApplied LibraryRules(Work& w, const std::vector<FileRec>& table, std::vector<dupes::TwinGroup>& groups,
                          const dupes::Decisions& decisions) {
  RulesApplied applied;
  applied.changed = dupes::ProtectReference(groups, table);
  applied.hidden = dupes::HideDecided(*w.val.env, decisions, table, groups, &w.val.abort);
  applied.changed = applied.changed || applied.hidden.members > 0;
  return applied;
}

// The groups of a grouped table for the review: its sets of copies and,
// with the search for the same pictures on, those too; the facts of their
// files when there are tools to read pictures with. The table keeps the
// marks of the byte-identical copies, which BT01 and the automatic
// extraction move; copies of the same picture move as the review chooses,
// or with extractSimilar. The groups are shown, also when stopped.
dupes::TwinReview ShowGroups(Work& w, std::vector<FileRec>& table) {
  const similar::SimilarTools* tools = w.val.similarTools;
  dupes::TwinReview review;
  // A store that cannot be read hides nothing.
  dupes::Decisions decisions;
  if (!w.val.decisionsPath.empty()) decisions.Load(*w.val.env, w.val.decisionsPath);
  RulesApplied shown;
  if (tools && w.val.similar) {
    std::vector<dupes::TwinGroup> copies = dupes::GroupsOfTable(table);
    review = tools->search.find(*w.val.env, table, copies, *tools, w.val.keepRule, SearchProgressOf(w),
                                &w.val.abort, {});
    shown = LibraryRules(w, table, review.groups, decisions);
    if (w.val.extractSimilar && w.GoOn()) {
      if (shown.changed) dupes::MarkGroups(table, review.groups);
      w.host.SetTable(table);
    } else {
      // The byte-identical copies the table keeps are those the review
      // shows: the window's table, which BT01 extracts, too.
      const bool changed = LibraryRules(w, table, copies, decisions).changed;
      dupes::MarkGroups(table, copies);
      if (changed) w.host.SetTable(table);
    }
  } else {
    review.groups = dupes::GroupsOfTable(table);
    shown = LibraryRules(w, table, review.groups, decisions);
    if (shown.changed) {
      dupes::MarkGroups(table, review.groups);
      w.host.SetTable(table);
    }
    if (tools) review.facts = tools->search.facts(*w.val.env, table, review.groups);
  }
  w.report.end.hiddenGroups = shown.hidden.groups;
  w.report.end.hiddenMembers = shown.hidden.members;
  dupes::ExplainGroups(review.groups, table, review.facts, w.val.keepRule);
  w.host.SetReview(review);
  return review;
}

// The review without the files an extraction moved: a group whose kept
// file went, or with one file left, is no group.
void LeaveOutMoved(dupes::TwinReview& review, const std::vector<FileRec>& table, const ExtractResult& r) {
  std::set<std::string_view> moved;
  for (const dupes::SurplusOutcome& o : r.outcomes)
    if (o.kind == dupes::SurplusOutcome::Kind::Moved) moved.insert(o.from);
  std::vector<dupes::TwinGroup> left;
  for (const dupes::TwinGroup& g : review.groups) {
    if (moved.count(table[g.members[g.kept].row].path)) continue;
    dupes::TwinGroup staying;
    staying.why = g.why;
    for (std::size_t m = 0; m < g.members.size(); ++m) {
      if (m != g.kept && moved.count(table[g.members[m].row].path)) continue;
      if (m == g.kept) staying.kept = staying.members.size();
      staying.members.push_back(g.members[m]);
    }
    if (staying.members.size() > 1) left.push_back(std::move(staying));
  }
  review.groups = std::move(left);
}

void AutoRunSteps(Work& w) {
  std::vector<FileRec>& table = w.report.grouped;
  if (!ListAndGroup(w, table, w.report.openError)) {
    table.clear();
    // One folder that is none lists nothing, as ever; a library's folder
    // that cannot be read leaves the whole search out, which is told.
    if (w.report.openError != 0 && w.val.Library())
      w.TellError(Message{Said::FolderNotOpened, {w.report.failedFolder}, {}, w.report.openError});
    return;
  }

  dupes::TwinReview review = ShowGroups(w, table);
  if (!w.GoOn()) return;

  if (w.val.MoveSoon) {
    w.host.ClearResultLines();
    // Grouping has just looked at the files, unless pictures were read
    // since, which takes its time.
    const bool goOn = Extract(w, table, w.val.similarTools ? nullptr : &w.looked);
    // What went is no longer the review's; copies of the same picture wait
    // there. A dry run moved nothing.
    if (w.report.extraction && !w.val.dryRun) {
      LeaveOutMoved(review, table, *w.report.extraction);
      w.host.SetReview(review);
    }
    if (!goOn) return;
    // Nothing is said when all went as planned; copies left behind are
    // worth a word.
    const ExtractResult& r = *w.report.extraction;
    if (LeftCopies(r)) w.Tell(ExtractionEnd(Said::Extracted, r));
  }
  if (w.val.DeleteSoon) {
    if (w.report.end.samedir.empty())
      w.Tell(Message{Said::NoFilesToExtract});
    else
      DeletionSequence(w);
  }
}

// The review's lasting choices, once the extraction they were made for was
// carried out (not refused): a choice taken back never reached here. What
// could not be kept is told; the extraction stands.
void RememberChoices(Work& w) {
  const std::string& store = w.val.decisionsPath;
  if (store.empty() || w.val.lasting.empty()) return;
  const dupes::Remembered r = dupes::RememberDecisions(*w.val.env, store, w.val.lpData, w.val.lasting);
  const std::size_t notKept = r.error != 0 ? w.val.lasting.size() : r.stale;
  if (notKept > 0)
    w.TellError(Message{Said::DecisionsNotKept, {store}, {static_cast<long long>(notKept)}, r.error != 0 ? r.error : ESTALE});
}

void ExtractSteps(Work& w) {
  if (w.val.chosen) {
    dupes::MarkGroups(w.val.lpData, *w.val.chosen);
    w.host.SetTable(w.val.lpData);
  }
  w.host.ClearResultLines();
  const bool extracted = Extract(w, w.val.lpData);
  if (!w.report.end.refused) RememberChoices(w);
  if (!extracted) return;
  const std::string& samedir = w.report.end.samedir;
  const ExtractResult& r = *w.report.extraction;
  if (samedir.empty())
    w.Tell(ExtractionEnd(Said::NothingExtracted, r));
  else
    w.Tell(ExtractionEnd(Said::ExtractedInto, r, {LastComponent(samedir)}));
  w.ResetProgress();
}

// The window's turns: the question and the end in boxes, the share moved back told.
UndoTurns UndoTurnsOf(Work& w) {
  UndoTurns turns;
  turns.nothingToUndo = [&w] { w.Tell(Message{Said::NoExtractionToUndo}); };
  turns.confirm = [&w](const JournalRun& run) { return w.Ask(UndoQuestion(run), Button::Undo, Button::DoNot) == 6; };
  turns.starting = [&w] { w.host.SetShare(TwinscanWork::Moving, 0); };
  turns.callbacks.progress = [&w, shown = 0](std::size_t done, std::size_t total) mutable {
    const int position = static_cast<int>(done * 100 / total);
    if (position == shown) return;
    shown = position;
    w.host.SetShare(TwinscanWork::Moving, position);
  };
  turns.ended = [&w](const UndoReport& report) {
    if (report.aborted) w.report.end.aborted = true;
    const bool clean = report.left.empty() && report.error == 0;
    w.Ask(UndoEndMessage(report), clean ? Button::Yes : Button::Err, clean ? Button::Yes : Button::Err);
  };
  return turns;
}

void UndoSteps(Work& w) {
  if (w.val.undoTurns) {  // the caller's own, which shows no table
    UndoLastRunOf(*w.val.env, w.val.journalDir, w.val.TargetFolda, *w.val.undoTurns, &w.val.abort);
    return;
  }
  if (!UndoLastRunOf(*w.val.env, w.val.journalDir, w.val.TargetFolda, UndoTurnsOf(w), &w.val.abort)) return;
  // The copies that went back are no longer the extraction's.
  TwinscanEnd& end = w.report.end;
  std::erase_if(end.samedirs, [&](const std::string& dir) { return !IsFolder(*w.val.env, dir); });
  if (!end.samedir.empty() && !IsFolder(*w.val.env, end.samedir))
    end.samedir = end.samedirs.empty() ? "" : end.samedirs.front();
  if (end.samedir.empty()) end.moved.clear();
  std::erase_if(end.moved, [&](const dupes::MovedFile& m) { return !PathExists(*w.val.env, m.to); });
  // Grouped again, so that the next extraction finds the copies.
  w.host.ClearResultLines();
  w.host.SetTable({});
  std::vector<FileRec> table;
  int openError = 0;
  if (ListAndGroup(w, table, openError))
    ShowGroups(w, table);
  else if (table.empty())
    w.host.SetCountText(w.kenbuf = "0");
  w.ResetProgress();
}

void DeleteSteps(Work& w) {
  if (w.Ask(Message{Said::DeleteQuestion}, Button::Delete, Button::DoNot) == 6) DeletionSequence(w);
}

// The one ending of every run.
TwinscanReport Finish(Work& w) {
  if (w.report.end.aborted) {
    w.Tell(Message{Said::TwinscanAborted});
    w.ResetProgress();
  }
  w.host.RunEnded(w.report.end);
  return std::move(w.report);
}

}  // namespace

TwinscanReport ThreadTwinscanAutoRun(TwinscanBlock& val, TwinscanHost& host) {
  Work w(val, host);
  AutoRunSteps(w);
  return Finish(w);
}

TwinscanReport ThreadTwinscanExtract(TwinscanBlock& val, TwinscanHost& host) {
  Work w(val, host);
  ExtractSteps(w);
  return Finish(w);
}

TwinscanReport ThreadTwinscanUndo(TwinscanBlock& val, TwinscanHost& host) {
  Work w(val, host);
  UndoSteps(w);
  return Finish(w);
}

TwinscanReport ThreadTwinscanDelete(TwinscanBlock& val, TwinscanHost& host) {
  Work w(val, host);
  DeleteSteps(w);
  return Finish(w);
}

}  // namespace pictray
