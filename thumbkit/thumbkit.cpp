#include "thumbkit/thumbkit.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <vector>

#include "engine/fs/memory_budget.h"
#include "engine/fs/read_only_file.h"
#include "engine/marks/file_kind.h"
#include "engine/jpeg/jpeg_decode.h"
#include "thumbkit/area_scale.h"
#include "thumbkit/bmp_read.h"
#include "thumbkit/geometry.h"
#include "thumbkit/heif_read.h"
#include "thumbkit/jpeg_part.h"
#include "thumbkit/png_read.h"
#include "thumbkit/raw_preview.h"
#include "thumbkit/tiff_read.h"
#include "thumbkit/webp_read.h"

namespace thumbkit {
namespace {

using File = pictray::fs::ReadOnlyFile;

constexpr int kDrawn = 0, kCannotRead = 1, kNotSupported = 9;

enum class Format { kUnreadable, kUnknown, kJpeg, kPng, kBmp, kWebp, kHeif, kTiff, kRaw };

// The decoder of a file of `kind`.
Format DecoderOf(pictray::marks::FileKind kind) {
  using pictray::marks::FileKind;
  switch (kind) {
    case FileKind::Jpeg:
      return Format::kJpeg;
    case FileKind::Png:
      return Format::kPng;
    case FileKind::Bmp:
      return Format::kBmp;
    case FileKind::WebP:
      return Format::kWebp;
    case FileKind::Heif:
      return Format::kHeif;
    case FileKind::Tiff:
    case FileKind::BigTiff:
    case FileKind::Cr2:
      return Format::kTiff;
    case FileKind::Crw:
    case FileKind::Orf:
    case FileKind::Rw2:
    case FileKind::Raf:
    case FileKind::Mrw:
    case FileKind::Cr3:
      return Format::kRaw;
    default:
      return Format::kUnknown;
  }
}

// By the first bytes, whatever the name says. An empty file is no picture
// of any format: it cannot be read.
Format Sniff(const File& f) {
  unsigned char head[pictray::marks::kHeadBytes];
  const std::size_t n = f.ReadAt(0, head, sizeof head);
  return n == 0 ? Format::kUnreadable : DecoderOf(pictray::marks::KindOfHead(head, n));
}

// The bottom-up surface seen from its top row.
BgrRaster<std::uint8_t> Surface(unsigned char* surface, std::uint32_t edge) {
  const auto stride = static_cast<std::ptrdiff_t>((3 * std::size_t(edge) + 3) & ~std::size_t(3));
  return {surface + (edge - 1) * stride, -stride, edge, edge};
}

void FillWhite(const BgrRaster<std::uint8_t>& square) {
  for (std::uint32_t y = 0; y < square.height; ++y) std::memset(square.Row(y), 0xFF, 3 * std::size_t(square.width));
}

// Draws `region` of `pic`, a part `full` pixels big at full scale, into
// the square with its aspect kept.
void DrawRegion(const BgrRaster<std::uint8_t>& square, const pictray::Picture& pic, Region region, Size full) {
  const Size fit = FitSize(full.w, full.h, square.width);
  const auto rowLength = static_cast<std::ptrdiff_t>(pic.dwLength);
  const std::uint8_t* top = pic.lpBMP() + (std::ptrdiff_t(pic.dwHeight) - 1 - region.y.from) * rowLength;
  AreaScale({top + 3 * std::size_t(region.x.from), -rowLength, region.x.size, region.y.size},
            {square.top, square.step, fit.w, fit.h});
}

// The formats whose rows are handed over as they are decoded.
bool Streams(Format format) {
  return format == Format::kPng || format == Format::kTiff || format == Format::kHeif || format == Format::kBmp;
}

Streamed Stream(Format format, const File& f, const BudgetCalls& budget, RowSink& sink) {
  switch (format) {
    case Format::kPng:
      return StreamPng(f, budget, sink);
    case Format::kTiff:
      return StreamTiff(f, budget, sink);
    case Format::kHeif:
      return StreamHeif(f, budget, sink);
    case Format::kBmp:
      return StreamBmp(f, budget, sink);
    default:
      return Streamed::kFailed;
  }
}

// Decodes the parts of a file held as a picture, each format as few times
// as it can: JPEG and raw previews once a scale, WebP (which cuts a cell
// out at full scale) once a part. `sink` hears every part that decodes.
void DecodeParts(Format format, const File& f, const BudgetCalls& budget, std::uint32_t edge,
                 const std::vector<int>& parts, int partX, const PartSink& sink) {
  if (format == Format::kJpeg) return DecodeJpegParts(f, budget, edge, parts, partX, sink);
  if (format == Format::kRaw) return DecodeRawPreviewParts(f, budget, edge, parts, partX, sink);
  if (format != Format::kWebp) return;
  for (std::size_t i = 0; i < parts.size(); ++i)
    DecodeWebp(f, budget, edge, parts[i], partX,
               [&](const pictray::Picture& pic, Region region, Size full) { sink(i, pic, region, full); });
}

// Draws each part of a streamed picture as its rows come, every part
// through a resampler of its own.
class PartsDrawer : public RowSink {
 public:
  PartsDrawer(const std::vector<BgrRaster<std::uint8_t>>& squares, const std::vector<int>& parts, int partX,
              const BudgetCalls& budget)
      : squares_(squares), parts_(parts), partX_(partX), budget_(budget) {}

  void Begin(std::uint32_t w, std::uint32_t h) override {
    for (std::size_t i = 0; i < parts_.size(); ++i) {
      const Region region = PartRegion(w, h, parts_[i], partX_);
      const Size fit = FitSize(region.x.size, region.y.size, squares_[i].width);
      regions_.push_back(region);
      scalers_.emplace_back(region.x.size, region.y.size,
                            BgrRaster<std::uint8_t>{squares_[i].top, squares_[i].step, fit.w, fit.h});
    }
  }

  // A whole picture drawn small: a thumbnail four times its square serves.
  std::uint32_t SmallestUseful() const override {
    std::uint32_t edge = 0;
    for (std::size_t i = 0; i < parts_.size(); ++i) {
      if (parts_[i] != 0) return 0;
      edge = std::max(edge, squares_[i].width);
    }
    return edge > 0 && edge <= (1u << 20) ? 4 * edge : 0;
  }

  bool Row(std::uint32_t y, const std::uint8_t* bgr) override {
    // A stopped run waits for no more rows.
    if (BudgetStopped(&budget_)) return false;
    for (std::size_t i = 0; i < scalers_.size(); ++i) {
      const Span rows = regions_[i].y;
      if (y >= rows.from && y - rows.from < rows.size) scalers_[i].Add(bgr + 3 * std::size_t(regions_[i].x.from));
    }
    return true;
  }

 private:
  const std::vector<BgrRaster<std::uint8_t>>& squares_;
  const std::vector<int>& parts_;
  int partX_;
  const BudgetCalls& budget_;
  std::vector<Region> regions_;
  std::vector<AreaScaler> scalers_;
};

// Draws the parts of a streamed picture: all or none, the squares white
// again when the file fails part way (or memory for the resamplers runs
// out). A TIFF holding a camera's raw data is drawn from its preview.
void DrawStreamed(Format format, const std::vector<BgrRaster<std::uint8_t>>& squares, const File& f,
                  const BudgetCalls& budget, const std::vector<int>& parts, int partX, int* results,
                  const PartSink& drawPicture) {
  Streamed streamed = Streamed::kFailed;
  try {
    PartsDrawer drawer(squares, parts, partX, budget);
    streamed = Stream(format, f, budget, drawer);
  } catch (const std::bad_alloc&) {
    // As a file that fails.
  }
  if (streamed == Streamed::kNoPlainPicture)
    return DecodeParts(Format::kRaw, f, budget, squares.front().width, parts, partX, drawPicture);
  if (streamed == Streamed::kRead) {
    std::fill(results, results + parts.size(), kDrawn);
    return;
  }
  for (const BgrRaster<std::uint8_t>& square : squares) FillWhite(square);
}

// Draws part parts[i] into squares[i] and answers it in results[i] (which
// hold kCannotRead when called) for every part.
void DrawParts(const std::vector<BgrRaster<std::uint8_t>>& squares, const File& f, const BudgetCalls& budget,
               const std::vector<int>& parts, int partX, int* results) {
  const Format format = Sniff(f);
  if (format == Format::kUnreadable) return;
  if (format == Format::kUnknown) {
    std::fill(results, results + parts.size(), kNotSupported);
    return;
  }
  const PartSink drawPicture = [&](std::size_t i, const pictray::Picture& pic, Region region, Size full) {
    try {
      DrawRegion(squares[i], pic, region, full);
      results[i] = kDrawn;
    } catch (const std::exception&) {
      // Only memory for the resampler's sums can run out, before it writes.
    }
  };
  if (Streams(format)) return DrawStreamed(format, squares, f, budget, parts, partX, results, drawPicture);
  DecodeParts(format, f, budget, squares.front().width, parts, partX, drawPicture);
}

// The cells of MakeMinImages that are asked for rightly, drawn from `f`
// (none without a file): squares white, every answer kCannotRead until its
// cell is drawn.
int DrawCells(const BudgetCalls& budget, unsigned char* const* surfaces, const File* f, int edge, const int* parts,
              int count, int partX, int* results) {
  std::vector<BgrRaster<std::uint8_t>> squares;
  std::vector<int> valid;
  std::vector<int> validAt;
  for (int i = 0; i < count; ++i) {
    results[i] = kCannotRead;
    if (!surfaces[i]) continue;
    const BgrRaster<std::uint8_t> square = Surface(surfaces[i], static_cast<std::uint32_t>(edge));
    FillWhite(square);
    if (!f || partX < 1 || parts[i] < 0 || parts[i] > std::int64_t(partX) * partX) continue;
    squares.push_back(square);
    valid.push_back(parts[i]);
    validAt.push_back(i);
  }
  if (valid.empty()) return kCannotRead;
  std::vector<int> drawn(valid.size(), kCannotRead);
  try {
    DrawParts(squares, *f, budget, valid, partX, drawn.data());
  } catch (const std::exception&) {
    // A reader out of memory: what was drawn stays drawn.
  }
  for (std::size_t k = 0; k < valid.size(); ++k) results[validAt[k]] = drawn[k];
  return std::all_of(results, results + count, [](int r) { return r == kDrawn; }) ? kDrawn : kCannotRead;
}

constexpr int kStopped = 2;

// Hands a streamed picture's rows to the library's caller.
class RowsToCaller : public RowSink {
 public:
  RowsToCaller(PictureRowFn row, void* ctx) : row_(row), ctx_(ctx) {}
  void Begin(std::uint32_t w, std::uint32_t h) override {
    w_ = w;
    h_ = h;
  }
  bool Row(std::uint32_t, const std::uint8_t* bgr) override { return row_(ctx_, bgr, w_, h_) != 0; }

 private:
  PictureRowFn row_;
  void* ctx_;
  std::uint32_t w_ = 0, h_ = 0;
};

// Hands the rows of a picture held whole to `row`, top row first.
int HandHeldRows(Format format, const File& f, const BudgetCalls& budget, PictureRowFn row, void* ctx) {
  // An edge no picture reaches: every decoder keeps full scale.
  constexpr std::uint32_t kFullScale = 1u << 30;
  int result = kCannotRead;
  DecodeParts(format, f, budget, kFullScale, {0}, 1,
              [&](std::size_t, const pictray::Picture& pic, Region region, Size) {
                result = kDrawn;
                for (std::uint32_t y = 0; y < region.y.size && result == kDrawn; ++y) {
                  const std::uint8_t* bgr =
                      pic.lpBMP() + std::size_t(pic.dwHeight - 1 - region.y.from - y) * pic.dwLength;
                  if (row(ctx, bgr + 3 * std::size_t(region.x.from), region.x.size, region.y.size) == 0)
                    result = kStopped;
                }
              });
  return result;
}

// Hands the rows of the decoded picture to `row`, top row first.
int HandRows(const File& f, const BudgetCalls& budget, PictureRowFn row, void* ctx) {
  const Format format = Sniff(f);
  if (format == Format::kUnreadable) return kCannotRead;
  if (format == Format::kUnknown) return kNotSupported;
  if (!Streams(format)) return HandHeldRows(format, f, budget, row, ctx);
  RowsToCaller caller(row, ctx);
  switch (Stream(format, f, budget, caller)) {
    case Streamed::kRead:
      return kDrawn;
    case Streamed::kStopped:
      return kStopped;
    case Streamed::kNoPlainPicture:
      return HandHeldRows(Format::kRaw, f, budget, row, ctx);
    default:
      return kCannotRead;
  }
}

// Hands the rows of `f`, answering as PictureRowsWithin.
int HandRowsWithin(const BudgetCalls* budget, const File& f, PictureRowFn row, void* ctx) {
  if (!budget || !row) return kCannotRead;
  try {
    return HandRows(f, *budget, row, ctx);
  } catch (const std::exception&) {
    // A reader out of memory.
    return kCannotRead;
  }
}

// DrawCells from the file at `path`, opened once for every decoder.
int DrawCellsAt(const BudgetCalls& budget, unsigned char* const* surfaces, const char* path, int edge,
                const int* parts, int count, int partX, int* results) {
  if (!path) return DrawCells(budget, surfaces, nullptr, edge, parts, count, partX, results);
  const File f(pictray::fs::DefaultEnv(), path);
  return DrawCells(budget, surfaces, &f, edge, parts, count, partX, results);
}

}  // namespace
}  // namespace thumbkit

extern "C" __attribute__((visibility("default"))) int MakeMinImageWithin(const BudgetCalls* budget,
                                                                         unsigned char* surface, const char* path,
                                                                         int edge, int part, int partX) {
  if (!budget || !surface || edge <= 0) return thumbkit::kCannotRead;
  int result = thumbkit::kCannotRead;
  thumbkit::DrawCellsAt(*budget, &surface, path, edge, &part, 1, partX, &result);
  return result;
}

extern "C" __attribute__((visibility("default"))) int MakeMinImagesWithin(const BudgetCalls* budget,
                                                                          unsigned char* const* surfaces,
                                                                          const char* path, int edge, const int* parts,
                                                                          int count, int partX, int* results) {
  if (!budget || !surfaces || !parts || !results || count < 1 || edge <= 0) return thumbkit::kCannotRead;
  return thumbkit::DrawCellsAt(*budget, surfaces, path, edge, parts, count, partX, results);
}

extern "C" __attribute__((visibility("default"))) int MakeMinImagesFdWithin(const BudgetCalls* budget,
                                                                            unsigned char* const* surfaces, int fd,
                                                                            int edge, const int* parts, int count,
                                                                            int partX, int* results) {
  if (!budget || !surfaces || !parts || !results || count < 1 || edge <= 0) return thumbkit::kCannotRead;
  const thumbkit::File f(pictray::fs::DefaultEnv(), pictray::fs::BorrowedFd{fd});
  return thumbkit::DrawCells(*budget, surfaces, &f, edge, parts, count, partX, results);
}

extern "C" __attribute__((visibility("default"))) int PictureRowsWithin(const BudgetCalls* budget, const char* path,
                                                                        PictureRowFn row, void* ctx) {
  if (!budget || !path || !row) return thumbkit::kCannotRead;
  return thumbkit::HandRowsWithin(budget, thumbkit::File(pictray::fs::DefaultEnv(), path), row, ctx);
}

extern "C" __attribute__((visibility("default"))) int PictureRowsFdWithin(const BudgetCalls* budget, int fd,
                                                                          PictureRowFn row, void* ctx) {
  return thumbkit::HandRowsWithin(budget, thumbkit::File(pictray::fs::DefaultEnv(), pictray::fs::BorrowedFd{fd}),
                                  row, ctx);
}

// The calls without a budget of the caller's get one of their own.
extern "C" __attribute__((visibility("default"))) int MakeMinImage(unsigned char* surface, const char* path, int edge,
                                                                   int part, int partX) {
  pictray::fs::MemoryBudget own;
  const BudgetCalls calls = own.Calls();
  return MakeMinImageWithin(&calls, surface, path, edge, part, partX);
}

extern "C" __attribute__((visibility("default"))) int MakeMinImages(unsigned char* const* surfaces, const char* path,
                                                                    int edge, const int* parts, int count, int partX,
                                                                    int* results) {
  pictray::fs::MemoryBudget own;
  const BudgetCalls calls = own.Calls();
  return MakeMinImagesWithin(&calls, surfaces, path, edge, parts, count, partX, results);
}

extern "C" __attribute__((visibility("default"))) int PictureRows(const char* path, PictureRowFn row, void* ctx) {
  pictray::fs::MemoryBudget own;
  const BudgetCalls calls = own.Calls();
  return PictureRowsWithin(&calls, path, row, ctx);
}
