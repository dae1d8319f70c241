// The groups of a table and the review's choices on them: which file stays,
// which files are left out, and the table's marks that the extraction moves
// by.
#pragma once

#include <cstddef>
#include <vector>

#include "engine/list/twin_groups.h"
#include "engine/list/twin_table.h"

namespace pictray::dupes {

// The sets of copies a grouped table (SetFolda) holds, each with its kept
// file first, in table order.
std::vector<TwinGroup> GroupsOfTable(const std::vector<FileRec>& lpData);

// Marks the table from `groups` (rows as in `lpData`): each kept file
// stays ("0", "---"), each other member becomes a copy of it; every row
// of no group stays where it is.
void MarkGroups(std::vector<FileRec>& lpData, const std::vector<TwinGroup>& groups);

// The review's choices. Member `member` of group `group` becomes the kept
// file (its reason then KeepCriterion::Chosen): the others' likeness is then theirs to it only when byte-identical
// to both, else as measured against the former kept file.
void MakeKept(std::vector<TwinGroup>& groups, std::size_t group, std::size_t member);
// Member `member` is not the same: it leaves its group, and a group left
// with one file is no group.
void LeaveOut(std::vector<TwinGroup>& groups, std::size_t group, std::size_t member);
// The whole group is not the same.
void LeaveOutGroup(std::vector<TwinGroup>& groups, std::size_t group);

// A protected library in groups found over `lpData`: a group that holds a
// reference file keeps the first of them, its other reference files leave
// it, and a group left with one file is no group. True when anything changed.
bool ProtectReference(std::vector<TwinGroup>& groups, const std::vector<FileRec>& lpData);

// How a copy differs from its kept file, for the review's words.
struct Difference {
  bool smaller = false;     // fewer pixels
  bool larger = false;      // more pixels
  // 0, or the share of the kept picture it keeps: the common area below 98%
  // where the shapes differ, below 94% (what measuring on thumbnails leaves
  // of a plain resize) where the copy has the kept picture's shape.
  int croppedPercent = 0;
  bool otherFormat = false;  // another format (kind) than the kept file's
  PictureKind kind = PictureKind::Other;  // the copy's
};
Difference DifferenceOf(const PictureFacts& kept, const PictureFacts& copy, const Likeness& likeness);

}  // namespace pictray::dupes
