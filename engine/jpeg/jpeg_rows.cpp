#include "engine/jpeg/jpeg_rows.h"

#include <csetjmp>

#include <jpeglib.h>

#include "engine/jpeg/jpeg_decode.h"
#include "engine/jpeg/jpeg_session.h"

namespace pictray {
namespace {

using RowFn = std::function<bool(std::uint32_t, const std::uint8_t*, std::uint32_t, std::uint32_t)>;

// After the header. No C++ object with a destructor lives here: a library
// error jumps straight out of this function. Both row buffers come from the
// library's image pool and go with the decompressor.
//
// Only a row is held, so the bound is the check's: the work of walking the
// coded blocks, with the session's limits on what the library holds. Once a
// single-scan file's data has ended, every further row would be made up:
// the decoding stops there, so a header claiming far more than the data
// holds costs only the data. A multi-scan file has read all its data before
// the first row; its rows are what arrived.
RowsOutcome DecodeEachRow(jpeg_decompress_struct& cinfo, const jpegio::ErrorMgr& err, const RowFn& row) {
  const std::uint64_t pixels = std::uint64_t(cinfo.image_width) * cinfo.image_height;
  if (pixels == 0 || pixels > kMaxCheckPixels) return RowsOutcome::Failed;
  if (cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK) cinfo.out_color_space = JCS_CMYK;
  jpeg_start_decompress(&cinfo);
  const int comps = cinfo.output_components;
  if (comps != 1 && comps != 3 && !(comps == 4 && cinfo.out_color_space == JCS_CMYK)) return RowsOutcome::Failed;
  const std::uint32_t w = cinfo.output_width, h = cinfo.output_height;
  auto* pool = reinterpret_cast<j_common_ptr>(&cinfo);
  JSAMPARRAY in = (*cinfo.mem->alloc_sarray)(pool, JPOOL_IMAGE, w * static_cast<JDIMENSION>(comps), 1);
  JSAMPARRAY out = (*cinfo.mem->alloc_sarray)(pool, JPOOL_IMAGE, w * 3, 1);
  const bool inverted = cinfo.saw_Adobe_marker;
  const bool readBeforeRows = jpeg_has_multiple_scans(&cinfo);
  while (cinfo.output_scanline < h && (readBeforeRows || !err.ended)) {
    const JDIMENSION y = cinfo.output_scanline;
    if (jpeg_read_scanlines(&cinfo, in, 1) != 1) return RowsOutcome::Failed;
    ConvertJpegRow(in[0], comps, inverted, out[0], w);
    if (!row(h - 1 - y, out[0], w, h)) return RowsOutcome::Stopped;
  }
  if (!err.ended) jpeg_finish_decompress(&cinfo);
  return RowsOutcome::Done;
}

}  // namespace

RowsOutcome JpegForEachRow(const fs::ReadOnlyFile& file, const RowFn& row) {
  jpegio::Session s;
  if (setjmp(s.err.jump)) {
    s.Close();
    return RowsOutcome::Failed;
  }
  if (!s.Open(file)) {
    s.Close();
    return RowsOutcome::Failed;
  }
  jpeg_read_header(&s.cinfo, TRUE);
  const RowsOutcome r = DecodeEachRow(s.cinfo, s.err, row);
  s.Close();
  return r;
}

}  // namespace pictray
