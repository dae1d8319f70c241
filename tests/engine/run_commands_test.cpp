// The command tables that the windows and the command lines share: each
// step word leads to one command, the commands on the rows wait for a
// registered run, and runs done to their end together are all registered
// before any of them starts.
#include "engine/runs/run_commands.h"
#include "engine/runs/twinscan_commands.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <map>
#include <set>
#include <vector>

namespace pictray {
namespace {

TEST(RunCommands, EveryStepLeadsToItsOneCommand) {
  struct Case {
    const char* step;
    int id;  // 0: no command
    const char* value;
  } const cases[] = {
      {"exif", cmd::Exif, ""},       {"ng", cmd::NgAnalysis, ""},   {"rgb=1,3", cmd::RgbAnalysis, "1,3"},
      {"rgb=", cmd::RgbAnalysis, ""}, {"ratio", cmd::RgbRatio, ""},  {"partcolor=l@2", cmd::PartColour, "l@2"},
      {"move", cmd::MoveStart, ""},  {"ext", cmd::ExtClass, ""},    {"char=a=b", cmd::CharClass, "a=b"},
      {"rgb", 0, ""},                {"exif=1", 0, ""},             {"moves", 0, ""},
      {"clear", 0, ""},
  };
  for (const Case& c : cases) {
    std::string value = "unchanged";
    const RunCommand* found = FindRunStep(c.step, &value);
    EXPECT_EQ(found ? found->id : 0, c.id) << c.step;
    if (found) {
      EXPECT_EQ(value, c.value) << c.step;
    }
  }
  std::set<int> ids;
  std::set<std::string_view> verbs;
  for (const RunCommand& c : RunCommands()) {
    EXPECT_TRUE(ids.insert(c.id).second) << c.id;
    EXPECT_TRUE(verbs.insert(c.verb).second) << c.verb;
    EXPECT_EQ(FindRunCommand(c.id), &c);
  }
}

// A new row takes a letter and a list-up flag of its own: the letters the
// list shows alike for two classifications are these two pairs and no more.
TEST(RunCommands, KindLettersAndListUpFlagsAreEachOnesOwn) {
  const std::set<std::pair<int, int>> shared = {{cmd::PhraseClass, cmd::RgbStrength}, {cmd::RgbRatio, cmd::PartColour}};
  std::map<std::string_view, int> letters;
  std::vector<std::atomic<int> AnalysisFlags::*> flags;
  for (const RunCommand& c : RunCommands()) {
    if (c.flag) {
      EXPECT_EQ(std::count(flags.begin(), flags.end(), c.flag), 0) << c.verb;
      flags.push_back(c.flag);
    }
    if (c.kind.empty()) continue;
    const auto [it, fresh] = letters.emplace(c.kind, c.id);
    EXPECT_TRUE(fresh || shared.count({it->second, c.id})) << c.verb << " shares " << c.kind;
  }
}

TEST(RowsCommands, EachWordFindsItsRowAndEveryRowWaitsForARegisteredRun) {
  struct Case {
    const char* word;
    int id;  // 0: no row
  } const cases[] = {
      {"clear", cmd::ClearAnalyses}, {"--undo", cmd::MenuUndoMove}, {"", 0}, {"undo", 0}, {"--undo-list", 0},
  };
  for (const Case& c : cases) {
    const RowsCommand* found = FindRowsWord(c.word);
    EXPECT_EQ(found ? found->id : 0, c.id) << c.word;
  }
  PictrayState st;  // no rows: list-up and clear free or reorder them all the same
  for (const RowsCommand& c : RowsCommands()) {
    EXPECT_EQ(FindRowsCommand(c.id), &c);
    EXPECT_EQ(FindRunCommand(c.id), nullptr) << c.id;
    EXPECT_FALSE(RefusedNow(c.refusal, st)) << c.id;
    RunRegistry::Guard running(st.runs);
    EXPECT_TRUE(RefusedNow(c.refusal, st)) << c.id;
  }
}

TEST(TwinscanCommands, WhatTouchesTheRunWaitsAndTheRestNever) {
  namespace tc = twinscan::cmd;
  for (int id : {tc::FindCopies, tc::Clear, tc::Extract, tc::OpenSame, tc::Delete, tc::UndoExtract}) {
    EXPECT_TRUE(TwinscanRefused(id, true)) << id;
    EXPECT_FALSE(TwinscanRefused(id, false)) << id;
  }
  // The stop above all must reach a working run.
  for (int id : {tc::Stop, tc::Quit, tc::Properties, tc::Help, tc::OpenFiles})
    EXPECT_FALSE(TwinscanRefused(id, true)) << id;
  const TwinscanCommand* undo = FindTwinscanWord("--undo");
  EXPECT_EQ(undo ? undo->id : 0, tc::UndoExtract);
  EXPECT_EQ(FindTwinscanWord(""), nullptr);
  EXPECT_EQ(FindTwinscanWord("--extract"), nullptr);  // the finding's MoveSoon, not a row of its own
}

TEST(RunCommands, RunsDoneTogetherAreRegisteredBeforeAnyStarts) {
  for (int count : {1, 2, 3}) {
    RunRegistry registry;
    // A run counts itself finished while it still holds its registration,
    // so registered + finished never falls below `count` when all were
    // registered first.
    std::atomic<int> finished{0}, lowest{1000};
    std::vector<RunWork> runs(static_cast<std::size_t>(count), [&](RunRegistry::Guard) {
      const int seen = registry.Count() + finished.load();
      for (int low = lowest.load(); seen < low && !lowest.compare_exchange_weak(low, seen);) {
      }
      finished.fetch_add(1);
    });
    RunToEnd(std::move(runs), registry);
    EXPECT_EQ(lowest.load(), count) << count;
    EXPECT_FALSE(registry.Active());
  }
}

}  // namespace
}  // namespace pictray
