// --undo and --undo-list of both command lines on real folders.
#include <signal.h>
#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/run_program.h"

namespace pictray {
namespace {

namespace fs = std::filesystem;
using testing::ProgramRun;
using testing::TempDir;

std::set<std::string> Files(const std::string& folder) {
  std::set<std::string> all;
  for (const auto& e : fs::recursive_directory_iterator(folder))
    all.insert(fs::relative(e.path(), folder).string());
  return all;
}

class UndoCli : public ::testing::Test {
 protected:
  void SetUp() override {
    S = d.path() + "/src";
    fs::create_directory(S);
    // Each test keeps its journals to itself.
    ::setenv("XDG_STATE_HOME", (d.path() + "/state").c_str(), 1);
  }
  ProgramRun Run(const std::string& program, std::vector<std::string> args) {
    args.insert(args.begin(), std::string(PICTRAY_BIN_DIR) + "/" + program);
    return testing::RunProgram(d, std::move(args));
  }
  void Write(const std::string& name, const std::string& content) {
    std::ofstream(S + "/" + name, std::ios::binary) << content;
  }
  TempDir d;
  std::string S;
};

TEST_F(UndoCli, PictrayMoveUndoneOnceThenNothingLeftToUndo) {
  Write("abc1.jpg", "1");
  Write("abc2.jpg", "2");
  Write("xyz3.jpg", "3");
  const std::set<std::string> before = Files(S);
  ASSERT_EQ(Run("pictray-cli", {"--ini", d.path() + "/p.ini", S, "char=???", "move"}).status, 0);
  ASSERT_NE(Files(S), before);

  const ProgramRun list = Run("pictray-cli", {"--undo-list", S});
  EXPECT_EQ(list.status, 0);
  ASSERT_EQ(list.lines.size(), 1u);
  EXPECT_NE(list.lines[0].find("\tmove\t3\t"), std::string::npos) << list.out;

  const ProgramRun undo = Run("pictray-cli", {"--ini", d.path() + "/p.ini", "--undo", S});
  EXPECT_EQ(undo.status, 0) << undo.err;
  EXPECT_EQ(undo.lines, std::vector<std::string>{"back\t3"});
  EXPECT_EQ(Files(S), before);
  EXPECT_TRUE(fs::exists(d.path() + "/state/pictray/journals"));

  const ProgramRun again = Run("pictray-cli", {"--undo", S});
  EXPECT_EQ(again.status, 0);
  EXPECT_TRUE(again.lines.empty());
  EXPECT_NE(again.err.find("nothing to take back"), std::string::npos);
  EXPECT_TRUE(Run("pictray-cli", {"--undo-list", S}).lines.empty());
}

TEST_F(UndoCli, LeftFilesAreListedWithTheirReasonAndTheStatusSaysSo) {
  Write("abc1.jpg", "1");
  Write("abc2.jpg", "2");
  ASSERT_EQ(Run("pictray-cli", {"--ini", d.path() + "/p.ini", S, "char=???", "move"}).status, 0);
  Write("abc1.jpg", "a new file under the old name");
  const ProgramRun undo = Run("pictray-cli", {"--undo", S});
  EXPECT_EQ(undo.status, 1);
  ASSERT_EQ(undo.lines.size(), 3u) << undo.out;  // back 1, the file, its folder
  EXPECT_EQ(undo.lines[0], "back\t1");
  EXPECT_EQ(undo.lines[1], "left\t" + S + "/abc/abc1.jpg\t" + S + "/abc1.jpg\t元の名前が別のファイルで使われている");
  EXPECT_EQ(undo.lines[2], "left\t" + S + "/abc\t\tフォルダに他のファイルがある");
  // The list names the run and what its undo left, as the undo said it.
  const ProgramRun list = Run("pictray-cli", {"--lang", "ja", "--undo-list", S});
  ASSERT_EQ(list.lines.size(), 3u) << list.out;
  EXPECT_NE(list.lines[0].find("\tmove\t1\t"), std::string::npos);
  EXPECT_EQ(std::vector(list.lines.begin() + 1, list.lines.end()), std::vector(undo.lines.begin() + 1, undo.lines.end()));
}

// A move stopped because its journal cannot be written (the file size
// limit) fails, and names every file it did not move.
TEST_F(UndoCli, AMoveStoppedByItsJournalFailsAndNamesWhatItDidNotMove) {
  if (!fs::exists("/usr/bin/prlimit")) GTEST_SKIP() << "no prlimit";
  for (int i = 1000; i < 1600; ++i) Write("abc" + std::to_string(i) + ".jpg", "x");
  ASSERT_EQ(Run("pictray-cli", {"--ini", d.path() + "/p.ini", S}).status, 0);  // the settings, made once
  ::signal(SIGXFSZ, SIG_IGN);  // a write over the limit fails rather than killing
  const ProgramRun move = testing::RunProgram(d, {"/usr/bin/prlimit", "--fsize=50000", "--",
                                                  std::string(PICTRAY_BIN_DIR) + "/pictray-cli", "--ini",
                                                  d.path() + "/p.ini", S, "char=???", "move"});
  ::signal(SIGXFSZ, SIG_DFL);
  EXPECT_EQ(move.status, 1);
  std::ptrdiff_t notMoved = 0, stayed = std::count_if(fs::directory_iterator(S), {}, [](auto& e) {
    return e.is_regular_file();
  });
  for (std::size_t at = 0; (at = move.err.find("not moved: ", at)) != std::string::npos; ++at) ++notMoved;
  EXPECT_TRUE(stayed > 0 && stayed < 600);
  EXPECT_EQ(notMoved, stayed);
}

TEST_F(UndoCli, TwinscanExtractionUndone) {
  Write("a.jpg", std::string(500, 'a'));
  Write("b.jpg", std::string(500, 'a'));
  const std::set<std::string> before = Files(S);
  ASSERT_EQ(Run("twinscan-cli", {"--extract", S}).status, 0);
  ASSERT_NE(Files(S), before);
  const ProgramRun list = Run("twinscan-cli", {"--undo-list", S});
  ASSERT_EQ(list.lines.size(), 1u);
  EXPECT_NE(list.lines[0].find("\textract\t1\t"), std::string::npos) << list.out;
  const ProgramRun undo = Run("twinscan-cli", {"--undo", S});
  EXPECT_EQ(undo.status, 0) << undo.err;
  EXPECT_EQ(undo.lines, std::vector<std::string>{"back\t1"});
  EXPECT_EQ(Files(S), before);
  EXPECT_EQ(Run("twinscan-cli", {"--undo", S}).status, 0);  // twice: nothing happens
  EXPECT_EQ(Files(S), before);
}

}  // namespace
}  // namespace pictray
