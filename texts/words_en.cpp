#include "engine/run/command_ids.h"
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
    case Said::RgbAborted: return "RGB analysis aborted";
    case Said::RgbNoMemory: return "failed to load";
    case Said::RatioEnd: return "RGB ratio analysis finished";
    case Said::RatioAborted: return "RGB ratio analysis aborted";
    case Said::StrengthEnd: return "Analysis finished";
    case Said::StrengthAborted: return "RGB component strength analysis aborted";
    case Said::SharpnessEnd: return "Sharpness analysis finished";
    case Said::SharpnessAborted: return "Sharpness analysis aborted";
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
    case Said::DecisionsHidden: return "%d groups and %d files hidden by earlier decisions (--forget-decisions shows them again)";
    case Said::DecisionsForgotten: return "%d decisions forgotten";
    case Said::DecisionsNotKept: return "%d decisions could not be kept: %s (%e)";
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
    case Said::ExtractLeftReference: return "a reference file is never moved";
    case Said::ExtractLeftInExtractionFolder: return "left in the extraction folder: %e";
    case Said::Extracted: return "Extracted";
    case Said::NothingExtracted: return "No files extracted";
    case Said::ExtractedInto: return "Created the folder [%s] and extracted into it";
    case Said::ExtractDryRunEnd: return "Dry run, nothing moved; it would extract";
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
    case Said::KeepRuleEmpty: return "The keep rule is empty";
    case Said::KeepRuleUnknownWord:
      return "The keep rule has an unknown word: \"%s\" (known: reference, companions, original, camera, "
             "pixels, size or largest, format, date or oldest, name, folder:PATH)";
    case Said::KeepRuleRepeated: return "The keep rule names \"%s\" twice";
    case Said::KeepRuleReferenceNotFirst: return "The keep rule must begin with \"reference\" or leave it out";
    case Said::SimilarSkipped: return "The search for the same pictures left out %d pictures";
    case Said::SimilarSkippedUnreadable: return "cannot be read: %s";
    case Said::SimilarSkippedTooLarge: return "too large to draw: %s";
    case Said::SimilarSkippedFormat: return "of a format it does not draw: %s";
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
    case Piece::ExtractMoved: return ": %d files, %s";
    case Piece::SizeBytes: return "%d bytes";
    case Piece::SizeUnits: return "%s %s";
    case Piece::WhyReference: return "in a reference folder";
    case Piece::WhyLiveVideo: return "has its Live Photo video";
    case Piece::WhyOriginal: return "no copy marker";
    case Piece::WhyCamera: return "camera original";
    case Piece::WhyPixels: return "more pixels %dx%d > %dx%d";
    case Piece::WhySize: return "larger file %s > %s";
    case Piece::WhyFormat: return "format %s before %s";
    case Piece::WhyDate: return "older %s < %s";
    case Piece::WhyDateTaken: return "taken %s";
    case Piece::WhyDateModified: return "modified %s";
    case Piece::WhyShorterName: return "shorter name %d < %d bytes";
    case Piece::WhyNameOrder: return "first name in order";
    case Piece::WhyFolder: return "in the preferred folder %s";
    case Piece::WhyAnyFolder: return "in a preferred folder";
    case Piece::WhyChosen: return "chosen";
    case Piece::WhySame: return "no difference";
    case Piece::KindRaw: return "RAW";
    case Piece::KindLossless: return "PNG/TIFF/BMP";
    case Piece::KindHeif: return "HEIF";
    case Piece::KindJpeg: return "JPEG";
    case Piece::KindWebP: return "WebP";
    case Piece::KindOther: return "other";
    case Piece::ProgressListing: return "listing";
    case Piece::ProgressKeying: return "keying";
    case Piece::ProgressGrouping: return "grouping";
    case Piece::ProgressMeasuring: return "measuring";
    case Piece::ProgressComparing: return "comparing";
    case Piece::ProgressExtracting: return "extracting";
    case Piece::ProgressCount: return " %d/%d";
    case Piece::ProgressLeft: return ", %s left";
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
      return "usage: twinscan-cli [--similar] [--groups | --json | --csv] [--keep RULE] [--quiet]\n"
             "                    [--extract [--dry-run]] [-r] [--reference LIBRARY]... FOLDER...\n"
             "       twinscan-cli --undo FOLDER | --undo-list FOLDER | --forget-decisions\n";
    case CliText::TwinscanHelp:
      return "Lists the files of FOLDER and groups the byte-identical ones; prints one line per file:\n"
             "file, folda, filename, size, sameno, firstfile, separated by tabs.\n"
             "A sidecar (.xmp, .aae, .thm, or a picture's whole name + .xmp) and a picture's Live Photo\n"
             "video (a MOV/MP4 of its name) are never grouped on their own: they go with their picture.\n"
             "  --similar   also group the same pictures saved again (resized, re-encoded, turned,\n"
             "              slightly cropped) and print one line per file of a group instead of the\n"
             "              table: group, keep or copy, name, size, width x height, hash distance,\n"
             "              correlation, common area %, and on the kept file's line why it stays;\n"
             "              with --extract their copies move too\n"
             "  --groups    print one group a line instead: its names, the kept one first\n"
             "  --json      print the groups as one JSON document instead: each member's path, name,\n"
             "              size, width, height, format, date taken, role (keep or copy), companions\n"
             "              and likeness (identical, distance, correlation, common area %), each\n"
             "              group's why_kept (criterion, words, the values compared); with --extract\n"
             "              also what moved. A name that is not UTF-8 has each such byte as U+FFFD\n"
             "              and its exact bytes in hex in a second field (path_hex, name_hex)\n"
             "  --csv       print the groups as CSV (RFC 4180, lines ending in CR LF) instead:\n"
             "              group, role, path, name, size, width, height, format, date_taken,\n"
             "              identical, distance, correlation, common_area_percent, why_criterion,\n"
             "              why_kept; names as their bytes\n"
             "  --keep RULE  which file of a group stays: a comma list of criteria, the first that\n"
             "              tells two files apart decides; those not named follow in the default\n"
             "              order reference,companions,original,camera,pixels,size,format,date,name:\n"
             "                reference   files of reference folders first (always first)\n"
             "                companions  a picture with its Live Photo video (sidecars go along with\n"
             "                            their picture but do not rank)\n"
             "                original    a name without a copy marker such as \" (1)\" or \" - Copy\"\n"
             "                camera      a camera original: HEIC or JPEG whose Exif names the camera\n"
             "                            (make or model) and the date taken\n"
             "                pixels      more pixels\n"
             "                size        (or largest) the larger file\n"
             "                format      RAW, PNG/TIFF/BMP, HEIF, JPEG, WebP in this order\n"
             "                date        (or oldest) the older date taken, else modification time\n"
             "                name        the shorter name, then name order\n"
             "                folder:PATH  files in PATH first (may be given more than once)\n"
             "              The presets: original (the default), oldest, largest, pixels, each the\n"
             "              list of that one word. A bad list is an error (exit status 2)\n"
             "  --extract   move every surplus copy, with its companions, into a new same... folder\n"
             "              inside FOLDER, and say how many files moved and their size\n"
             "  --dry-run   with --extract: say what would be moved, change nothing\n"
             "  -r          also the subfolders of each FOLDER (not hidden ones, not same... folders,\n"
             "              not linked ones; a folder met twice once); names are printed with their path\n"
             "              relative to their FOLDER, and each copy moves into the same... folder of its\n"
             "              own FOLDER, keeping that path, all in one journal (--undo the first FOLDER)\n"
             "  --reference LIBRARY  a protected library (may be given several times, with -r its\n"
             "              subfolders too): its files are never moved, stay first in every group they\n"
             "              are in, and groups of its files alone are not printed\n"
             "  --forget-decisions  forget the review's decisions (\"not the same\", \"leave out group\"),\n"
             "              kept by content in $XDG_STATE_HOME/twinscan/decisions; groups and files they\n"
             "              left out are otherwise not printed nor moved, and their count is said\n"
             "  --quiet     no progress line and no word of what moved on standard error\n"
             "  --undo FOLDER       take back the last extraction of FOLDER: each copy returns while it\n"
             "                      is still the file that was moved and its name is free; prints\n"
             "                      \"back N\" and one line per file left, with why\n"
             "  --undo-list FOLDER  the extractions of FOLDER that can still be taken back\n"
             "  --lang ja|en        the language of messages (default: Japanese for a Japanese locale\n"
             "                      in LC_ALL, LC_MESSAGES or LANG, else English)\n"
             "When standard error is a terminal it shows the step (listing, keying, grouping, measuring,\n"
             "comparing, extracting), its count and the time left where the total is known.\n"
             "Journals are kept in $XDG_STATE_HOME/twinscan/journals (or ~/.local/state/...), the last\n"
             "50 runs per folder.\n"
             "In every field printed (JSON and CSV aside), a tab, a line feed and a backslash are written as\n"
             "\\t, \\n and \\\\.\n"
             "Exit status: 0 done; 1 a copy could not be moved, or another run is moving files of FOLDER\n"
             "(nothing is moved then); 2 bad arguments (a bad --keep list among them), or FOLDER cannot be\n"
             "read as a folder.\n";
    case CliText::PictrayUsage:
      return "usage: pictray-cli [--ini FILE] [--select LIST] [--answer clear|keep] FOLDER [STEP ...]"
             " | [--ini FILE] --undo FOLDER | --undo-list FOLDER";
    case CliText::PictrayHelpHead:
      return "Lists FOLDER as Pictray's list-up does, applies each STEP in order, and prints one\n"
             "line per file: name, target, kind, notes, separated by tabs. A tab, a line feed or a\n"
             "backslash inside a field is written as \\t, \\n or \\\\.\n"
             "\n"
             "  --ini FILE       settings file (default: Pictray.ini beside the program, or in\n"
             "                   ~/.config/pictray once installed)\n"
             "  --select LIST    analyses run during list-up: ";
    case CliText::PictrayHelpOptions:
      return "  --answer clear|keep  the answer to every question (default keep)\n"
             "  --lang ja|en     the language of messages (default: Japanese for a Japanese\n"
             "                   locale in LC_ALL, LC_MESSAGES or LANG, else English)\n";
    case CliText::PictrayHelpSteps: return "Steps, done in the order given:\n";
    case CliText::PictrayHelpTail:
      return "The steps that read colours take their settings from the settings file and need the\n"
             "program's libthumbkit.so.\n"
             "\n"
             "exif labels by ExifSel of the settings file: the date modified (DateTime) 1 date,\n"
             "2 hour, 3 10 minutes, 4 minute, 11 second, 14 year-month, 15 year; 5 model;\n"
             "6 software; the date taken (DateTimeOriginal) 7 date, 8 hour, 9 10 minutes,\n"
             "10 minute, 12 second, 16 year-month, 17 year; as nested folders the date taken\n"
             "18 year/month (2023/06), 19 year/month/day, the date modified 20 year/month,\n"
             "21 year/month/day. Then the Exif block's byte order \"(II)\"/\"(MM)\", left off by\n"
             "ExifOrderTag=0. A file without an Exif date takes the date its name holds with\n"
             "NameDate=1 (IMG_20230614_101112.jpg), else its modification time with FileDate=1;\n"
             "its notes then say NameDate or FileDate.\n"
             "exif, size and ng read JPEG and, unless AllFormats=0 in the settings file, also\n"
             "HEIC/HEIF, AVIF, CR2, CR3, CRW, NEF, NRW, ARW, SR2, DNG, ORF, RW2, RAF, PEF, SRW, MRW,\n"
             "TIFF, PNG, WebP and the videos MOV, MP4, M4V, 3GP, told by content (date, model,\n"
             "software; the full image's size as stored; NG for a file that cannot be read whole,\n"
             "and for one named as such a format that is none). With AllFormats=0 a file of these\n"
             "formats is analysed as a JPEG: no Exif or size label, NG.\n"
             "\n"
             "  --undo FOLDER       take back the last move run of FOLDER that is not taken back yet:\n"
             "                      each file returns while it is still the file that was moved and\n"
             "                      its first name is free; prints one line per file left, with why.\n"
             "                      A run whose files an undo left is passed over for older runs, and\n"
             "                      tried again once they are back\n"
             "  --undo-list FOLDER  the move runs of FOLDER that can still be taken back, newest first:\n"
             "                      time, kind, files to take back, journal; under each, the files its\n"
             "                      last undo left, as --undo prints them\n"
             "Journals are kept in $XDG_STATE_HOME/pictray/journals (or ~/.local/state/...), the last\n"
             "50 runs per folder.\n"
             "\n"
             "Exit status: 0 done; 1 a step, the move or the undo failed or left files, or another run holds the\n"
             "folder; 2 bad arguments or a step that is not available.\n";
  }
  return "";
}

const char* StepEn(int command) {
  switch (command) {
    case cmd::CharClass:
      return "PATTERN\tnames that fit PATTERN get the folder it makes of them (# or % a digit,\n"
             "$ or * a letter, ? any character; %, * and ? copy the name's own)";
    case cmd::PhraseClass: return "TEXT\tnames that hold TEXT get TEXT as their folder";
    case cmd::ExtClass: return "\tthe folder of the extension (a .jpg file goes to jpg)";
    case cmd::Exif: return "\tthe Exif date, camera model or software, as ExifSel chooses (below)";
    case cmd::Info: return "\tthe format mark at the start of the file (JFIF, Exif and so on)";
    case cmd::HeaderCheck:
      return "\twhether the file starts as a JPEG should and holds Exif (NoJPEG, NoExif\nand so on)";
    case cmd::SizeAnalysis: return "\tthe picture's width and height (like 640X480)";
    case cmd::NgAnalysis: return "\tNG for a file that cannot be read whole (the checks: the settings file)";
    case cmd::RgbAnalysis:
      return "CELLS\tthe most frequent colour of the chosen cells of a grid over the picture\n"
             "(like 128_064_000); CELLS is a comma list of cells 1..PartX*PartX, or all";
    case cmd::RgbRatio: return "\tthe shares of rough colour families";
    case cmd::RgbStrength: return "\tthe strength of one of red, green and blue; the colour in the notes";
    case cmd::Sharpness: return "\thow sharp the picture is: sharp, soft or blurred";
    case cmd::AllColour:
      return "LISTFILE\tthe colours of a list file such as RGB.txt, one RRR:GGG:BBB a line, in the\n"
             "whole picture (AllColorMode, MatchPer and samcount from the settings file)";
    case cmd::PartColour: return "LISTFILE@CELLS\tthe same in the chosen cells (PartColorMode)";
    case cmd::MoveStart:
      return "\tmove the files into their target folders; the result lines and every file\n"
             "left in place go to standard error";
    case cmd::ClearAnalyses: return "\tclear every file's target";
  }
  return "";
}

}  // namespace

const Vocabulary kEnglish{SaidEn, PieceEn, ButtonEn, CliEn, StepEn};

}  // namespace pictray::texts
