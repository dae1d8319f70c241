// Moving one file without ever replacing a different one. Paths are relative
// to directory descriptors, so a run resolves its source folder once.
#pragma once

#include <sys/stat.h>

#include <string>
#include <string_view>

#include "engine/fs/env.h"

namespace pictray {

enum class MoveOutcome {
  Moved,               // the file is at the destination and gone from the source
  SameReplaced,        // a byte-identical file held the name; the source took its place
  DifferentFileThere,  // another file, folder or link holds the name; nothing changed
  SourceMissing,
  SourceIsFolder,
  SourceChanged,       // it changed while being moved; left where it was
  Failed,              // see err; the source is where it was
};

struct MoveStatus {
  MoveOutcome outcome = MoveOutcome::Failed;
  int err = 0;  // errno for Failed
  struct stat replaced {};  // SameReplaced: the look at the file that held the name
  std::string keptAs;       // SameReplaced: a hidden name that still holds it (see MoveOptions)
  // Moved as a copy (renaming was refused, as across file systems or bind
  // mounts of one): the file at the destination is a new inode.
  bool copied = false;
  bool ok() const { return outcome == MoveOutcome::Moved || outcome == MoveOutcome::SameReplaced; }
};

struct MoveOptions {
  bool replaceSame = true;    // a byte-identical file at the destination may be replaced
  bool acrossDevices = true;  // on EXDEV copy, flush, verify, then remove the source
  // A replaced file that has other names (hard links) keeps its name too,
  // as a hidden temporary name beside it, so that its links can come back.
  bool keepLinkedReplaced = false;
};

// Moves srcDir/src to dstDir/dst; dst may hold a folder part ("target/name").
MoveStatus MoveNoReplace(const fs::Env& env, int srcDir, const std::string& src, int dstDir, const std::string& dst,
                         const MoveOptions& options);

// MoveNoReplace of a file the caller has just examined (lstat, `s0`): one
// look fewer per file for runs that look at each file anyway.
MoveStatus MoveExaminedNoReplace(const fs::Env& env, int srcDir, const std::string& src, const struct stat& s0, int dstDir,
                                 const std::string& dst, const MoveOptions& options);

// Copies the regular file srcDir/src that the caller has just examined
// (`s0`) to the new name dstDir/dst with its mode and times, as a move
// across file systems copies (a hidden copy, flushed, then named without
// replacing anything), and leaves the source: Moved or why not.
MoveStatus CopyNoReplace(const fs::Env& env, int srcDir, const std::string& src, const struct stat& s0, int dstDir,
                         const std::string& dst);

// Rename that fails with EEXIST instead of replacing; where the file system
// has no such rename, link and unlink do the same. Returns 0 or an errno.
int RenameNoReplace(const fs::Env& env, int fromDir, const std::string& from, int toDir, const std::string& to);

// Copies everything from `in` to `out` from where each stands; returns the
// bytes copied or -errno.
long long CopyFileData(const fs::Env& env, int in, int out);
// Copies src to a new file dst, never replacing an existing dst. Returns 0
// or an errno (EEXIST when dst is taken); a failed copy leaves no dst.
int CopyToNewFile(const fs::Env& env, const std::string& src, const std::string& dst);

// A move's temporary copy (".pictray-move-PID-..."): hidden, never listed.
bool IsMoveTempName(std::string_view name);
// Removes the temporary copies in the folder `dirFd` whose process is gone
// (left by a move that was killed); those of running processes stay.
// Returns how many were removed.
int RemoveStaleMoveTemps(const fs::Env& env, int dirFd);

// True when the two open files hold the same bytes from where they stand to
// their ends (a read error counts as a difference).
bool SameBytes(const fs::Env& env, int fdA, int fdB);

// True when both are regular files with the same bytes (links not followed).
bool SameContent(const fs::Env& env, int dirA, const std::string& a, int dirB, const std::string& b);

}  // namespace pictray
