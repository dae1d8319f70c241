// Names of the RGB analysis: the most frequent exact colour of the chosen
// grid cells as a folder name such as 128_064_000.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "engine/colour/exact_colour.h"
#include "engine/settings/profile.h"

namespace pictray {

// The most cells a grid has (8 x 8).
inline constexpr int kMaxCells = 64;

// isRGB: 1 when `text` is a colour folder name: at most 12 characters, "_"
// at places 3 and 7, digits at 0..2, 4..6 and 8..10 (a 12th character is
// not looked at); else 0.
int isRGB(const std::string& text);

// CatRGB: a colour folder name with every channel v made (v / step) x step,
// written back as "%03d_%03d_%03d"; any other text (or a step below 1)
// becomes a single space.
void CatRGB(std::string& text, int step);

// The RGB analysis dialog's settings and those it shares with the others.
struct RgbSettings {
  std::size_t samcount = 0;  // most colours a file's table takes
  bool PixelPassbit = false;
  int PartX = 4;
  MaxSearch search;
  std::string RGB64 = "0";  // coarsening: "1" by 64, "2" by 32, "3" by 16
  std::string disabledchar;

  static RgbSettings Read(const ProfileSnapshot& profile);
};

// The row's target from SacrchMaxIndex2's key: the disabled characters
// become "_" (the colons with the default setting), then the coarsening.
std::string RgbFolderName(const std::string& key, const RgbSettings& settings);

// strJpos_bit, the cell selection: 65 characters "0"/"1"; place k (1..64)
// is "1" when cell k is chosen, place 0 is "1" when none is. Numbers
// outside 1..64 are passed over.
std::string MakeJposBit(const std::vector<int>& cells);

}  // namespace pictray
