// The all-colour and part-colour runs over rows: the all-colour run on JPEG
// pictures written here, the part-colour run with a thumbnail library that
// paints what each test chose.
#include "engine/runs/selected_colour_runs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>

#include "engine/colour/exact_colour.h"
#include "engine/jpeg/jpeg_decode.h"
#include "engine/names/folda_name.h"
#include "engine/move/move_run.h"
#include "engine/runs/row_pool.h"
#include "engine/settings/profile.h"
#include "engine/settings/settings_keys.h"
#include "tests/engine/colour_test_util.h"
#include "tests/engine/jpeg_test_util.h"
#include "tests/engine/selected_colour_util.h"
#include "tests/support/recording_host.h"
#include "tests/support/temp_dir.h"

namespace pictray {
namespace {

using testing::FakeThumbs;
using testing::Paint;
using TargetList = std::vector<std::pair<std::string, std::string>>;  // target, kind

class SelectedColourRuns : public ::testing::Test {
 protected:
  void SetUp() override {
    fake.Reset();
    st.profile = dir.path() + "/work.ini";
    st.MMI = FakeThumbs::MakeMinImage;
    Set("disabledchar", kDefaultDisabledChars);
    Set("AllFormats", "0");  // JPEG alone: the fake draws whatever it is asked
  }
  void Set(const std::string& key, const std::string& value) {
    ASSERT_TRUE(WriteProfileString(pictray::fs::DefaultEnv(), "Section0", key, value, st.profile));
  }
  void Rows(const std::vector<std::string>& names) {
    std::vector<Row> rows;
    for (const std::string& n : names) rows.push_back({n, "old", "C", ""});
    st.rows.append(std::move(rows));
  }
  // A grey picture with a red block at its top left and a blue one at its
  // bottom right; the colours as the decoder gives them back.
  void WritePictures() {
    ASSERT_TRUE(testing::WriteJpeg(src.path() + "/both.jpg", 48, 40, [](int x, int y) {
      if (x < 8 && y < 8) return Rgb{250, 10, 10};
      if (x >= 40 && y >= 32) return Rgb{10, 10, 250};
      return Rgb{128, 128, 128};
    }));
    ASSERT_TRUE(testing::WriteJpeg(src.path() + "/grey.jpg", 16, 16, [](int, int) { return Rgb{128, 128, 128}; }));
    src.Write("note.txt", "text");
    src.Write("cut.jpg", testing::ReadAll(testing::JpegFixture("rgb_3x2.jpg")).substr(0, 40));
    Picture pic;
    ASSERT_EQ(JpegToBuffer(fs::DefaultEnv(), src.path() + "/both.jpg", pic), 0);
    const auto at = [&](std::uint32_t x, std::uint32_t y) {
      const std::uint8_t* p = pic.Pixel(x, y);
      return ColourValue({p[2], p[1], p[0]});
    };
    red = at(0, 0);
    blue = at(47, 39);
  }
  TargetList Targets() const {
    TargetList out;
    for (std::size_t i = 0; i < st.rows.ListMax(); ++i) out.push_back({st.rows.target(i), st.rows.kind(i)});
    return out;
  }
  void AllColour(const SelectedColours& colours) {
    st.blocks.val5.Start(src.path());
    ThreadAllColor(st.blocks.val5, st, host, colours, workfile, RunRegistry::Guard(st.runs));
  }
  void PartColour(const SelectedColours& colours, const std::vector<int>& cells) {
    std::string bits(65, '0');
    for (int k : cells) bits[std::size_t(k)] = '1';
    st.blocks.val6.Start(src.path());
    ThreadPartColor(st.blocks.val6, st, host, colours, bits, RunRegistry::Guard(st.runs));
  }

  testing::TempDir dir, src;
  std::string workfile = dir.Write("2026bit.$$$", "BM");
  PictrayState st;
  testing::RecordingHost host;
  FakeThumbs& fake = FakeThumbs::Get();
  std::uint32_t red = 0, blue = 0;
};

// Every row is labelled whatever its kind; the first match in the bottom-up
// scan is the blue block; a file that is no JPEG or is cut short gets an
// empty target, still of kind "A".
TEST_F(SelectedColourRuns, AllColourLabelsEveryRowByItsMode) {
  WritePictures();
  Rows({"both.jpg", "grey.jpg", "note.txt", "cut.jpg"});
  SelectedColours colours(10);
  colours.Add(red);
  colours.Add(blue);
  const std::string blueKey = GetFoldaName(ColourKey(blue), 1, kDefaultDisabledChars);
  const std::map<std::string, std::vector<std::string>> expected = {
      {"1", {"1_1_1", "0_0_0", "", ""}},
      {"2", {"1_1_1", "", "", ""}},
      {"3", {blueKey, "0-0-0", "", ""}},
      {"4", {blueKey, "", "", ""}},
      {"0", {"1_1_1", "0_0_0", "", ""}}};
  for (const auto& [mode, targets] : expected) {
    Set("AllColorMode", mode);
    AllColour(colours);
    for (std::size_t i = 0; i < targets.size(); ++i) {
      EXPECT_EQ(st.rows.target(i), targets[i]) << mode << " " << i;
      EXPECT_EQ(st.rows.kind(i), "A") << mode << " " << i;
    }
  }
  EXPECT_EQ(host.Last(RunProgress::Kind::RowsFound), RunProgress::Found(4, 4, 1));
  EXPECT_EQ(host.MessageTexts(), std::vector<std::string>(5, kAllColourEnd));
  EXPECT_EQ(host.began, std::vector<int>(5, cmd::AllColour));
  EXPECT_EQ(host.LastEnd(), (RunEnd{cmd::AllColour, false, true, false, false}));
  EXPECT_EQ(host.progress.back(), RunProgress::Over(cmd::AllColour));
  EXPECT_FALSE(std::filesystem::exists(workfile));
  EXPECT_TRUE(host.summary.empty());  // the summary list is left alone
  EXPECT_FALSE(st.runs.Active());
}

// MoveOn starts the move after a complete run, never after an abort.
TEST_F(SelectedColourRuns, AbortStopsWithoutTheMoveAndMoveOnFollowsACompleteRun) {
  WritePictures();
  Rows({"both.jpg", "grey.jpg"});
  SelectedColours colours(10);
  colours.Add(red);
  st.MoveOn = 1;
  st.blocks.val5.Start(src.path());
  st.blocks.val5.abort = 1;
  ThreadAllColor(st.blocks.val5, st, host, colours, workfile, RunRegistry::Guard(st.runs));
  EXPECT_EQ(Targets(), (TargetList{{"old", "C"}, {"old", "C"}}));
  EXPECT_EQ(host.MessageTexts(), std::vector<std::string>{kColourRunAborted});
  EXPECT_EQ(host.LastEnd(), (RunEnd{cmd::AllColour, true, true, false, false}));

  AllColour(colours);
  EXPECT_EQ(host.LastEnd(), (RunEnd{cmd::AllColour, false, true, true, false}));
  EXPECT_EQ(host.MessageTexts().size(), 1u);
  EXPECT_FALSE(st.runs.Active());
}

// The pool gives every row the label one worker gives it.
TEST_F(SelectedColourRuns, PoolLabelsAsOneWorkerDoes) {
  WritePictures();
  std::vector<std::string> names;
  for (int i = 0; i < 24; ++i) {
    const std::string name = "p" + std::to_string(i) + ".jpg";
    std::filesystem::copy_file(src.path() + (i % 3 ? "/grey.jpg" : "/both.jpg"), src.path() + "/" + name);
    names.push_back(i % 5 == 4 ? "note.txt" : name);
  }
  Rows(names);
  Set("AllColorMode", "3");
  SelectedColours colours(10);
  colours.Add(blue);
  AllColour(colours);
  const auto pooled = Targets();
  st.PoolMax = 1;
  st.rows.clearAnalyses();
  AllColour(colours);
  EXPECT_EQ(Targets(), pooled);
  for (std::size_t i = 0; i < names.size(); ++i)
    EXPECT_EQ(pooled[i].first, i % 5 == 4 ? "" : i % 3 ? "0-0-0" : GetFoldaName(ColourKey(blue), 1, kDefaultDisabledChars)) << i;
}

// The cells' rules: the threshold of 20 colours at MatchPer 10 is 2; in
// modes 3 and 4 the last chosen cell decides; "1-1-1" tests no more cells.
TEST_F(SelectedColourRuns, PartColourAppliesTheCellRules) {
  SelectedColours colours(100);
  for (int i = 0; i < 20; ++i) colours.Add(ColourValue({i, 100, 200}));
  Set("MatchPer", "10");
  Set("PartX", "4");
  const auto hits = [](std::map<int, int> perCell) {
    return [perCell](std::uint8_t* bits, int edge, int part) {
      const auto it = perCell.find(part);
      if (it != perCell.end()) Paint(bits, std::uint32_t(edge), 0, std::uint32_t(it->second), {5, 100, 200});
      return 0;
    };
  };
  const struct {
    const char* what;
    const char* mode;
    std::vector<int> cells;
    std::map<int, int> hitsPerCell;
    std::string target;
    std::vector<int> drawn;
  } cases[] = {
      {"two hits reach the threshold", "1", {1}, {{1, 2}}, "1-1-1", {1}},
      {"one hit does not", "1", {1}, {{1, 1}}, "", {1}},
      {"a match stops the cells", "1", {1, 2}, {{1, 3}}, "1-1-1", {1}},
      {"the last cell decides mode 1", "1", {1, 2}, {{1, 1}}, "0-0-0", {1, 2}},
      {"the last cell decides mode 3", "3", {1, 2}, {{1, 1}}, "0-0-0", {1, 2}},
      {"a key in mode 4", "4", {3}, {{3, 1}}, "005_100_200", {3}},
      {"mode 2 below the threshold", "2", {16}, {{16, 1}}, "", {16}},
  };
  for (const auto& c : cases) {
    fake.Reset();
    st.rows.clear();
    src.Write("a.jpg", testing::ReadAll(testing::JpegFixture("rgb_3x2.jpg")));
    Rows({"a.jpg"});
    Set("PartColorMode", c.mode);
    fake.Set("a.jpg", hits(c.hitsPerCell));
    PartColour(colours, c.cells);
    EXPECT_EQ(Targets(), (TargetList{{c.target, "P"}})) << c.what;
    std::vector<int> drawn;
    for (const testing::ThumbCall& call : fake.Calls()) {
      drawn.push_back(call.part);
      EXPECT_EQ(std::pair(call.edge, call.partX), std::pair(kPartCellEdge, 4)) << c.what;
    }
    EXPECT_EQ(drawn, c.drawn) << c.what;
  }
}

// What the library says about a cell becomes the target unless a later
// cell replaces it; a file that is no JPEG gets an empty target. Its rows
// begin and end as the window needs to show and take back its cells' text.
TEST_F(SelectedColourRuns, PartColourLabelsUndrawableCellsAndTellsItsRows) {
  Set("PartColorMode", "3");
  for (const char* n : {"nine.jpg", "one.jpg", "later.jpg"})
    src.Write(n, testing::ReadAll(testing::JpegFixture("rgb_3x2.jpg")));
  src.Write("note.txt", "text");
  Rows({"nine.jpg", "one.jpg", "later.jpg", "note.txt"});
  fake.Set("nine.jpg", [](std::uint8_t*, int, int) { return 9; });
  fake.Set("one.jpg", [](std::uint8_t*, int, int) { return 1; });
  fake.Set("later.jpg", [](std::uint8_t*, int, int part) { return part == 1 ? 1 : 0; });
  SelectedColours colours(10);
  colours.Add(0x010203);
  PartColour(colours, {1, 2});
  EXPECT_EQ(Targets(), (TargetList{{"no support", "P"}, {"error", "P"}, {"0-0-0", "P"}, {"", "P"}}));
  EXPECT_EQ(host.progress.front(), RunProgress::Began(cmd::PartColour, 4));
  EXPECT_EQ(host.progress.back(), RunProgress::Over(cmd::PartColour));
  EXPECT_EQ(host.MessageTexts(), std::vector<std::string>{kPartColourEnd});
}

// A part-colour run's "1-1-1" targets meet the move's check for an existing
// 1-1-1 folder: asked and answered OK, they go into the next free N-N-N.
TEST_F(SelectedColourRuns, PartColourMatchesMeetTheMovesColourMatchCheck) {
  Set("PartColorMode", "2");
  src.Write("a.jpg", testing::ReadAll(testing::JpegFixture("rgb_3x2.jpg")));
  src.Write("b.jpg", testing::ReadAll(testing::JpegFixture("rgb_3x2.jpg")));
  Rows({"a.jpg", "b.jpg"});
  fake.Flat("a.jpg", {1, 2, 3});
  SelectedColours colours(10);
  colours.Add(0x010203);
  PartColour(colours, {1});
  EXPECT_EQ(Targets(), (TargetList{{"1-1-1", "P"}, {"", "P"}}));
  std::filesystem::create_directory(src.path() + "/1-1-1");
  host.Answer(6);
  BeforFoldaCheck(host, st, src.path());
  EXPECT_EQ(st.rows.target(0), "2-2-2");
  EXPECT_EQ(host.MessageTexts().back(), kColourMatchQuestion);
}

}  // namespace
}  // namespace pictray
