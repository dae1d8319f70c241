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

#include "tests/support/temp_dir.h"

extern char** environ;

namespace pictray {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;

struct CliRun {
  int status = -1;
  std::string out, err;
};

// Runs pictray-cli with an argument list (no shell), collecting its output.
CliRun RunCli(const TempDir& d, std::vector<std::string> args) {
  args.insert(args.begin(), {std::string(PICTRAY_BIN_DIR) + "/pictray-cli", "--ini",
                             d.path() + "/Pictray.ini"});
  const std::string out = d.path() + "/out.txt", err = d.path() + "/err.txt";
  posix_spawn_file_actions_t fa;
  posix_spawn_file_actions_init(&fa);
  posix_spawn_file_actions_addopen(&fa, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&fa, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  CliRun r;
  pid_t pid;
  if (posix_spawn(&pid, argv[0], &fa, nullptr, argv.data(), environ) == 0 &&
      ::waitpid(pid, &r.status, 0) == pid && WIFEXITED(r.status))
    r.status = WEXITSTATUS(r.status);
  posix_spawn_file_actions_destroy(&fa);
  r.out = testing::ReadWhole(out);
  r.err = testing::ReadWhole(err);
  return r;
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

}  // namespace
}  // namespace pictray
