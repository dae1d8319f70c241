#include "thumbkit/jpeg_part.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <optional>

#include <jpeglib.h>

#include "engine/jpeg/jpeg_session.h"

namespace thumbkit {
namespace {

using pictray::jpegio::Session;

// Where a part lies at the scale chosen for it; scale 0: not planned.
struct PlannedPart {
  unsigned scale = 0;
  Region region;
  Size full;
  bool done = false;
};

// How far one decode came; written during the decode, read after a
// library error as well.
struct Reached {
  unsigned scale = 0;
  Region held;             // the rectangle on the picture
  JDIMENSION height = 0;   // rows of the raster at that scale
  JDIMENSION rows = 0;     // rows read without error
  bool finished = false;   // read to the end of the file
  std::uint64_t taken = 0;  // bytes taken from the budget
};

// What one decode takes from its budget: besides what it decodes into, the
// bytes of a source held in memory.
struct Budget {
  BudgetCalls calls;
  std::uint64_t source = 0;
};

// The library's whole-image coefficients, kept when the file has several
// scans (progressive ones above all): two bytes a coefficient, every
// component at full scale whatever the output's.
std::uint64_t CoefficientBytes(jpeg_decompress_struct& cinfo) {
  if (!jpeg_has_multiple_scans(&cinfo)) return 0;
  std::uint64_t bytes = 0;
  for (int c = 0; c < cinfo.num_components; ++c) {
    const jpeg_component_info& comp = cinfo.comp_info[c];
    bytes += std::uint64_t(comp.width_in_blocks + comp.h_samp_factor) * (comp.height_in_blocks + comp.v_samp_factor) *
             DCTSIZE2 * sizeof(JCOEF);
  }
  return bytes;
}

Region AtScale(jpeg_decompress_struct& cinfo, unsigned n, int part, int partX) {
  cinfo.scale_num = n;
  cinfo.scale_denom = 8;
  jpeg_calc_output_dimensions(&cinfo);
  return PartRegion(cinfo.output_width, cinfo.output_height, part, partX);
}

// Each part's scale: the smallest n/8 whose decoded part covers its
// thumbnail, 8/8 when none does. False when the picture is over the budget
// for the entropy decoding.
bool Plan(jpeg_decompress_struct& cinfo, std::uint32_t edge, const std::vector<int>& parts, int partX,
          std::vector<PlannedPart>& plan) {
  if (std::uint64_t(cinfo.image_width) * cinfo.image_height > pictray::kMaxCheckPixels) return false;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    const Region whole = PartRegion(cinfo.image_width, cinfo.image_height, parts[i], partX);
    plan[i].full = {whole.x.size, whole.y.size};
    const Size need = FitSize(whole.x.size, whole.y.size, edge);
    for (unsigned n = 1; plan[i].scale == 0; ++n) {
      const Region r = AtScale(cinfo, n, parts[i], partX);
      if (n == 8 || (r.x.size >= need.w && r.y.size >= need.h)) plan[i] = {n, r, plan[i].full, false};
    }
  }
  return true;
}

// The smallest scale of the parts not decoded yet; 0 when none is left.
unsigned NextScale(const std::vector<PlannedPart>& plan) {
  unsigned next = 0;
  for (const PlannedPart& p : plan)
    if (!p.done && p.scale != 0 && (next == 0 || p.scale < next)) next = p.scale;
  return next;
}

Span Union(Span a, Span b) {
  const std::uint32_t from = std::min(a.from, b.from), to = std::max(a.from + a.size, b.from + b.size);
  return {from, to - from};
}

// The rectangle around the parts of one scale.
Region Around(const std::vector<PlannedPart>& plan, unsigned scale) {
  std::optional<Region> held;
  for (const PlannedPart& p : plan)
    if (!p.done && p.scale == scale)
      held = held ? Region{Union(held->x, p.region.x), Union(held->y, p.region.y)} : p.region;
  return held.value_or(Region{});
}

// Decodes the held rectangle at the reached scale after the header has been
// read. No C++ object with a destructor lives here: a library error jumps
// straight out of this function.
void DecodeHeld(jpeg_decompress_struct& cinfo, const Budget& budget, pictray::Picture& pic, Reached& reached) {
  cinfo.scale_num = reached.scale;
  cinfo.scale_denom = 8;
  if (cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK) cinfo.out_color_space = JCS_CMYK;
  jpeg_calc_output_dimensions(&cinfo);
  const Region r = reached.held;
  const std::uint64_t bytes = budget.source + CoefficientBytes(cinfo) +
                              std::uint64_t(cinfo.output_width) * cinfo.output_components +
                              std::uint64_t(pictray::BmpRowLength(r.x.size)) * r.y.size;
  if (!budget.calls.acquire(budget.calls.ctx, bytes)) return;
  reached.taken = bytes;
  reached.height = cinfo.output_height;
  jpeg_start_decompress(&cinfo);
  const int comps = cinfo.output_components;
  if (comps != 1 && comps != 3 && !(comps == 4 && cinfo.out_color_space == JCS_CMYK)) return;
  JSAMPARRAY row = (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE,
                                              cinfo.output_width * static_cast<JDIMENSION>(comps), 1);
  if (!pictray::AllocatePicture(pic, r.x.size, r.y.size)) return;
  const bool inverted = cinfo.saw_Adobe_marker;
  const JSAMPLE* cut = row[0] + std::size_t(r.x.from) * comps;
  const JDIMENSION end = r.y.from + r.y.size;
  while (cinfo.output_scanline < end) {
    const JDIMENSION y = cinfo.output_scanline;
    // A stopped run waits for no more rows: the part is not covered.
    if (BudgetStopped(&budget.calls)) return;
    // Data that ends early only warns: the rest comes out grey, as every
    // colour run and the preview see a picture cut short.
    if (jpeg_read_scanlines(&cinfo, row, 1) != 1) return;
    if (y >= r.y.from)
      pictray::ConvertJpegRow(cut, comps, inverted, pic.lpBMP() + std::size_t(end - 1 - y) * pic.dwLength, r.x.size);
    reached.rows = y + 1;
  }
  // Held rows that reach the bottom have been read to the end of the file.
  if (end == cinfo.output_height) {
    jpeg_finish_decompress(&cinfo);
    reached.finished = true;
  }
}

// One reading of the file: plans the parts on the first, then decodes the
// parts of the smallest scale not decoded yet into `pic`. `reached` says
// how far it came, its scale 0 when nothing was decoded.
template <class Open>
void DecodePass(Open& open, const Budget& budget, std::uint32_t edge, const std::vector<int>& parts, int partX,
                std::vector<PlannedPart>& plan, pictray::Picture& pic, Reached& reached) {
  pic.Clear();
  Session s;
  if (setjmp(s.err.jump)) {
    s.Close();
    return;
  }
  if (!open(s)) {
    s.Close();
    return;
  }
  jpeg_read_header(&s.cinfo, TRUE);
  if (plan.front().scale == 0 && !Plan(s.cinfo, edge, parts, partX, plan)) {
    s.Close();
    return;
  }
  reached.scale = NextScale(plan);
  reached.held = Around(plan, reached.scale);
  DecodeHeld(s.cinfo, budget, pic, reached);
  s.Close();
}

// Whether a part was decoded as its own decode would have been: its rows
// read without error, and the file's end too when the part reaches it.
bool Covered(const Reached& reached, const Region& part) {
  const JDIMENSION end = part.y.from + part.y.size;
  return end <= reached.rows && (end < reached.height || reached.finished);
}

// The bytes one decode took, given back once its picture is gone.
class Taken {
 public:
  Taken(const BudgetCalls& budget, const Reached& reached, pictray::Picture& pic)
      : budget_(budget), reached_(reached), pic_(pic) {}
  ~Taken() {
    pic_.Clear();
    if (reached_.taken) budget_.release(budget_.ctx, reached_.taken);
  }
  Taken(const Taken&) = delete;
  Taken& operator=(const Taken&) = delete;

 private:
  const BudgetCalls& budget_;
  const Reached& reached_;
  pictray::Picture& pic_;
};

// Decodes the parts scale by scale, each scale's rectangle into a picture
// of its own; the source fails to open only for a file not open.
template <class Open>
void DecodeFrom(Open open, const Budget& budget, std::uint32_t edge, const std::vector<int>& parts, int partX,
                const PartSink& sink) {
  if (parts.empty()) return;
  std::vector<PlannedPart> plan(parts.size());
  for (;;) {
    Reached reached;
    pictray::Picture pic;
    const Taken taken(budget.calls, reached, pic);
    DecodePass(open, budget, edge, parts, partX, plan, pic, reached);
    if (reached.scale == 0) return;
    for (std::size_t i = 0; i < plan.size(); ++i) {
      PlannedPart& p = plan[i];
      if (p.done || p.scale != reached.scale) continue;
      p.done = true;
      if (!Covered(reached, p.region)) continue;
      const Region on = {{p.region.x.from - reached.held.x.from, p.region.x.size},
                         {p.region.y.from - reached.held.y.from, p.region.y.size}};
      sink(i, pic, on, p.full);
    }
  }
}

auto FileSource(const pictray::fs::ReadOnlyFile& f) {
  return [&f](Session& s) { return s.Open(f); };
}

auto MemorySource(const unsigned char* data, std::size_t size) {
  return [=](Session& s) {
    s.OpenMemory(data, size);
    return true;
  };
}

}  // namespace

void DecodeJpegParts(const pictray::fs::ReadOnlyFile& f, const BudgetCalls& budget, std::uint32_t edge,
                     const std::vector<int>& parts, int partX, const PartSink& sink) {
  DecodeFrom(FileSource(f), {budget}, edge, parts, partX, sink);
}

void DecodeJpegPartsInMemory(const unsigned char* data, std::size_t size, const BudgetCalls& budget,
                             std::uint32_t edge, const std::vector<int>& parts, int partX, const PartSink& sink) {
  DecodeFrom(MemorySource(data, size), {budget, size}, edge, parts, partX, sink);
}

}  // namespace thumbkit
