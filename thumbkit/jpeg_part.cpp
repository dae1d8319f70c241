#include "thumbkit/jpeg_part.h"

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

#include "engine/jpeg/jpeg_session.h"

namespace thumbkit {
namespace {

using pictray::jpegio::Session;

// Sets the smallest scale n/8 whose decoded part covers `need`; 8/8 when
// none does. Returns the part on the decoded raster.
Region ChooseScale(jpeg_decompress_struct& cinfo, Size need, int part, int partX) {
  for (unsigned n = 1;; ++n) {
    cinfo.scale_num = n;
    cinfo.scale_denom = 8;
    jpeg_calc_output_dimensions(&cinfo);
    const Region r = PartRegion(cinfo.output_width, cinfo.output_height, part, partX);
    if (n == 8 || (r.x.size >= need.w && r.y.size >= need.h)) return r;
  }
}

// Decodes after the header has been read. No C++ object with a destructor
// lives here: a library error jumps straight out of this function.
int DecodePart(jpeg_decompress_struct& cinfo, std::uint32_t edge, int part, int partX,
               pictray::Picture& pic, Size& full) {
  if (std::uint64_t(cinfo.image_width) * cinfo.image_height > pictray::kMaxCheckPixels) return 1;
  const Region whole = PartRegion(cinfo.image_width, cinfo.image_height, part, partX);
  full = {whole.x.size, whole.y.size};
  if (cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK) cinfo.out_color_space = JCS_CMYK;
  const Region r = ChooseScale(cinfo, FitSize(full.w, full.h, edge), part, partX);
  if (std::uint64_t(cinfo.output_width) * cinfo.output_height > pictray::kMaxDecodePixels) return 1;
  jpeg_start_decompress(&cinfo);
  const int comps = cinfo.output_components;
  if (comps != 1 && comps != 3 && !(comps == 4 && cinfo.out_color_space == JCS_CMYK)) return 1;
  JSAMPARRAY row = (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE,
                                              cinfo.output_width * static_cast<JDIMENSION>(comps), 1);
  if (!pictray::AllocatePicture(pic, r.x.size, r.y.size)) return 1;
  const bool inverted = cinfo.saw_Adobe_marker;
  const JSAMPLE* cut = row[0] + std::size_t(r.x.from) * comps;
  const JDIMENSION end = r.y.from + r.y.size;
  while (cinfo.output_scanline < end) {
    const JDIMENSION y = cinfo.output_scanline;
    // Data that ends early only warns: the rest comes out grey, as every
    // colour run and the preview see a picture cut short.
    if (jpeg_read_scanlines(&cinfo, row, 1) != 1) return 1;
    if (y >= r.y.from)
      pictray::ConvertJpegRow(cut, comps, inverted, pic.lpBMP() + std::size_t(end - 1 - y) * pic.dwLength, r.x.size);
  }
  // A part that reaches the bottom has been read to the end of the file.
  if (end == cinfo.output_height) jpeg_finish_decompress(&cinfo);
  return 0;
}

// Runs the decoding on a session `open` attaches its source to; the source
// fails to open only for a file.
template <class Open>
int DecodeFrom(Open open, std::uint32_t edge, int part, int partX, pictray::Picture& pic, Size& full) {
  pic.Clear();
  Session s;
  if (setjmp(s.err.jump)) {
    s.Close();
    pic.Clear();
    return 1;
  }
  if (!open(s)) {
    s.Close();
    return 1;
  }
  jpeg_read_header(&s.cinfo, TRUE);
  const int r = DecodePart(s.cinfo, edge, part, partX, pic, full);
  s.Close();
  if (r != 0) pic.Clear();
  return r;
}

}  // namespace

int DecodeJpegPart(const std::string& path, std::uint32_t edge, int part, int partX, pictray::Picture& pic,
                   Size& full) {
  return DecodeFrom([&path](Session& s) { return s.Open(path); }, edge, part, partX, pic, full);
}

int DecodeJpegPartInMemory(const unsigned char* data, std::size_t size, std::uint32_t edge, int part, int partX,
                           pictray::Picture& pic, Size& full) {
  return DecodeFrom(
      [=](Session& s) {
        s.OpenMemory(data, size);
        return true;
      },
      edge, part, partX, pic, full);
}

}  // namespace thumbkit
