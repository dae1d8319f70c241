// The review's decisions that last: "not the same" (LeaveOut) and "leave out
// group" (LeaveOutGroup), remembered in the user's state folder by the
// files' content identity (size and SHA-256 of the bytes), never by their
// names, so that a renamed or moved file stays decided and a changed one
// does not. A later search hides what was decided; the window and
// twinscan-cli say how much, and can forget it all.
//
// The store is our own file: read as a regular file within kDecisionsReadLimit,
// each line one pair "N <size> <sha256> <size> <sha256>" (tab-separated,
// the smaller identity first), damaged lines passed over; written whole and
// atomically.
#pragma once

#include <array>
#include <compare>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "engine/dupes/dupes.h"
#include "engine/fs/env.h"
#include "engine/list/twin_groups.h"
#include "engine/list/twin_table.h"

namespace pictray::dupes {

inline constexpr std::size_t kDecisionsReadLimit = std::size_t{16} << 20;

// What a file holds, whatever its name: its size and SHA-256.
struct ContentId {
  std::int64_t size = 0;
  std::array<unsigned char, 32> hash{};
  auto operator<=>(const ContentId&) const = default;
  bool operator==(const ContentId&) const = default;
};

// The content identity of the listed file `r` while it is still as listed
// (read whole); nothing when it cannot be read or has changed.
std::optional<ContentId> ContentIdOf(const fs::Env& env, const FileRec& r);

// $XDG_STATE_HOME/<program>/decisions (beside the journals); "" when the
// Env knows no state folder.
std::string DecisionsPath(const fs::Env& env, const std::string& program);

class Decisions {
 public:
  // Reads the store at `path`: 0 (also when there is none yet), or why it
  // was refused (ReadRegularFile); damaged lines are passed over.
  int Load(const fs::Env& env, const std::string& path);
  // Writes the store whole, atomically (its folder made when missing).
  int Save(const fs::Env& env, const std::string& path) const;

  // The two contents are not the same picture (a content with itself: its
  // byte-identical copies are not to be grouped).
  void AddNotSame(const ContentId& a, const ContentId& b);
  bool NotSame(const ContentId& a, const ContentId& b) const;
  // Some decision names a content of this size: only such files are hashed.
  bool HasSize(std::int64_t size) const { return sizes_.count(size) != 0; }
  std::size_t size() const { return pairs_.size(); }
  bool empty() const { return pairs_.empty(); }
  std::size_t damaged() const { return damaged_; }

 private:
  std::set<std::pair<ContentId, ContentId>> pairs_;
  std::multiset<std::int64_t> sizes_;
  std::size_t damaged_ = 0;
};

// What earlier decisions hid from a search.
struct HiddenCount {
  std::size_t groups = 0;   // groups not shown at all
  std::size_t members = 0;  // files taken out of their group (those of hidden groups included)
  bool operator==(const HiddenCount&) const = default;
};

// Takes out of `groups` (over `lpData`) every member decided not the same as
// its group's kept file; a group left with one file is not shown. Only
// files of a size some decision names are read.
HiddenCount HideDecided(const fs::Env& env, const Decisions& decisions, const std::vector<FileRec>& lpData,
                        std::vector<TwinGroup>& groups, AbortFlag abort = nullptr);

// The review's choices remembered in the store at `path`, to be called with
// the group as it is before LeaveOut / LeaveOutGroup change it. Returns 0,
// ESTALE when a file is no longer as listed, or the errno of the store.
int RememberNotSame(const fs::Env& env, const std::string& path, const std::vector<FileRec>& lpData,
                    const TwinGroup& group, std::size_t member);
int RememberGroupLeftOut(const fs::Env& env, const std::string& path, const std::vector<FileRec>& lpData,
                         const TwinGroup& group);
struct Remembered {
  int error = 0;          // of the store: 0 when written (or nothing was to be)
  std::size_t stale = 0;  // decisions left out, as a file of theirs is no longer as listed
};
// The decisions remembered in the store at `path` in one reading and one
// writing, however many they are.
Remembered RememberDecisions(const fs::Env& env, const std::string& path, const std::vector<FileRec>& lpData,
                             const std::vector<ReviewDecision>& decisions);
// How many decisions the store holds (0 when it cannot be read).
std::size_t CountDecisions(const fs::Env& env, const std::string& path);
// Forgets every decision: the store goes. 0 also when there was none.
int ForgetDecisions(const fs::Env& env, const std::string& path);

}  // namespace pictray::dupes
