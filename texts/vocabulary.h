// One language's words. A pattern takes the message's names ("%s"),
// numbers ("%d") and errno's text ("%e") in order. Pieces are the parts
// that join a message's items to its head.
#pragma once

#include "engine/run/message.h"
#include "texts/texts.h"

namespace pictray::texts {

enum class Piece {
  NameAfter,           // ": %s"
  MoveJournalStopped,  // the move stopped at its journal
  MoveLeftOpen,        // how many the move left, before the reasons
  ReasonCount,         // a reason and its count
  ListComma,
  MoveLeftClose,
  ErrorAfter,          // " (%e)"
  UndoAborted,
  UndoJournalStopped,
  UndoLeftHeader,
  UndoLeftMoved,       // a file left: where it is, where it came from
  UndoLeftFolder,      // a folder left
  ExtractLeftDiffers,
  ExtractLeftFailed,
  DeleteFoundItem,     // a kind of thing found, its count and the names
  ExtractMoved,        // files moved and their size
  // Sizes: bytes below a KB; a number with one decimal and its unit.
  SizeBytes,
  SizeUnits,
  // Why a group's kept file stays (dupes::KeepReason).
  WhyReference,
  WhyLiveVideo,
  WhyOriginal,
  WhyCamera,
  WhyPixels,           // %d x %d > %d x %d
  WhySize,             // %s > %s
  WhyFormat,           // %s before %s
  WhyDate,             // %s < %s, each a date and its source
  WhyDateTaken,        // %s: a date taken
  WhyDateModified,     // %s: a modification time
  WhyShorterName,      // %d < %d bytes
  WhyNameOrder,
  WhyFolder,           // %s
  WhyAnyFolder,        // the folder not named
  WhyChosen,
  WhySame,
  // Formats, in PictureKind's order.
  KindRaw,
  KindLossless,
  KindHeif,
  KindJpeg,
  KindWebP,
  KindOther,
  // twinscan-cli's progress on a terminal: a step, done of total, time left.
  ProgressListing,
  ProgressKeying,
  ProgressGrouping,
  ProgressMeasuring,
  ProgressComparing,
  ProgressExtracting,
  ProgressCount,       // %d/%d
  ProgressLeft,        // %s: minutes and seconds left
};

struct Vocabulary {
  const char* (*said)(Said);
  const char* (*piece)(Piece);
  const char* (*button)(Button);
  const char* (*cli)(CliText);
  // A step's value and what it does, "VALUE\tWHAT", by its command id.
  const char* (*step)(int command);
};

extern const Vocabulary kJapanese;
extern const Vocabulary kEnglish;

const Vocabulary& VocabularyOf(Language language);

}  // namespace pictray::texts
