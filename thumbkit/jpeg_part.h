// JPEG pictures for thumbnails, decoded at the smallest DCT scale that
// still gives the thumbnail all the pixels it needs.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "engine/jpeg/jpeg_decode.h"
#include "thumbkit/geometry.h"

namespace thumbkit {

// Decodes part `part` of the partX x partX grid (0: the whole picture; see
// PartRegion) of the JPEG file at `path` for an edge x edge thumbnail. The
// scale is the smallest n/8 at which the part is at least as big as its
// thumbnail, or 8/8 when it is smaller. `pic` receives the part alone, cut
// from the decoded raster; `full` is the part's size at full scale, whose
// aspect the thumbnail keeps. Rows below the part are not decoded.
//
// 0 on success; 1 (and `pic` empty) when the file cannot be opened, is
// corrupt, ends before the part does, or is over the budget: more than
// pictray::kMaxCheckPixels coded pixels (the entropy decoding walks them
// all), more than pictray::kMaxDecodePixels at the chosen scale, or beyond
// the session's limits on scans and held memory (jpeg_session.h).
int DecodeJpegPart(const std::string& path, std::uint32_t edge, int part, int partX, pictray::Picture& pic, Size& full);

// As DecodeJpegPart, for a JPEG held in memory (a preview embedded in
// another file).
int DecodeJpegPartInMemory(const unsigned char* data, std::size_t size, std::uint32_t edge, int part, int partX,
                           pictray::Picture& pic, Size& full);

// Hears part parts[index], decoded: `region` is the part on `pic` (which
// holds only the rows and columns of the parts decoded with it), `full` its
// size at full scale.
using PartSink = std::function<void(std::size_t index, const pictray::Picture& pic, Region region, Size full)>;

// Decodes every part of `parts` as DecodeJpegPart would, reading the file
// once for all the parts that share a scale (once in all for the cells of
// one grid, but for cells a pixel apart at a scale's threshold). `sink`
// hears each part that DecodeJpegPart would decode, in the order of the
// decodes; a part it does not hear would fail. What is held at once is the
// rectangle around one scale's parts, never more than the whole picture at
// that scale.
void DecodeJpegParts(const std::string& path, std::uint32_t edge, const std::vector<int>& parts, int partX,
                     const PartSink& sink);
void DecodeJpegPartsInMemory(const unsigned char* data, std::size_t size, std::uint32_t edge,
                             const std::vector<int>& parts, int partX, const PartSink& sink);

}  // namespace thumbkit
