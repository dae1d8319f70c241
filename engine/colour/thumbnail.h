// Drawing a picture into a surface through the thumbnail library. The
// library is loaded by the front end (the window, pictray-cli) and handed
// to the runs as a function pointer; tests hand in one that paints.
#pragma once

#include <string>

#include "engine/colour/pixel_window.h"
#include "engine/settings/profile.h"

namespace pictray {

// The thumbnail library's MakeMinImage: draws the picture at `path`, or
// cell `part` (1..partX*partX, row by row; 0 = the whole picture) of a
// partX x partX grid over it, into `surface` (edge x edge, the layout of
// Surface), scaled by area averaging with its aspect kept, anchored at the
// top left on white. 0 drawn, 1 cannot read, 9 unsupported format.
using MakeMinImageFn = int (*)(unsigned char* surface, const char* path, int edge, int part, int partX);

inline constexpr int kDrawn = 0;
inline constexpr int kNotDrawn = 9;
// Nothing drawn: the file is no picture of a format the library reads.
inline constexpr int kNoPicture = 2;

// The files the colour runs sample: JPEG alone (any other file is passed
// over), or also every other format the thumbnail library draws.
enum class SampledFormats { kJpeg, kAll };

// The choice of the settings in `profile`. JPEG alone for now: the setting
// that opens the runs to every format is read here.
SampledFormats ReadSampledFormats(const ProfileSnapshot& profile);

// Whether a colour run samples the file: a JPEG by its first bytes always;
// with kAll any other file too, and the drawing tells whether it is a
// picture.
bool IsSampled(const std::string& path, SampledFormats formats);
// What a ratio or strength name is when the picture cannot be sampled.
inline constexpr const char* kSampleError = "ERROR";

// Draws `part` of the picture into `surface` (its own edge). kDrawn, or
// kNotDrawn without a library, for a JPEG that is not grey or colour
// within the pixel budget (JpegSampleCheck), for any other file with
// kJpeg, or when the library fails; kNoPicture when, with kAll, the
// library reads no such format. The surface then holds nothing worth
// counting. A JPEG is drawn alike with either choice.
int DrawThumbnail(MakeMinImageFn MMI, const std::string& path, int part, int partX, Surface& surface,
                  SampledFormats formats = SampledFormats::kJpeg);

// The thumbnail sampler: the whole picture scaled into the top-left
// rectangle of `surface` on white (300 for the ratio run, 100 for the
// strength run). Each worker passes its own surface; the second ratio
// worker's sampler (readJpegTolpBMP2) is this function on its surface.
int readJpegTolpBMP(MakeMinImageFn MMI, const std::string& path, Surface& surface,
                    SampledFormats formats = SampledFormats::kJpeg);

}  // namespace pictray
