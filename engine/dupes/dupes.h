// Twinscan's file table: listing a folder, keying, sorting and grouping its
// files into runs of copies.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct stat;

namespace pictray::dupes {

// What says that a file is still the one that was examined: a same-size
// rewrite whose modification time was put back still moves the change time.
struct FileIdentity {
  std::uint64_t dev = 0, ino = 0, size = 0;
  std::int64_t mtimeNs = 0, ctimeNs = 0;
  bool operator==(const FileIdentity&) const = default;
};
FileIdentity IdentityOf(const struct stat& st);

// One listed file. The eight text fields are the columns of LV01.
struct FileRec {
  std::string file;       // name without its extension
  std::string folda;      // "---", or the surplus folder name ("..._same")
  std::string filename;   // name as the file system gives it (bytes)
  std::string path;       // folder + "/" + filename
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
};

inline constexpr int kColumns = 8;
// Text of LV01 column 0..7.
const std::string& Cell(const FileRec& r, int column);

// Content signature: the first 100 and last 100 bytes (all bytes below
// 100) as upper-case hex pairs; "" when the file cannot be read.
std::string GetFileBuffer(const std::string& path);

// Called after each listed file: how many directory entries are done, of
// how many.
using ListProgress = std::function<void(std::size_t listed, std::size_t total)>;

// Which files have their signature read.
enum class Keying {
  AllFiles,
  // Only files whose signature can change the sort or the groups: a file
  // whose size no other file shares, and whose size text is no prefix of
  // another's (nor has another as prefix), keeps an empty signature. The
  // order and the groups are the same as with AllFiles.
  WhereNeeded,
};

// Lists the files of `folder` (subfolders and a move's temporary files
// skipped) in the order the file system returns them. A path that is not a
// readable folder lists nothing and leaves its errno in `openError`.
std::vector<FileRec> SetListView(const std::string& folder, const ListProgress& progress,
                                 Keying keying = Keying::AllFiles, int* openError = nullptr);

// samekey = size text followed by the signature.
void SetSizeWork(std::vector<FileRec>& lpData);

// Byte-wise text comparison of the keys, negated when SortBit is 1.
int compSizeBuffa(const FileRec& a, const FileRec& b, int SortBit);

// Sorts by key; records with equal keys keep their listing order, so the
// file listed first is the one that stays.
void SortFileTable(std::vector<FileRec>& lpData, int SortBit);

// Splits every run of equal keys into sets of byte-identical files: the
// first file of each set stays, the later ones become its surplus copies.
// A file that is no longer as listed, or cannot be read, forms a set alone.
void SetFolda(std::vector<FileRec>& lpData);

// `name` without its last "." and what follows.
std::string RemoveExtension(const std::string& name);

}  // namespace pictray::dupes
