// Twinscan's rows: the file table behind LV01, the lines of the result list
// LV02 and the copies an extraction moved. They sit in the list layer, below
// the host interface that carries them to a window; the dupes module fills
// them, hence their namespace.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/fs/file_identity.h"

namespace pictray::dupes {

using pictray::FileIdentity;

// One listed file. The eight text fields are the columns of LV01.
struct FileRec {
  std::string file;       // name without its extension
  std::string folda;      // "---", or the surplus folder name ("..._same")
  // name as the file system gives it (bytes); in a search of subfolders or
  // of several folders, its path relative to its root ("DCIM/100/a.jpg")
  std::string filename;
  std::string path;       // root folder + "/" + filename: always a full path
  std::string size;       // decimal, 64-bit
  std::string sameno;     // place in its run: "0" kept, "1", "2"... copies
  std::string firstfile;  // `file` of the kept file (copies only)
  std::string samekey;    // signature; after SetSizeWork size + signature

  // Not shown: what grouping and a move later check against.
  FileIdentity identity;
  // Only regular files take part in grouping; symbolic links and special
  // files are listed and left alone.
  bool groupable = false;
  bool linkToFile = false;  // its key is read through the link, for the table only
  // Listed under a reference root (--reference): a protected library's
  // file, never moved, kept first in every group it is in (the keep rule's
  // "reference").
  bool reference = false;
  // What goes with this picture wherever it goes (Companion bits, set by the
  // listing): its Live Photo video, its sidecars.
  std::uint8_t companions = 0;
  // A companion of a picture listed beside it (a sidecar, a Live Photo
  // video): never grouped on its own, it goes with its picture or stays.
  bool companion = false;
  std::string keptPath;  // path of the kept file of its run (copies only)
  // The kept file as it was when grouping found this copy byte-identical
  // to it (copies only).
  FileIdentity keptIdentity;
  // A copy that is the same picture as its kept file, not the same bytes:
  // the extraction then checks that both are still as listed instead.
  bool similarCopy = false;
  // Files of one listing with the same nonzero class held the same bytes,
  // compared when they were keyed, each still as listed right after its
  // read; 0 when not compared.
  std::uint32_t contentClass = 0;
  // Which of the search's roots it was listed under (0 for one folder).
  std::uint32_t root = 0;
};

// One folder a search starts from (a root of FileRec::root).
struct ListRoot {
  std::string folder;
  bool reference = false;  // a protected library's (FileRec::reference)
};

// FileRec::companions.
enum Companion : std::uint8_t {
  kLiveVideo = 1,  // a movie of the picture's name stem (MOV/MP4 by content)
  kSidecars = 2,   // .xmp/.aae/.thm of its stem, or its whole name + .xmp
};

// One criterion of the keep rule (engine/dupes/keep_rule.h), and what a
// group's reason for its kept file names.
enum class KeepCriterion : std::uint8_t {
  Reference,   // in a reference folder
  Companions,  // has its Live Photo video (sidecars go along but do not rank)
  Original,    // a name without a copy marker
  Camera,      // a camera original: a HEIF or JPEG still whose Exif names the camera and the date taken
  Pixels,      // more pixels
  Size,        // the larger file
  Format,      // the format first in PictureKind's order
  Date,        // the older best date: the date taken, else the modification time
  Name,        // the shorter name, then the bytes of the names (then of the paths)
  Folder,      // in the rule's folder (folder:PATH)
  Chosen,      // (reasons only) the review chose it
  None,        // (reasons only) nothing told the files apart
};

struct KeepStep {
  KeepCriterion criterion = KeepCriterion::Name;
  std::string folder;  // Folder only: the folder, without a trailing "/"
  bool operator==(const KeepStep&) const = default;
};

// Which file of a set of copies stays: the steps in order, the first that
// tells two files apart decides. Every criterion but Folder appears once.
struct KeepRule {
  std::vector<KeepStep> steps;
  bool operator==(const KeepRule&) const = default;
};
// reference,companions,original,camera,pixels,size,format,date,name
KeepRule DefaultKeepRule();

// Why a keep rule's text is refused (engine/dupes/keep_rule.h).
enum class KeepRuleError : std::uint8_t {
  None,
  Empty,              // no word at all
  UnknownWord,        // the word is no criterion (nor "folder:" with a path)
  Repeated,           // the word names a criterion given before
  ReferenceNotFirst,  // "reference" comes first or not at all
};

inline constexpr int kColumns = 8;
// Text of LV01 column 0..7.
const std::string& Cell(const FileRec& r, int column);

// One line of the result list LV02: one surplus folder.
struct SameResultLine {
  std::string folda;      // surplus folder name
  int count = 0;          // files moved into it
  std::string firstFile;  // filename of the first file moved into it
  std::string path;       // full path of the surplus folder
  std::string mode;       // "new" when it was created, "add" when it existed
  bool operator==(const SameResultLine&) const = default;
};

// A copy an extraction moved, as a later deletion checks it.
struct MovedFile {
  // What a deletion checks: a copy holds its kept file's bytes; a copy of
  // the same picture, and a companion (sidecar, Live Photo video) that went
  // with a copy, are still the files moved (and that copy's kept file still
  // as grouped).
  enum class Kind { Copy, SimilarCopy, Sidecar };
  std::string to, keptPath;
  // Taken after the move: the rename itself sets the change time.
  FileIdentity identity;
  Kind kind = Kind::Copy;
  FileIdentity keptIdentity;  // SimilarCopy only
};

}  // namespace pictray::dupes
