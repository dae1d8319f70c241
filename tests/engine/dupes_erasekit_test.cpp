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

TEST(TwinscanProfile, DefaultsRoundTripAndIniBesideTheProgram) {
  TempDir dir;
  EXPECT_EQ(TwinscanProfilePath("/opt/bin/Twinscan"), "/opt/bin/Twinscan.ini");
  EXPECT_EQ(TwinscanProfilePath("/opt/bin.d/Twinscan.exe"), "/opt/bin.d/Twinscan.ini");
  const std::string ini = dir.path() + "/Twinscan.ini";
  TwinscanProfile p = ReadTwinscanProfile(ini);
  EXPECT_EQ(p.Px + p.Py + p.Pw + p.Ph + p.MoveSoon + p.DeleteSoon, "505040040000");
  EXPECT_EQ(ReadOpenApp(ini), "open");
  EXPECT_EQ(ReadFileApp(ini), "open");
  p.Px = "120";
  p.MoveSoon = "1";
  ASSERT_TRUE(WriteTwinscanProfile(ini, p));
  ASSERT_TRUE(WriteApps(ini, "/usr/bin/thunar", "/usr/bin/eog"));
  TwinscanProfile q = ReadTwinscanProfile(ini);
  EXPECT_EQ(q.Px, "120");
  EXPECT_EQ(q.MoveSoon, "1");
  EXPECT_EQ(q.DeleteSoon, "0");
  EXPECT_EQ(ReadOpenApp(ini), "/usr/bin/thunar");
  EXPECT_EQ(ReadFileApp(ini), "/usr/bin/eog");
}

}  // namespace
}  // namespace pictray::dupes
