#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <thread>

#include "tests/support/run_program.h"

namespace pictray {
namespace {

namespace fs = std::filesystem;
using testing::ProgramRun;
using testing::TempDir;

class PictrayCli : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = d.path() + "/pics";
    fs::create_directory(folder);
  }
  ProgramRun Run(std::vector<std::string> args) {
    args.insert(args.begin(), {std::string(PICTRAY_BIN_DIR) + "/pictray-cli", "--ini", d.path() + "/Pictray.ini"});
    return testing::RunProgram(d, std::move(args));
  }
  void Put(const std::string& name) { std::ofstream(folder + "/" + name) << name; }

  TempDir d;
  std::string folder;
};

TEST_F(PictrayCli, ListsOneTabSeparatedLinePerFileAndCreatesTheSettings) {
  Put("b c.png");
  Put("_c.jpg");
  Put("A.jpg");
  fs::create_directory(folder + "/sub");
  ProgramRun r = Run({folder});
  EXPECT_EQ(r.status, 0);
  // In name order: letters without regard to case, "_" after them.
  EXPECT_EQ(r.lines, (std::vector<std::string>{"A.jpg\t\t\t", "b c.png\t\t\t", "_c.jpg\t\t\t"}));
  EXPECT_NE(r.err.find("Listup終了"), std::string::npos);
  EXPECT_TRUE(fs::exists(d.path() + "/Pictray.ini"));
}

TEST_F(PictrayCli, BadArgumentsAndUnknownStepsExitTwoBeforeTouchingAnything) {
  Put("IMG_0001.jpg");
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{}, {"--answer", "maybe", folder}, {"--bogus", folder}, {"--select"},
        {folder, "ext", "frobnicate", "move"}, {"--select", "colour", folder}, {folder, "partcolor=list.txt@1"},
        // Steps list-up cannot run.
        {"--select", "rgb", folder}, {"--select", "exif,move", folder}}) {
    ProgramRun r = Run(args);
    EXPECT_EQ(r.status, 2) << (args.empty() ? "(none)" : args.back());
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;  // one line
    EXPECT_TRUE(r.out.empty());
  }
  // "ext" was never applied, "move" never ran.
  EXPECT_TRUE(fs::exists(folder + "/IMG_0001.jpg"));
  EXPECT_FALSE(fs::exists(folder + "/jpg"));
  ProgramRun noIni = testing::RunProgram(d, {std::string(PICTRAY_BIN_DIR) + "/pictray-cli", "--ini",
                                             d.path() + "/settings.txt", folder});
  EXPECT_EQ(noIni.status, 2);
}

TEST_F(PictrayCli, SettingsFileTooLargeIsNamedAndLeftAlone) {
  Put("A.jpg");
  const std::string ini = d.path() + "/Pictray.ini", text = "[Section0]\n" + std::string(2 << 20, ';');
  std::ofstream(ini) << text;
  ProgramRun r = Run({folder});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("too large"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find(ini), std::string::npos) << r.err;
  EXPECT_TRUE(r.out.empty());
  EXPECT_EQ(testing::ReadWhole(ini), text);
}

TEST_F(PictrayCli, TabsLineFeedsAndBackslashesInNamesAreEscaped) {
  Put("a\tb.jpg");
  Put("line\nfeed.jpg");
  Put("back\\slash.x\ty");
  ProgramRun r = Run({folder, "ext"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.lines, (std::vector<std::string>{"a\\tb.jpg\tjpg\te\t", "back\\\\slash.x\\ty\tx\\ty\te\t",
                                               "line\\nfeed.jpg\tjpg\te\t"}));
  ProgramRun help = Run({"--lang", "en", "--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("\\t, \\n or \\\\"), std::string::npos) << help.out;
}

TEST_F(PictrayCli, MissingFolderIsReportedAndListsNothing) {
  ProgramRun r = Run({folder + "/none"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("none"), std::string::npos);
  EXPECT_TRUE(r.out.empty());
}

TEST_F(PictrayCli, AnswerDecidesTheUniformityQuestion) {
  Put("x.jpg");
  Put("y.jpg");
  ProgramRun keep = Run({folder, "ext"});
  EXPECT_EQ(keep.lines, (std::vector<std::string>{"x.jpg\tjpg\te\t", "y.jpg\tjpg\te\t"}));
  EXPECT_NE(keep.err.find("question: 全て同じ値"), std::string::npos);
  ProgramRun clear = Run({"--answer", "clear", folder, "ext"});
  EXPECT_EQ(clear.lines, (std::vector<std::string>{"x.jpg\t\t\t", "y.jpg\t\t\t"}));
}

TEST_F(PictrayCli, SelectRunsTheAnalysesDuringListup) {
  for (const char* n : {"cam_canon_II_A.jpg", "plain.png"})
    fs::copy_file(std::string(PICTRAY_TEST_DATA) + "/jpeg/" + n, folder + "/" + n);
  ProgramRun r = Run({"--select", "exif,size", folder});
  EXPECT_EQ(r.status, 0);
  ASSERT_EQ(r.lines.size(), 2u);
  const auto camera = std::find_if(r.lines.begin(), r.lines.end(),
                                   [](const std::string& l) { return l.rfind("cam_canon_II_A.jpg\t", 0) == 0; });
  ASSERT_NE(camera, r.lines.end());
  EXPECT_NE(camera->find("\tE\t"), std::string::npos) << *camera;
}

// Two move runs on one folder at once, the folder on a RAM file system and
// its target folder a link to a folder on the disk: one run moves, the other
// is refused or finds nothing left; no file is lost or left half-copied.
TEST_F(PictrayCli, TwoMoveRunsAtOnceAcrossFileSystemsLoseNothing) {
  char tmpl[] = "/dev/shm/pictray-test-XXXXXX";
  if (!::mkdtemp(tmpl)) GTEST_SKIP() << "no /dev/shm";
  const std::string ram = tmpl;
  struct Cleanup {
    std::string path;
    ~Cleanup() {
      std::error_code ec;
      fs::remove_all(path, ec);
    }
  } cleanup{ram};
  const std::string disk = d.path() + "/on-disk";
  fs::create_directory(disk);
  fs::create_directory_symlink(disk, ram + "/jpg");
  constexpr int kFiles = 400;
  for (int i = 0; i < kFiles; ++i)
    std::ofstream(ram + "/f" + std::to_string(i) + ".jpg") << std::string(2000 + i, 'x');
  Run({d.path()});  // the settings file exists before the two start

  TempDir scratchA, scratchB;
  auto start = [&](const TempDir& scratch) {
    return testing::RunProgram(scratch, {std::string(PICTRAY_BIN_DIR) + "/pictray-cli", "--ini",
                                         d.path() + "/Pictray.ini", ram, "ext", "move"});
  };
  ProgramRun b;
  std::thread other([&] { b = start(scratchB); });
  ProgramRun a = start(scratchA);
  other.join();

  for (const ProgramRun* r : {&a, &b}) {
    EXPECT_TRUE(r->status == 0 || r->err.find("別の移動処理が実行中") != std::string::npos) << r->err;
  }
  for (int i = 0; i < kFiles; ++i) {
    const std::string name = "/f" + std::to_string(i) + ".jpg";
    const bool moved = fs::exists(disk + name), left = fs::exists(ram + name);
    EXPECT_TRUE(moved != left) << name << (moved ? " is twice" : " is lost");
    if (moved) {
      EXPECT_EQ(fs::file_size(disk + name), 2000u + i) << name;
    }
  }
  for (const auto& e : fs::directory_iterator(disk))
    EXPECT_EQ(e.path().filename().string().rfind(".pictray-move-", 0), std::string::npos) << e.path();
}

}  // namespace
}  // namespace pictray
