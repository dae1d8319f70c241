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
#include "tests/support/hostile_files.h"
#include "tests/support/temp_dir.h"

namespace pictray {
namespace {

using testing::Box;

const std::string kDir = std::string(PICTRAY_TEST_DATA) + "/meta/";
// Where a generated TIFF's picture data starts: its directories come first,
// as a camera writes them, so a cut loses the data and keeps the values.
constexpr std::uint32_t kDataStart = 4096;

// A TIFF-structured file written in memory, its directories in the order
// they are made, each after the ones it points at.
class TiffFile {
 public:
  struct Field {
    std::uint16_t tag, type;
    std::uint32_t count;
    std::string value;  // in the file's byte order
  };

  // `mark`: the first four bytes ("II*\0", "MM\0*", "IIRO", "IIU\0", ...).
  explicit TiffFile(const char* mark) : little_(mark[0] == 'I'), bytes_(std::string(mark, 4) + std::string(4, '\0')) {}

  Field Ascii(std::uint16_t tag, const std::string& text) const { return {tag, 2, std::uint32_t(text.size() + 1), text + '\0'}; }
  Field Longs(std::uint16_t tag, const std::vector<std::uint32_t>& values) const { return Numbers(tag, 4, 4, values); }
  Field Shorts(std::uint16_t tag, const std::vector<std::uint32_t>& values) const { return Numbers(tag, 3, 2, values); }

  // A directory of `fields` whose next one is at `next`; its offset.
  std::uint32_t Directory(std::vector<Field> fields, std::uint32_t next = 0) {
    std::sort(fields.begin(), fields.end(), [](const Field& a, const Field& b) { return a.tag < b.tag; });
    const auto at = static_cast<std::uint32_t>(bytes_.size());
    std::uint32_t outside = at + 2 + 12 * std::uint32_t(fields.size()) + 4;
    std::string tail;
    Put(bytes_, fields.size(), 2);
    for (const Field& f : fields) {
      Put(bytes_, f.tag, 2);
      Put(bytes_, f.type, 2);
      Put(bytes_, f.count, 4);
      if (f.value.size() <= 4) {
        bytes_ += f.value + std::string(4 - f.value.size(), '\0');
      } else {
        Put(bytes_, outside + tail.size(), 4);
        tail += f.value;
      }
    }
    Put(bytes_, next, 4);
    bytes_ += tail;
    return at;
  }

  // The file: its first directory at `first`, `data` from kDataStart.
  std::string Finish(std::uint32_t first, const std::string& data) {
    std::string out = bytes_;
    std::string offset;
    Put(offset, first, 4);
    out.replace(4, 4, offset);
    out.resize(kDataStart, '\0');
    return out + data;
  }

 private:
  Field Numbers(std::uint16_t tag, std::uint16_t type, int width, const std::vector<std::uint32_t>& values) const {
    Field f{tag, type, std::uint32_t(values.size()), {}};
    for (const std::uint32_t v : values) Put(f.value, v, width);
    return f;
  }
  void Put(std::string& s, std::uint64_t v, int bytes) const {
    if (little_)
      testing::PutLittle(s, v, bytes);
    else
      testing::PutBig(s, v, bytes);
  }

  bool little_;
  std::string bytes_;
};

// A camera's RAW as the TIFF-based formats lay it out: IFD0 with the
// values and a preview strip, the Exif directory, the sensor data in a
// sub-directory, a thumbnail in IFD1.
std::string CameraRaw(const char* mark) {
  TiffFile t(mark);
  const std::uint32_t preview = kDataStart, thumb = kDataStart + 600, sensor = kDataStart + 800;
  const std::uint32_t exif = t.Directory({t.Ascii(0x9003, "2023:01:02 03:04:05")});
  const std::uint32_t sub = t.Directory({t.Longs(0x100, {64}), t.Longs(0x101, {48}), t.Longs(0x111, {sensor}),
                                         t.Longs(0x117, {6144})});
  const std::uint32_t ifd1 = t.Directory({t.Longs(0x201, {thumb}), t.Longs(0x202, {200})});
  const std::uint32_t ifd0 = t.Directory({t.Shorts(0x100, {64}), t.Shorts(0x101, {48}), t.Ascii(0x110, "Cam X"),
                                          t.Longs(0x111, {preview}), t.Longs(0x117, {600}),
                                          t.Ascii(0x132, "2024:05:06 07:08:09"), t.Longs(0x14A, {sub}),
                                          t.Longs(0x8769, {exif})},
                                         ifd1);
  return t.Finish(ifd0, std::string(800 + 6144, '\x5A'));
}

// A CR3 as a camera lays it out: the maker's box first in "moov", its
// IFD0 and Exif directory TIFF structures of their own, then the tracks.
std::string CameraCr3(const char* mark) {
  TiffFile ifd0(mark), exif(mark);
  const std::uint32_t first = ifd0.Directory({ifd0.Longs(0x100, {6000}), ifd0.Longs(0x101, {4000}),
                                              ifd0.Ascii(0x110, "Canon EOS R6"), ifd0.Ascii(0x131, "Firmware 1.2"),
                                              ifd0.Ascii(0x132, "2024:05:06 07:08:09")});
  const std::uint32_t dir = exif.Directory({exif.Ascii(0x9003, "2023:01:02 03:04:05")});
  std::string cmt1 = ifd0.Finish(first, ""), cmt2 = exif.Finish(dir, "");
  const std::string uuid("\x85\xC0\xB6\x87\x82\x0F\x11\xE0\x81\x11\xF4\xCE\x46\x2B\x6A\x48", 16);
  const std::string maker = Box("CNCV", "CanonCR3_001/00.09.00/00.00.00") + Box("CCTP", std::string(12, '\0')) +
                            Box("CMT1", cmt1) + Box("CMT2", cmt2) + Box("THMB", std::string(200, '\0'));
  return testing::Cr3Start() + Box("moov", Box("uuid", uuid + maker) + Box("trak", std::string(90, '\0'))) +
         Box("mdat", std::string(3000, '\0'));
}

// An Exif block's TIFF structure: IFD0 with a model and a date.
std::string ExifTiff(const char* mark) {
  TiffFile t(mark);
  return t.Finish(t.Directory({t.Ascii(0x110, "Pixel 9"), t.Ascii(0x132, "2024:05:06 07:08:09")}), "");
}

// A 1 x 1 PNG with `chunk` before its data.
std::string PngWith(const std::string& chunk) {
  return testing::PngStart() + chunk + testing::PngChunk("IDAT", std::string("\x78\x9C\x63\x60\x00\x00\x00\x02\x00\x01", 10)) +
         testing::PngChunk("IEND", "");
}

// A text chunk's "Raw profile type exif": the block in hex, 72 digits a line.
std::string ExifProfile(const std::string& block) {
  std::string text = "\nexif\n" + std::string(8 - std::to_string(block.size()).size(), ' ') + std::to_string(block.size());
  static const char kHex[] = "0123456789abcdef";
  for (std::size_t i = 0; i < block.size(); ++i) {
    if (i % 36 == 0) text += '\n';
    text += kHex[static_cast<unsigned char>(block[i]) >> 4];
    text += kHex[static_cast<unsigned char>(block[i]) & 15];
  }
  return "Raw profile type exif" + std::string(1, '\0') + text + '\n';
}

// An RW2: the sensor 3724 x 2754, the image within its borders 3648 x 2736.
std::string CameraRw2() {
  TiffFile t("IIU\0");
  const std::uint32_t ifd0 = t.Directory({t.Shorts(2, {3724}), t.Shorts(3, {2754}), t.Shorts(4, {8}), t.Shorts(5, {36}),
                                          t.Shorts(6, {2744}), t.Shorts(7, {3684}), t.Ascii(0x110, "DMC-GH4"),
                                          t.Longs(0x111, {kDataStart}), t.Longs(0x117, {2000})});
  return t.Finish(ifd0, std::string(2000, '\0'));
}

// A RAF: its header, a preview JPEG (64 x 48) whose Exif libexiv2 reads,
// the sensor data's header giving the full size 4288 x 1432 and the
// cropped one 4256 x 1424, then the sensor data.
std::string CameraRaf() {
  const std::string preview = testing::ReadWhole(std::string(PICTRAY_TEST_DATA) + "/jpeg/cam_fuji_II_A.jpg");
  std::string directory;
  testing::PutBig(directory, 2, 4);
  for (const auto& [tag, height, width] : {std::tuple(0x100, 1432, 4288), std::tuple(0x111, 1424, 4256)}) {
    testing::PutBig(directory, tag, 2);
    testing::PutBig(directory, 4, 2);
    testing::PutBig(directory, height, 2);
    testing::PutBig(directory, width, 2);
  }
  std::string f = "FUJIFILMCCD-RAW 0201FF383501" + std::string(32 + 4 + 20, '\0');
  const std::uint64_t start = 160;
  for (const auto& [offset, length] : {std::pair(start, preview.size()), std::pair(start + preview.size(), directory.size()),
                                       std::pair(start + preview.size() + directory.size(), std::size_t(1000))}) {
    testing::PutBig(f, offset, 4);
    testing::PutBig(f, length, 4);
  }
  f.resize(start, '\0');
  return f + preview + directory + std::string(1000, '\0');
}

// A CIFF heap of `entries` (tag, value), each value in the heap.
std::string CiffHeap(bool little, const std::vector<std::pair<std::uint16_t, std::string>>& entries) {
  const auto put = [little](std::string& s, std::uint64_t v, int n) {
    little ? testing::PutLittle(s, v, n) : testing::PutBig(s, v, n);
  };
  std::string data, directory;
  put(directory, entries.size(), 2);
  for (const auto& [tag, value] : entries) {
    put(directory, tag, 2);
    put(directory, value.size(), 4);
    put(directory, data.size(), 4);
    data += value;
  }
  const std::size_t at = data.size();
  put(directory, at, 4);
  return data + directory;
}

// A CRW taken 2003-11-10 17:39:26 by the camera's clock (seconds since
// 1970 as if in UTC), by a camera named in its own heap.
std::string CameraCrw(bool little) {
  std::string when;
  little ? testing::PutLittle(when, 1068485966, 4) : testing::PutBig(when, 1068485966, 4);
  when += std::string(8, '\0');  // the zone and its flags: none
  const std::string camera = CiffHeap(little, {{0x080A, std::string("Canon\0Canon PowerShot S50\0", 27)}});
  const std::string props = CiffHeap(little, {{0x180E, when}, {0x2807, camera}});
  std::string f = little ? "II" : "MM";
  little ? testing::PutLittle(f, 26, 4) : testing::PutBig(f, 26, 4);
  f += "HEAPCCDR";
  f += little ? std::string("\x02\0\x01\0", 4) : std::string("\0\x01\0\x02", 4);
  return f + std::string(8, '\0') + CiffHeap(little, {{0x300A, props}});
}

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
