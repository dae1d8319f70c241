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
