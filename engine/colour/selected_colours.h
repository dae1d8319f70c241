// The selected-colour set of the all-colour and part-colour classifications:
// exact colours the user picked on a sample picture or loaded from a colour
// list, the modes that turn "a colour was found" into a folder name, and the
// two ways a picture is looked at: every pixel of the full-size picture, or
// one grid cell drawn at 75 x 75.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/colour/pixel_window.h"
#include "engine/colour/thumbnail.h"
#include "engine/fs/env.h"

namespace pictray {

// The colour list file beside the program: the colour lists' default place.
inline constexpr const char* kRgbTxt = "RGB.txt";
// How many colours there are: a set this large never turns a colour away.
inline constexpr std::size_t kColourCount = std::size_t{1} << 24;
// The edge a part-colour cell is drawn at.
inline constexpr int kPartCellEdge = 75;

inline constexpr std::uint32_t ColourValue(Rgb c) {
  return std::uint32_t(c.r) << 16 | std::uint32_t(c.g) << 8 | std::uint32_t(c.b);
}

// A colour list line "RRR:GGG:BBB" (each 0..255, as "%03d:%03d:%03d" writes
// it, shorter numbers taken too) as red x 65536 + green x 256 + blue;
// nothing for any other text (an empty line is no colour, not black).
std::optional<std::uint32_t> ParseColourText(std::string_view text);

// dwColors with dwCount and the capacity ColorMax. Whether a colour is in
// the set is answered by one bit per possible colour (2 MB), so a pixel
// costs the same however many colours are selected; the list keeps the
// order in which they were added.
class SelectedColours {
 public:
  explicit SelectedColours(std::size_t ColorMax = 0);

  std::size_t ColorMax() const { return ColorMax_; }
  std::size_t dwCount() const { return dwColors_.size(); }
  const std::vector<std::uint32_t>& dwColors() const { return dwColors_; }
  bool full() const { return dwColors_.size() >= ColorMax_; }
  bool Contains(std::uint32_t rgb) const { return (bits_[rgb >> 6 & 0x3FFFF] >> (rgb & 63) & 1) != 0; }

  // Appends a colour not in the set yet while there is room; false when it
  // was there already or the set is full.
  bool Add(std::uint32_t rgb);
  // dwColorsClear: no colour, capacity kept.
  void dwColorsClear();

 private:
  std::size_t ColorMax_;
  std::vector<std::uint32_t> dwColors_;
  std::vector<std::uint64_t> bits_;
};

// One line of a colour list (a CR LF line end taken too) into `listed`,
// which keeps each colour once in the order first named; a line that names
// no colour is counted in `skipped`.
void AddColourLine(SelectedColours& listed, std::string_view line, std::size_t* skipped);

// Every line of the colour list at `path` through AddColourLine, as it is
// read. Returns 0, or why the list was refused (see TextListRefusalText);
// then what it added is no list's and is not to be used.
int ReadColourList(const fs::Env& env, const std::string& path, SelectedColours& listed, std::size_t* skipped);

// dwColorsSet: the set rebuilt from the colours a colour list names
// (`listed`); returns how many. When they are more than ColorMax the set
// stays empty and the caller shows the capacity error.
std::size_t dwColorsSet(SelectedColours& set, const SelectedColours& listed);
// The same from the list's lines, those that name no colour passed over
// (their number in `skipped`).
std::size_t dwColorsSet(SelectedColours& set, const std::vector<std::string>& lines, std::size_t* skipped);

// The colours of a picked rectangle, added row by row (top row first, each
// from the left) while there is room; once the set is full the rest of the
// rectangle adds nothing. `pixel(x, y)` reads the picture, y from the top.
void PickColours(SelectedColours& set, int left, int top, int right, int bottom,
                 const std::function<Rgb(int x, int y)>& pixel);

// AllColorMode / PartColorMode: "1".."4"; anything else ("0": no box
// checked) counts as "1", the first mode.
int ColourMode(const std::string& value);

// The all-colour label of the mode table: the first matching pixel's key
// ("%03d:%03d:%03d") or nothing found, before the folder-name sanitiser.
std::string AllColourLabel(int mode, std::optional<std::uint32_t> found);

// Where the full-size scan stands.
struct ScanResult {
  enum Outcome { Scanned, NotDecoded, Aborted } outcome = Scanned;
  std::optional<std::uint32_t> found;  // the first matching pixel's colour
};

// Looks through every pixel of the JPEG `file` at full size, in the
// order of the bottom-up pixel array (the picture's bottom row first, each
// row from the left), for the first pixel whose colour is in `set`.
// `aborted` is asked before each pixel row; `rowsDone` hears the share of
// rows decoded in percent whenever it grows.
ScanResult ScanFullPicture(const fs::ReadOnlyFile& file, const SelectedColours& set,
                           const std::function<bool()>& aborted, const std::function<void(int)>& rowsDone);

// As ScanFullPicture, for a picture of any format the thumbnail library's
// PictureRows reads: `file`, open at `path`.
ScanResult ScanPictureRows(const ThumbnailCalls& lib, const fs::ReadOnlyFile& file, const std::string& path,
                           const SelectedColours& set,
                           const std::function<bool()>& aborted, const std::function<void(int)>& rowsDone);

// The match threshold: dwCount x MatchPer / 100, at least 1.
std::size_t MatchThreshold(std::size_t dwCount, int MatchPer);

// The part-colour rules for one cell.
struct PartColourRules {
  int mode = 1;
  std::size_t threshold = 1;
};

// The pixels of one drawn cell against the set, in scan order: every match
// is a hit and its key the last one met; modes 3 and 4 stop at the first.
// The label: "1": no hit "0-0-0", hits up to the threshold "1-1-1", fewer
// ""; "2": "1-1-1" or ""; "3": the first match's key or "0-0-0"; "4": the
// key or "". `rowDone` hears each pixel row's number.
std::string MatchCell(const PixelWindow& cell, const SelectedColours& set, const PartColourRules& rules,
                      const std::function<void(std::uint32_t)>& rowDone);

// CompJpegColor: the i-th cell of the file `cells` started on (drawn at
// kPartCellEdge) matched: "no support" when the library refuses the format
// of a JPEG, "" for another file that is no picture (kAll), "error" when
// the cell cannot be drawn (nor sampled: no library, CMYK, over the pixel
// budget, another format with kJpeg), else MatchCell's label.
std::string MatchDrawnCell(CellDrawer& cells, std::size_t i, const SelectedColours& set, const PartColourRules& rules,
                           const std::function<void(std::uint32_t)>& rowDone);

// What the part-colour labels say.
inline constexpr const char* kMatchFolder = "1-1-1";
inline constexpr const char* kNoMatchFolder = "0-0-0";

}  // namespace pictray
