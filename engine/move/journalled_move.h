// The frame of every run that moves files of one folder so that they can be
// taken back: the folder's lock, its journal, the copies half-made by a
// killed run cleared, each file announced, moved and marked by the run's own
// steps, the folders it made for files that never came removed again, the
// journal closed. Pictray's move and Twinscan's extraction differ only in
// their steps.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/fs/env.h"
#include "engine/journal/journal.h"

namespace pictray {

// What a run's steps work in: the source folder, the journal, the folders
// the run made.
class MoveFrame {
 public:
  MoveFrame(JournalWriter& journal, int folderFd, int folderError, std::vector<int> moreRootFds = {})
      : journal_(journal), fd_(folderFd), folderError_(folderError), rootFds_{folderFd} {
    rootFds_.insert(rootFds_.end(), moreRootFds.begin(), moreRootFds.end());
  }

  const fs::Env& env() const { return journal_.env(); }
  // The source folder, or -1 with the errno of opening it in folderError.
  int fd() const { return fd_; }
  // Root `root` of a run over several (MoveSetup::moreFolders); 0 is fd().
  int fd(std::uint32_t root) const { return rootFds_[root]; }
  int folderError() const { return folderError_; }
  JournalWriter& journal() { return journal_; }
  // The id of the journal's next entry.
  long& nextEntry() { return nextEntry_; }

  // Makes `rel` (inside the source folder) between the journal records of
  // entry `id`; it goes again at the end unless a file arrived in it.
  // Returns 0, the errno of mkdir, or that of a record that could not be
  // written (the run stops).
  int MakeFolder(long id, const std::string& rel, std::uint32_t root = 0);
  // A file arrived in `rel`: it and the folders made above it stay.
  void Arrived(const std::string& rel, std::uint32_t root = 0);
  // A record could not be written: no further file is taken up.
  void JournalFailed(int err);
  int journalError() const { return journalError_; }

  // Removes the folders made that nothing arrived in, the deepest first;
  // those of root `root` that stay (something arrived, or removal failed)
  // are returned.
  std::vector<std::string> RemoveUnused(std::uint32_t root = 0);

 private:
  struct Made {
    std::string rel;
    std::uint32_t root = 0;
    bool used = false;
    bool removed = false;
  };
  JournalWriter& journal_;
  int fd_;
  int folderError_;
  long nextEntry_ = 0;
  int journalError_ = 0;
  std::vector<int> rootFds_;
  std::vector<Made> made_;
};

// Why the loop over a run's files ended.
enum class MoveStop { Done, Aborted, Journal };

// What one kind of run gives the frame: which files go where, what is
// announced, how a failure is told.
class MoveSteps {
 public:
  virtual ~MoveSteps() = default;
  // Once the folder and the journal are there, before the first file.
  virtual void Begin(MoveFrame& /*frame*/) {}
  // The number of items the loop visits, asked before each.
  virtual std::size_t Count() const = 0;
  virtual bool Aborted() const = 0;
  // Announces, moves and marks item `i`; false when a journal record that
  // failed stopped the run before the item was taken up.
  virtual bool Take(std::size_t i, MoveFrame& frame) = 0;
  // The loop ended before item `at` (Count() when it went through):
  // announcements not acted on are withdrawn, the files a stopped journal
  // left are named.
  virtual void Stopped(std::size_t at, MoveStop why, MoveFrame& frame) = 0;
};

struct MoveSetup {
  std::string folder, journalDir;
  // The other roots of a run over several folders (an ExtractTree): each
  // locked and opened as `folder` is, and named in the journal.
  std::vector<std::string> moreFolders{};
  JournalRunKind kind = JournalRunKind::Move;
  // Nothing locked, journalled or changed: the steps tell what would move.
  bool dryRun = false;
  // A folder that cannot be locked or opened refuses the run; without it,
  // only another run's lock does and the steps name the files left.
  bool folderNeeded = true;
};

struct MoveEnd {
  // 0, or why nothing was done: EWOULDBLOCK while another run moves files of
  // the folder, else (when the folder is needed) the errno of locking or
  // opening it.
  int refusal = 0;
  bool ran = false;  // the steps were taken
  bool aborted = false;
  // The journal could not be made (nothing was moved) or written (the run
  // stopped there): its errno and path.
  int journalError = 0;
  std::string journalPath;
  std::vector<std::string> foldersKept;  // made by the run and still there (in `folder`)
  // The same for each of the other roots, by root (1: moreFolders[0]).
  std::vector<std::vector<std::string>> foldersKeptOf;
};

// Runs `steps` in the frame over setup.folder.
MoveEnd RunJournalledMove(const fs::Env& env, const MoveSetup& setup, MoveSteps& steps);

}  // namespace pictray
