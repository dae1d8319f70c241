#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "tests/support/run_program.h"

namespace pictray {
namespace {

namespace fs = std::filesystem;
using testing::ProgramRun;
using testing::TempDir;

struct FormatsCase {
  const char* settings;  // lines of Section0
  const char* step;
  std::vector<std::string> lines;
};

// A folder from a phone and a camera: a Live Photo pair, a RAW, a
// screenshot, a JPEG, BigTIFF scans (one with an Exif directory), and a
// damaged and a foreign file with pictures' names.
TEST(PictrayFormatsCli, ExifSizeAndNgReadEveryFormat) {
  const FormatsCase cases[] = {
      {"ExifSel=7\n", "exif",
       {"a.jpg\t2005_12_31(II)\tE\t", "big.tif\tNoData\tE\t", "big_cut.tif\tfile_error\tE\t",
        "big_exif.tif\t2022_05_06(II)\tE\t", "big_mm.tif\tNoData\tE\t", "cut.heic\tfile_error\tE\t", "IMG_0250.HEIC\t2023_01_02(MM)\tE\t",
        "IMG_0250.MOV\t2023_01_02(MM)\tE\t", "raw.nef\tNoData\tE\t", "shot.png\t2023_01_02(MM)\tE\t",
        "text.cr2\t\t\t"}},
      {"ExifSel=16\nExifOrderTag=0\n", "exif",
       {"a.jpg\t2005_12\tE\t", "big.tif\tNoData\tE\t", "big_cut.tif\tfile_error\tE\t",
        "big_exif.tif\t2022_05\tE\t", "big_mm.tif\tNoData\tE\t", "cut.heic\tfile_error\tE\t", "IMG_0250.HEIC\t2023_01\tE\t",
        "IMG_0250.MOV\t2023_01\tE\t", "raw.nef\tNoData\tE\t", "shot.png\t2023_01\tE\t",
        "text.cr2\t\t\t"}},
      {"ExifSel=5\nAllFormats=0\n", "exif",
       {"a.jpg\tCanon EOS 5D(II)\tE\t", "big.tif\t\t\t", "big_cut.tif\t\t\t", "big_exif.tif\t\t\t", "big_mm.tif\t\t\t", "cut.heic\t\t\t", "IMG_0250.HEIC\t\t\t",
        "IMG_0250.MOV\t\t\t", "raw.nef\t\t\t", "shot.png\t\t\t",
        "text.cr2\t\t\t"}},
      {"ExifSel=5\n", "exif",
       {"a.jpg\tCanon EOS 5D(II)\tE\t", "big.tif\tBig Cam(II)\tE\t", "big_cut.tif\tfile_error\tE\t",
        "big_exif.tif\tBig Cam(II)\tE\t", "big_mm.tif\tBig Cam(MM)\tE\t", "cut.heic\tfile_error\tE\t", "IMG_0250.HEIC\tPixel 9(MM)\tE\t",
        "IMG_0250.MOV\tiPhone 15(MM)\tE\t", "raw.nef\tNIKON Z 8(MM)\tE\t", "shot.png\tNoData\tE\t",
        "text.cr2\t\t\t"}},
      {"ExifSel=1\nExifOrderTag=0\n", "exif",
       {"a.jpg\t2006_01_02\tE\t", "big.tif\t2023_06_14\tE\t", "big_cut.tif\tfile_error\tE\t",
        "big_exif.tif\t2023_06_14\tE\t", "big_mm.tif\t2023_06_14\tE\t", "cut.heic\tfile_error\tE\t", "IMG_0250.HEIC\t2024_05_06\tE\t",
        "IMG_0250.MOV\t2023_01_02\tE\t", "raw.nef\t2024_05_06\tE\t", "shot.png\tNoData\tE\t",
        "text.cr2\t\t\t"}},
      {"", "size",
       {"a.jpg\t64X48\tZ\t", "big.tif\t40X30\tZ\t", "big_cut.tif\t\t\t", "big_exif.tif\t4X2\tZ\t", "big_mm.tif\t40X30\tZ\t", "cut.heic\t\t\t", "IMG_0250.HEIC\t40X30\tZ\t",
        "IMG_0250.MOV\t64X48\tZ\t", "raw.nef\t40X30\tZ\t", "shot.png\t40X30\tZ\t",
        "text.cr2\t\t\t"}},
      {"", "ng",
       {"a.jpg\t\tG\t", "big.tif\t\tG\t", "big_cut.tif\tNG\tG\t", "big_exif.tif\t\tG\t", "big_mm.tif\t\tG\t", "cut.heic\tNG\tG\t", "IMG_0250.HEIC\t\tG\t",
        "IMG_0250.MOV\t\tG\t", "raw.nef\t\tG\t", "shot.png\t\tG\t",
        "text.cr2\tNG\tG\t"}},  // named as a RAW, and none
      {"AllFormats=0\n", "ng",
       {"a.jpg\t\tG\t", "big.tif\tNG\tG\t", "big_cut.tif\tNG\tG\t", "big_exif.tif\tNG\tG\t", "big_mm.tif\tNG\tG\t", "cut.heic\tNG\tG\t", "IMG_0250.HEIC\tNG\tG\t",
        "IMG_0250.MOV\tNG\tG\t", "raw.nef\tNG\tG\t", "shot.png\tNG\tG\t",
        "text.cr2\tNG\tG\t"}},
  };
  const std::string data = PICTRAY_TEST_DATA;
  const std::pair<const char*, const char*> files[] = {
      {"meta/heic_full.heic", "IMG_0250.HEIC"}, {"meta/mov_keys.mov", "IMG_0250.MOV"},
      {"jpeg/cam_canon_II_A.jpg", "a.jpg"},      {"meta/cut.heic", "cut.heic"},
      {"meta/raw_mm.nef", "raw.nef"},           {"meta/png_exif.png", "shot.png"},
      {"meta/text.cr2", "text.cr2"},           {"meta/big_ii.tif", "big.tif"},
      {"meta/big_mm.tif", "big_mm.tif"},        {"meta/big_cut.tif", "big_cut.tif"},
      {"meta/big_exif.tif", "big_exif.tif"}};
  for (const FormatsCase& c : cases) {
    TempDir d;
    const std::string folder = d.path() + "/pics";
    fs::create_directory(folder);
    for (const auto& [from, to] : files) fs::copy_file(data + "/" + from, folder + "/" + to);
    std::ofstream(d.path() + "/Pictray.ini") << "[Section0]\ndisabledchar=/:.\n" << c.settings;
    const ProgramRun r = testing::RunProgram(
        d, {std::string(PICTRAY_BIN_DIR) + "/pictray-cli", "--ini", d.path() + "/Pictray.ini", folder, c.step});
    EXPECT_EQ(r.lines, c.lines) << c.settings << c.step << "\n" << r.err;
  }
}

// Both halves of a Live Photo move into the folder of their capture moment.
TEST(PictrayFormatsCli, LivePhotoPairLandsInOneFolder) {
  TempDir d;
  const std::string folder = d.path() + "/pics";
  fs::create_directory(folder);
  fs::copy_file(std::string(PICTRAY_TEST_DATA) + "/meta/heic_full.heic", folder + "/IMG_0250.HEIC");
  fs::copy_file(std::string(PICTRAY_TEST_DATA) + "/meta/mov_keys.mov", folder + "/IMG_0250.MOV");
  std::ofstream(d.path() + "/Pictray.ini") << "[Section0]\nExifSel=7\nExifOrderTag=0\ndisabledchar=/:.\n";
  const ProgramRun r = testing::RunProgram(
      d, {std::string(PICTRAY_BIN_DIR) + "/pictray-cli", "--ini", d.path() + "/Pictray.ini", folder, "exif", "move"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(fs::exists(folder + "/2023_01_02/IMG_0250.HEIC"));
  EXPECT_TRUE(fs::exists(folder + "/2023_01_02/IMG_0250.MOV"));
}

// A camera roll filed by year and month: a camera's photo by its Exif date,
// the copies a messaging app and a screenshot tool stripped of Exif by the
// dates their names hold; then the move is taken back whole.
TEST(PictrayFormatsCli, CameraRollIntoYearMonthFoldersAndBack) {
  TempDir d;
  const std::string folder = d.path() + "/roll";
  const std::string data = PICTRAY_TEST_DATA;
  fs::create_directory(folder);
  fs::copy_file(data + "/jpeg/cam_canon_II_A.jpg", folder + "/DSC_0001.jpg");
  fs::copy_file(data + "/jpeg/rgb_3x2.jpg", folder + "/IMG-20230614-WA0005.jpg");
  fs::copy_file(data + "/jpeg/plain.png", folder + "/Screenshot 2023-06-14 at 10.11.12.png");
  fs::copy_file(data + "/jpeg/rgb_4x2.jpg", folder + "/IMG_1234.jpg");
  fs::create_directory(folder + "/2005");  // a year that is there already stays
  std::ofstream(d.path() + "/Pictray.ini") << "[Section0]\nExifSel=18\nNameDate=1\nExifOrderTag=0\n";
  const auto cli = [&](std::vector<std::string> args) {
    args.insert(args.begin(), {std::string(PICTRAY_BIN_DIR) + "/pictray-cli", "--ini", d.path() + "/Pictray.ini"});
    return testing::RunProgram(d, std::move(args));
  };
  const ProgramRun labelled = cli({folder, "exif"});
  EXPECT_EQ(labelled.lines, (std::vector<std::string>{"DSC_0001.jpg\t2005/12\tE\t",
                                                       "IMG-20230614-WA0005.jpg\t2023/06\tE\tNameDate",
                                                       "IMG_1234.jpg\tNoExif\tE\t",
                                                       "Screenshot 2023-06-14 at 10.11.12.png\t2023/06\tE\tNameDate"}));
  const ProgramRun moved = cli({folder, "exif", "move"});
  EXPECT_EQ(moved.status, 0) << moved.err;
  for (const char* line : {"2005/12\t1\t", "2023/06\t2\t"})
    EXPECT_NE(moved.err.find(line), std::string::npos) << moved.err;
  EXPECT_TRUE(fs::exists(folder + "/2005/12/DSC_0001.jpg"));
  EXPECT_TRUE(fs::exists(folder + "/2023/06/IMG-20230614-WA0005.jpg"));
  EXPECT_TRUE(fs::exists(folder + "/2023/06/Screenshot 2023-06-14 at 10.11.12.png"));

  const ProgramRun undo = cli({"--undo", folder});
  EXPECT_EQ(undo.status, 0) << undo.err;
  std::vector<std::string> left;
  for (const auto& e : fs::recursive_directory_iterator(folder)) left.push_back(e.path().string().substr(folder.size() + 1));
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left, (std::vector<std::string>{"2005", "DSC_0001.jpg", "IMG-20230614-WA0005.jpg", "IMG_1234.jpg",
                                            "Screenshot 2023-06-14 at 10.11.12.png"}));
}

}  // namespace
}  // namespace pictray
