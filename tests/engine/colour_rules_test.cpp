// The colour module's rules on painted surfaces: levels and buckets, the
// ratio names, the exact-colour table, the colour folder names and the
// strength rule.
#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

#include "engine/colour/buckets.h"
#include "engine/colour/exact_colour.h"
#include "engine/colour/ratio_name.h"
#include "engine/colour/rgb_name.h"
#include "engine/colour/strength.h"
#include "engine/settings/profile.h"
#include "engine/settings/settings_keys.h"
#include "tests/engine/colour_test_util.h"
#include "tests/engine/jpeg_test_util.h"
#include "tests/support/temp_dir.h"

namespace pictray {
namespace {

using testing::Paint;
constexpr Rgb kWhite{255, 255, 255}, kBlack{0, 0, 0};

struct Level {
  int x, a, a64;
};
class Levels : public ::testing::TestWithParam<Level> {};
TEST_P(Levels, CalcAAndCalcA64) {
  EXPECT_EQ(CalcA(GetParam().x), GetParam().a) << GetParam().x;
  EXPECT_EQ(CalcA64(GetParam().x), GetParam().a64) << GetParam().x;
}
INSTANTIATE_TEST_SUITE_P(Colour, Levels,
                         ::testing::Values(Level{0, 0, 0}, Level{1, 0, 1}, Level{99, 0, 1}, Level{100, 1, 1},
                                           Level{101, 1, 2}, Level{199, 1, 2}, Level{200, 2, 2},
                                           Level{201, 2, 3}, Level{255, 2, 3}));

TEST(ColourBuckets, TablesHoldCodesAndLettersInIndexOrder) {
  EXPECT_EQ(CalcB(2, 0, 1), 19);
  EXPECT_EQ(CalcB64(3, 3, 3), 63);
  const BucketTable t = InitRgbWork(), t64 = InitRgbWork64();
  ASSERT_EQ(std::pair(t.entries.size(), t64.entries.size()), std::pair(std::size_t{27}, std::size_t{64}));
  EXPECT_EQ(t.entries[19], (RgbBucket{"201", 'S', 0}));
  EXPECT_EQ(t64.entries[21], (RgbBucket{"111", 'k', 0}));
  std::string letters;
  for (int i : {0, 1, 11, 37, 62, 63}) letters += t64.entries[std::size_t(i)].letter;
  EXPECT_EQ(letters, " 0aAZ ");
}

// White and black are never counted; dark grey only in the 64 buckets.
TEST(ColourBuckets, PaddingColoursAreNotCounted) {
  Surface s(4);
  testing::Fill(s, kWhite);
  Paint(s, 0, 3, kBlack);
  Paint(s, 3, 2, {50, 50, 50});
  BucketTable t = InitRgbWork(), t64 = InitRgbWork64();
  CountBuckets(s.Window(), t);
  CountBuckets(s.Window(), t64);
  for (const RgbBucket& b : t.entries) EXPECT_EQ(b.count, 0) << b.code;
  for (const RgbBucket& b : t64.entries) EXPECT_EQ(b.count, b.code == "111" ? 2 : 0) << b.code;
}

TEST(ColourBuckets, SortDirectionAndCharsort) {
  BucketTable t = InitRgbWork();
  t.entries[5].count = 3;
  t.entries[2].count = 7;
  t.entries[9].count = 3;
  SortBuckets(t, false);
  EXPECT_EQ(std::string() + t.entries[0].letter + t.entries[1].letter + t.entries[2].letter, "BEI");
  SortBuckets(t, true);
  EXPECT_EQ(t.entries[0].count, 0);
  EXPECT_EQ(t.entries[26].letter, 'B');
  for (auto [p3, p6, ascending] : {std::tuple{"9", "0", false}, {"2", "0", true}, {"0", "1", true}, {"1", "0", false}})
    EXPECT_EQ((RatioSettings{"0", "0", "0", p3, "0", "0", p6}.Ascending()), ascending) << p3 << p6;
  std::string s = "zA0 aQ";
  charsort(s, 4);
  EXPECT_EQ(s, " 0AzaQ");
  charsort(s, 99);
  EXPECT_EQ(s, " 0AQaz");
}

// A 10 x 10 picture whose buckets rank C, K, B, Q, on white and black.
BucketTable RankedCKBQ(bool ascending = false) {
  Surface s(10);
  testing::Fill(s, kWhite);
  Paint(s, 0, 40, {0, 150, 0});       // C "010"
  Paint(s, 40, 30, {150, 0, 250});    // K "102"
  Paint(s, 70, 20, {0, 0, 250});      // B "002"
  Paint(s, 90, 5, {150, 250, 250});   // Q "122"
  Paint(s, 95, 5, kBlack);
  BucketTable t = InitRgbWork();
  CountBuckets(s.Window(), t);
  SortBuckets(t, ascending);
  return t;
}

struct NameCase {
  RatioSettings settings;
  std::string name;
};
void PrintTo(const NameCase& c, std::ostream* os) { *os << '"' << c.name << '"'; }
class RatioNames : public ::testing::TestWithParam<NameCase> {};
TEST_P(RatioNames, FromRankedBuckets) {
  EXPECT_EQ(BucketName(RankedCKBQ(GetParam().settings.Ascending()), GetParam().settings), GetParam().name);
}
INSTANTIATE_TEST_SUITE_P(
    Colour, RatioNames,
    ::testing::Values(NameCase{{"0", "0", "0", "9", "0", "0", "0"}, "C000BKQ"},
                      NameCase{{"0", "1", "0", "9", "0", "0", "0"}, "CKB000Q"},
                      NameCase{{"0", "0", "1", "9", "0", "0", "0"}, "C000000BKQ"},
                      NameCase{{"0", "0", "0", "9", "3", "0", "0"}, "C00"},
                      NameCase{{"0", "0", "0", "0", "0", "0", "0"}, "CKBQ"},
                      NameCase{{"0", "0", "0", "0", "0", "1", "0"}, "BCKQ"},
                      NameCase{{"0", "0", "0", "0", "2", "1", "0"}, "BC"},
                      NameCase{{"0", "0", "0", "0", "0", "0", "1"}, "QBKC"},
                      NameCase{{"0", "0", "0", "1", "0", "0", "0"}, ""}));

TEST(RatioNames, WhiteAndBlackOnlyGivePlaceholders) {
  Surface s(10);
  testing::Fill(s, kWhite);
  Paint(s, 0, 50, kBlack);
  BucketTable t = InitRgbWork();
  CountBuckets(s.Window(), t);
  SortBuckets(t, false);
  EXPECT_EQ(BucketName(t, {}), "0000000");
}

// 999 pixels are a rare colour, 1000 a frequent one.
TEST(RatioNames, FrequentAndRareThresholds) {
  Surface s(50);
  testing::Fill(s, kWhite);
  Paint(s, 0, 1000, {0, 150, 0});
  Paint(s, 1000, 999, {150, 0, 250});
  for (auto [mode, name] : {std::pair{"1", "C"}, {"2", "K"}, {"0", "CK"}}) {
    const RatioSettings r{"0", "0", "0", mode, "0", "0", "0"};
    BucketTable t = InitRgbWork();
    CountBuckets(s.Window(), t);
    SortBuckets(t, r.Ascending());
    EXPECT_EQ(BucketName(t, r), name) << mode;
  }
}

TEST(ExactColours, FlatColourCountsToTheCapAndNamesItsFolder) {
  Surface s(100);
  testing::Fill(s, {12, 200, 7});
  ExactColourTable table(500000);
  std::vector<std::uint32_t> rows;
  table.Count(s.Window(), false, [&](std::uint32_t r) { rows.push_back(r); });
  ASSERT_EQ(table.samples().size(), 1u);
  EXPECT_EQ(table.samples()[0].count, 1000);
  EXPECT_EQ(rows.size(), 100u);
  const std::string key = SacrchMaxIndex2(table, {false, false, false, "", 10000});
  EXPECT_EQ(key, "012:200:007");
  RgbSettings rs;
  rs.disabledchar = kDefaultDisabledChars;
  for (auto [mode, folder] : {std::pair{"0", "012_200_007"}, {"1", "000_192_000"}, {"2", "000_192_000"},
                              {"3", "000_192_000"}}) {
    rs.RGB64 = mode;
    EXPECT_EQ(RgbFolderName(key, rs), folder) << mode;
  }
  rs.RGB64 = "2";
  EXPECT_EQ(RgbFolderName("129:070:033", rs), "128_064_032");
  EXPECT_EQ(RgbFolderName(kUnmeasured, rs), " ");
  rs.RGB64 = "0";
  EXPECT_EQ(RgbFolderName(kUnmeasured, rs), kUnmeasured);
}

// Each colour once: nothing qualifies. Of capped colours the first met in
// scan order (from the bottom row) wins; exclusions pass colours over.
TEST(ExactColours, MaximumSearchRules) {
  Surface s(100);
  for (std::uint32_t i = 0; i < 10000; ++i) Paint(s, i, 1, {int(i % 256), int(i / 256), 7});
  ExactColourTable once(500000);
  once.Count(s.Window(), false, {});
  EXPECT_EQ(once.samples().size(), 10000u);
  EXPECT_EQ(SacrchMaxIndex2(once, {false, false, false, "", 10000}), kUnmeasured);
  once.Count(s.Window(), false, {});  // a second cell of the same file adds up
  EXPECT_EQ(once.samples().size(), 10000u);
  EXPECT_EQ(SacrchMaxIndex2(once, {false, false, false, "", 10000}), "000:000:007");

  testing::Fill(s, kWhite);
  Paint(s, 0, 1200, {1, 2, 3});
  Paint(s, 1200, 1500, kBlack);
  Paint(s, 2700, 20, {9, 9, 9});
  ExactColourTable t(500000);
  t.Count(s.Window(), false, {});
  EXPECT_EQ(SacrchMaxIndex2(t, {false, false, false, "", 10000}), "001:002:003");
  EXPECT_EQ(SacrchMaxIndex2(t, {false, false, true, "001:002:003", 10000}), "000:000:000");
  EXPECT_EQ(SacrchMaxIndex2(t, {true, true, true, "001:002:003", 10000}), "009:009:009");
  EXPECT_EQ(SacrchMaxIndex2(t, {true, true, true, "001:002:003", 2}), kUnmeasured);
}

// A full table drops new colours for the rest of the row; known colours of
// later rows still count.
TEST(ExactColours, FullTableDropsTheRestOfTheRow) {
  Surface s(4);
  const Rgb A{1, 1, 1}, B{2, 2, 2}, C{3, 3, 3};
  const Rgb rows[4][4] = {{A, B, C, A}, {A, A, C, B}, {B, A, A, A}, {C, C, C, C}};
  for (std::uint32_t y = 0; y < 4; ++y)
    for (std::uint32_t x = 0; x < 4; ++x) testing::Put(s, x, y, rows[y][x]);
  ExactColourTable t(2);
  t.Count(s.Window(), false, {});
  ASSERT_EQ(t.samples().size(), 2u);
  EXPECT_EQ(t.samples()[0].count, 6);  // A: 1 + 2 + 3
  EXPECT_EQ(t.samples()[1].count, 2);  // B: 1 + 0 + 1

  ExactColourTable skipping(500000);
  std::vector<std::uint32_t> visited;
  skipping.Count(s.Window(), true, [&](std::uint32_t r) { visited.push_back(r); });
  EXPECT_EQ(visited, (std::vector<std::uint32_t>{1, 3}));
  ASSERT_EQ(skipping.samples().size(), 3u);  // (1,1) A, (3,1) B, then C twice
  EXPECT_EQ(ColourKey(skipping.samples()[2].rgb), "003:003:003");
  EXPECT_EQ(skipping.samples()[2].count, 2);
}

// However many colours the table holds (up to its first slots, just past
// a growth, after many), each keeps its own count and its place in the
// order it was first met.
TEST(ExactColours, EveryColourKeepsItsCountAsTheTableGrows) {
  for (std::uint32_t colours : {2u, 512u, 513u, 4000u}) {
    Surface s(100);
    testing::Fill(s, kWhite);
    const auto colour = [](std::uint32_t i) { return (i * 40503u) & 0xFFFFFF; };  // distinct for i < 2^24
    std::uint32_t at = 0;
    for (std::uint32_t i = 0; i < colours; at += i % 3 + 1, ++i)
      Paint(s, at, i % 3 + 1, {int(colour(i) >> 16), int(colour(i) >> 8 & 0xFF), int(colour(i) & 0xFF)});
    ExactColourTable t(500000);
    t.Count(s.Window(), false, {});
    ASSERT_GE(t.samples().size(), colours) << colours;
    for (std::uint32_t i = 0; i < colours; ++i) {
      EXPECT_EQ(t.samples()[i].rgb, colour(i)) << colours << " " << i;
      EXPECT_EQ(t.samples()[i].count, int(i % 3 + 1)) << colours << " " << i;
    }
  }
}

struct KeyCase {
  std::string text;
  int isRgb;
  std::string cat64, cat16;
};
class ColourKeys : public ::testing::TestWithParam<KeyCase> {};
TEST_P(ColourKeys, IsRgbAndCatRgb) {
  const KeyCase& c = GetParam();
  EXPECT_EQ(isRGB(c.text), c.isRgb);
  std::string a = c.text, b = c.text;
  CatRGB(a, 64);
  CatRGB(b, 16);
  EXPECT_EQ(a, c.cat64);
  EXPECT_EQ(b, c.cat16);
}
INSTANTIATE_TEST_SUITE_P(Colour, ColourKeys,
                         ::testing::Values(KeyCase{"255_000_010", 1, "192_000_000", "240_000_000"},
                                           KeyCase{"255_000_0100", 1, "192_000_064", "240_000_096"},
                                           KeyCase{"255:000:010", 0, " ", " "},
                                           KeyCase{"25_000_0100", 0, " ", " "},
                                           KeyCase{"255_000_01", 0, " ", " "},
                                           KeyCase{"255_000_01000", 0, " ", " "}));

TEST(ColourKeys, CellSelection) {
  EXPECT_EQ(MakeJposBit({}), "1" + std::string(64, '0'));
  const std::string bits = MakeJposBit({1, 16, 0, 65});
  EXPECT_EQ(bits.size(), 65u);
  EXPECT_EQ(bits.find('1'), 1u);
  EXPECT_EQ(bits.rfind('1'), 16u);
  EXPECT_EQ(std::count(bits.begin(), bits.end(), '1'), 2);
}

struct StrengthCase {
  StrengthSettings settings;
  std::vector<Rgb> pixels;
  std::string target, notes;
};
void PrintTo(const StrengthCase& c, std::ostream* os) { *os << '"' << c.target << "\" \"" << c.notes << '"'; }
class Strengths : public ::testing::TestWithParam<StrengthCase> {};
TEST_P(Strengths, StrongestPixelInItsRange) {
  Surface s(10);
  testing::Fill(s, kWhite);
  for (std::size_t i = 0; i < GetParam().pixels.size(); ++i) Paint(s, std::uint32_t(i), 1, GetParam().pixels[i]);
  const TopRgb top = StrongestPixel(s.Window(), GetParam().settings);
  EXPECT_EQ(StrengthName(top, GetParam().settings), GetParam().target);
  EXPECT_EQ(top.key, GetParam().notes);
}
INSTANTIATE_TEST_SUITE_P(
    Colour, Strengths,
    ::testing::Values(
        StrengthCase{{"0", 100, 128, "0", 0, 255}, {{187, 20, 40}, {240, 200, 10}}, "187", "187_20_40"},
        StrengthCase{{"0", 200, 128, "0", 0, 255}, {{187, 20, 40}, {240, 200, 10}}, "", "187_20_40"},
        StrengthCase{{"0", 0, 255, "0", 0, 255}, {}, "", ""},
        StrengthCase{{"0", 0, 255, "0", 0, 255}, {{100, 100, 100}, kBlack}, "100", "100_100_100"},
        StrengthCase{{"2", 0, 64, "0", 0, 255}, {{65, 0, 250}, {0, 65, 250}}, "", ""},
        StrengthCase{{"1", 0, 64, "1", 30, 40}, {{0, 40, 64}, {0, 40, 1}}, "040", "0_40_64"},
        StrengthCase{{"1", 0, 64, "1", 41, 255}, {{0, 40, 64}}, "", "0_40_64"},
        StrengthCase{{"2", 9, 255, "0", 0, 255}, {{0, 0, 9}}, "009", "0_0_9"},
        StrengthCase{{"3", 0, 255, "0", 0, 255}, {{10, 10, 10}}, "", ""}));

TEST(ColourSettings, MissingKeysReadTheAnalysisFallbacks) {
  testing::TempDir dir;
  const std::string path = dir.path() + "/w.ini";
  ASSERT_TRUE(WriteProfileString(pictray::fs::DefaultEnv(), "Section0", "SRgb2", "64", path));
  const ProfileSnapshot ini = ProfileSnapshot::Read(pictray::fs::DefaultEnv(), path);
  EXPECT_EQ(RatioSettings::Read(ini).PRgb3, "9");
  EXPECT_EQ(StrengthSettings::Read(ini).SRgb2, 64);
  EXPECT_EQ(StrengthSettings::Read(ini).High(), 255);
  const RgbSettings g = RgbSettings::Read(ini);
  EXPECT_EQ(std::tuple(g.samcount, g.search.walkLimit, g.PartX), std::tuple(500000u, 10000u, 4));
}

// 64 buckets through a stand-in library: "A" (150,50,50) ranks before "a"
// (0,150,250), and the upper-case letter is written twice in the folder.
TEST(ColourSamplers, SixtyFourBucketNamesKeepTheirCase) {
  testing::TempDir dir;
  testing::FakeThumbs& fake = testing::FakeThumbs::Get();
  fake.Reset();
  fake.Set("p.jpg", [](std::uint8_t* bits, int edge, int) {
    testing::Paint(bits, std::uint32_t(edge), 0, 20, {150, 50, 50});
    testing::Paint(bits, std::uint32_t(edge), 20, 10, {0, 150, 250});
    return 0;
  });
  const std::string p = dir.Write("p.jpg", testing::ReadAll(testing::JpegFixture("rgb_3x2.jpg")));
  RatioSampler ratio(testing::FakeThumbs::MakeMinImage, {"1", "0", "0", "9", "0", "0", "0"});
  EXPECT_EQ(ratio.GetRGBBunrui(fs::ReadOnlyFile(fs::DefaultEnv(), p), p), "A00000a");
  EXPECT_EQ(ratio.RatioFolderName(fs::ReadOnlyFile(fs::DefaultEnv(), p), p), "AA00000a");
  EXPECT_EQ(fake.Calls().back().edge, 300);
  EXPECT_EQ(ratio.RatioFolderName(fs::ReadOnlyFile(fs::DefaultEnv(), testing::JpegFixture("cmyk_4x2.jpg")), testing::JpegFixture("cmyk_4x2.jpg")), "ERROR");
  EXPECT_EQ(fake.Calls().size(), 2u);  // a CMYK picture never reaches the library
}

// With every format chosen, a picture of another format is sampled as a
// JPEG is and a file the library reads no format of is passed over; with
// JPEG alone neither is sampled.
TEST(ColourSamplers, OtherFormatsAreSampledOnlyWhenChosen) {
  testing::TempDir dir;
  testing::FakeThumbs& fake = testing::FakeThumbs::Get();
  fake.Reset();
  for (const char* name : {"p.jpg", "p.heic"}) fake.Flat(name, {240, 30, 0});
  fake.Set("note.heic", [](std::uint8_t*, int, int) { return 9; });
  const std::string jpeg = dir.Write("p.jpg", testing::ReadAll(testing::JpegFixture("rgb_3x2.jpg")));
  const auto sample = [&](const std::string& path, SampledFormats formats) {
    ExactColourTable table(1000);
    const MakeMinImageFn mmi = testing::FakeThumbs::MakeMinImage;
    const fs::ReadOnlyFile file(fs::DefaultEnv(), path);
    CellSampler cells(mmi, 4, false, formats);
    cells.Start(file, path, {1});
    return std::tuple(RatioSampler(mmi, {}, formats).GetRGBBunrui(fs::ReadOnlyFile(fs::DefaultEnv(), path), path),
                      StrengthSampler(mmi, {}, formats).GetTopRGB(fs::ReadOnlyFile(fs::DefaultEnv(), path), path).target,
                      cells.CountCell(0, table, {}));
  };
  const auto asJpeg = sample(jpeg, SampledFormats::kJpeg);
  EXPECT_EQ(std::get<1>(asJpeg), "240");
  EXPECT_EQ(sample(jpeg, SampledFormats::kAll), asJpeg);
  const std::string heic = dir.Write("p.heic", "x"), note = dir.Write("note.heic", "text");
  EXPECT_EQ(sample(heic, SampledFormats::kAll), asJpeg);
  EXPECT_EQ(sample(note, SampledFormats::kAll), std::tuple("", "", kNoPictureLabel));
  EXPECT_EQ(sample(heic, SampledFormats::kJpeg), std::tuple("", "", "error"));
}

}  // namespace
}  // namespace pictray
