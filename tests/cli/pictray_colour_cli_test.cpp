// pictray-cli's colour steps on JPEG files made here, drawn by the real
// libthumbkit.so of the program's folder. The expected colours are read
// back from the files, so the encoder's rounding does not matter.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <type_traits>
#include <vector>

#include <jpeglib.h>

#include "engine/colour/thumbnail.h"
#include "engine/jpeg/jpeg_decode.h"
#include "engine/settings/profile.h"
#include "tests/support/jpeg_writer.h"
#include "tests/support/run_program.h"
#include "tests/support/scene.h"
#include "thumbkit/thumbkit.h"

namespace pictray {
namespace {

namespace fs = std::filesystem;
using testing::ProgramRun;

struct Colour {
  int r, g, b;
};

// Writes a w x h JPEG (quality 100, no chroma subsampling) whose pixel
// (x, y) is paint(x, y); grey files take the red channel.
void WriteJpeg(const std::string& path, unsigned w, unsigned h, bool grey,
               const std::function<Colour(unsigned, unsigned)>& paint) {
  const testing::JpegShape shape{w, h, grey ? testing::JpegColours::Grey : testing::JpegColours::Rgb};
  ASSERT_TRUE(testing::WriteJpeg(path, shape, [&](unsigned y, JSAMPLE* row) {
    for (unsigned x = 0; x < w; ++x) {
      const Colour p = paint(x, y);
      if (grey) {
        row[x] = JSAMPLE(p.r);
      } else {
        row[3 * x] = JSAMPLE(p.r);
        row[3 * x + 1] = JSAMPLE(p.g);
        row[3 * x + 2] = JSAMPLE(p.b);
      }
    }
  })) << path;
}

// The decoded colour of pixel (x, y), y from the top.
Colour DecodedAt(const std::string& path, unsigned x, unsigned y) {
  Picture p;
  if (JpegToBuffer(pictray::fs::DefaultEnv(), path, p) != 0) return {-1, -1, -1};
  const std::uint8_t* px = p.Pixel(x, y);
  return {px[2], px[1], px[0]};
}

std::string Key(Colour c, int step = 1) {
  char text[48];
  std::snprintf(text, sizeof text, "%03d_%03d_%03d", c.r / step * step, c.g / step * step, c.b / step * step);
  return text;
}

class PictrayColourCli : public ::testing::Test {
 protected:
  void SetUp() override {
    // The library of this tree must draw by the interface the engine calls.
    if (!std::is_same_v<::MakeMinImageFn, pictray::MakeMinImageFn>)
      GTEST_SKIP() << "thumbkit/thumbkit.h does not declare the engine's MakeMinImage yet";
    if (!fs::exists(std::string(PICTRAY_BIN_DIR) + "/libthumbkit.so"))
      GTEST_SKIP() << "libthumbkit.so is not built in " << PICTRAY_BIN_DIR;
    folder = d.path() + "/pics";
    fs::create_directory(folder);
    ASSERT_EQ(Run({folder}).status, 0);  // the settings file with its creation values
    Set("RGB64", "0");
  }
  ProgramRun Run(std::vector<std::string> args) {
    args.insert(args.begin(), {std::string(PICTRAY_BIN_DIR) + "/pictray-cli", "--ini", ini});
    return testing::RunProgram(d, std::move(args));
  }
  void Set(const std::string& key, const std::string& value) {
    ASSERT_TRUE(WriteProfileString(pictray::fs::DefaultEnv(), "Section0", key, value, ini));
  }
  std::string Path(const std::string& name) const { return folder + "/" + name; }
  // The lines of a run in name order (list-up keeps the folder's order).
  static std::vector<std::string> Sorted(std::vector<std::string> v) {
    std::sort(v.begin(), v.end());
    return v;
  }

  testing::TempDir d;
  std::string folder, ini = d.path() + "/Pictray.ini";
};

// A wide flat picture, a grey one and a text file; white padding is left
// out by the new settings file's Exec255bit.
TEST_F(PictrayColourCli, RgbNamesFilesByTheirMostFrequentColour) {
  WriteJpeg(Path("flat.jpg"), 64, 32, false, [](unsigned, unsigned) { return Colour{12, 200, 7}; });
  WriteJpeg(Path("grey.jpg"), 40, 40, true, [](unsigned, unsigned) { return Colour{77, 77, 77}; });
  std::ofstream(Path("note.txt")) << "text";
  const Colour flat = DecodedAt(Path("flat.jpg"), 0, 0);
  ProgramRun r = Run({folder, "rgb=all"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(Sorted(r.lines), (std::vector<std::string>{"flat.jpg\t" + Key(flat) + "\tR\t", "grey.jpg\t077_077_077\tR\t",
                                               "note.txt\t\tR\t"}));
  EXPECT_NE(r.err.find("ＲＧＢ解析処理終了"), std::string::npos);
  Set("RGB64", "1");
  r = Run({folder, "rgb=1,16"});
  EXPECT_EQ(Sorted(r.lines).at(0), "flat.jpg\t" + Key(flat, 64) + "\tR\t");
}

// Left half red, right half blue: cell 1 is red, cell 4 (top right) blue;
// a cell outside the grid is refused before anything runs.
TEST_F(PictrayColourCli, RgbLooksAtTheChosenCellsOnly) {
  WriteJpeg(Path("half.jpg"), 64, 64, false,
            [](unsigned x, unsigned) { return x < 32 ? Colour{230, 20, 20} : Colour{20, 20, 230}; });
  EXPECT_EQ(Run({folder, "rgb=1"}).lines.at(0), "half.jpg\t" + Key(DecodedAt(Path("half.jpg"), 0, 0)) + "\tR\t");
  EXPECT_EQ(Run({folder, "rgb=4"}).lines.at(0), "half.jpg\t" + Key(DecodedAt(Path("half.jpg"), 63, 0)) + "\tR\t");
  for (const char* bad : {"rgb=17", "rgb=x", "rgb=1,,2"}) EXPECT_EQ(Run({folder, bad}).status, 2) << bad;
  Set("PartX", "8");
  EXPECT_EQ(Run({folder, "rgb=64"}).status, 0);
  Set("PartX", "3");  // read as the window's menu reads it: a 4 x 4 grid
  EXPECT_EQ(Run({folder, "rgb=16"}).status, 0);
  EXPECT_EQ(Run({folder, "rgb=4"}).lines.at(0), "half.jpg\t" + Key(DecodedAt(Path("half.jpg"), 63, 0)) + "\tR\t");
}

TEST_F(PictrayColourCli, RatioAndStrengthRunsAndListUpModes) {
  WriteJpeg(Path("red.jpg"), 48, 24, false, [](unsigned, unsigned) { return Colour{250, 10, 10}; });
  std::ofstream(Path("note.txt")) << "text";
  const Colour red = DecodedAt(Path("red.jpg"), 0, 0);
  char strength[64];
  std::snprintf(strength, sizeof strength, "red.jpg\t%03d\tT\t%d_%d_%d", red.r, red.r, red.g, red.b);

  ProgramRun r = Run({folder, "ratio"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(Sorted(r.lines), (std::vector<std::string>{"note.txt\t\tP\t", "red.jpg\tR000000\tP\t"}));
  EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 2) << r.err;  // list-up's and the pair's one message
  r = Run({folder, "strength"});
  EXPECT_EQ(Sorted(r.lines), (std::vector<std::string>{"note.txt\t\tT\t", strength}));
  r = Run({"--select", "strength", folder});
  EXPECT_EQ(Sorted(r.lines), (std::vector<std::string>{"note.txt\t\t\t", strength}));
}

// A detailed scene as it is and blurred by radius 1 and 3, at the
// thumbnail's own size so the library does not scale the blur away.
TEST_F(PictrayColourCli, SharpnessLabelsEveryRowAndMovesIntoItsBands) {
  for (const auto& [name, sigma] : {std::pair{"a.jpg", 0.0}, {"b.jpg", 1.0}, {"c.jpg", 3.0}}) {
    const testing::Rgb8 p = testing::Blurred(testing::Scene(7, 7, 2.5).Render(100, 75), sigma);
    WriteJpeg(Path(name), 100, 75, false, [&p](unsigned x, unsigned y) {
      const std::uint8_t* c = p.At(int(x), int(y));
      return Colour{c[0], c[1], c[2]};
    });
  }
  std::ofstream(Path("note.txt")) << "text";
  const std::vector<std::string> labelled = {"a.jpg\tsharp\tS\t", "b.jpg\tsoft\tS\t", "c.jpg\tblurred\tS\t",
                                             "note.txt\t\tS\t"};
  ProgramRun r = Run({folder, "sharpness"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(Sorted(r.lines), labelled);
  EXPECT_NE(r.err.find("鮮鋭度解析処理終了"), std::string::npos) << r.err;
  r = Run({"--select", "sharpness", folder});
  EXPECT_EQ(Sorted(r.lines), (std::vector<std::string>{"a.jpg\tsharp\tS\t", "b.jpg\tsoft\tS\t",
                                                        "c.jpg\tblurred\tS\t", "note.txt\t\t\t"}));
  r = Run({folder, "sharpness", "move"});
  EXPECT_EQ(r.status, 0) << r.err;
  for (const char* moved : {"sharp/a.jpg", "soft/b.jpg", "blurred/c.jpg", "note.txt"})
    EXPECT_TRUE(fs::exists(Path(moved))) << moved;
}

// libheif and its codecs are mapped by the first HEIF drawn, not with the
// thumbnail library: a folder of JPEGs never loads them.
TEST_F(PictrayColourCli, HeifLibraryIsLoadedByTheFirstHeifOnly) {
  WriteJpeg(Path("flat.jpg"), 64, 32, false, [](unsigned, unsigned) { return Colour{12, 200, 7}; });
  const std::string flat = "flat.jpg\t" + Key(DecodedAt(Path("flat.jpg"), 0, 0)) + "\tR\t";
  struct Case {
    bool heic;
    bool loadsLibheif;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {false, false, {flat}},
      {true, true, {"IMG_0250.HEIC\t051_103_153\tR\t", flat}},
  };
  ::setenv("LD_DEBUG", "libs", 1);  // the loader names each library it maps
  for (const Case& c : cases) {
    if (c.heic) fs::copy_file(std::string(PICTRAY_TEST_DATA) + "/meta/heic_full.heic", Path("IMG_0250.HEIC"));
    const ProgramRun r = Run({folder, "rgb=all"});
    EXPECT_EQ(Sorted(r.lines), c.lines);
    EXPECT_EQ(r.err.find("libheif.so") != std::string::npos, c.loadsLibheif) << c.heic;
  }
  ::unsetenv("LD_DEBUG");
}

// Without the library the colour steps are refused; other steps still run.
TEST(PictrayColourCliAlone, MissingLibraryIsReportedWithStatusTwo) {
  testing::TempDir d;
  fs::create_directory(d.path() + "/bin");
  fs::create_directory(d.path() + "/pics");
  const std::string cli = d.path() + "/bin/pictray-cli";
  fs::copy_file(std::string(PICTRAY_BIN_DIR) + "/pictray-cli", cli);
  const std::string ini = d.path() + "/Pictray.ini";
  for (const std::vector<std::string>& steps : {std::vector<std::string>{"rgb=1"}, {"ratio"}, {"strength"}}) {
    std::vector<std::string> args = {cli, "--ini", ini, d.path() + "/pics"};
    args.insert(args.end(), steps.begin(), steps.end());
    const ProgramRun r = testing::RunProgram(d, args);
    EXPECT_EQ(r.status, 2) << steps[0];
    EXPECT_NE(r.err.find("libthumbkit.so"), std::string::npos) << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
  }
  EXPECT_EQ(testing::RunProgram(d, {cli, "--ini", ini, "--select", "ratio", d.path() + "/pics"}).status, 2);
  EXPECT_EQ(testing::RunProgram(d, {cli, "--ini", ini, d.path() + "/pics", "ext"}).status, 0);
}

}  // namespace
}  // namespace pictray
