#include "engine/move/journalled_move.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/fs/env.h"
#include "tests/support/temp_dir.h"

namespace pictray {
namespace {

using testing::TempDir;

// Steps that make folders and tell of arrivals as a row says, and stop as
// it says: item `journalFails` writes no record (`refuse`: before it is
// taken up), item `abortAt` finds the run aborted.
struct Case {
  std::vector<std::string> made{}, arrived{}, strayFiles{}, kept{};
  std::size_t journalFails = 9, abortAt = 9;
  bool refuse = false;
  std::size_t stoppedAt = 3;
  MoveStop why = MoveStop::Done;
};

class CaseSteps final : public MoveSteps {
 public:
  CaseSteps(const Case& row, const std::string& folder) : row_(row), folder_(folder) {}
  std::size_t Count() const override { return 3; }
  bool Aborted() const override { return taken_ == row_.abortAt; }
  bool Take(std::size_t i, MoveFrame& frame) override {
    ++taken_;
    if (i == 0) {
      for (const std::string& rel : row_.made) EXPECT_EQ(frame.MakeFolder(frame.nextEntry()++, rel), 0) << rel;
      for (const std::string& rel : row_.strayFiles) std::ofstream(folder_ + "/" + rel) << "x";
      for (const std::string& rel : row_.arrived) frame.Arrived(rel);
    }
    if (i != row_.journalFails) return true;
    frame.JournalFailed(EIO);
    return !row_.refuse;
  }
  void Stopped(std::size_t at, MoveStop why, MoveFrame&) override {
    stoppedAt = at;
    stop = why;
  }
  std::size_t stoppedAt = 99;
  MoveStop stop = MoveStop::Done;

 private:
  const Case& row_;
  const std::string folder_;
  std::size_t taken_ = 0;
};

TEST(JournalledMove, KeepsTheFoldersFilesArrivedInAndStopsWhereItsJournalDid) {
  const Case cases[] = {
      {.made = {"a", "a/b", "ab"}, .arrived = {"a/b"}, .kept = {"a", "a/b"}},
      {.made = {"abc", "abcd"}, .arrived = {"abcd"}, .kept = {"abcd"}},
      {.made = {"n", "m"}, .strayFiles = {"n/f"}, .kept = {"n"}},
      {.made = {"x"}, .journalFails = 1, .stoppedAt = 2, .why = MoveStop::Journal},
      {.journalFails = 1, .refuse = true, .stoppedAt = 1, .why = MoveStop::Journal},
      {.journalFails = 2, .stoppedAt = 3, .why = MoveStop::Journal},
      {.abortAt = 1, .stoppedAt = 1, .why = MoveStop::Aborted},
  };
  for (const Case& row : cases) {
    SCOPED_TRACE(::testing::PrintToString(row.made) + " stops at " + std::to_string(row.stoppedAt));
    TempDir dir;
    const std::string folder = dir.path() + "/src";
    std::filesystem::create_directory(folder);
    CaseSteps steps(row, folder);
    const MoveEnd end = RunJournalledMove(fs::DefaultEnv(), {.folder = folder, .journalDir = dir.path() + "/j"}, steps);
    EXPECT_EQ(end.foldersKept, row.kept);
    EXPECT_EQ(steps.stoppedAt, row.stoppedAt);
    EXPECT_EQ(steps.stop, row.why);
    EXPECT_EQ(end.journalError, row.why == MoveStop::Journal ? EIO : 0);
    EXPECT_EQ(end.aborted, row.why == MoveStop::Aborted);
    for (const std::string& rel : row.made)
      EXPECT_EQ(std::filesystem::exists(folder + "/" + rel),
                std::find(row.kept.begin(), row.kept.end(), rel) != row.kept.end())
          << rel;
  }
}

}  // namespace
}  // namespace pictray
