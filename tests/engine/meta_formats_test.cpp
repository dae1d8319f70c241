#include <stdlib.h>
#include <time.h>

#include <algorithm>
#include <cstdlib>
#include <cstdint>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "engine/meta/media_label.h"
#include "engine/runs/other_formats.h"
#include "tests/support/camera_files.h"
#include "tests/support/hostile_files.h"
#include "tests/support/temp_dir.h"

namespace pictray {
namespace {

using testing::Box;
using testing::CameraCr3;
using testing::CameraRaf;
using testing::CameraRaw;
using testing::ExifTiff;
using testing::PngWith;

const std::string kDir = std::string(PICTRAY_TEST_DATA) + "/meta/";
// Every byte after the first eight changed, the same way each time.
std::string Garbled(std::string bytes) {
  std::mt19937 random(7);
  for (std::size_t i = 8; i < bytes.size(); ++i) bytes[i] = static_cast<char>(random());
  return bytes;
}

std::string NgOf(const testing::TempDir& dir, const std::string& name, const std::string& bytes) {
  const std::string path = dir.Write(name, bytes);
  JpegSettings s;
  s.AllFormats = true;
  s.ng = NgSettings{"1", "10", "1"};
  return NgVerdictAnyFormat(fs::ReadOnlyFile(fs::DefaultEnv(), path), path, s, {});
}

// NG means what it means for a JPEG: the file cannot be read whole.
TEST(OtherFormatsNg, DamagedStructureIsNg) {
  const testing::TempDir dir;
  const std::pair<const char*, const char*> raws[] = {
      {"a.tif", "II*\0"}, {"a.tif", "MM\0*"}, {"a.cr2", "II*\0"}, {"a.nef", "MM\0*"}, {"a.dng", "II*\0"},
      {"a.dng", "MM\0*"}, {"a.orf", "IIRO"},  {"a.orf", "MMOR"},  {"a.rw2", "IIU\0"}};
  for (const auto& [name, mark] : raws) {
    const std::string raw = CameraRaw(mark);
    EXPECT_EQ(NgOf(dir, name, raw), "") << name << " " << mark;
    EXPECT_EQ(NgOf(dir, name, raw.substr(0, raw.size() / 2)), "NG") << name << " " << mark << " cut in half";
    EXPECT_EQ(NgOf(dir, name, raw.substr(0, 40)), "NG") << name << " " << mark << " 40 bytes";
    EXPECT_EQ(NgOf(dir, name, Garbled(raw)), "NG") << name << " " << mark << " garbled";
  }
  const std::string movie = testing::ReadWhole(kDir + "mov_keys.mov");  // its movie header first
  const struct {
    const char* name;
    std::string bytes;
    const char* ng;
  } files[] = {
      {"faststart.mov", movie, ""},
      {"a.cr3", CameraCr3("II*\0"), ""},
      {"a.raf", CameraRaf(), ""},
      {"a.raf", CameraRaf().substr(0, 2000), "NG"},
      {"a.png", PngWith(testing::PngChunk("eXIf", std::string("Exif\0\0", 6) + ExifTiff("MM\0*"))), ""},
      {"a.png", PngWith(testing::PngChunk("eXIf", std::string("Exif\0\0", 6) + "garbage")), ""},
      {"a.cr3", CameraCr3("II*\0").substr(0, 2000), "NG"},
      {"faststart.mov", movie.substr(0, movie.size() - 200), "NG"},
      {"closed.mov", movie + std::string(4, '\0'), ""},
      {"faststart.mov", movie.substr(0, 988), "NG"},  // one byte of the data's header
      {"random.cr2", Garbled(std::string(5000, '\0')), "NG"},
      {"random.jpg", Garbled(std::string(5000, '\0')), "NG"},
      {"unknown.mp4", Box("ftyp", std::string("zzzz\0\0\0\0zzzz", 12)) + Box("free", std::string(100, '\0')), "NG"},
      // No picture or video format by name or content: as before.
      {"random.txt", Garbled(std::string(5000, '\0')), ""},
      {"unknown.m4a", Box("ftyp", std::string("zzzz\0\0\0\0zzzz", 12)) + Box("free", std::string(100, '\0')), ""},
  };
  for (const auto& f : files) EXPECT_EQ(NgOf(dir, f.name, f.bytes), f.ng) << f.name << " " << f.bytes.size();
}

}  // namespace
}  // namespace pictray

namespace pictray::meta {
namespace {

using testing::CameraCr3;
using testing::CameraRaf;
using testing::CameraRw2;
using testing::ExifProfile;
using testing::ExifTiff;
using testing::PngWith;

std::string ExifOf(const std::string& path, const char* ExifSel) {
  return MediaExifLabel(ReadMediaInfo(fs::ReadOnlyFile(fs::DefaultEnv(), path), path), ExifSel, "/:.", true);
}

struct FormatCase {
  const char* name;
  std::string bytes;
  const char* ExifSel;
  const char* label;  // the Exif label, or with ExifSel "size" the size label
};

// The values exiftool reads from the same generated files.
TEST(OtherFormatsLabels, ReadAsExiftoolReadsThem) {
  const FormatCase cases[] = {
      {"ii.cr3", CameraCr3("II*\0"), "1", "2024_05_06(II)"},
      {"mm.cr3", CameraCr3("MM\0*"), "1", "2024_05_06(MM)"},
      {"ii.cr3", CameraCr3("II*\0"), "5", "Canon EOS R6(II)"},
      {"mm.cr3", CameraCr3("MM\0*"), "6", "Firmware 1_2(MM)"},
      {"mm.cr3", CameraCr3("MM\0*"), "7", "2023_01_02(MM)"},
      {"ii.cr3", CameraCr3("II*\0"), "size", "6000X4000"},
      {"ii.png", PngWith(testing::PngChunk("eXIf", std::string("Exif\0\0", 6) + ExifTiff("II*\0"))), "1", "2024_05_06(II)"},
      {"mm.png", PngWith(testing::PngChunk("eXIf", std::string("Exif\0\0", 6) + ExifTiff("MM\0*"))), "5", "Pixel 9(MM)"},
      {"ii.png", PngWith(testing::PngChunk("tEXt", ExifProfile(ExifTiff("II*\0")))), "1", "2024_05_06(II)"},
      {"mm.png", PngWith(testing::PngChunk("tEXt", ExifProfile(ExifTiff("MM\0*")))), "5", "Pixel 9(MM)"},
      {"ii.png", PngWith(testing::PngChunk("eXIf", std::string("Exif\0\0", 6) + ExifTiff("II*\0"))), "size", "1X1"},
      {"a.rw2", CameraRw2(), "size", "3648X2736"},
      {"a.rw2", CameraRw2(), "5", "DMC-GH4(II)"},
      {"a.raf", CameraRaf(), "size", "4256X1424"},
      {"a.raf", CameraRaf(), "5", "FinePix S5Pro(II)"},
  };
  const testing::TempDir dir;
  for (const FormatCase& c : cases) {
    const std::string path = dir.Write(c.name, c.bytes);
    const std::string label = std::string(c.ExifSel) == "size"
                                  ? MediaSizeLabel(ReadMediaInfo(fs::ReadOnlyFile(fs::DefaultEnv(), path), path))
                                  : ExifOf(path, c.ExifSel);
    EXPECT_EQ(label, c.label) << c.name << " " << c.ExifSel;
  }
}

}  // namespace
}  // namespace pictray::meta

namespace pictray::meta {
namespace {

using testing::CameraCrw;

// Sets TZ for its life, then puts the one before back.
class ZoneFor {
 public:
  explicit ZoneFor(const char* tz) : had_(std::getenv("TZ") != nullptr), old_(had_ ? std::getenv("TZ") : "") {
    setenv("TZ", tz, 1);
    tzset();
  }
  ~ZoneFor() {
    had_ ? setenv("TZ", old_.c_str(), 1) : unsetenv("TZ");
    tzset();
  }

 private:
  bool had_;
  std::string old_;
};

// A date read from the file never depends on where the program runs.
TEST(OtherFormatsLabels, DatesDoNotMoveWithTheTimeZone) {
  const testing::TempDir dir;
  const std::string ii = dir.Write("ii.crw", CameraCrw(true)), mm = dir.Write("mm.crw", CameraCrw(false));
  const struct {
    const char* tz;
    std::string path;
    const char* ExifSel;
    const char* label;
  } cases[] = {
      {"UTC0", ii, "12", "2003_11_10 17_39_26(II)"}, {"JST-9", ii, "12", "2003_11_10 17_39_26(II)"},
      {"EST5", mm, "12", "2003_11_10 17_39_26(MM)"}, {"JST-9", mm, "5", "Canon PowerShot S50(MM)"},
  };
  for (const auto& c : cases) {
    const ZoneFor zone(c.tz);
    EXPECT_EQ(ExifOf(c.path, c.ExifSel), c.label) << c.tz << " " << c.path;
  }
}

}  // namespace
}  // namespace pictray::meta
