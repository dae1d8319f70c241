// The structure a library would walk in a file, walked first by our own
// bounded readers (headers read with pread, never the whole file). The
// libraries recurse without a depth limit, copy a box at every level, take
// a claimed size for an allocation or seek once per empty chunk: a small
// hostile file costs them a crash, gigabytes or minutes. A file refused
// here is not handed to them at all; it reads as a damaged file.
#pragma once

#include "engine/fs/read_only_file.h"

namespace pictray::meta {

// CRW: every heap's directory within its heap, heaps nested at most a few
// levels deep, a bounded number of entries in all.
bool CiffHeapsBounded(const fs::ReadOnlyFile& file);

// The box containers libexiv2 reads (CR3, JPEG XL): the boxes it descends
// into nested a few levels deep, a bounded number of boxes, and what it
// copies below the top level bounded.
bool Exiv2BoxesBounded(const fs::ReadOnlyFile& file);

// WebP: chunks within the RIFF, each with a printable type and a size the
// file holds, a bounded number of them.
bool WebpChunksBounded(const fs::ReadOnlyFile& file);

// MOV/MP4: every compressed movie header libavformat would inflate (the
// ones inside inflated headers too) claims within a bound in all.
bool MovieHeadersBounded(const fs::ReadOnlyFile& file);

}  // namespace pictray::meta
