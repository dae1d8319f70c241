// The move run's journal records: moves announced a batch ahead, and where
// a moved file is now.
#pragma once

#include <sys/stat.h>

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "engine/fs/file_identity.h"
#include "engine/fs/safe_move.h"
#include "engine/journal/journal.h"
#include "engine/list/file_list.h"
#include "engine/move/sidecars.h"

namespace pictray {

// Moves go into the journal a batch ahead: one write announces the moves of
// the next rows, each with the file's look, before any of them is made, so
// the journal costs one write per batch rather than per file. The look is
// also the one the move itself starts from.
class MoveAnnouncer {
 public:
  static constexpr std::size_t kAhead = 256;

  // A sidecar announced with its picture; id -1: it could not be looked at (err).
  struct Sidecar {
    std::size_t row = 0;
    std::string name;
    long id = -1;
    int err = 0;
    struct stat before {};
  };

  struct Move {
    long id = -1;  // -1: the file could not be looked at (err)
    int err = 0;
    struct stat before {};
    std::vector<Sidecar> sidecars{};
  };

  // Sidecars are announced with their pictures, never on their own.
  MoveAnnouncer(const FileList& rows, const SidecarPlan& sidecars, int sourceFd, JournalWriter& journal,
                long& nextEntry)
      : rows_(rows), sidecars_(sidecars), sourceFd_(sourceFd), journal_(journal), nextEntry_(nextEntry) {}

  // The announced move of row `i`, announcing the next batch first when `i`
  // is past the last one. Returns 0 or the errno of writing the journal.
  int Take(std::size_t i, Move& move);

  // Moves announced and then not made (a folder that could not be made,
  // the run stopped) are marked as not made.
  void Withdraw();
  // The same for the sidecars of a taken move whose picture stays.
  void Withdraw(const std::vector<Sidecar>& sidecars);

 private:
  int Announce(std::size_t from);
  void AnnounceSidecars(const Row& picture, std::size_t row, std::vector<Sidecar>& out);

  const FileList& rows_;
  const SidecarPlan& sidecars_;
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
