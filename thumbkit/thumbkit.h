// libthumbkit.so: thumbnails for the preview and the colour runs.
#pragma once

#include <cstdint>

extern "C" {

// Draws the picture at `path` reduced by area averaging, centred on a white
// square of edge x edge pixels, into `pixels` (0xffRRGGBB words, `stride`
// bytes from one row to the next). `cell` and `text` are reserved for the
// grid-cell variant and must be 0 and "". Returns 0 when drawn, 1 when the
// file cannot be read as a picture (the square is then left white).
typedef int (*MakeMinImageFn)(std::uint32_t* pixels, int stride, const char* path, int edge,
                              int cell, const char* text);
int MakeMinImage(std::uint32_t* pixels, int stride, const char* path, int edge, int cell,
                 const char* text);
}
