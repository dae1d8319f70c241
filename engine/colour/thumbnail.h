// Drawing a picture into a surface through the thumbnail library. The
// library is loaded by the front end (the window, pictray-cli) and handed
// to the runs as a function pointer; tests hand in one that paints.
#pragma once

#include <string>
#include <vector>

#include "engine/colour/pixel_window.h"
#include "engine/fs/budget_calls.h"
#include "engine/fs/read_only_file.h"
#include "engine/settings/profile.h"

namespace pictray {

// The thumbnail library's MakeMinImage: draws the picture at `path`, or
// cell `part` (1..partX*partX, row by row; 0 = the whole picture) of a
// partX x partX grid over it, into `surface` (edge x edge, the layout of
// Surface), scaled by area averaging with its aspect kept, anchored at the
// top left on white. 0 drawn, 1 cannot read, 9 unsupported format.
using MakeMinImageFn = int (*)(unsigned char* surface, const char* path, int edge, int part, int partX);
// Its MakeMinImages: `count` parts of one picture, parts[i] into
// surfaces[i] with its answer in results[i], from one reading of the file.
using MakeMinImagesFn = int (*)(unsigned char* const* surfaces, const char* path, int edge, const int* parts,
                                int count, int partX, int* results);

// Its PictureRows: the picture's pixel rows at full size, top row first,
// each as width B,G,R pixels to row(ctx, bgr, width, height), which answers
// 0 to stop. 0 all rows handed over, 2 stopped, 1 cannot read, 9 no format
// it reads.
using PictureRowsFn = int (*)(const char* path,
                              int (*row)(void* ctx, const unsigned char* bgr, unsigned width, unsigned height),
                              void* ctx);

// The same three within the caller's budget, which the workers of a run
// share (each call waits while the others hold too much of it).
using MakeMinImageWithinFn = int (*)(const BudgetCalls* budget, unsigned char* surface, const char* path, int edge,
                                     int part, int partX);
using MakeMinImagesWithinFn = int (*)(const BudgetCalls* budget, unsigned char* const* surfaces, const char* path,
                                      int edge, const int* parts, int count, int partX, int* results);
using PictureRowsWithinFn = int (*)(const BudgetCalls* budget, const char* path,
                                    int (*row)(void* ctx, const unsigned char* bgr, unsigned width,
                                               unsigned height),
                                    void* ctx);
// MakeMinImagesWithin and PictureRowsWithin on the caller's open
// descriptor, which the library reads at explicit offsets and leaves open.
using MakeMinImagesFdWithinFn = int (*)(const BudgetCalls* budget, unsigned char* const* surfaces, int fd, int edge,
                                        const int* parts, int count, int partX, int* results);
using PictureRowsFdWithinFn = int (*)(const BudgetCalls* budget, int fd,
                                      int (*row)(void* ctx, const unsigned char* bgr, unsigned width,
                                                 unsigned height),
                                      void* ctx);

// The library as the colour runs call it: within `budget` when the library
// has those forms and a budget is given, else each call within its own;
// on the file the run has open when it has the descriptor forms too, else
// by path. `many` may be missing (an older library, or a test's stand-in),
// and then every cell is drawn on its own.
struct ThumbnailCalls {
  ThumbnailCalls() = default;
  // A stand-in that draws one cell at a time.
  ThumbnailCalls(MakeMinImageFn one_) : one(one_) {}
  ThumbnailCalls(MakeMinImageFn one_, MakeMinImagesFn many_) : one(one_), many(many_) {}

  MakeMinImageFn one = nullptr;
  MakeMinImagesFn many = nullptr;
  PictureRowsFn rows = nullptr;
  MakeMinImageWithinFn oneWithin = nullptr;
  MakeMinImagesWithinFn manyWithin = nullptr;
  PictureRowsWithinFn rowsWithin = nullptr;
  MakeMinImagesFdWithinFn manyFdWithin = nullptr;
  PictureRowsFdWithinFn rowsFdWithin = nullptr;
  BudgetCalls budget{};

  // Whether there is a library to draw with at all.
  bool Drawing() const { return one != nullptr; }
  bool DrawingMany() const { return many != nullptr; }
  int Draw(unsigned char* surface, const char* path, int edge, int part, int partX) const;
  // The calls on `file`, open at `path`.
  int Draw(unsigned char* surface, const fs::ReadOnlyFile& file, const char* path, int edge, int part,
           int partX) const;
  int DrawMany(unsigned char* const* surfaces, const fs::ReadOnlyFile& file, const char* path, int edge,
               const int* parts, int count, int partX, int* results) const;
  int Rows(const fs::ReadOnlyFile& file, const char* path,
           int (*row)(void* ctx, const unsigned char* bgr, unsigned width, unsigned height), void* ctx) const;

 private:
  bool Budgeted() const { return budget.acquire != nullptr; }
};

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
bool IsSampled(const fs::ReadOnlyFile& file, SampledFormats formats);
// What a ratio or strength name is when the picture cannot be sampled.
inline constexpr const char* kSampleError = "ERROR";

// Draws `part` of the picture into `surface` (its own edge). kDrawn, or
// kNotDrawn without a library, for a JPEG that is not grey or colour
// within the pixel budget (JpegSampleCheck), for any other file with
// kJpeg, or when the library fails; kNoPicture when, with kAll, the
// library reads no such format. The surface then holds nothing worth
// counting. A JPEG is drawn alike with either choice.
// `file` is the one the caller opened at `path`: the checks read it, and
// the library draws from it when it can, else from the path.
int DrawThumbnail(const ThumbnailCalls& lib, const fs::ReadOnlyFile& file, const std::string& path, int part,
                  int partX, Surface& surface,
                  SampledFormats formats = SampledFormats::kJpeg);
// DrawThumbnail's answer for a drawing's answer `drawn` (or kNotSampled).
int ThumbnailAnswer(int drawn, bool jpeg);

// What a cell's drawing answers when the run does not sample the file (no
// library, a JPEG that is not grey or colour within the budget, another
// format with kJpeg); otherwise the library's own answer.
inline constexpr int kNotSampled = -1;

// The cells 1..last a run looks at: those whose character in `bits`
// (strJpos_bit, index = cell) is '1', in order.
std::vector<int> ChosenCells(const std::string& bits, int last);

// The chosen cells of one file at a time, each on its own surface, in one
// reading of the file when the library can (drawn as the file is started),
// else each when it is asked for (so that an abort between cells draws no
// more). Each worker owns its own.
class CellDrawer {
 public:
  CellDrawer(ThumbnailCalls lib, std::uint32_t edge, int partX, SampledFormats formats)
      : lib_(lib), edge_(edge), partX_(partX), formats_(formats) {}

  // Starts on `file`, opened at `path`, with its cells `parts`, as indexed
  // below; `file` stays open until the last Draw.
  void Start(const fs::ReadOnlyFile& file, const std::string& path, const std::vector<int>& parts);
  // Whether the started file is a JPEG by its first bytes.
  bool jpeg() const { return jpeg_; }
  // Cell parts[i] drawn: the library's answer, or kNotSampled.
  int Draw(std::size_t i);
  PixelWindow Window(std::size_t i) const { return surfaces_[i].Window(); }

 private:
  ThumbnailCalls lib_;
  std::uint32_t edge_;
  int partX_;
  SampledFormats formats_;
  const fs::ReadOnlyFile* file_ = nullptr;
  std::string path_;
  std::vector<int> parts_, answers_;
  std::vector<Surface> surfaces_;
  bool jpeg_ = false, sampled_ = false;
};

// The thumbnail sampler: the whole picture scaled into the top-left
// rectangle of `surface` on white (300 for the ratio run, 100 for the
// strength run). Each worker passes its own surface; the second ratio
// worker's sampler (readJpegTolpBMP2) is this function on its surface.
int readJpegTolpBMP(const ThumbnailCalls& lib, const fs::ReadOnlyFile& file, const std::string& path, Surface& surface,
                    SampledFormats formats = SampledFormats::kJpeg);

}  // namespace pictray
