// libthumbkit.so: thumbnails for the preview and the colour runs. Pictray
// opens the library at run time and resolves the calls below by name;
// nothing else is exported.
#pragma once

#include "engine/fs/budget_calls.h"

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
// preview) by its first bytes; 1 when it cannot be read (missing,
// unreadable, corrupt, cut short, needing more than the whole budget, over
// the decoders' limits on pixels, scans and memory) and for invalid
// arguments. Whenever edge is positive and surface set, the square is white
// unless 0 is returned.
// Safe to call from several threads at once.
//
// What a call holds (the decoded picture or the rows kept of it, the
// decoding libraries' images, strips and tiles) is acquired from a budget
// before it is allocated and released when the call is done with it. These
// calls have a budget of their own, 1 GiB, refusing alone a file that needs
// more; the ...Within forms take the caller's, which several threads share,
// each waiting for what the others hold.
typedef int (*MakeMinImageFn)(unsigned char* surface, const char* path, int edge, int part, int partX);
int MakeMinImage(unsigned char* surface, const char* path, int edge, int part, int partX);

// Draws `count` parts of one picture, parts[i] into surfaces[i], each as
// MakeMinImage(surfaces[i], path, edge, parts[i], partX) would and its
// answer in results[i], but reading the file once: a JPEG (or a raw file's
// preview) is decoded once for all the parts that share a DCT scale, the
// formats decoded whole once in all. Returns 0 when every part was drawn,
// else 1 (also for invalid arguments: no surfaces, parts or results, count
// below 1, edge not positive; nothing is then touched).
typedef int (*MakeMinImagesFn)(unsigned char* const* surfaces, const char* path, int edge, const int* parts,
                               int count, int partX, int* results);
int MakeMinImages(unsigned char* const* surfaces, const char* path, int edge, const int* parts, int count, int partX,
                  int* results);

// Decodes the picture at `path` (any format MakeMinImage reads; a raw file
// through its largest JPEG preview) at full size and hands its pixel rows,
// top row first, to row(ctx, bgr, width, height): width pixels as B,G,R
// without padding. `row` answers 0 to stop. PNG, TIFF, BMP and HEIF rows
// are handed over as they are decoded (rows may come before the file turns
// out unreadable); a JPEG, WebP or raw preview is decoded whole first.
// Returns 0 when every row was handed over, 2 when `row` stopped, 9 and 1
// as MakeMinImage.
typedef int (*PictureRowFn)(void* ctx, const unsigned char* bgr, unsigned width, unsigned height);
typedef int (*PictureRowsFn)(const char* path, PictureRowFn row, void* ctx);
int PictureRows(const char* path, PictureRowFn row, void* ctx);

// The calls above within the caller's budget; 1 (nothing drawn, no row
// handed over) when `budget` is missing.
typedef int (*MakeMinImageWithinFn)(const BudgetCalls* budget, unsigned char* surface, const char* path, int edge,
                                    int part, int partX);
int MakeMinImageWithin(const BudgetCalls* budget, unsigned char* surface, const char* path, int edge, int part,
                       int partX);
typedef int (*MakeMinImagesWithinFn)(const BudgetCalls* budget, unsigned char* const* surfaces, const char* path,
                                     int edge, const int* parts, int count, int partX, int* results);
int MakeMinImagesWithin(const BudgetCalls* budget, unsigned char* const* surfaces, const char* path, int edge,
                        const int* parts, int count, int partX, int* results);
typedef int (*PictureRowsWithinFn)(const BudgetCalls* budget, const char* path, PictureRowFn row, void* ctx);
int PictureRowsWithin(const BudgetCalls* budget, const char* path, PictureRowFn row, void* ctx);

// MakeMinImagesWithin and PictureRowsWithin on a file the caller has open
// as `fd`, so that it is not opened again: what they answer for the file
// opened at its path, 1 (nothing handed over) when `fd` is no regular file.
// The descriptor stays the caller's: it is read only at explicit offsets,
// its own offset is left alone and it is not closed. Calls on different
// descriptors, or the same one, may run at once.
typedef int (*MakeMinImagesFdWithinFn)(const BudgetCalls* budget, unsigned char* const* surfaces, int fd, int edge,
                                       const int* parts, int count, int partX, int* results);
int MakeMinImagesFdWithin(const BudgetCalls* budget, unsigned char* const* surfaces, int fd, int edge,
                          const int* parts, int count, int partX, int* results);
typedef int (*PictureRowsFdWithinFn)(const BudgetCalls* budget, int fd, PictureRowFn row, void* ctx);
int PictureRowsFdWithin(const BudgetCalls* budget, int fd, PictureRowFn row, void* ctx);
}
