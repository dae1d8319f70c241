// What a run tells the person at the window, as a value: which outcome,
// refusal or question, and the names (file-system bytes), numbers and errno
// it needs. The front ends put it into words (texts/), in their language.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace pictray {

enum class Said : std::uint8_t {
  Name,  // names[0] as it is (the file list-up looked for)

  // Ends of runs and their questions.
  ListupEnd,
  FolderUnreadable,  // names: folder, why
  CharSetEnd,
  PhraseSetEnd,
  ExtSetEnd,
  SetAborted,
  SetEnd,
  SizeAborted,
  SizeEnd,
  NgAborted,
  NgEnd,
  RgbEnd,
  RgbAborted,
  RgbNoMemory,
  RatioEnd,
  RatioAborted,
  StrengthEnd,
  StrengthAborted,
  SharpnessEnd,
  SharpnessAborted,
  AllSameQuestion,
  AllColourEnd,
  PartColourEnd,
  ColourRunAborted,
  WorkFileNotRemoved,  // names: work file; error
  TooManyColours,      // numbers: most allowed, chosen

  // The move. MoveEnd: numbers: files left; names: the journal when error
  // says it stopped the run; items: one per reason (MoveLeft*), in the
  // order of the reasons, numbers: how many.
  MoveEnd,
  MoveLeftSourceFolder,
  MoveLeftUnsafeTarget,
  MoveLeftTargetNotFolder,
  MoveLeftFolderNotCreated,
  MoveLeftDifferentFileThere,
  MoveLeftSourceMissing,
  MoveLeftSourceChanged,
  MoveLeftMoveFailed,
  MoveLeftJournalStopped,
  MoveLeftSidecarTargetTaken,
  NotMoved,  // names: file, target; error; items: its one MoveLeft* reason
  ColourMatchQuestion,
  FolderBusy,               // names: the folder, or none
  MoveJournalNotCreated,    // names: journal folder; error
  NothingToUndo,            // names: folder
  UndoMoveQuestion,         // names: the run's time; numbers: files
  UndoExtractQuestion,      // names: the run's time; numbers: files
  // UndoEnd: numbers: files back, 1 when aborted; names: the journal when
  // error says it stopped; items: what was left (UndoLeft*), names: where it
  // is, where it came from ("" for a folder); error.
  UndoEnd,
  // numbers: groups not shown, files taken out of their groups by the
  // review's earlier decisions.
  DecisionsHidden,
  // numbers: the decisions forgotten.
  DecisionsForgotten,
  // names: the store; numbers: the review's choices not remembered; error.
  DecisionsNotKept,
  UndoNotPossible,  // names: what could not be opened; error
  UndoLeftNameTaken,
  UndoLeftChanged,
  UndoLeftMissing,
  UndoLeftRefused,
  UndoLeftFolderNotEmpty,
  UndoLeftFailed,

  // Twinscan.
  TwinscanAborted,
  FolderNotOpened,           // names: folder; error
  ExtractJournalNotCreated,  // names: journal; error
  ExtractJournalStopped,     // names: journal; error
  // Why one surplus copy stays; error.
  ExtractLeftMoveFailed,
  ExtractLeftReference,  // a protected library's file, never moved
  ExtractLeftJournalStopped,
  ExtractLeftInExtractionFolder,
  // Extraction ends; numbers: copies left as they differ or changed, copies
  // that could not be moved, files moved (companions included), their bytes.
  Extracted,
  NothingExtracted,
  ExtractedInto,  // names: the folder made (its last component)
  ExtractDryRunEnd,  // a dry run's end: nothing moved
  NoFilesToExtract,
  NoExtractionToUndo,
  DeleteQuestion,
  Deleted,            // names: the count text
  FolderNotDeleted,   // names: why
  // DeleteRefused: items: one per kind found (DeleteFound*), numbers: how
  // many; names: the first few found; more than shown when the count is
  // larger.
  DeleteRefused,
  DeleteFoundForeign,
  DeleteFoundChanged,
  DeleteFoundKeptDiffers,
  DeleteFoundUnreadable,

  // A keep rule refused (--keep, Keep= of Twinscan.ini); names: the word at fault.
  KeepRuleEmpty,
  KeepRuleUnknownWord,
  KeepRuleRepeated,
  KeepRuleReferenceNotFirst,
  // The search for the same pictures left pictures out; numbers: how many.
  SimilarSkipped,
  SimilarSkippedUnreadable,  // names: the file
  SimilarSkippedTooLarge,    // names: the file
  SimilarSkippedFormat,      // names: the file
};

struct Message {
  Said what = Said::Name;
  std::vector<std::string> names{};
  std::vector<long long> numbers{};
  int error = 0;  // errno, 0 when none
  std::vector<Message> items{};
  bool operator==(const Message&) const = default;
};

// The buttons of a message box.
enum class Button : std::uint8_t { Yes, Err, Ok, No, Clear, DoNot, Delete, QuitProgram, Undo, Quit };

}  // namespace pictray
