// JPEG pictures for thumbnails, decoded at the smallest DCT scale that
// still gives the thumbnail all the pixels it needs.
#pragma once

#include <cstddef>
#include <functional>
#include <vector>

#include "engine/fs/budget_calls.h"
#include "engine/fs/read_only_file.h"
#include "engine/jpeg/jpeg_decode.h"
#include "thumbkit/geometry.h"

namespace thumbkit {

// Hears part parts[index], decoded: `region` is the part on `pic` (which
// holds only the rows and columns of the parts decoded with it), `full` its
// size at full scale.
using PartSink = std::function<void(std::size_t index, const pictray::Picture& pic, Region region, Size full)>;

// Decodes the parts `parts` of the partX x partX grid (0: the whole
// picture; see PartRegion) of the JPEG file `f` for edge x edge
// thumbnails. A part's scale is the smallest n/8 at which it is at least as
// big as its thumbnail, or 8/8 when it is smaller; the file is read once
// for all the parts that share a scale (once in all for the cells of one
// grid, but for cells a pixel apart at a scale's threshold), rows below
// them are not decoded. `sink` hears each part that decodes, in the order
// of the decodes. What is held at once is the rectangle around one scale's
// parts, with the library's coefficients when the file has several scans:
// taken from `budget` before it is allocated, given back after `sink`.
//
// A part is not heard when the file is not open, is corrupt, ends
// before the part does, or is over the budget: more than
// pictray::kMaxCheckPixels coded pixels (the entropy decoding walks them
// all), more than the whole budget, or beyond the session's limits on
// scans and held memory (jpeg_session.h).
void DecodeJpegParts(const pictray::fs::ReadOnlyFile& f, const BudgetCalls& budget, std::uint32_t edge,
                     const std::vector<int>& parts, int partX, const PartSink& sink);
// As DecodeJpegParts, for a JPEG held in memory (a preview embedded in
// another file); its bytes count in what each decode takes.
void DecodeJpegPartsInMemory(const unsigned char* data, std::size_t size, const BudgetCalls& budget,
                             std::uint32_t edge, const std::vector<int>& parts, int partX, const PartSink& sink);

}  // namespace thumbkit
