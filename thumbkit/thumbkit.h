// libthumbkit.so: thumbnails for the preview and the colour runs. Pictray
// opens the library at run time and resolves MakeMinImage; nothing else is
// exported.
#pragma once

extern "C" {

// Draws the picture at `path` (part 0), or cell `part` (1..partX*partX,
// counted row by row from the top-left) of its partX x partX grid, into
// `surface`: edge x edge pixels, 24-bit B,G,R, bottom row first, each row
// padded to (3*edge+3)&~3 bytes. The picture or cell is fitted into the
// square with its aspect kept, reduced or enlarged by area averaging,
// anchored at the top-left; the rest of the square is white.
//
// Returns 0 when drawn; 9 when the file is not a JPEG, PNG, BMP, WebP,
// TIFF, HEIF (HEIC, AVIF) or camera raw file (drawn from its largest JPEG
// preview) by its first bytes; 1 when it cannot be read (missing, unreadable, corrupt, cut
// short, over the pixel budget or the decoders' limits on scans and memory) and for invalid arguments. Whenever edge is
// positive and surface set, the square is white unless 0 is returned.
// Safe to call from several threads at once.
typedef int (*MakeMinImageFn)(unsigned char* surface, const char* path, int edge, int part, int partX);
int MakeMinImage(unsigned char* surface, const char* path, int edge, int part, int partX);
}
