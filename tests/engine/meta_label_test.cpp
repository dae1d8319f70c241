#include <stdlib.h>
#include <time.h>

#include <cstdint>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "engine/meta/media_label.h"
#include "tests/support/temp_dir.h"

namespace pictray::meta {
namespace {

const std::string kDir = std::string(PICTRAY_TEST_DATA) + "/meta/";
const std::string kDisabled = "/:,;*?\"<>|.";

struct LabelCase {
  const char* file;
  const char* ExifSel;
  bool orderTag;
  const char* label;
};

TEST(MetaLabel, EveryFormatGivesTheJpegShapedLabel) {
  const LabelCase cases[] = {
      {"heic_full.heic", "1", true, "2024_05_06(MM)"},
      {"heic_full.heic", "7", true, "2023_01_02(MM)"},
      {"heic_full.heic", "14", true, "2024_05(MM)"},
      {"heic_full.heic", "17", true, "2023(MM)"},
      {"heic_full.heic", "5", false, "Pixel 9"},
      {"heic_full.heic", "6", true, "Cam 1_0(MM)"},
      {"heic_nodate.heic", "7", true, "NoData"},
      {"heic_noexif.heic", "1", true, "NoExif"},
      {"raw_ii.cr2", "2", true, "2024_05_06 07(II)"},
      {"raw_ii.cr2", "5", true, "Canon EOS R5(II)"},
      {"raw_mm.nef", "5", true, "NIKON Z 8(MM)"},
      {"raw_mm.nef", "7", true, "NoData"},
      {"png_exif.png", "7", true, "2023_01_02(MM)"},
      {"webp_exif.webp", "12", true, "2023_01_02 03_04_05(MM)"},
      {"mov_keys.mov", "7", true, "2023_01_02(MM)"},
      {"mov_keys.mov", "5", true, "iPhone 15(MM)"},
      {"mov_utc.mp4", "6", true, "NoData"},
      {"cut.heic", "1", true, "file_error"},
  };
  for (const LabelCase& c : cases) {
    const MediaInfo info = ReadMediaInfo(fs::ReadOnlyFile(fs::DefaultEnv(), kDir + c.file), kDir + c.file);
    EXPECT_EQ(MediaExifLabel(info, c.ExifSel, kDisabled, c.orderTag), c.label) << c.file << " " << c.ExifSel;
  }
}

TEST(MetaLabel, SizesAndWhatIsNotRead) {
  const std::pair<const char*, const char*> cases[] = {
      {"heic_full.heic", "40X30"}, {"raw_mm.nef", "40X30"}, {"png_exif.png", "40X30"},
      {"webp_exif.webp", "40X30"}, {"mov_keys.mov", "64X48"}, {"cut.heic", ""}, {"text.cr2", ""},
  };
  for (const auto& [file, size] : cases) EXPECT_EQ(MediaSizeLabel(ReadMediaInfo(fs::ReadOnlyFile(fs::DefaultEnv(), kDir + file), kDir + file)), size) << file;
}

// The movie header's time is UTC; it is shown in the local time zone.
// A copy of the movie whose header says it was last changed at `modified`
// (seconds since 1904, the header's epoch).
std::string WithModificationTime(const testing::TempDir& dir, const std::string& movie, std::uint32_t modified) {
  std::string bytes = testing::ReadWhole(movie);
  const std::size_t mvhd = bytes.find("mvhd");
  const std::size_t at = mvhd + 4 + 4 + (bytes.at(mvhd + 4) == 1 ? 8 : 4);
  for (int i = 0; i < 4; ++i) bytes.at(at + i) = static_cast<char>(modified >> (24 - 8 * i));
  const std::string path = dir.path() + "/modified" + std::to_string(modified) + ".mp4";
  std::ofstream(path, std::ios::binary) << bytes;
  return path;
}

TEST(MetaLabel, MovieHeaderTimeFollowsTheTimeZone) {
  const testing::TempDir dir;
  // Created 2024-01-02 23:xx UTC; changed 2024-02-03 04:05:06 UTC.
  const std::string modified = WithModificationTime(dir, kDir + "mov_utc.mp4", 3789777906u);
  // A small time, before 1970 in the header's epoch: Unix time, as libavformat takes the creation time.
  const std::string small = WithModificationTime(dir, kDir + "mov_utc.mp4", 1000);
  const char* old = getenv("TZ");
  const std::string saved = old ? old : "";
  const struct {
    const char* tz;
    std::string file;
    const char* ExifSel;
    const char* label;
  } cases[] = {
      {"UTC0", kDir + "mov_utc.mp4", "8", "2024_01_02 23(MM)"}, {"JST-9", kDir + "mov_utc.mp4", "8", "2024_01_03 08(MM)"},
      {"EST5", kDir + "mov_utc.mp4", "8", "2024_01_02 18(MM)"}, {"UTC0", modified, "8", "2024_01_02 23(MM)"},
      {"UTC0", modified, "2", "2024_02_03 04(MM)"},           {"JST-9", modified, "2", "2024_02_03 13(MM)"},
      // The maker's own date stands for both, so a Live Photo's pair agrees.
      {"JST-9", kDir + "mov_keys.mov", "1", "2023_01_02(MM)"},
      {"UTC0", small, "2", "1970_01_01 00(MM)"}, {"JST-9", small, "2", "1970_01_01 09(MM)"}};
  for (const auto& c : cases) {
    setenv("TZ", c.tz, 1);
    tzset();
    EXPECT_EQ(MediaExifLabel(ReadMediaInfo(fs::ReadOnlyFile(fs::DefaultEnv(), c.file), c.file), c.ExifSel, kDisabled, true), c.label) << c.tz << " " << c.file;
  }
  if (old)
    setenv("TZ", saved.c_str(), 1);
  else
    unsetenv("TZ");
  tzset();
}

}  // namespace
}  // namespace pictray::meta
