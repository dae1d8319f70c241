// Twinscan's file table: listing a folder, keying, sorting and grouping its
// files into runs of copies.
#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/fs/env.h"
#include "engine/list/twin_table.h"

namespace pictray::dupes {

// Set by another thread to stop a long step between two files; a step given
// nullptr runs to its end.
using AbortFlag = const std::atomic<int>*;
inline bool Aborted(AbortFlag abort) { return abort && abort->load(std::memory_order_relaxed) != 0; }

// Content signature: the first 100 and last 100 bytes (all bytes below
// 100) as upper-case hex pairs; "" when the file cannot be read.
std::string GetFileBuffer(const fs::Env& env, const std::string& path);

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
  // Only files whose signature can change the groups: a file alone in its
  // size keeps an empty signature, one whose first bytes are its own keeps
  // their half of it. The groups, and their order, are those of AllFiles;
  // only the place of a file of no group may differ.
  GroupsOnly,
};

// Lists the files of `folder` (subfolders and a move's temporary files
// skipped) in the order the file system returns them, their companions
// marked (companions.h). A path that is not a
// readable folder lists nothing and leaves its errno in `openError`. Once
// `abort` is set the listing stops before the next file: the table then
// holds the files listed so far.
std::vector<FileRec> SetListView(const fs::Env& env, const std::string& folder, const ListProgress& progress,
                                 Keying keying = Keying::AllFiles, int* openError = nullptr,
                                 AbortFlag abort = nullptr);

// Which root could not be listed, and why.
struct RootError {
  int err = 0;
  std::size_t root = 0;  // index into the roots
};

// A folder name the tree listing passes over: Twinscan's own extraction
// folders ("same" and the digits of SameFolderName, maybe "_N") and hidden
// folders.
bool SkippedInTree(std::string_view name);

// Lists the files of every root; with `subfolders`, those of their folders
// too, each named (FileRec::filename) by its path relative to its root,
// passing over hidden folders and extraction folders, never following a
// linked folder, and listing a folder met twice (the same device and inode:
// a bind mount, a root inside another) once. A reference root's folders are
// claimed first, so that its files stay reference files when another root
// holds them too. One root without `subfolders` lists as SetListView does.
// A root that is not a readable folder lists nothing and says so in `error`.
std::vector<FileRec> ListRoots(const fs::Env& env, const std::vector<ListRoot>& roots, bool subfolders,
                               const ListProgress& progress, Keying keying = Keying::AllFiles,
                               RootError* error = nullptr, AbortFlag abort = nullptr);

// samekey = size text followed by the signature.
void SetSizeWork(std::vector<FileRec>& lpData);

// Byte-wise text comparison of the keys, negated when SortBit is 1.
int compSizeBuffa(const FileRec& a, const FileRec& b, int SortBit);

// Sorts by key; records with equal keys in the order of the keep rule
// (keep_rule.h), so the file that stays comes first whatever the order of
// the listing.
void SortFileTable(std::vector<FileRec>& lpData, int SortBit, const KeepRule& rule = DefaultKeepRule());

// Splits every run of equal keys into sets of byte-identical files: the
// first file of each set stays, the later ones become its surplus copies.
// Companions (sidecars, Live Photo videos: IsCompanion) are in no set: each
// stays as a file alone does, and goes only with its picture.
// A file that is no longer as listed, or cannot be read, forms a set alone.
// Once `abort` is set it stops before the next file; files not reached keep
// the marks of the listing.
// With `looked`: by row, 1 for each file grouping looked at and found still
// as listed, so that a dry run that follows at once need not look again.
using LookedAsListed = std::vector<char>;
// Whether grouping looks again at the files the listing compared in memory.
enum class ListingLooks {
  LookAgain,  // the table may have waited: each is looked at (one stat)
  // Listed a moment ago by the same run, which went straight on: the
  // listing's look right after each read stands as grouping's.
  JustMade,
};
void SetFolda(const fs::Env& env, std::vector<FileRec>& lpData, AbortFlag abort = nullptr,
              LookedAsListed* looked = nullptr, ListingLooks listing = ListingLooks::LookAgain);

// A sidecar (by its name) or a file the listing marked as a companion.
bool IsCompanion(const FileRec& r);

// How many sets of copies a grouped table holds, and how many surplus copies.
struct GroupCount {
  std::size_t sets = 0, surplus = 0;
};
GroupCount CountGroups(const std::vector<FileRec>& lpData);

// `name` without its last "." and what follows (a dot before its last "/"
// starts no extension).
std::string RemoveExtension(const std::string& name);

// The surplus folder of the copies of `kept`: its name, without its folders
// and its extension, and "_same".
std::string SurplusFolderOf(const FileRec& kept);

}  // namespace pictray::dupes
