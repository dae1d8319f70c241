#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/settings/profile.h"
#include "tests/support/run_program.h"

namespace pictray {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;

using CliRun = testing::ProgramRun;

// pictray-cli with its own settings file in `d`.
CliRun RunCli(const TempDir& d, std::vector<std::string> args) {
  args.insert(args.begin(), {std::string(PICTRAY_BIN_DIR) + "/pictray-cli", "--ini",
                             d.path() + "/Pictray.ini"});
  return testing::RunProgram(d, std::move(args));
}

class NameSteps : public ::testing::Test {
 protected:
  void SetUp() override {
    S = d.path() + "/src";
    fs::create_directory(S);
    for (const char* n : {"IMG_1234.jpg", "IMG_1299.jpg", "DSC_0001.png", "notes"})
      std::ofstream(S + "/" + n) << n;
  }
  TempDir d;
  std::string S;
};

TEST_F(NameSteps, ClassifyAndMoveEndToEnd) {
  const CliRun r = RunCli(d, {S, "char=IMG_%%##", "ext", "move"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(testing::ReadWhole(S + "/IIMMGG_12##/IMG_1234.jpg"), "IMG_1234.jpg");
  EXPECT_EQ(testing::ReadWhole(S + "/IIMMGG_12##/IMG_1299.jpg"), "IMG_1299.jpg");
  EXPECT_EQ(testing::ReadWhole(S + "/png/DSC_0001.png"), "DSC_0001.png");
  EXPECT_TRUE(fs::exists(S + "/notes"));  // extension run: empty target, not moved
  EXPECT_NE(r.out.find("IMG_1234.jpg\tIIMMGG_12##\tM\t"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("notes\t\te\t"), std::string::npos) << r.out;
  EXPECT_NE(r.err.find("IIMMGG_12##\t2\t"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("\tnew\n"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("移動処理終了"), std::string::npos) << r.err;
}

TEST_F(NameSteps, ClearThenPhraseAndAFileLeftInPlace) {
  fs::create_directory(S + "/IMG");
  std::ofstream(S + "/IMG/IMG_1234.jpg") << "another picture";
  const CliRun r = RunCli(d, {S, "char=DSC_", "clear", "phrase=IMG", "move"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(testing::ReadWhole(S + "/IMG_1234.jpg"), "IMG_1234.jpg");
  EXPECT_EQ(testing::ReadWhole(S + "/IMG/IMG_1234.jpg"), "another picture");
  EXPECT_EQ(testing::ReadWhole(S + "/IMG/IMG_1299.jpg"), "IMG_1299.jpg");
  EXPECT_TRUE(fs::exists(S + "/DSC_0001.png"));
  EXPECT_NE(r.err.find("not moved: IMG_1234.jpg -> IMG"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("1件は移動せず"), std::string::npos) << r.err;
}

// The one-folder switch of the strength analysis takes that analysis's rows
// only: a fixed phrase of digits shares its kind letter "T" and keeps its folder.
TEST_F(NameSteps, PhraseOfDigitsIsNotTakenForAStrengthResult) {
  std::ofstream(S + "/2024_a.jpg") << "2024_a.jpg";
  ASSERT_EQ(RunCli(d, {S}).status, 0);  // the settings file with its creation values
  for (const char* key : {"SRgb3", "SRgb0"})
    ASSERT_TRUE(WriteProfileString(pictray::fs::DefaultEnv(), "Section0", key, key[4] == '3' ? "1" : "0",
                                   d.path() + "/Pictray.ini"));
  const CliRun r = RunCli(d, {S, "phrase=2024", "move"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(testing::ReadWhole(S + "/2024/2024_a.jpg"), "2024_a.jpg");
  EXPECT_FALSE(fs::exists(S + "/RED"));
  EXPECT_NE(r.out.find("2024_a.jpg\t2024\tM\t\n"), std::string::npos) << r.out;
}

}  // namespace
}  // namespace pictray
