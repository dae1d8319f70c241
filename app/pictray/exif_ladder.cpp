#include "app/pictray/exif_ladder.h"

namespace pictray::app {
namespace {

constexpr int kLineLength = 5;  // 年月日, 時, 10分, 1分, 秒
// "ExifSel" of each box, in the order of ExifBox.
constexpr const char* kValues[kExifBoxCount] = {"1",  "2",  "3",  "4",  "11", "7",  "8",  "9",  "10", "12",
                                                "5",  "6",  "14", "15", "16", "17", "20", "21", "18", "19"};

bool InDateLine(ExifBox b) { return Bit(b) < 2 * kLineLength; }
std::size_t LineStart(ExifBox b) { return Bit(b) < kLineLength ? 0 : kLineLength; }

// The box and the coarser boxes of its line; any other box alone.
ExifBoxes UpTo(ExifBox b) {
  ExifBoxes boxes;
  if (!InDateLine(b)) return boxes.set(Bit(b));
  for (std::size_t i = LineStart(b); i <= Bit(b); ++i) boxes.set(i);
  return boxes;
}

}  // namespace

ExifBoxes BoxesOfExifSel(const std::string& ExifSel) {
  for (int i = 0; i < kExifBoxCount; ++i)
    if (ExifSel == kValues[i]) return UpTo(static_cast<ExifBox>(i));
  return {};
}

std::string ExifSelOfBoxes(const ExifBoxes& boxes) {
  // Finest first within a line; the modified date's line before the others.
  for (std::size_t line : {std::size_t{0}, std::size_t{kLineLength}})
    for (std::size_t i = line + kLineLength; i-- > line;)
      if (boxes.test(i)) return kValues[i];
  for (std::size_t i = Bit(ExifBox::Maker); i < kExifBoxCount; ++i)
    if (boxes.test(i)) return kValues[i];
  return "0";
}

ExifBoxes ClickExifBox(const ExifBoxes& before, ExifBox box, bool checked) {
  if (checked) return UpTo(box);
  ExifBoxes after = before;
  after.reset(Bit(box));
  if (!InDateLine(box)) return after;
  const std::size_t place = Bit(box) - LineStart(box);
  if (place + 1 == kLineLength || !before.test(Bit(box) + 1)) return after;
  if (place + 2 == kLineLength) {
    // 1分 under 秒: the line stays at 10分.
    after.reset(Bit(box) + 1);
    return after | UpTo(static_cast<ExifBox>(Bit(box) - 1));
  }
  return after | UpTo(box);
}

}  // namespace pictray::app
