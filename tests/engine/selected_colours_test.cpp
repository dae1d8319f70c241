// The selected-colour set and its rules: colour list lines, loading and
// saving lists, the capacity, picking, the mode labels, the threshold, one
// cell's match, and the full-size scan against a plain linear search of the
// decoded picture.
#include "engine/colour/selected_colours.h"

#include <gtest/gtest.h>

#include <optional>

#include "engine/colour/exact_colour.h"
#include "engine/jpeg/jpeg_decode.h"
#include "engine/names/folda_name.h"
#include "engine/names/text_list.h"
#include "engine/settings/settings_keys.h"
#include "tests/engine/colour_test_util.h"
#include "tests/engine/jpeg_test_util.h"
#include "tests/engine/selected_colour_util.h"
#include "tests/support/temp_dir.h"
#include "texts/texts.h"

namespace pictray {
namespace {

using testing::Paint;
using testing::Put;

std::string CapacityMessage(std::size_t ColorMax, std::size_t count) {
  const Message tooMany{Said::TooManyColours, {}, {static_cast<long long>(ColorMax), static_cast<long long>(count)}};
  return texts::Words(tooMany, texts::Language::Japanese);
}

TEST(SelectedColours, ColourTextsAreThreeChannelsOfAtMost255) {
  const struct {
    const char* text;
    std::optional<std::uint32_t> value;
  } cases[] = {{"255:000:016", 0xFF0010}, {"0:0:0", 0}, {"1:2:3", 0x010203}, {"", std::nullopt},
               {"256:000:000", std::nullopt}, {"1:2", std::nullopt}, {"1:2:3:4", std::nullopt},
               {"a:b:c", std::nullopt}, {"-1:0:0", std::nullopt}, {"1::3", std::nullopt}, {"0001:0:0", std::nullopt}};
  for (const auto& c : cases) EXPECT_EQ(ParseColourText(c.text), c.value) << c.text;
}

TEST(SelectedColours, ListSavedAndLoadedGivesTheSameSet) {
  testing::TempDir dir;
  SelectedColours set(10);
  for (std::uint32_t rgb : {0xFF0010u, 0u, 0x808080u}) set.Add(rgb);
  std::vector<std::string> lines;
  for (std::uint32_t rgb : set.dwColors()) lines.push_back(ColourKey(rgb));
  ASSERT_TRUE(listsave(fs::DefaultEnv(), lines, dir.path() + "/" + kRgbTxt));
  SelectedColours listed(kColourCount);
  listed.Add(0x808080);  // already in the dialog's list
  std::size_t skipped = 0;
  ASSERT_EQ(ReadColourList(fs::DefaultEnv(), dir.path() + "/" + kRgbTxt, listed, &skipped), 0);
  SelectedColours again(10);
  EXPECT_EQ(dwColorsSet(again, listed), 3u);
  EXPECT_EQ(again.dwColors(), (std::vector<std::uint32_t>{0x808080, 0xFF0010, 0}));
  std::vector<std::string> loaded;
  LoadTextList(fs::DefaultEnv(), loaded, dir.path() + "/" + kRgbTxt);
  skipped = 9;
  EXPECT_EQ(dwColorsSet(again, loaded, &skipped), 3u);
  EXPECT_EQ(again.dwColors(), set.dwColors());
  EXPECT_EQ(skipped, 0u);
  EXPECT_TRUE(again.Contains(0x808080) && !again.Contains(0x808081));
}

// Lines that name no colour (blank ones too) are no black; a colour listed
// twice counts once; more colours than the capacity empty the set.
TEST(SelectedColours, LoadingSkipsNonColoursAndRefusesMoreThanColorMax) {
  SelectedColours set(3);
  std::size_t skipped = 0;
  EXPECT_EQ(dwColorsSet(set, {"001:002:003\r", "", "note", "001:002:003", "9:9:9"}, &skipped), 2u);
  EXPECT_EQ(set.dwColors(), (std::vector<std::uint32_t>{0x010203, 0x090909}));
  EXPECT_EQ(skipped, 2u);
  EXPECT_FALSE(set.Contains(0));

  EXPECT_EQ(dwColorsSet(set, {"1:1:1", "2:2:2", "3:3:3", "4:4:4"}, &skipped), 4u);
  EXPECT_EQ(set.dwCount(), 0u);
  EXPECT_FALSE(set.Contains(0x010101));
  EXPECT_EQ(CapacityMessage(3, 4), "選択は[3]色以下にして下さい。(4)");
}

TEST(SelectedColours, PickingStopsAtColorMaxWithoutComplaint) {
  SelectedColours set(5);
  // Every pixel of the 4 x 3 rectangle has a colour of its own.
  PickColours(set, 1, 1, 5, 4, [](int x, int y) { return Rgb{x, y, 7}; });
  EXPECT_EQ(set.dwColors(), (std::vector<std::uint32_t>{0x010107, 0x020107, 0x030107, 0x040107, 0x010207}));
  set.dwColorsClear();
  PickColours(set, 0, 0, 3, 3, [](int, int) { return Rgb{1, 2, 3}; });
  EXPECT_EQ(set.dwColors(), std::vector<std::uint32_t>{0x010203});
}

TEST(SelectedColours, AllColourLabelsFollowTheModeAndTheSanitiser) {
  const std::uint32_t found = 0xFF0010;
  const struct {
    std::string mode;
    std::optional<std::uint32_t> found;
    const char* target;
  } cases[] = {{"1", found, "1_1_1"},       {"1", std::nullopt, "0_0_0"}, {"2", found, "1_1_1"},
               {"2", std::nullopt, ""},      {"3", found, "255_000_016"}, {"3", std::nullopt, "0-0-0"},
               {"4", found, "255_000_016"}, {"4", std::nullopt, ""},      {"0", std::nullopt, "0_0_0"}};
  for (const auto& c : cases)
    EXPECT_EQ(GetFoldaName(AllColourLabel(ColourMode(c.mode), c.found), 1, kDefaultDisabledChars), c.target)
        << c.mode << " " << c.found.has_value();
}

TEST(SelectedColours, ThresholdIsAShareOfTheColoursAndAtLeastOne) {
  const struct {
    std::size_t count;
    int MatchPer;
    std::size_t threshold;
  } cases[] = {{20, 10, 2}, {5, 10, 1}, {0, 10, 1}, {1000, 100, 1000}, {1000, 0, 1}, {19, 10, 1}, {199, 50, 99}};
  for (const auto& c : cases) EXPECT_EQ(MatchThreshold(c.count, c.MatchPer), c.threshold) << c.count << " " << c.MatchPer;
}

TEST(SelectedColours, CellLabelsCountHitsOrTakeTheFirstMatch) {
  SelectedColours set(100);
  for (int i = 0; i < 20; ++i) set.Add(ColourValue({i, 100, 200}));
  const std::size_t threshold = MatchThreshold(set.dwCount(), 10);  // 2
  const Rgb a{3, 100, 200}, b{7, 100, 200};
  const struct {
    const char* what;
    int mode;
    std::vector<std::pair<std::uint32_t, Rgb>> pixels;  // scan-order place, colour
    const char* label;
  } cases[] = {
      {"two hits reach the threshold", 1, {{10, a}, {4000, b}}, "1-1-1"},
      {"one hit is below it", 1, {{10, a}}, ""},
      {"no hit at all", 1, {}, "0-0-0"},
      {"mode 2 without hits", 2, {}, ""},
      {"mode 2 at the threshold", 2, {{0, a}, {1, a}}, "1-1-1"},
      {"mode 3 takes the first in scan order", 3, {{80, b}, {4000, a}}, "007:100:200"},
      {"mode 3 without hits", 3, {}, "0-0-0"},
      {"mode 4 without hits", 4, {}, ""},
      {"mode 4 with one hit", 4, {{5624, a}}, "003:100:200"},
  };
  for (const auto& c : cases) {
    Surface cell(kPartCellEdge);
    testing::Fill(cell, {255, 255, 255});
    for (const auto& [at, colour] : c.pixels) Paint(cell, at, 1, colour);
    std::uint32_t rows = 0;
    EXPECT_EQ(MatchCell(cell.Window(), set, {c.mode, threshold}, [&](std::uint32_t) { ++rows; }), c.label) << c.what;
    if (c.mode == 1 || c.mode == 2) {
      EXPECT_EQ(rows, 75u) << c.what;
    }
  }
}

// The full-size scan finds what a linear search of JpegToBuffer's picture,
// row 0 first, finds: on pictures made here and on the fixtures (grey,
// CMYK, progressive), for sets holding a few of their colours.
TEST(SelectedColours, FullScanFindsTheFirstMatchOfALinearSearch) {
  testing::TempDir dir;
  const std::string two = dir.path() + "/two.jpg";
  ASSERT_TRUE(testing::WriteJpeg(two, 48, 40, [](int x, int y) {
    if (x < 8 && y < 8) return Rgb{250, 10, 10};
    if (x >= 40 && y >= 32) return Rgb{10, 10, 250};
    return Rgb{128, 128, 128};
  }));
  for (const std::string& path : {two, testing::JpegFixture("rgb_3x2.jpg"), testing::JpegFixture("grey_3x2.jpg"),
                                 testing::JpegFixture("cmyk_4x2.jpg"), testing::JpegFixture("progressive_64x48.jpg")}) {
    Picture pic;
    ASSERT_EQ(JpegToBuffer(fs::DefaultEnv(), path, pic), 0) << path;
    const auto colourAt = [&](std::uint32_t x, std::uint32_t y) {
      const std::uint8_t* p = pic.Pixel(x, y);
      return ColourValue({p[2], p[1], p[0]});
    };
    // Sets: the top-left colour alone; the top-left and bottom-right ones;
    // a colour that is not there.
    const std::vector<std::vector<std::uint32_t>> sets = {
        {colourAt(0, 0)}, {colourAt(0, 0), colourAt(pic.dwWidth - 1, pic.dwHeight - 1)}, {0x123457}};
    for (const auto& colours : sets) {
      SelectedColours set(10);
      for (std::uint32_t c : colours) set.Add(c);
      std::optional<std::uint32_t> expected;
      for (std::uint32_t row = 0; row < pic.dwHeight && !expected; ++row)
        for (std::uint32_t x = 0; x < pic.dwWidth && !expected; ++x) {
          const std::uint8_t* p = pic.lpBMP() + std::size_t(row) * pic.dwLength + 3 * x;
          for (std::uint32_t c : set.dwColors())
            if (ColourValue({p[2], p[1], p[0]}) == c) expected = c;
        }
      int lastPercent = -1;
      const ScanResult r = ScanFullPicture(fs::ReadOnlyFile(fs::DefaultEnv(), path), set, [] { return false; }, [&](int p) { lastPercent = p; });
      EXPECT_EQ(r.outcome, ScanResult::Scanned) << path;
      EXPECT_EQ(r.found, expected) << path << " " << colours.size();
      EXPECT_EQ(lastPercent, 100) << path;
    }
  }
  SelectedColours any(1);
  any.Add(0x808080);
  EXPECT_EQ(ScanFullPicture(fs::ReadOnlyFile(fs::DefaultEnv(), two), any, [] { return true; }, nullptr).outcome, ScanResult::Aborted);
  const std::string text = dir.Write("note.jpg", "not a picture");
  EXPECT_EQ(ScanFullPicture(fs::ReadOnlyFile(fs::DefaultEnv(), text), any, [] { return false; }, nullptr).outcome, ScanResult::NotDecoded);
}

}  // namespace
}  // namespace pictray
