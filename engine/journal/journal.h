// The journal of a run that moves files: written before each move and marked
// right after it, one line per record, so that a run killed at any point
// still tells which files went where. Journals live in the user's state
// folder, one file per run, never inside the folders that were sorted.
//
// A line is tab-separated fields, then a tab and the line's checksum; tab,
// line feed and backslash inside a field are written as \t, \n and \\, every
// other byte as it is. A line that does not end in a line feed, or whose
// checksum does not match, is a record cut off by a kill and is ignored.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <climits>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/fs/env.h"
#include "engine/fs/file_identity.h"

namespace pictray {

// How many journals are kept per folder; older ones are removed when a new
// run begins.
inline constexpr std::size_t kJournalsKept = 50;
// The most a journal reader takes in: a run of two million files whose
// records (a move, its mark, a few undos) take 512 bytes each.
inline constexpr std::size_t kJournalReadLimit = std::size_t{2} << 20 << 9;
// The longest line a record can make: it holds at most two names of at
// most PATH_MAX bytes, each byte escaped into at most two, and a few
// numbers; twice that leaves room. A longer line is a damaged record.
inline constexpr std::size_t kJournalLineLimit = 2 * 2 * 2 * PATH_MAX;

// ExtractTree: an extraction over a tree or several folders (roots), whose
// names go as deep as the tree and whose records may name another root.
enum class JournalRunKind { Move, Extract, ExtractTree };

// How many folder levels a move's target may have (a date's "2023/06/14").
inline constexpr int kMaxMoveFolderDepth = 3;

// The real-time clock in nanoseconds since the epoch: a change time set by
// the kernel before this call is never later than it.
std::int64_t RealTimeNs(const fs::Env& env);

class JournalRecord;

// $XDG_STATE_HOME/<program>/journals, or ~/.local/state/<program>/journals;
// "" when the Env knows no state folder.
std::string JournalDir(const fs::Env& env, const std::string& program);

// Where a program keeps what it can make again: $XDG_CACHE_HOME/<program>,
// or ~/.cache/<program>; "" when the Env knows neither.
std::string CacheDir(const fs::Env& env, const std::string& program);

// The folder as journals name it: its real path when it resolves, else its
// absolute path; no trailing "/".
std::string JournalFolderKey(const fs::Env& env, const std::string& folder);

// Writes one run's journal. Records gather in memory until Flush (or a
// folder begun, or an undo begun, which flush at once); a caller flushes
// the moves it has announced before it makes any of them, so a batch of
// moves costs one write. A mark lost to a kill leaves its entry cut off in
// the middle, which the undo judges on the disk. A record that cannot be
// written is returned as an errno, and the caller then stops (a move
// without its record could not be taken back).
class JournalWriter {
 public:
  explicit JournalWriter(const fs::Env& env) : env_(env) {}
  ~JournalWriter();
  JournalWriter(const JournalWriter&) = delete;
  JournalWriter& operator=(const JournalWriter&) = delete;

  // Starts a new journal in `dir` (made when missing) for a run over
  // `folder` (root 0) and `moreRoots` (roots 1, 2, ...: an ExtractTree's).
  // Returns 0 or an errno.
  int Create(const std::string& dir, JournalRunKind kind, const std::string& folder,
             const std::vector<std::string>& moreRoots = {});
  // Opens an existing journal to add an undo's records to it.
  int Reopen(const std::string& path);
  const std::string& path() const { return path_; }
  const fs::Env& env() const { return env_; }

  // Before a folder is made (`rel`, relative to the run's folder or to the
  // root `root`), and after: `made` with the folder's stamp, or the errno
  // that stopped it.
  int FolderBegin(long id, const std::string& rel, std::uint32_t root = 0);
  // Before a file moves from `from` to `to` (relative to the same root),
  // with its stamp and mode; written by the next Flush.
  void MoveBegin(long id, const std::string& from, const std::string& to, const FileIdentity& before,
                 std::uint32_t mode = 0, std::uint32_t root = 0);
  // Once done: where it is now (the destination's stamp); `replaced` is the
  // look at the byte-identical file that held the destination name and was
  // replaced, whose mode and times the undo gives back, and `keptAs` the
  // hidden name (relative) that still holds it, if any.
  void Done(long id, const FileIdentity& now, const struct stat* replaced = nullptr, const std::string& keptAs = "");
  void Failed(long id, int err);

  // An undo's records: it begins, takes entry `id` back (before and after),
  // or leaves it for `reason`.
  int UndoBegin();
  void BackBegin(long id);  // written by the next Flush
  void Back(long id);
  void Left(long id, int reason);

  // Writes the records gathered so far. Returns 0 or an errno.
  int Flush();

  // Flushes the journal to disk and closes it; a journal of a run that did
  // nothing is removed, and once a new run's journal is kept the oldest of
  // its folder beyond kJournalsKept go. Returns 0 or an errno.
  int Close();

 private:
  void Add(const JournalRecord& record);  // to the records not yet written
  int Write(const JournalRecord& record);  // Add, then Flush
  const fs::Env& env_;
  int fd_ = -1;
  std::string pending_;
  std::string path_;
  std::string dir_, key_;  // of a journal made by Create
  bool didSomething_ = false;
};

// Makes the folder `rel` in `dirFd` between its two records. Returns 0 or
// the errno of mkdir (recorded as failed); `journalErr` is set when a record
// could not be written, and the folder is then not made.
int MakeFolderJournalled(JournalWriter& journal, long id, int dirFd, const std::string& rel, int& journalErr,
                         std::uint32_t root = 0);

// One entry of a run, with what the run and later undos did to it.
struct JournalEntry {
  enum class Kind { Folder, Move };
  enum class State { Pending, Done, Failed };  // Pending: the run stopped in the middle of it
  // Left: the last undo could not take it back; the next one tries again.
  enum class Undo { None, Pending, Back, Left };
  Kind kind = Kind::Move;
  long id = 0;
  std::string from, to;  // a folder's path is in `to`
  std::uint32_t root = 0;  // the root both are relative to (JournalRun::roots)
  FileIdentity before, after;
  std::uint32_t mode = 0;  // the moved file's permission bits; 0 in journals of older runs
  bool replaced = false;
  // The replaced file's mode and times, when the journal has them.
  bool replacedKnown = false;
  std::uint32_t replacedMode = 0;
  std::int64_t replacedAtimeNs = 0, replacedMtimeNs = 0;
  std::string replacedKeptAs;  // a hidden name of the replaced file, beside it
  // A name that leaves the run's folder or goes deeper than the run makes:
  // never acted on.
  bool unsafe = false;
  State state = State::Pending;
  Undo undo = Undo::None;
  int leftReason = 0;

  // Back, never made, or never to be acted on: no undo takes it up again.
  bool Settled() const;
};

struct JournalRun {
  std::string path;  // of the journal file
  JournalRunKind kind = JournalRunKind::Move;
  std::string folder;
  // Every root of the run, `folder` first; one for a run over one folder.
  std::vector<std::string> roots;
  std::int64_t timeNs = 0;  // when the run began, since the epoch
  std::vector<JournalEntry> entries;
  int undos = 0;              // undos begun on it
  std::size_t badLines = 0;   // records cut off or damaged, ignored
  bool valid = false;         // the first line is a journal's header

  // Moves that an undo may still take back (done, or cut off in the middle),
  // those an undo left included.
  std::size_t ToTakeBack() const;
  // Anything (a move or a folder) that is not back yet.
  bool Undoable() const;
};

// The records of a journal's bytes.
JournalRun ParseJournal(std::string_view bytes);
// Reads the journal at `path` (a regular file within kJournalReadLimit, a
// link not followed); false with errno set when it cannot be read.
bool ReadJournal(const fs::Env& env, const std::string& path, JournalRun& run);

// A journal that could not be read: its path and why (see ReadRegularFile).
using JournalRefused = std::function<void(const std::string& path, int err)>;

// The journals in `dir` of runs over `folder`, newest first, each read as
// it is visited, until `visit` returns false; those that cannot be read are
// passed over and told to `refused`.
void ForEachJournalOf(const fs::Env& env, const std::string& dir, const std::string& folder,
                      const std::function<bool(JournalRun&)>& visit, const JournalRefused& refused = {});
// All of them, newest first.
std::vector<JournalRun> JournalsOf(const fs::Env& env, const std::string& dir, const std::string& folder);

}  // namespace pictray
