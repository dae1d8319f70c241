// The exact-colour table of the RGB analysis: every distinct colour of the
// sampled pixels with its count, and the search for the most frequent one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/colour/pixel_window.h"
#include "engine/colour/thumbnail.h"

namespace pictray {

// A colour's count stops here: a flat picture is worth as much as any
// colour that fills a thousand pixels.
inline constexpr int kColourCountCap = 1000;
inline constexpr const char* kUnmeasured = "unmeasured";

struct ColorSample {
  std::uint32_t rgb = 0;  // red x 65536 + green x 256 + blue
  int count = 0;          // 1..kColourCountCap
};

// "%03d:%03d:%03d" of red, green, blue.
std::string ColourKey(std::uint32_t rgb);

// The samples of one file (all its cells), in the order their colours were
// first met. Looking a colour up goes through an index, so a pixel costs
// the same however many colours the table holds.
class ExactColourTable {
 public:
  // samcount: the most colours the table takes.
  explicit ExactColourTable(std::size_t samcount)
      : samcount_(samcount), keys_(kFirstSlots, kNoColour), places_(kFirstSlots) {}

  // Counts the pixels of `window` in scan order; with `pixelPass` only its
  // odd rows and odd columns (1, 3, ...). A known colour counts up to the
  // cap; a new one is appended while there is room, and once the table is
  // full the rest of the row is passed over (known colours of later rows
  // still count). `rowDone` hears each visited row's number.
  void Count(const PixelWindow& window, bool pixelPass, const std::function<void(std::uint32_t)>& rowDone);

  const std::vector<ColorSample>& samples() const { return samples_; }

 private:
  // The index is open addressing over a power-of-two table at most half
  // full: a photo's noise brings thousands of colours per file, and a
  // node for each cost more than the counting.
  static constexpr std::uint32_t kNoColour = 0xFFFFFFFF;  // above any 24-bit colour
  static constexpr std::size_t kFirstSlots = 1024;
  // Where `rgb` is in keys_, or the empty slot where it would go.
  std::size_t Slot(std::uint32_t rgb) const;
  // Doubles the index and puts every sample back.
  void Grow();

  std::size_t samcount_;
  std::vector<ColorSample> samples_;
  std::vector<std::uint32_t> keys_;    // colours, kNoColour where empty
  std::vector<std::uint32_t> places_;  // keys_[i]'s place in samples_
};

// What the search leaves out, and how far it looks.
struct MaxSearch {
  bool Exec255bit = false;  // never 255:255:255
  bool Exec000bit = false;  // never 000:000:000
  bool ExecOWNbit = false;  // never the colour ExecRGB
  std::string ExecRGB;      // as the user typed it: RRR:GGG:BBB
  std::size_t walkLimit = 0;  // only the first walkLimit samples are looked at
};

// SacrchMaxIndex2: the key of the most frequent colour that is not left
// out. A colour must occur at least twice; of equal counts the first met
// wins. kUnmeasured when none qualifies.
std::string SacrchMaxIndex2(const ExactColourTable& table, const MaxSearch& search);

// One worker's means of filling the table: the thumbnail library, the
// grid, pixel skipping and the 100 x 100 surface the cells are drawn into.
inline constexpr const char* kNoPictureLabel = "no picture";

class CellSampler {
 public:
  CellSampler(ThumbnailCalls lib, int partX, bool pixelPass, SampledFormats formats = SampledFormats::kJpeg)
      : pixelPass_(pixelPass), cells_(lib, 100, partX, formats) {}

  // Starts on `file`, opened at `path`, whose cells `parts` are counted
  // next (drawn together when the library can).
  void Start(const fs::ReadOnlyFile& file, const std::string& path, const std::vector<int>& parts) {
    cells_.Start(file, path, parts);
  }
  // Draws the i-th started cell and counts its pixels into `table`. "" when
  // counted; "error" when the cell could not be drawn, kNoPictureLabel when
  // the file is no picture (the table is left as it was either way).
  std::string CountCell(std::size_t i, ExactColourTable& table, const std::function<void(std::uint32_t)>& rowDone);

 private:
  bool pixelPass_;
  CellDrawer cells_;
};

}  // namespace pictray
