// A picture's companions in a listed table: its Live Photo video (a movie of
// its name stem in its folder) and its sidecars (engine/list/sidecar_names.h).
// They go wherever the picture goes and are never grouped on their own.
#pragma once

#include <vector>

#include "engine/fs/env.h"
#include "engine/list/twin_table.h"

namespace pictray::dupes {

// Whether the file at `path` holds a movie: an ISO base media or QuickTime
// file (MOV, MP4, M4V, 3GP) by its first bytes, not a HEIF or CR3 still.
bool IsMovieFile(const fs::Env& env, const std::string& path);

// Marks the table's companions (FileRec::companion) and the pictures they
// belong to (FileRec::companions). Every sidecar is a companion. A movie
// named .mov, .mp4, .m4v, .3gp or .qt (any case) that is a movie by content
// is the Live Photo video of the other files of its stem in its folder,
// when there are any that are neither sidecars nor such movies. A sidecar
// belongs to the file whose whole name it extends ("IMG_1.CR2.xmp"), else
// to every file of its stem that is no companion. Only the names of stems
// that some sidecar or movie name could share are looked up, and only those
// movies read (their first 12 bytes).
void MarkCompanions(const fs::Env& env, std::vector<FileRec>& table);

// The folder and name stem of `path` ("dir/IMG_1" for "dir/IMG_1.HEIC"):
// files of one stem in one folder share it.
std::string_view StemKey(std::string_view path);

}  // namespace pictray::dupes
