// pictray-cli's selected-colour steps on JPEG files made here: allcolor=
// scans the pictures itself, partcolor= draws the cells through the real
// libthumbkit.so. The colours of the lists are read back from the files.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "engine/colour/exact_colour.h"
#include "engine/colour/selected_colours.h"
#include "engine/jpeg/jpeg_decode.h"
#include "engine/settings/profile.h"
#include "tests/engine/selected_colour_util.h"
#include "tests/support/run_program.h"

namespace pictray {
namespace {

namespace fs = std::filesystem;
using testing::ProgramRun;

class PictraySelectedColourCli : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = d.path() + "/pics";
    fs::create_directory(folder);
    ASSERT_EQ(Run({folder}).status, 0);  // the settings file with its creation values
    // Left half red, right half blue; the list names the red.
    ASSERT_TRUE(testing::WriteJpeg(folder + "/half.jpg", 64, 64,
                                   [](int x, int) { return x < 32 ? Rgb{230, 20, 20} : Rgb{20, 20, 230}; }));
    std::ofstream(folder + "/note.txt") << "text";
    Picture p;
    ASSERT_EQ(JpegToBuffer(pictray::fs::DefaultEnv(), folder + "/half.jpg", p), 0);
    red = ColourKey(ColourValue({p.Pixel(0, 0)[2], p.Pixel(0, 0)[1], p.Pixel(0, 0)[0]}));
    std::ofstream(list) << red << "\n";
  }
  ProgramRun Run(std::vector<std::string> args) {
    args.insert(args.begin(), {std::string(PICTRAY_BIN_DIR) + "/pictray-cli", "--ini", ini});
    return testing::RunProgram(d, std::move(args));
  }
  void Set(const std::string& key, const std::string& value) {
    ASSERT_TRUE(WriteProfileString(pictray::fs::DefaultEnv(), "Section0", key, value, ini));
  }
  static std::vector<std::string> Sorted(std::vector<std::string> v) {
    std::sort(v.begin(), v.end());
    return v;
  }

  testing::TempDir d;
  std::string folder, ini = d.path() + "/Pictray.ini", list = d.path() + "/RGB.txt", red;
};

TEST_F(PictraySelectedColourCli, AllColourLabelsEveryFileByTheMode) {
  Set("AllColorMode", "1");
  ProgramRun r = Run({folder, "allcolor=" + list});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(Sorted(r.lines), (std::vector<std::string>{"half.jpg\t1_1_1\tA\t", "note.txt\t\tA\t"}));
  EXPECT_NE(r.err.find("AllRGB解析処理終了"), std::string::npos) << r.err;
  Set("AllColorMode", "4");
  std::string key = red;
  std::replace(key.begin(), key.end(), ':', '_');
  EXPECT_EQ(Sorted(Run({folder, "allcolor=" + list}).lines).at(0), "half.jpg\t" + key + "\tA\t");
}

// With AllFormats 1 pictures of other formats are scanned as a JPEG is: the
// lossless ones hold the listed colour exactly, the lossy ones are
// labelled either way ("?"); damaged and non-picture files stay
// unlabelled, as every one does with 0.
TEST_F(PictraySelectedColourCli, AllColourScansOtherFormatsWhenChosen) {
  const std::vector<std::pair<std::string, std::string>> files = {
      {"png_exif.png", "1_1_1"},    {"raw_ii.cr2", "1_1_1"}, {"heic_full.heic", "?"},
      {"webp_exif.webp", "?"}, {"cut.heic", ""},        {"text.cr2", ""}};
  for (const auto& [name, label] : files)
    fs::copy_file(std::string(PICTRAY_TEST_DATA) + "/meta/" + name, folder + "/" + name);
  std::ofstream(list) << "051:102:153\n";  // the fixtures' colour
  Set("AllColorMode", "1");
  for (const std::string all : {"1", "0"}) {
    Set("AllFormats", all);
    const ProgramRun r = Run({folder, "allcolor=" + list});
    ASSERT_EQ(r.status, 0) << r.err;
    for (const auto& [name, label] : files) {
      const auto line = std::find_if(r.lines.begin(), r.lines.end(),
                                     [&](const std::string& l) { return l.rfind(name + "\t", 0) == 0; });
      ASSERT_NE(line, r.lines.end()) << name;
      const std::string got = line->substr(name.size() + 1, line->find('\t', name.size() + 1) - name.size() - 1);
      if (all == "1" && label == "?") EXPECT_NE(got, "") << name;
      else EXPECT_EQ(got, all == "1" ? label : "") << name << " " << all;
    }
  }
}

// Cell 1 (top left) is all red, cell 4 (top right) all blue.
TEST_F(PictraySelectedColourCli, PartColourLooksAtTheChosenCells) {
  if (!fs::exists(std::string(PICTRAY_BIN_DIR) + "/libthumbkit.so"))
    GTEST_SKIP() << "libthumbkit.so is not built in " << PICTRAY_BIN_DIR;
  Set("PartColorMode", "1");
  Set("MatchPer", "10");
  ProgramRun r = Run({folder, "partcolor=" + list + "@1"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(Sorted(r.lines), (std::vector<std::string>{"half.jpg\t1-1-1\tP\t", "note.txt\t\tP\t"}));
  EXPECT_EQ(Sorted(Run({folder, "partcolor=" + list + "@4"}).lines).at(0), "half.jpg\t0-0-0\tP\t");
  EXPECT_EQ(Sorted(Run({folder, "partcolor=" + list + "@4,1"}).lines).at(0), "half.jpg\t1-1-1\tP\t");
}

// Refused before anything runs, each with its reason on one line.
TEST_F(PictraySelectedColourCli, BadListsAndCellsAreRefused) {
  std::ofstream(d.path() + "/two.txt") << "1:1:1\n2:2:2\n";
  std::ofstream(d.path() + "/none.txt") << "no colour here\n";
  Set("samcount", "1");
  const struct {
    std::string step, says;
  } cases[] = {{"allcolor=", "no colour list"},
               {"allcolor=" + d.path() + "/missing.txt", "cannot read"},
               {"allcolor=" + d.path() + "/none.txt", "names no colour"},
               {"allcolor=" + d.path(), "cannot read"},
               {"partcolor=" + list, "LISTFILE@CELLS"},
               {"partcolor=" + list + "@17", "cell '17'"},
               {"allcolor=" + d.path() + "/two.txt", "選択は[1]色以下にして下さい。(2)"}};
  for (const auto& c : cases) {
    const ProgramRun r = Run({folder, "ext", c.step});
    EXPECT_EQ(r.status, 2) << c.step;
    EXPECT_NE(r.err.find(c.says), std::string::npos) << c.step << ": " << r.err;
    EXPECT_TRUE(r.lines.empty()) << c.step;
  }
}

}  // namespace
}  // namespace pictray
