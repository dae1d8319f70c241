// Which file of a set of copies stays: one rule for the window, the command
// line and every mode, whatever order the folder lists its files in.
#pragma once

#include <optional>
#include <string_view>

#include "engine/list/twin_groups.h"
#include "engine/list/twin_table.h"

namespace pictray::dupes {

// True when the name carries a mark that copying a file gives it, before
// its extension: " (1)", " - Copy" or its Japanese form (each maybe followed
// by " (2)"), " (copy)", " (copy 2)", " (another copy)", " (3rd copy)",
// " 2" .. " 99", "_copy", or "Copy of " in front.
bool HasCopyMarker(std::string_view filename);

// The setting's and --keep's words: "original" (the default), "oldest",
// "largest" and "pixels".
std::optional<KeepFirst> ParseKeepFirst(std::string_view word);

// True when `a` stays rather than `b`: the rule's first criterion, then a
// name without a copy marker, the larger file, the older modification time,
// the shorter name, then the bytes of the names.
bool KeptBefore(const FileRec& a, const FileRec& b, KeepFirst first);

// The same for pictures that are the same picture, not the same bytes: the
// rule's first criterion, a name without a copy marker, more pixels, the
// larger file, the format (PictureKind's order), the older date taken
// (the modification time when either has none), the shorter name, then
// the bytes of the names.
bool KeptBefore(const FileRec& a, const PictureFacts& fa, const FileRec& b, const PictureFacts& fb,
                KeepFirst first);

}  // namespace pictray::dupes
