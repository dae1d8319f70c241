// The boxes of the analysis settings that choose what the Exif run labels a
// file with ("ExifSel"): two date lines, each a ladder 年月日 - 時 - 10分 -
// 1分 - 秒 (the modified date and the creation date), the maker and the
// software, beside each date line its month and year alone, and its
// year/month and year/month/day as nested folders. One line is
// chosen at a time; a finer box of a line needs the coarser ones.
#pragma once

#include <bitset>
#include <string>

namespace pictray::app {

enum class ExifBox {
  ModDate, ModHour, ModTenMinutes, ModMinute, ModSecond,
  MadeDate, MadeHour, MadeTenMinutes, MadeMinute, MadeSecond,
  Maker, Software,
  ModMonth, ModYear, MadeMonth, MadeYear,
  ModFolderMonth, ModFolderDay, MadeFolderMonth, MadeFolderDay
};
inline constexpr int kExifBoxCount = 20;
using ExifBoxes = std::bitset<kExifBoxCount>;

inline constexpr std::size_t Bit(ExifBox b) { return static_cast<std::size_t>(b); }

// The boxes that show `ExifSel` (none for "0" or a value no box stands for).
ExifBoxes BoxesOfExifSel(const std::string& ExifSel);
// "ExifSel" of the boxes: the finest checked box of the checked line, the
// maker "5", the software "6", a month or year alone "14"-"17", the
// nested folders "18"-"21"; "0" when
// none is checked.
std::string ExifSelOfBoxes(const ExifBoxes& boxes);
// The boxes after the user has set `box` to `checked`, the others being
// `before`. Checking a box keeps its line up to it and clears every other
// box; unchecking a box whose finer neighbour is still checked is undone,
// except that unchecking 1分 under a checked 秒 leaves the line at 10分.
ExifBoxes ClickExifBox(const ExifBoxes& before, ExifBox box, bool checked);

}  // namespace pictray::app
