#include "texts/vocabulary.h"

namespace pictray::texts {
namespace {

const char* SaidEn(Said s) {
  switch (s) {
    case Said::Name: return "%s";
    case Said::ListupEnd: return "Listing finished";
    case Said::FolderUnreadable: return "Cannot read the folder: %s (%s)";
    case Said::CharSetEnd: return "Character classification finished";
    case Said::PhraseSetEnd: return "Phrase classification finished";
    case Said::ExtSetEnd: return "Extension classification finished";
    case Said::SetAborted: return "Classification aborted";
    case Said::SetEnd: return "Classification finished";
    case Said::SizeAborted: return "Size analysis aborted";
    case Said::SizeEnd: return "Size analysis finished";
    case Said::NgAborted: return "NG analysis aborted";
    case Said::NgEnd: return "NG analysis finished";
    case Said::RgbEnd: return "RGB analysis finished";
    case Said::RgbNoMemory: return "failed to load";
    case Said::RatioEnd: return "RGB ratio analysis finished";
    case Said::RatioAborted: return "RGB ratio analysis aborted";
    case Said::StrengthEnd: return "Analysis finished";
    case Said::StrengthAborted: return "RGB component strength analysis aborted";
    case Said::AllSameQuestion: return "Every file got the same value. Clear the values?";
    case Said::AllColourEnd: return "All-colour (AllRGB) analysis finished";
    case Said::PartColourEnd: return "Finished";
    case Said::ColourRunAborted: return "Analysis stopped";
    case Said::WorkFileNotRemoved: return "Cannot delete the work file: %s (%e)";
    case Said::TooManyColours: return "Choose at most [%d] colours. (%d)";
    case Said::MoveEnd: return "Move finished";
    case Said::MoveLeftSourceFolder: return "source folder cannot be opened";
    case Said::MoveLeftUnsafeTarget: return "target not usable as a folder name";
    case Said::MoveLeftTargetNotFolder: return "target is not a folder";
    case Said::MoveLeftFolderNotCreated: return "folder cannot be created";
    case Said::MoveLeftDifferentFileThere: return "a different file of the same name is in the target";
    case Said::MoveLeftSourceMissing: return "file not found";
    case Said::MoveLeftSourceChanged: return "file changed during the move";
    case Said::MoveLeftMoveFailed: return "cannot be moved";
    case Said::MoveLeftJournalStopped: return "the journal cannot be written";
    case Said::MoveLeftSidecarTargetTaken: return "a different file holds a sidecar's name in the target";
    case Said::NotMoved: return "%s -> %s: ";
    case Said::ColourMatchQuestion: return "A 1-1-1 folder exists. Move under another name?";
    case Said::FolderBusy: return "Another move is working in this folder. Try again when it has finished";
    case Said::MoveJournalNotCreated: return "Nothing is moved because the move record cannot be created: %s (%e)";
    case Said::NothingToUndo: return "There is no move to undo: %s";
    case Said::UndoMoveQuestion: return "Undo the move of %s (%d files)?";
    case Said::UndoExtractQuestion: return "Undo the extraction of %s (%d files)?";
    case Said::UndoEnd: return "Undone: %d files";
    case Said::UndoNotPossible: return "Cannot undo the move: %s (%e)";
    case Said::UndoLeftNameTaken: return "the original name is taken by another file";
    case Said::UndoLeftChanged: return "changed after the move";
    case Said::UndoLeftMissing: return "not found where it was moved to";
    case Said::UndoLeftRefused: return "left alone: the journal names something outside the folder";
    case Said::UndoLeftFolderNotEmpty: return "the folder holds other files";
    case Said::UndoLeftFailed: return "cannot be moved back";
    case Said::TwinscanAborted: return "Stopped";
    case Said::FolderNotOpened: return "Cannot open the folder: %s (%e)";
    case Said::ExtractJournalNotCreated:
      return "Nothing is extracted because the extraction record cannot be created: %s (%e)";
    case Said::ExtractJournalStopped: return "Stopped because the extraction record cannot be written: %s (%e)";
    case Said::ExtractLeftMoveFailed: return "%e";
    case Said::ExtractLeftJournalStopped: return "the journal cannot be written: %e";
    case Said::ExtractLeftInExtractionFolder: return "left in the extraction folder: %e";
    case Said::Extracted: return "Extracted";
    case Said::NothingExtracted: return "No files extracted";
    case Said::ExtractedInto: return "Created the folder [%s] and extracted into it";
    case Said::NoFilesToExtract: return "There are no files to extract";
    case Said::NoExtractionToUndo: return "There is no extraction to undo";
    case Said::DeleteQuestion: return "Delete the extraction folder?";
    case Said::Deleted: return "(%s) The extracted files were deleted";
    case Said::FolderNotDeleted: return "The extraction folder could not be deleted: %s";
    case Said::DeleteRefused: return "The extraction folder is not deleted";
    case Said::DeleteFoundForeign: return "it holds something that was not extracted";
    case Said::DeleteFoundChanged: return "files changed after the extraction";
    case Said::DeleteFoundKeptDiffers: return "files no longer equal to the kept file";
    case Said::DeleteFoundUnreadable: return "things that cannot be examined";
  }
  return "";
}

const char* PieceEn(Piece p) {
  switch (p) {
    case Piece::NameAfter: return ": %s";
    case Piece::MoveJournalStopped: return ": stopped because the move record cannot be written: %s (%e)";
    case Piece::MoveLeftOpen: return ": %d files were not moved and stay where they were (";
    case Piece::ReasonCount: return "%s: %d";
    case Piece::ListComma: return ", ";
    case Piece::MoveLeftClose: return ")";
    case Piece::ErrorAfter: return " (%e)";
    case Piece::UndoAborted: return " (stopped)";
    case Piece::UndoJournalStopped: return "\nStopped because the record cannot be written: %s (%e)";
    case Piece::UndoLeftHeader: return "\n%d were left where they are:";
    case Piece::UndoLeftMoved: return "\n%s -> %s: ";
    case Piece::UndoLeftFolder: return "\n%s: ";
    case Piece::ExtractLeftDiffers: return " (%d files whose contents differ or changed were left in place)";
    case Piece::ExtractLeftFailed: return " (%d files could not be moved)";
    case Piece::DeleteFoundItem: return " / %s (%d): %s";
  }
  return "";
}

const char* ButtonEn(Button b) {
  switch (b) {
    case Button::Yes:
    case Button::Err:
    case Button::Ok: return "OK";
    case Button::No: return "No";
    case Button::Clear: return "Clear";
    case Button::DoNot: return "Don't";
    case Button::Delete: return "Delete";
    case Button::QuitProgram: return "Quit the program";
    case Button::Undo: return "Undo";
    case Button::Quit: return "Quit";
  }
  return "";
}

const char* CliEn(CliText t) {
  switch (t) {
    case CliText::TwinscanUsage:
      return "usage: twinscan-cli [--similar] [--groups] [--keep RULE] [--extract [--dry-run]] FOLDER\n"
             "       twinscan-cli --undo FOLDER | --undo-list FOLDER\n";
    case CliText::TwinscanHelp:
      return "Lists the files of FOLDER and groups the byte-identical ones; prints one line per file:\n"
             "file, folda, filename, size, sameno, firstfile, separated by tabs.\n"
             "  --similar   also group the same pictures saved again (resized, re-encoded, turned,\n"
             "              slightly cropped) and print one line per file of a group instead of the\n"
             "              table: group, keep or copy, name, size, width x height, hash distance,\n"
             "              correlation, common area %; with --extract their copies move too\n"
             "  --groups    print one group a line instead: its names, the kept one first\n"
             "  --keep RULE which file of a group stays: original (the default: a name without a copy\n"
             "              marker such as \" (1)\" or \" - Copy\"; for the same pictures then more pixels;\n"
             "              then the larger file, the older, the shorter name), oldest (the oldest\n"
             "              date taken or modification time first), largest (the largest file first)\n"
             "              or pixels (the most pixels first)\n"
             "  --extract   move every surplus copy into a new same... folder inside FOLDER\n"
             "  --dry-run   with --extract: say what would be moved, change nothing\n"
             "  --undo FOLDER       take back the last extraction of FOLDER: each copy returns while it\n"
             "                      is still the file that was moved and its name is free; prints\n"
             "                      \"back N\" and one line per file left, with why\n"
             "  --undo-list FOLDER  the extractions of FOLDER that can still be taken back\n"
             "  --lang ja|en        the language of messages (default: Japanese for a Japanese locale\n"
             "                      in LC_ALL, LC_MESSAGES or LANG, else English)\n"
             "Journals are kept in $XDG_STATE_HOME/twinscan/journals (or ~/.local/state/...), the last\n"
             "50 runs per folder.\n"
             "In every field printed, a tab, a line feed and a backslash are written as \\t, \\n and \\\\.\n"
             "Exit status: 0 done; 1 a copy could not be moved, or another run is moving files of FOLDER\n"
             "(nothing is moved then); 2 bad arguments, or FOLDER cannot be read as a folder.\n";
  }
  return "";
}

}  // namespace

const Vocabulary kEnglish{SaidEn, PieceEn, ButtonEn, CliEn};

}  // namespace pictray::texts
