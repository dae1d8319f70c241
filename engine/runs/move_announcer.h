// The move run's journal records: moves announced a batch ahead, and where
// a moved file is now.
#pragma once

#include <sys/stat.h>

#include <cstddef>
#include <map>
#include <optional>
#include <string>

#include "engine/fs/file_identity.h"
#include "engine/fs/safe_move.h"
#include "engine/journal/journal.h"
#include "engine/list/file_list.h"

namespace pictray {

// Moves go into the journal a batch ahead: one write announces the moves of
// the next rows, each with the file's look, before any of them is made, so
// the journal costs one write per batch rather than per file. The look is
// also the one the move itself starts from.
class MoveAnnouncer {
 public:
  static constexpr std::size_t kAhead = 256;

  struct Move {
    long id = -1;  // -1: the file could not be looked at (err)
    int err = 0;
    struct stat before {};
  };

  MoveAnnouncer(const FileList& rows, int sourceFd, JournalWriter& journal, long& nextEntry)
      : rows_(rows), sourceFd_(sourceFd), journal_(journal), nextEntry_(nextEntry) {}

  // The announced move of row `i`, announcing the next batch first when `i`
  // is past the last one. Returns 0 or the errno of writing the journal.
  int Take(std::size_t i, Move& move);

  // Moves announced and then not made (a folder that could not be made,
  // the run stopped) are marked as not made.
  void Withdraw();

 private:
  int Announce(std::size_t from);

  const FileList& rows_;
  int sourceFd_;
  JournalWriter& journal_;
  long& nextEntry_;
  std::size_t announcedTo_ = 0;
  std::map<std::size_t, Move> ahead_;
};

// Where a moved file is now, as the journal keeps it. A rename keeps all
// but the change time, which it sets no later than now; across file systems
// a byte-identical file there stays as it was; a copy (renaming refused, as
// across file systems or bind mounts) is a new file, looked at. Nothing when
// that look fails: the entry stays unmarked, and the undo judges it on the disk.
std::optional<FileIdentity> StampAfterMove(const fs::Env& env, int sourceFd, const std::string& to,
                                           const struct stat& before, const MoveStatus& moved);

}  // namespace pictray
