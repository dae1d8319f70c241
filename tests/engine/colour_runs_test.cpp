// The colour runs over rows, with a thumbnail library that paints what each
// test chose; the files are real JPEG headers so that sampling may start.
#include "engine/runs/colour_runs.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <functional>
#include <chrono>
#include <map>
#include <set>
#include <thread>
#include <tuple>

#include "engine/colour/rgb_name.h"
#include "engine/runs/listup.h"
#include "engine/runs/row_pool.h"
#include "engine/runs/selected_colour_runs.h"
#include "engine/settings/profile.h"
#include "engine/settings/settings_keys.h"
#include "tests/engine/colour_test_util.h"
#include "tests/engine/jpeg_test_util.h"
#include "tests/support/recording_host.h"
#include "tests/support/temp_dir.h"

namespace pictray {
namespace {

using testing::FakeThumbs;
using testing::Paint;

class ColourRuns : public ::testing::Test {
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
  // Rows for the names, in this order; names ending ".jpg" are JPEG files.
  void List(std::initializer_list<const char*> names) {
    std::vector<Row> rows;
    for (const char* n : names) {
      const std::string name = n;
      const bool jpeg = name.size() > 4 && name.substr(name.size() - 4) == ".jpg";
      src.Write(name, jpeg ? testing::ReadAll(testing::JpegFixture("rgb_3x2.jpg")) : "text");
      rows.push_back({name, "", "", ""});
    }
    st.rows.append(std::move(rows));
  }
  // Both ratio workers at once, as the window starts them.
  void RunRatio() {
    PrepareRatioRun(st, src.path());
    std::thread second([this, g = RunRegistry::Guard(st.runs)]() mutable {
      ThreadRGBPer2(st.blocks.valrp2, st, host, std::move(g));
    });
    ThreadRGBPer(st.blocks.valrp, st, host, RunRegistry::Guard(st.runs));
    second.join();
  }
  FakeThumbs::Painter AbortWhileDrawing() {
    return [this](std::uint8_t*, int, int) {
      st.blocks.AbortAll();
      return 0;
    };
  }

  testing::TempDir dir, src;
  PictrayState st;
  testing::RecordingHost host;
  FakeThumbs& fake = FakeThumbs::Get();
};

TEST_F(ColourRuns, RgbNamesUnclassifiedRowsFromTheChosenCellsTogether) {
  Set("Exec255bit", "1");
  Set("PixelPassbit", "0");
  Set("RGB64", "0");
  List({"flat.jpg", "note.txt", "kept.jpg", "cells.jpg", "bad.jpg"});
  st.rows.setTarget(2, "kept", "C");
  fake.Flat("flat.jpg", {12, 200, 7});
  // Alone, cell 1 would name (9,9,9); counted with cell 16, (1,2,3) wins.
  fake.Set("cells.jpg", [](std::uint8_t* bits, int, int part) {
    Paint(bits, 100, 0, 600, {1, 2, 3});
    if (part == 1) Paint(bits, 100, 600, 700, {9, 9, 9});
    return 0;
  });
  fake.Set("bad.jpg", [](std::uint8_t*, int, int) { return 1; });
  st.blocks.val.Start(src.path());
  ThreadRGB(st.blocks.val, st, host, MakeJposBit({1, 16}), RunRegistry::Guard(st.runs));

  const std::vector<std::pair<std::string, std::string>> expected = {
      {"012_200_007", "R"}, {"", "R"}, {"kept", "C"}, {"001_002_003", "R"}, {"unmeasured", "R"}};
  for (std::size_t i = 0; i < expected.size(); ++i)
    EXPECT_EQ(std::pair(st.rows.target(i), st.rows.kind(i)), expected[i]) << i;
  std::set<std::tuple<std::string, int, int, int>> cells;
  for (const testing::ThumbCall& c : fake.Calls()) cells.insert({c.name, c.part, c.partX, c.edge});
  EXPECT_EQ(cells, (std::set<std::tuple<std::string, int, int, int>>{{"flat.jpg", 1, 4, 100}, {"flat.jpg", 16, 4, 100},
                                                                    {"cells.jpg", 1, 4, 100}, {"cells.jpg", 16, 4, 100},
                                                                    {"bad.jpg", 1, 4, 100}, {"bad.jpg", 16, 4, 100}}));
  EXPECT_EQ(host.MessageTexts(), std::vector<std::string>{kRgbEnd});
  EXPECT_EQ(host.Last(RunProgress::Kind::RowsDone), RunProgress::Done(cmd::RgbAnalysis, 5, 5));
  EXPECT_EQ(host.progress.back(), RunProgress::Over(cmd::RgbAnalysis));
  EXPECT_EQ(host.LastEnd(), (RunEnd{cmd::RgbAnalysis, false, true, false, false}));
  EXPECT_EQ(host.summary, st.rows.CountSetItem());
  EXPECT_FALSE(st.runs.Active());
}

TEST_F(ColourRuns, RgbAbortStopsWithinOneFileAndMoveOnStartsTheMove) {
  List({"a.jpg", "b.jpg"});
  fake.Set("a.jpg", AbortWhileDrawing());
  // b.jpg's first cell is still being drawn when the abort comes, whichever
  // worker starts first (a worker may also take both files one after the other).
  fake.Set("b.jpg", [this](std::uint8_t*, int, int) {
    for (int i = 0; i < 2000 && !st.blocks.val.Aborted(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return 0;
  });
  st.blocks.val.Start(src.path());
  ThreadRGB(st.blocks.val, st, host, MakeJposBit({1, 2, 3}), RunRegistry::Guard(st.runs));
  // Each worker stops before its file's next cell: no file is named.
  std::map<std::string, int> drawn;
  for (const testing::ThumbCall& c : fake.Calls()) ++drawn[c.name];
  EXPECT_EQ(drawn["a.jpg"], 1);
  EXPECT_LE(drawn["b.jpg"], 1);
  EXPECT_EQ(st.rows.kind(0), "");
  EXPECT_EQ(st.rows.kind(1), "");
  EXPECT_EQ(host.MessageTexts(), std::vector<std::string>{kRgbAborted});  // a stop, not an end
  EXPECT_EQ(host.LastEnd(), (RunEnd{cmd::RgbAnalysis, true, false, false, false}));

  st.MoveOn = 1;
  fake.Flat("a.jpg", {1, 1, 1});
  fake.Flat("b.jpg", {255, 255, 255});
  st.blocks.val.Start(src.path());
  ThreadRGB(st.blocks.val, st, host, MakeJposBit({1}), RunRegistry::Guard(st.runs));
  EXPECT_EQ(host.MessageTexts().size(), 1u);  // no second message
  EXPECT_TRUE(host.LastEnd().moveDue);
  EXPECT_EQ(st.rows.kind(1), "R");
}

// Five rows: even ones on one worker, odd ones on the other, every row
// whatever its kind, and one end message from the pair.
TEST_F(ColourRuns, RatioWorkersSplitTheRowsAndReportOnce) {
  List({"0.jpg", "1.txt", "2.jpg", "3.jpg", "4.jpg"});
  st.rows.setTarget(3, "kept", "C");
  st.rows.setTarget(4, "", "C");
  fake.Flat("0.jpg", {250, 10, 10});
  fake.Set("2.jpg", [](std::uint8_t*, int, int) { return 9; });
  for (int round = 0; round < 20; ++round) {
    host.messages.clear();
    RunRatio();
    EXPECT_EQ(host.MessageTexts(), std::vector<std::string>{kRatioEnd}) << round;
  }
  const std::vector<std::string> targets = {"R000000", "", "ERROR", "0000000", "0000000"};
  for (std::size_t i = 0; i < targets.size(); ++i) {
    EXPECT_EQ(st.rows.target(i), targets[i]) << i;
    EXPECT_EQ(st.rows.kind(i), "P") << i;
  }
  std::map<std::string, std::set<std::thread::id>> threads;
  for (const testing::ThumbCall& c : fake.Calls()) {
    threads[c.name].insert(c.thread);
    EXPECT_EQ(c.edge, 300);
  }
  EXPECT_EQ(threads["0.jpg"], threads["4.jpg"]);
  EXPECT_NE(threads["0.jpg"], threads["3.jpg"]);
  // One end for the pair in each round.
  EXPECT_EQ(host.ends, std::vector<RunEnd>(20, RunEnd{cmd::RgbRatio, false, true, false, false}));
  EXPECT_FALSE(st.runs.Active());
}

TEST_F(ColourRuns, RatioAbortStopsBothWorkersWithinOneFile) {
  List({"0.jpg", "1.jpg", "2.jpg", "3.jpg"});
  fake.Set("0.jpg", AbortWhileDrawing());
  fake.Set("1.jpg", AbortWhileDrawing());
  RunRatio();
  EXPECT_LE(fake.Calls().size(), 2u);
  EXPECT_EQ(st.rows.kind(2), "");
  EXPECT_EQ(st.rows.kind(3), "");
  EXPECT_EQ(host.MessageTexts(), std::vector<std::string>{kRatioAborted});
  EXPECT_EQ(host.ends, std::vector<RunEnd>{(RunEnd{cmd::RgbRatio, true})});
  EXPECT_TRUE(host.summary.empty());
}

TEST_F(ColourRuns, StrengthNamesEveryRowAndWritesNotes) {
  Set("SRgb1", "100");
  Set("SRgb2", "128");
  List({"red.jpg", "note.txt", "bad.jpg"});
  st.rows.setTarget(0, "kept", "C");
  st.rows.setNotes(1, "old");
  st.rows.setNotes(2, "old");
  fake.Set("red.jpg", [](std::uint8_t* bits, int edge, int) {
    testing::Put(bits, std::uint32_t(edge), 5, 5, {240, 200, 10});
    testing::Put(bits, std::uint32_t(edge), 6, 5, {187, 20, 40});
    return 0;
  });
  fake.Set("bad.jpg", [](std::uint8_t*, int, int) { return 1; });
  st.blocks.valrp.Start(src.path());
  ThreadTopRGB(st.blocks.valrp, st, host, RunRegistry::Guard(st.runs));
  const std::vector<Row> expected = {
      {"red.jpg", "187", "T", "187_20_40"}, {"note.txt", "", "T", "old"}, {"bad.jpg", "ERROR", "T", "old"}};
  for (std::size_t i = 0; i < expected.size(); ++i) {
    const Row r = st.rows.row(i);
    EXPECT_EQ(std::tie(r.target, r.kind, r.notes), std::tie(expected[i].target, expected[i].kind, expected[i].notes))
        << i;
  }
  EXPECT_EQ(host.MessageTexts(), std::vector<std::string>{kStrengthEnd});
  EXPECT_EQ(host.progress.front(), RunProgress::Began(cmd::RgbStrength, 3));
}

// Each worker's first picture asks for the abort: no worker starts another,
// and one row more than there are workers stays untouched.
TEST_F(ColourRuns, StrengthAbortStopsEachWorkerWithinOneFile) {
  const int workers = RowWorkers(0);
  for (int i = 0; i <= workers; ++i) {
    const std::string name = "f" + std::to_string(i) + ".jpg";
    List({name.c_str()});
    fake.Set(name, AbortWhileDrawing());
  }
  st.blocks.valrp.Start(src.path());
  ThreadTopRGB(st.blocks.valrp, st, host, RunRegistry::Guard(st.runs));
  EXPECT_EQ(host.MessageTexts(), std::vector<std::string>{kStrengthAborted});
  EXPECT_LE(fake.Calls().size(), static_cast<std::size_t>(workers));
  std::size_t untouched = 0;
  for (std::size_t i = 0; i < st.rows.ListMax(); ++i) untouched += st.rows.kind(i).empty() ? 1 : 0;
  EXPECT_GE(untouched, 1u);
  EXPECT_EQ(host.ends, std::vector<RunEnd>{(RunEnd{cmd::RgbStrength, true})});
  EXPECT_TRUE(host.summary.empty());
}

// The pool: every row gets the result one thread would give it, each file
// is drawn once per cell, while the view reads the rows (run under
// ThreadSanitizer by scripts/tsan.sh).
TEST_F(ColourRuns, PoolGivesEveryRowItsOneThreadResultWhileTheViewReads) {
  Set("RGB64", "0");
  Set("Exec255bit", "1");
  std::vector<Row> rows;
  for (int i = 0; i < 60; ++i) {
    const std::string name = "f" + std::to_string(i) + (i % 7 == 3 ? ".txt" : ".jpg");
    src.Write(name, i % 7 == 3 ? "text" : testing::ReadAll(testing::JpegFixture("rgb_3x2.jpg")));
    fake.Flat(name, {i, 2 * i, 7});
    rows.push_back({name, i % 11 == 5 ? "kept" : "", i % 11 == 5 ? "C" : "", ""});
  }
  st.rows.append(std::move(rows));
  const auto whileViewReads = [&](const std::function<void()>& run) {
    std::atomic<bool> done{false};
    std::thread worker([&] {
      run();
      done = true;
    });
    std::size_t seen = 0;
    while (!done)
      for (std::size_t i = 0; i < 60; ++i) seen += st.rows.cell(i, 1).size();
    worker.join();
  };
  st.blocks.val.Start(src.path());
  whileViewReads([&] { ThreadRGB(st.blocks.val, st, host, MakeJposBit({1, 6}), RunRegistry::Guard(st.runs)); });
  std::map<std::string, int> drawn;
  std::set<std::thread::id> threads;
  for (const testing::ThumbCall& c : fake.Calls()) {
    ++drawn[c.name];
    threads.insert(c.thread);
  }
  for (int i = 0; i < 60; ++i) {
    char key[16];
    std::snprintf(key, sizeof key, "%03d_%03d_007", i, 2 * i);
    const std::string expected = i % 11 == 5 ? "kept" : i % 7 == 3 ? "" : key;
    EXPECT_EQ(st.rows.target(static_cast<std::size_t>(i)), expected) << i;
    EXPECT_EQ(drawn[st.rows.name(static_cast<std::size_t>(i))], i % 11 == 5 || i % 7 == 3 ? 0 : 2) << i;
  }
  EXPECT_LE(threads.size(), static_cast<std::size_t>(RowWorkers(0)));
  EXPECT_EQ(host.Last(RunProgress::Kind::RowsDone), RunProgress::Done(cmd::RgbAnalysis, 60, 60));

  // Held to one worker, the same rows get the same results on one thread.
  const auto targets = [&] {
    std::vector<std::string> out;
    for (std::size_t i = 0; i < st.rows.ListMax(); ++i) out.push_back(st.rows.target(i));
    return out;
  };
  const std::vector<std::string> pooled = targets();
  for (std::size_t i = 0; i < st.rows.ListMax(); ++i)
    if (st.rows.kind(i) == "R") st.rows.setTarget(i, "", "");
  const std::size_t before = fake.Calls().size();
  st.PoolMax = 1;
  st.blocks.val.Start(src.path());
  ThreadRGB(st.blocks.val, st, host, MakeJposBit({1, 6}), RunRegistry::Guard(st.runs));
  std::set<std::thread::id> single;
  const std::vector<testing::ThumbCall> calls = fake.Calls();
  for (std::size_t k = before; k < calls.size(); ++k) single.insert(calls[k].thread);
  EXPECT_EQ(single.size(), 1u);
  EXPECT_EQ(targets(), pooled);
  st.PoolMax = 0;

  st.blocks.valrp.Start(src.path());
  whileViewReads([&] { ThreadTopRGB(st.blocks.valrp, st, host, RunRegistry::Guard(st.runs)); });
  for (int i = 0; i < 60; i += 7) {
    char target[8];
    std::snprintf(target, sizeof target, "%03d", i);
    EXPECT_EQ(st.rows.target(static_cast<std::size_t>(i)), i % 7 == 3 ? "" : target) << i;
  }
  EXPECT_EQ(host.MessageTexts(), (std::vector<std::string>{kRgbEnd, kRgbEnd, kStrengthEnd}));
  EXPECT_FALSE(st.runs.Active());
}

// With the library's MakeMinImages a file's chosen cells are drawn in one
// call, and every row gets the label cell-by-cell drawing gives it.
TEST_F(ColourRuns, ChosenCellsOfAFileAreDrawnInOneCallWhenTheLibraryCan) {
  Set("RGB64", "0");
  Set("MatchPer", "10");
  List({"cells.jpg", "note.txt", "bad.jpg"});
  fake.Set("cells.jpg", [](std::uint8_t* bits, int edge, int part) {
    Paint(bits, std::uint32_t(edge), 0, 40u * std::uint32_t(part), {part, 2, 3});
    return 0;
  });
  fake.Set("bad.jpg", [](std::uint8_t*, int, int) { return 1; });
  SelectedColours colours(4);
  colours.Add(ColourValue({16, 2, 3}));
  const std::vector<std::pair<std::string, std::function<void()>>> runs = {
      {"rgb", [&] {
         for (std::size_t i = 0; i < st.rows.ListMax(); ++i) st.rows.setTarget(i, "", "");
         st.blocks.val.Start(src.path());
         ThreadRGB(st.blocks.val, st, host, MakeJposBit({1, 6, 16}), RunRegistry::Guard(st.runs));
       }},
      {"part colour", [&] {
         st.blocks.val6.Start(src.path());
         ThreadPartColor(st.blocks.val6, st, host, colours, MakeJposBit({1, 6, 16}), RunRegistry::Guard(st.runs));
       }}};
  for (const auto& [name, run] : runs) {
    st.MMIs = nullptr;
    run();
    const std::vector<std::string> byCell = {st.rows.target(0), st.rows.target(1), st.rows.target(2)};
    fake.TakeBatches();
    st.MMIs = FakeThumbs::MakeMinImages;
    run();
    EXPECT_EQ((std::vector<std::string>{st.rows.target(0), st.rows.target(1), st.rows.target(2)}), byCell) << name;
    EXPECT_EQ(fake.TakeBatches(), (std::map<std::string, int>{{"bad.jpg", 1}, {"cells.jpg", 1}})) << name;
  }
}

// With the library's calls within a budget, every run draws every picture
// within the one budget of the state, whichever worker draws it.
TEST_F(ColourRuns, EveryRunDrawsWithinTheStatesBudget) {
  List({"a.jpg", "b.jpg", "c.jpg", "d.jpg"});
  st.MMIWithin = FakeThumbs::MakeMinImageWithin;
  st.MMIsWithin = FakeThumbs::MakeMinImagesWithin;
  st.MMIs = FakeThumbs::MakeMinImages;
  const SelectedColours colours(4);
  const std::vector<std::pair<std::string, std::function<void()>>> runs = {
      {"ratio", [&] { RunRatio(); }},
      {"strength", [&] {
         st.blocks.valrp.Start(src.path());
         ThreadTopRGB(st.blocks.valrp, st, host, RunRegistry::Guard(st.runs));
       }},
      {"rgb", [&] {
         for (std::size_t i = 0; i < st.rows.ListMax(); ++i) st.rows.setTarget(i, "", "");
         st.blocks.val.Start(src.path());
         ThreadRGB(st.blocks.val, st, host, MakeJposBit({1, 6}), RunRegistry::Guard(st.runs));
       }},
      {"part colour", [&] {
         st.blocks.val6.Start(src.path());
         ThreadPartColor(st.blocks.val6, st, host, colours, MakeJposBit({1, 6}), RunRegistry::Guard(st.runs));
       }}};
  for (const auto& [name, run] : runs) {
    fake.TakeBudgets();
    run();
    EXPECT_EQ(fake.TakeBudgets(), std::set<const void*>{&st.decodeBudget}) << name;
  }
}

TEST_F(ColourRuns, ListUpNamesNewRowsInTheColourModes) {
  Set("ReadDay", "0");
  src.Write("a.jpg", testing::ReadAll(testing::JpegFixture("rgb_3x2.jpg")));
  src.Write("b.txt", "text");
  fake.Flat("a.jpg", {0, 0, 240});
  st.flags.M_RP = 1;
  st.flags.M_RS = 1;
  Set("SRgb0", "2");
  st.blocks.val3.Start(src.path());
  ThreadSetListView(st.blocks.val3, st, host, RunRegistry::Guard(st.runs));
  ASSERT_EQ(st.rows.ListMax(), 2u);
  const long a = st.rows.SelectListView("a.jpg"), b = st.rows.SelectListView("b.txt");
  EXPECT_EQ(st.rows.row(a).target, "B000000");
  EXPECT_EQ(st.rows.kind(a), "P");
  EXPECT_EQ(st.rows.kind(b), "");  // no target, no kind

  st.rows.clear();
  st.flags.M_RP = 0;
  st.MMI = nullptr;  // no library: a JPEG cannot be sampled
  st.blocks.val3.Start(src.path());
  ThreadSetListView(st.blocks.val3, st, host, RunRegistry::Guard(st.runs));
  EXPECT_EQ(st.rows.row(st.rows.SelectListView("a.jpg")).target, "ERROR");

  st.rows.clear();
  st.MMI = FakeThumbs::MakeMinImage;
  st.blocks.val3.Start(src.path());
  ThreadSetListView(st.blocks.val3, st, host, RunRegistry::Guard(st.runs));
  const Row r = st.rows.row(st.rows.SelectListView("a.jpg"));
  EXPECT_EQ(std::tie(r.target, r.kind, r.notes), (std::tuple<std::string, std::string, std::string>{"240", "T", "0_0_240"}));
}

}  // namespace
}  // namespace pictray
