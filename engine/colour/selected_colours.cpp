#include "engine/colour/selected_colours.h"

#include <algorithm>
#include <charconv>

#include "engine/colour/exact_colour.h"
#include "engine/jpeg/header_check.h"
#include "engine/jpeg/jpeg_decode.h"
#include "engine/jpeg/jpeg_rows.h"
#include "engine/names/text_list.h"

namespace pictray {
namespace {

// One channel: 1 to 3 digits, 0..255.
std::optional<int> Channel(std::string_view text) {
  int v = 0;
  if (text.empty() || text.size() > 3 || text.find_first_not_of("0123456789") != std::string_view::npos) return {};
  std::from_chars(text.data(), text.data() + text.size(), v);
  if (v > 255) return {};
  return v;
}

}  // namespace

std::optional<std::uint32_t> ParseColourText(std::string_view text) {
  const std::size_t a = text.find(':');
  const std::size_t b = a == std::string_view::npos ? a : text.find(':', a + 1);
  if (b == std::string_view::npos) return {};
  const auto r = Channel(text.substr(0, a)), g = Channel(text.substr(a + 1, b - a - 1)), bl = Channel(text.substr(b + 1));
  if (!r || !g || !bl) return {};
  return ColourValue({*r, *g, *bl});
}

SelectedColours::SelectedColours(std::size_t ColorMax) : ColorMax_(ColorMax), bits_(kColourCount / 64, 0) {}

bool SelectedColours::Add(std::uint32_t rgb) {
  rgb &= 0xFFFFFF;
  if (Contains(rgb) || full()) return false;
  bits_[rgb >> 6] |= std::uint64_t(1) << (rgb & 63);
  dwColors_.push_back(rgb);
  return true;
}

void SelectedColours::dwColorsClear() {
  dwColors_.clear();
  std::fill(bits_.begin(), bits_.end(), 0);
}

void AddColourLine(SelectedColours& listed, std::string_view line, std::size_t* skipped) {
  // A list written on another system may end its lines with CR LF.
  if (line.ends_with('\r')) line.remove_suffix(1);
  const std::optional<std::uint32_t> rgb = ParseColourText(line);
  if (rgb) listed.Add(*rgb);
  else ++*skipped;
}

int ReadColourList(const fs::Env& env, const std::string& path, SelectedColours& listed, std::size_t* skipped) {
  return ReadTextList(env, path, [&](std::string_view line) { AddColourLine(listed, line, skipped); });
}

std::size_t dwColorsSet(SelectedColours& set, const SelectedColours& listed) {
  set.dwColorsClear();
  if (listed.dwCount() <= set.ColorMax())
    for (std::uint32_t rgb : listed.dwColors()) set.Add(rgb);
  return listed.dwCount();
}

std::size_t dwColorsSet(SelectedColours& set, const std::vector<std::string>& lines, std::size_t* skipped) {
  *skipped = 0;
  SelectedColours listed(lines.size());
  for (const std::string& line : lines) AddColourLine(listed, line, skipped);
  return dwColorsSet(set, listed);
}

void PickColours(SelectedColours& set, int left, int top, int right, int bottom,
                 const std::function<Rgb(int x, int y)>& pixel) {
  for (int y = top; y < bottom && !set.full(); ++y)
    for (int x = left; x < right && !set.full(); ++x) set.Add(ColourValue(pixel(x, y)));
}

int ColourMode(const std::string& value) {
  return value == "2" ? 2 : value == "3" ? 3 : value == "4" ? 4 : 1;
}

std::string AllColourLabel(int mode, std::optional<std::uint32_t> found) {
  switch (mode) {
    case 2: return found ? "1_1_1" : "";
    case 3: return found ? ColourKey(*found) : "0-0-0";
    case 4: return found ? ColourKey(*found) : "";
    default: return found ? "1_1_1" : "0_0_0";
  }
}

namespace {

// The first match while the rows arrive from the picture's top, the scan
// order starting at its bottom: the leftmost match of the last row that
// has one.
class FirstMatchFromBottom {
 public:
  FirstMatchFromBottom(const SelectedColours& set, const std::function<bool()>& aborted,
                       const std::function<void(int)>& rowsDone)
      : set_(set), aborted_(aborted), rowsDone_(rowsDone) {}

  // False once the run is aborted.
  bool Row(const std::uint8_t* bgr, std::uint32_t width, std::uint32_t height) {
    if (aborted_()) return false;
    for (std::uint32_t x = 0; x < width; ++x) {
      const std::uint8_t* p = bgr + 3 * std::size_t(x);
      const std::uint32_t rgb = std::uint32_t(p[2]) << 16 | std::uint32_t(p[1]) << 8 | p[0];
      if (set_.Contains(rgb)) {
        found = rgb;
        break;
      }
    }
    const int percent = static_cast<int>(std::uint64_t(++done_) * 100 / height);
    if (percent != shown_ && rowsDone_) rowsDone_(shown_ = percent);
    return true;
  }

  std::optional<std::uint32_t> found;

 private:
  const SelectedColours& set_;
  const std::function<bool()>& aborted_;
  const std::function<void(int)>& rowsDone_;
  std::uint32_t done_ = 0;
  int shown_ = -1;
};

}  // namespace

ScanResult ScanFullPicture(const fs::ReadOnlyFile& file, const SelectedColours& set,
                           const std::function<bool()>& aborted, const std::function<void(int)>& rowsDone) {
  FirstMatchFromBottom scan(set, aborted, rowsDone);
  const RowsOutcome outcome = JpegForEachRow(
      file, [&](std::uint32_t, const std::uint8_t* bgr, std::uint32_t width, std::uint32_t height) {
        return scan.Row(bgr, width, height);
      });
  if (outcome == RowsOutcome::Stopped) return {ScanResult::Aborted, {}};
  if (outcome == RowsOutcome::Failed) return {ScanResult::NotDecoded, {}};
  return {ScanResult::Scanned, scan.found};
}

ScanResult ScanPictureRows(const ThumbnailCalls& lib, const fs::ReadOnlyFile& file, const std::string& path,
                           const SelectedColours& set,
                           const std::function<bool()>& aborted, const std::function<void(int)>& rowsDone) {
  FirstMatchFromBottom scan(set, aborted, rowsDone);
  const auto row = [](void* ctx, const unsigned char* bgr, unsigned width, unsigned height) {
    return static_cast<FirstMatchFromBottom*>(ctx)->Row(bgr, width, height) ? 1 : 0;
  };
  const int outcome = lib.Rows(file, path.c_str(), row, &scan);
  if (outcome == 2) return {ScanResult::Aborted, {}};
  if (outcome != 0) return {ScanResult::NotDecoded, {}};
  return {ScanResult::Scanned, scan.found};
}

std::size_t MatchThreshold(std::size_t dwCount, int MatchPer) {
  return std::max<std::size_t>(1, dwCount * static_cast<std::size_t>(std::max(MatchPer, 0)) / 100);
}

std::string MatchCell(const PixelWindow& cell, const SelectedColours& set, const PartColourRules& rules,
                      const std::function<void(std::uint32_t)>& rowDone) {
  const bool firstDecides = rules.mode == 3 || rules.mode == 4;
  std::size_t hits = 0;
  std::optional<std::uint32_t> key;
  for (std::uint32_t i = 0; i < cell.height && !(firstDecides && key); ++i) {
    if (rowDone) rowDone(i);
    for (std::uint32_t j = 0; j < cell.width; ++j) {
      const std::uint32_t rgb = ColourValue(cell.At(j, i));
      if (!set.Contains(rgb)) continue;
      ++hits;
      key = rgb;
      if (firstDecides) break;
    }
  }
  switch (rules.mode) {
    case 2: return hits >= rules.threshold ? kMatchFolder : "";
    case 3: return key ? ColourKey(*key) : kNoMatchFolder;
    case 4: return key ? ColourKey(*key) : "";
    default: return hits == 0 ? kNoMatchFolder : hits >= rules.threshold ? kMatchFolder : "";
  }
}

std::string MatchDrawnCell(CellDrawer& cells, std::size_t i, const SelectedColours& set, const PartColourRules& rules,
                           const std::function<void(std::uint32_t)>& rowDone) {
  const int drawn = cells.Draw(i);
  if (drawn == 9) return cells.jpeg() ? "no support" : "";
  if (drawn != 0) return "error";
  return MatchCell(cells.Window(i), set, rules, rowDone);
}

}  // namespace pictray
