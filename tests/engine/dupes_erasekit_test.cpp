// The deleter program beside Twinscan, run as Twinscan runs it.
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "engine/dupes/twinscan_profile.h"
#include "tests/support/temp_dir.h"

namespace pictray::dupes {
namespace {

using pictray::testing::ReadWhole;
using pictray::testing::TempDir;
namespace fs = std::filesystem;

// Runs erasekit PATH with the desktop's trash placed inside `home`; the exit
// status, or -1 when it could not be run.
int RunErasekit(const std::string& path, const std::string& home) {
  const std::string exe = std::string(PICTRAY_BIN_DIR) + "/erasekit";
  std::string homeVar = "HOME=" + home, dataVar = "XDG_DATA_HOME=" + home + "/data";
  char* argv[] = {const_cast<char*>(exe.c_str()), const_cast<char*>(path.c_str()), nullptr};
  char* envp[] = {homeVar.data(), dataVar.data(), const_cast<char*>("QT_QPA_PLATFORM=offscreen"),
                  nullptr};
  pid_t pid = 0;
  if (::posix_spawn(&pid, exe.c_str(), nullptr, nullptr, argv, envp) != 0) return -1;
  int status = 0;
  if (::waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

TEST(Erasekit, MovesAFolderToTheTrashAndFailsLoudlyOtherwise) {
  if (!fs::exists(std::string(PICTRAY_BIN_DIR) + "/erasekit")) GTEST_SKIP() << "erasekit not built";
  TempDir dir;
  fs::create_directories(dir.path() + "/src/same1/a_same");
  dir.Write("src/same1/a_same/b.jpg", "copy");
  EXPECT_EQ(RunErasekit(dir.path() + "/src/same1", dir.path()), 0);
  EXPECT_FALSE(fs::exists(dir.path() + "/src/same1"));
  EXPECT_TRUE(fs::exists(dir.path() + "/data/Trash/files/same1/a_same/b.jpg"));
  EXPECT_TRUE(fs::exists(dir.path() + "/data/Trash/info/same1.trashinfo"));

  EXPECT_EQ(RunErasekit(dir.path() + "/src/same1", dir.path()), 0);  // already gone
  EXPECT_NE(RunErasekit("/proc/version", dir.path()), 0);
  EXPECT_TRUE(fs::exists("/proc/version"));
}

// A name in bytes that are not UTF-8 goes to the trash under the same
// bytes, its info file written first; a name taken in the trash (in files/
// or in info/) is skipped, and nothing there is replaced. A relative path is
// recorded whole.
TEST(Erasekit, TrashesNamesAsBytesAndReplacesNothing) {
  if (!fs::exists(std::string(PICTRAY_BIN_DIR) + "/erasekit")) GTEST_SKIP() << "erasekit not built";
  TempDir dir;
  const std::string src = fs::canonical(dir.path()).string() + "/src", name = "s\xE9 1";
  const std::string trash = dir.path() + "/data/Trash";
  fs::create_directories(trash + "/files/" + name);
  fs::create_directories(trash + "/info");
  dir.Write("data/Trash/info/" + name + ".2.trashinfo", "older");
  fs::create_directories(src + "/" + name + "/a_same");
  dir.Write("src/plain", "p");

  EXPECT_EQ(RunErasekit(src + "/" + name, dir.path()), 0);
  EXPECT_EQ(RunErasekit(fs::relative(src + "/plain").string(), dir.path()), 0);
  EXPECT_TRUE(fs::is_empty(src));
  EXPECT_TRUE(fs::is_empty(trash + "/files/" + name));
  EXPECT_EQ(ReadWhole(trash + "/info/" + name + ".2.trashinfo"), "older");
  EXPECT_TRUE(fs::is_directory(trash + "/files/" + name + ".3/a_same"));
  EXPECT_TRUE(ReadWhole(trash + "/info/" + name + ".3.trashinfo")
                  .starts_with("[Trash Info]\nPath=" + src + "/s%E9%201\nDeletionDate=20"));
  EXPECT_TRUE(ReadWhole(trash + "/info/plain.trashinfo").starts_with("[Trash Info]\nPath=" + src + "/plain\n"));
}

TEST(TwinscanProfile, DefaultsRoundTripAndIniBesideTheProgram) {
  TempDir dir;
  EXPECT_EQ(TwinscanProfilePath("/opt/bin/Twinscan"), "/opt/bin/Twinscan.ini");
  EXPECT_EQ(TwinscanProfilePath("/opt/bin.d/Twinscan.exe"), "/opt/bin.d/Twinscan.ini");
  const std::string ini = dir.path() + "/Twinscan.ini";
  TwinscanProfile p = ReadTwinscanProfile(pictray::fs::DefaultEnv(), ini);
  EXPECT_EQ(p.Px + p.Py + p.Pw + p.Ph + p.MoveSoon + p.DeleteSoon, "505040040000");
  EXPECT_EQ(ReadOpenApp(pictray::fs::DefaultEnv(), ini), "open");
  EXPECT_EQ(ReadFileApp(pictray::fs::DefaultEnv(), ini), "open");
  p.Px = "120";
  p.MoveSoon = "1";
  ASSERT_TRUE(WriteTwinscanProfile(pictray::fs::DefaultEnv(), ini, p));
  ASSERT_TRUE(WriteApps(pictray::fs::DefaultEnv(), ini, "/usr/bin/thunar", "/usr/bin/eog"));
  TwinscanProfile q = ReadTwinscanProfile(pictray::fs::DefaultEnv(), ini);
  EXPECT_EQ(q.Px, "120");
  EXPECT_EQ(q.MoveSoon, "1");
  EXPECT_EQ(q.DeleteSoon, "0");
  EXPECT_EQ(ReadOpenApp(pictray::fs::DefaultEnv(), ini), "/usr/bin/thunar");
  EXPECT_EQ(ReadFileApp(pictray::fs::DefaultEnv(), ini), "/usr/bin/eog");
}

}  // namespace
}  // namespace pictray::dupes
