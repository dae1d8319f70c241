#include "engine/settings/settings_store.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "engine/settings/profile.h"
#include "tests/support/temp_dir.h"

namespace pictray {
namespace {

const TimeStamp kT{2026, 3, 7, 9, 5, 42};

TEST(SettingsStore, TimeStampHasNoLeadingZerosAndNoSeconds) {
  EXPECT_EQ(kT.Text(), "2026379542");
}

TEST(SettingsStore, FirstStartCreatesSettingsInOrderWithWorkingCopy) {
  testing::TempDir dir;
  SettingsStore s(fs::DefaultEnv(), dir.path(), "Pictray");
  ASSERT_TRUE(s.ProfileSetSub(kT));
  ASSERT_TRUE(s.NewProfileSetSub(kT));
  EXPECT_TRUE(s.created);
  EXPECT_EQ(s.GRprofile, dir.path() + "/Pictray.ini");
  EXPECT_EQ(s.profile, dir.path() + "/2026379542Pictray.ini");
  EXPECT_EQ(s.workfile, dir.path() + "/2026379542bit.$$$");
  EXPECT_EQ(s.dllfile, dir.path() + "/libthumbkit.so");
  const std::string expected =
      "[Section0]\nWPath=" + dir.path() +
      "\nExifSel=1\nsamcount=5000000\nMatchPer=10\nWinClose=1\n"
      "disabledchar=/:,;*?\"<>|.\nExec255bit=1\nExec000bit=1\nExecOWNbit=0\nExecRGB=\n"
      "PixelPassbit=1\nRGB64=2\nPx=50\nPy=50\nPw=1500\nPh=1000\n"
      "[Section1]\napp=open\napp1=open\napp2=open\napp3=open\nZenApp=Twinscan\n";
  EXPECT_EQ(testing::ReadWhole(s.GRprofile), expected);
  EXPECT_EQ(testing::ReadWhole(s.profile), expected);
  EXPECT_EQ(s.Px, "50");
  EXPECT_EQ(s.Pw, "1500");
  EXPECT_EQ(s.Ph, "1000");
  EXPECT_EQ(s.disabledchar, "/:,;*?\"<>|.");

  s.RemoveWorkingFiles();
  EXPECT_FALSE(std::filesystem::exists(s.profile));
  EXPECT_TRUE(std::filesystem::exists(s.GRprofile));
}

TEST(SettingsStore, ExistingFileIsReadNotRewritten) {
  testing::TempDir dir;
  std::string ini = dir.path() + "/Pictray.ini";
  std::ofstream(ini) << "[Section0]\nPx=120\nWPath=/does/not/exist\n";
  SettingsStore s(fs::DefaultEnv(), dir.path(), "Pictray");
  ASSERT_TRUE(s.ProfileSetSub(kT));
  EXPECT_FALSE(s.created);
  EXPECT_EQ(s.Px, "120");
  EXPECT_EQ(s.Py, "50");  // missing key: fallback
  // A WPath that is no folder falls back to the program's folder.
  EXPECT_EQ(s.workfile, dir.path() + "/2026379542bit.$$$");
  EXPECT_EQ(testing::ReadWhole(ini), "[Section0]\nPx=120\nWPath=/does/not/exist\n");
  // Every start-up key a file lacks reads as the one table says.
  EXPECT_EQ(s.disabledchar, "");
  EXPECT_EQ(s.WinClose, "1");
  EXPECT_EQ(ReadSetting(pictray::fs::DefaultEnv(), key::samcount, ini), "500000");
  EXPECT_EQ(ReadSetting(pictray::fs::DefaultEnv(), key::PixelPassbit, ini), "0");
}

// A new file holds every creation value, and reading it back through the
// table gives exactly those values (a width never cuts a creation value).
TEST(SettingsStore, EveryCreationValueReadsBackThroughTheTable) {
  testing::TempDir dir;
  SettingsStore s(fs::DefaultEnv(), dir.path(), "Pictray");
  ASSERT_TRUE(s.ProfileSetSub(kT));
  for (const SettingKey* k : kCreationOrder) {
    ASSERT_NE(k->creation, nullptr) << k->name;
    EXPECT_EQ(ReadSetting(pictray::fs::DefaultEnv(), *k, s.GRprofile), k->creation) << k->name;
  }
  EXPECT_EQ(s.disabledchar, kDefaultDisabledChars);
}

TEST(SettingsStore, WorkFileFollowsAnExistingWPathFolder) {
  testing::TempDir dir, work;
  std::ofstream(dir.path() + "/Pictray.ini") << "[Section0]\nWPath=" << work.path() << "\n";
  SettingsStore s(fs::DefaultEnv(), dir.path(), "Pictray");
  ASSERT_TRUE(s.ProfileSetSub(kT));
  EXPECT_EQ(s.workfile, work.path() + "/2026379542bit.$$$");
}

TEST(SettingsStore, SecondStartInSameMillisecondKeepsFirstWorkingCopy) {
  testing::TempDir dir;
  SettingsStore a(fs::DefaultEnv(), dir.path(), "Pictray"), b(fs::DefaultEnv(), dir.path(), "Pictray");
  ASSERT_TRUE(a.ProfileSetSub(kT));
  ASSERT_TRUE(a.NewProfileSetSub(kT));
  WriteProfileString(pictray::fs::DefaultEnv(), "Section0", "Marker", "first", a.profile);
  ASSERT_TRUE(b.ProfileSetSub(kT));
  ASSERT_TRUE(b.NewProfileSetSub(kT));
  EXPECT_NE(a.profile, b.profile);
  EXPECT_EQ(GetProfileString(pictray::fs::DefaultEnv(), "Section0", "Marker", "", 0, a.profile), "first");
}

TEST(SettingsStore, UnwritableProgramFolderFails) {
  if (::geteuid() == 0) GTEST_SKIP() << "root writes everywhere";
  testing::TempDir dir;
  std::filesystem::permissions(dir.path(), std::filesystem::perms::owner_read |
                                               std::filesystem::perms::owner_exec);
  SettingsStore s(fs::DefaultEnv(), dir.path(), "Pictray");
  EXPECT_FALSE(s.ProfileSetSub(kT));
  std::filesystem::permissions(dir.path(), std::filesystem::perms::owner_all);
}

}  // namespace
}  // namespace pictray
