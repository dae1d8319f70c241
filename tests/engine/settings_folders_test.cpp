#include <gtest/gtest.h>

#include <filesystem>

#include "engine/settings/program_folders.h"
#include "engine/settings/settings_store.h"
#include "tests/support/temp_dir.h"

namespace pictray {
namespace {

namespace fs = std::filesystem;

// PREFIX/bin with or without the marker of an installed layout, and files
// beside the programs.
struct Layout {
  testing::TempDir root;
  std::string prefix = root.path() + "/usr";
  std::string bin = prefix + "/bin";
  Layout(bool marker, const std::string& besideProgram = "") {
    fs::create_directories(bin);
    if (marker) {
      fs::create_directories(prefix + "/share/pictray");
      root.Write("usr/share/pictray/installed", "");
    }
    if (!besideProgram.empty()) root.Write("usr/bin/" + besideProgram, "[Section0]\n");
  }
};

TEST(ProgramFolders, SettingsFollowTheLayoutAndTheEnvironment) {
  struct Case {
    const char* name;
    bool marker;
    const char* beside;        // a settings file already beside the programs
    const char* xdg;           // XDG_CONFIG_HOME ("@" = below the test's root)
    const char* programSuffix;  // appended to PREFIX/bin
    const char* settings;      // expected: "bin", "xdg" or "home"
  };
  const Case cases[] = {
      {"build folder, no marker", false, "", "@/xdg", "", "bin"},
      {"installed, XDG_CONFIG_HOME set", true, "", "@/xdg", "", "xdg"},
      {"installed, XDG_CONFIG_HOME unset", true, "", "", "", "home"},
      {"installed, XDG_CONFIG_HOME relative is ignored", true, "", "rel/xdg", "", "home"},
      {"installed, trailing slash", true, "", "@/xdg/", "/", "xdg"},
      {"installed, Pictray.ini beside stays", true, "Pictray.ini", "@/xdg", "", "bin"},
      {"installed, Twinscan.ini beside stays", true, "Twinscan.ini", "@/xdg", "", "bin"},
      {"marker but not a bin folder", true, "", "@/xdg", "/sub", "sub"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Layout l(c.marker, c.beside);
    std::string xdg = c.xdg;
    if (!xdg.empty() && xdg[0] == '@') xdg = l.root.path() + xdg.substr(1);
    const std::string programDir = l.bin + c.programSuffix;
    fs::create_directories(programDir);
    const ProgramFolders f = LocateProgramFolders(pictray::fs::DefaultEnv(), programDir, UserEnvironment{l.root.path() + "/home", xdg});
    const std::string expected = std::string(c.settings) == "xdg"    ? l.root.path() + "/xdg/pictray"
                                 : std::string(c.settings) == "home" ? l.root.path() + "/home/.config/pictray"
                                 : std::string(c.settings) == "sub"  ? l.bin + "/sub"
                                                                     : l.bin;
    EXPECT_EQ(f.settingsDir, expected);
    EXPECT_EQ(f.inUserConfig, expected != f.programDir);
    const bool installed = c.marker && std::string(c.programSuffix) != "/sub";
    EXPECT_EQ(f.installed, installed);
    EXPECT_EQ(f.libraryDir, installed ? l.prefix + "/lib/pictray" : f.programDir);
    EXPECT_EQ(f.dataDir, installed ? l.prefix + "/share/pictray" : f.programDir);
  }
}

// An installed program's first start: the settings folder is made with its
// parents, the settings file gets its creation values with the settings
// folder as "WPath", and nothing is written beside the program.
TEST(ProgramFolders, InstalledFirstStartCreatesSettingsInTheUserFolder) {
  Layout l(true);
  const std::string xdg = l.root.path() + "/home/.config-new";
  const ProgramFolders f = LocateProgramFolders(pictray::fs::DefaultEnv(), l.bin, UserEnvironment{l.root.path() + "/home", xdg});
  SettingsStore s(pictray::fs::DefaultEnv(), f, "Pictray");
  ASSERT_TRUE(s.ProfileSetSub(TimeStamp{2026, 1, 2, 3, 4, 5}));
  ASSERT_TRUE(s.NewProfileSetSub(TimeStamp{2026, 1, 2, 3, 4, 5}));
  const std::string dir = xdg + "/pictray";
  EXPECT_TRUE(s.created);
  EXPECT_EQ(s.GRprofile, dir + "/Pictray.ini");
  EXPECT_EQ(s.profile, dir + "/202612345Pictray.ini");
  EXPECT_EQ(s.workfile, dir + "/202612345bit.$$$");
  EXPECT_EQ(s.RGBtxt, dir + "/RGB.txt");
  EXPECT_EQ(s.dllfile, l.prefix + "/lib/pictray/libthumbkit.so");
  EXPECT_NE(testing::ReadWhole(s.GRprofile).find("WPath=" + dir + "\n"), std::string::npos);
  EXPECT_EQ((fs::status(dir).permissions() & fs::perms::all), fs::perms::owner_all);
  EXPECT_TRUE(fs::is_empty(l.bin));
}

TEST(ProgramFolders, SettingsFolderBlockedByAFileFails) {
  Layout l(true);
  const std::string xdg = l.root.Write("xdg", "a file where the folder would go");
  SettingsStore s(pictray::fs::DefaultEnv(), LocateProgramFolders(pictray::fs::DefaultEnv(), l.bin, UserEnvironment{l.root.path(), xdg}), "Pictray");
  EXPECT_FALSE(s.ProfileSetSub(TimeStamp{2026, 1, 2, 3, 4, 5}));
  EXPECT_TRUE(fs::is_empty(l.bin));
}

}  // namespace
}  // namespace pictray
