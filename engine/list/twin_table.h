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
  // Listed under a reference root (--reference): a protected library's
  // file, never moved, kept first in every group it is in.
  bool reference = false;
};

// One folder a search starts from (a root of FileRec::root).
struct ListRoot {
  std::string folder;
  bool reference = false;  // a protected library's (FileRec::reference)
};

// The first thing that decides which of a set of copies stays (the rest
// of the rule follows it: engine/dupes/keep_rule.h).
enum class KeepFirst {
  Original,  // a name without a copy marker
  Oldest,    // the oldest modification time
  Largest,   // the largest file
  MostPixels,  // the picture with the most pixels
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
  // the same picture, and a sidecar that went with a copy, are still the
  // files moved (and that copy's kept file still as grouped).
  enum class Kind { Copy, SimilarCopy, Sidecar };
  std::string to, keptPath;
  // Taken after the move: the rename itself sets the change time.
  FileIdentity identity;
  Kind kind = Kind::Copy;
  FileIdentity keptIdentity;  // SimilarCopy only
};

}  // namespace pictray::dupes
