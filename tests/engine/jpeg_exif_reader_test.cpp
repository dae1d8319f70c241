#include "engine/jpeg/exif_reader.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "tests/engine/jpeg_test_util.h"
#include "tests/support/temp_dir.h"

namespace pictray {
namespace {

using testing::ExifBuilder;
using testing::IfdEntry;
using testing::JpegFixture;
using testing::ReadAll;

constexpr unsigned kMake = 0x010F, kModel = 0x0110, kSoftware = 0x0131, kDateTime = 0x0132,
                   kDto = 0x9003, kXRes = 0x011A;
const std::string kDefaultDisabled = "/:,;*?\"<>|.";

class ExifReader : public ::testing::Test {
 protected:
  // The label read from a file, checked against the same bytes read whole.
  std::string Label(const std::string& bytes, const std::string& sel, const std::string& dc = "") {
    const std::string path = dir.Write("f" + std::to_string(counter++) + ".jpg", bytes);
    const std::string fromFile = ExifTimeGet2(fs::ReadOnlyFile(fs::DefaultEnv(), path), sel, dc);
    EXPECT_EQ(fromFile, ExifTimeGet2Bytes(bytes, sel, dc)) << "selection " << sel;
    return fromFile;
  }
  testing::TempDir dir;
  int counter = 0;
};

// The minimal layout-A file, byte for byte.
std::string MinimalLayoutA(unsigned char tagLow, unsigned char tagHigh) {
  std::string f("\xFF\xD8\xFF\xE1\x00\x36" "Exif\0\0", 12);
  f += std::string("\x49\x49\x2A\x00\x08\x00\x00\x00", 8);
  f += std::string("\x01\x00", 2);
  f += std::string{char(tagLow), char(tagHigh)} + std::string("\x02\x00\x14\x00\x00\x00\x1A\x00\x00\x00", 10);
  f += std::string(4, '\0');
  f += std::string("2006:01:02 15:04:05\0", 20);
  f += std::string("\xFF\xD9", 2) + std::string(10, '\0');
  return f;
}

TEST_F(ExifReader, MinimalLayoutAFile) {
  const std::string f = MinimalLayoutA(0x32, 0x01);
  ASSERT_EQ(f.size(), 70u);
  EXPECT_EQ(Label(f, "1"), "2006:01:02(II)");
  EXPECT_EQ(Label(f, "1", kDefaultDisabled), "2006_01_02(II)");

  const std::string dto = MinimalLayoutA(0x03, 0x90);
  EXPECT_EQ(Label(dto, "7"), "2006:01:02(II)");
  EXPECT_EQ(Label(dto, "1"), "NoData");
  // The scan of layout A needs the entry 47 bytes before the end.
  EXPECT_EQ(Label(dto.substr(0, 69), "7"), "NoData");
}

struct Camera {
  const char* file;
  const char* order;
  const char* model;
  const char* software;
};

TEST_F(ExifReader, CameraFilesOfSeveralMakersInBothByteOrders) {
  const Camera cams[] = {
      {"cam_canon_II_A.jpg", "(II)", "Canon EOS 5D", "Firmware 1.1.1"},
      {"cam_nikon_MM_A.jpg", "(MM)", "NIKON D70", "Ver.2.00"},
      {"cam_sony_II_B.jpg", "(II)", "DSC-W55", "DSC-W55 v1.00"},
      {"cam_apple_MM_B.jpg", "(MM)", "iPhone 4S", "5.1.1"},
      {"cam_fuji_II_A.jpg", "(II)", "FinePix S5Pro", "Digital Camera S5Pro Ver1.00"},
  };
  for (const Camera& c : cams) {
    SCOPED_TRACE(c.file);
    const std::string f = ReadAll(JpegFixture(c.file));
    ASSERT_FALSE(f.empty());
    const std::string o = c.order;
    EXPECT_EQ(Label(f, "1"), "2006:01:02" + o);
    EXPECT_EQ(Label(f, "2"), "2006:01:02 15" + o);
    EXPECT_EQ(Label(f, "3"), "2006:01:02 15:0" + o);
    EXPECT_EQ(Label(f, "4"), "2006:01:02 15:04" + o);
    EXPECT_EQ(Label(f, "11"), "2006:01:02 15:04:05" + o);
    EXPECT_EQ(Label(f, "0"), "2006:01:02 15:04:05" + o);  // below 5: the whole value
    EXPECT_EQ(Label(f, "5"), c.model + o);
    EXPECT_EQ(Label(f, "6"), std::string(c.software).substr(0, 20) + o);
    // DateTimeOriginal sits in the Exif sub-IFD: only the scan finds it.
    EXPECT_EQ(Label(f, "7"), "2005:12:31" + o);
    EXPECT_EQ(Label(f, "13"), "2005:12:31" + o);
    EXPECT_EQ(Label(f, "8"), "2005:12:31 23" + o);
    EXPECT_EQ(Label(f, "9"), "2005:12:31 23:5" + o);
    EXPECT_EQ(Label(f, "10"), "2005:12:31 23:59" + o);
    EXPECT_EQ(Label(f, "12"), "2005:12:31 23:59:58" + o);
  }
  EXPECT_EQ(Label(ReadAll(JpegFixture("cam_nikon_MM_A.jpg")), "6", kDefaultDisabled), "Ver_2_00(MM)");
}

TEST_F(ExifReader, CameraFileWithoutDates) {
  const std::string f = ReadAll(JpegFixture("cam_nodate_II_A.jpg"));
  EXPECT_EQ(Label(f, "1"), "NoData");
  EXPECT_EQ(Label(f, "7"), "NoData");
  EXPECT_EQ(Label(f, "5"), "DMC-FZ8(II)");
  EXPECT_EQ(Label(f, "6"), "NoData");
}

TEST_F(ExifReader, ShortAsciiValuesAreReadFromTheEntryItself) {
  const std::string f = ReadAll(JpegFixture("cam_short_MM_A.jpg"));
  EXPECT_EQ(Label(f, "5"), "X1(MM)");
  EXPECT_EQ(Label(f, "6"), "OS(MM)");
  // A 4-byte value without a terminator keeps all four bytes.
  const std::string four = ExifBuilder('A', false).Add({kModel, 2, 4, "ABCD", true}).Build();
  EXPECT_EQ(Label(four, "5"), "ABCD(II)");
  // Count 5 is an offset again.
  const std::string five = ExifBuilder('A', true).Add(kModel, "ABCD").Build();
  EXPECT_EQ(Label(five, "5"), "ABCD(MM)");
}

TEST_F(ExifReader, SameValuesInBothByteOrdersAndAllLayouts) {
  for (bool mm : {false, true}) {
    for (char layout : {'A', 'B', 'C'}) {
      SCOPED_TRACE(std::string(1, layout) + (mm ? " MM" : " II"));
      const std::string f = ExifBuilder(layout, mm)
                                .Add(kMake, "Maker")
                                .Add(kModel, "Model 7")
                                .Add(kDateTime, "2010:11:12 13:14:15")
                                .Build();
      const std::string o = mm ? "(MM)" : "(II)";
      EXPECT_EQ(Label(f, "4"), "2010:11:12 13:14" + o);
      EXPECT_EQ(Label(f, "5"), "Model 7" + o);
    }
  }
}

TEST_F(ExifReader, LayoutCFromAFileSplicedWithALongerJfifSegment) {
  std::string f = ReadAll(JpegFixture("cam_sony_II_B.jpg"));
  ASSERT_EQ(f.substr(24, 4), "Exif");
  f.insert(20, std::string(8, '\0'));
  f[5] = 0x18;
  EXPECT_EQ(Label(f, "5"), "DSC-W55(II)");
  EXPECT_EQ(Label(f, "12"), "2005:12:31 23:59:58(II)");
}

// A segment of `marker` holding `body`.
std::string Segment(unsigned char marker, const std::string& body) {
  const std::size_t n = body.size() + 2;
  return std::string{'\xFF', char(marker), char(n >> 8), char(n & 0xFF)} + body;
}

// Editors, scanners and phones put a comment, a colour profile or IPTC
// before the Exif: the segments are walked to it, and the camera's labels
// come out as from the camera's own file.
TEST_F(ExifReader, ExifAfterOtherSegmentsIsFoundByWalkingThem) {
  const std::string jfif = Segment(0xE0, std::string("JFIF\0\1\1\0\0\1\0\1\0\0", 14));
  const std::string com = Segment(0xFE, "edited with a program");
  const std::string icc = Segment(0xE2, std::string("ICC_PROFILE\0\1\1", 14) + std::string(300, 'p'));
  const std::string iptc = Segment(0xED, std::string("Photoshop 3.0\0" "8BIM\4\4", 20) + std::string(40, 'i'));
  const std::string xmp = Segment(0xE1, std::string("http://ns.adobe.com/xap/1.0/\0", 29) + "<x/>");
  struct Case {
    const char* what;
    std::string before;  // between the start of image and the camera's Exif segment
  };
  const Case cases[] = {
      {"comment", com},
      {"colour profile", icc},
      {"IPTC", iptc},
      {"all three and fill bytes", icc + "\xFF\xFF" + iptc + com},
      {"JFIF, then a comment", jfif + com},
      {"JFIF, then XMP", jfif + xmp},
  };
  for (const char* file : {"cam_canon_II_A.jpg", "cam_nikon_MM_A.jpg"}) {
    const std::string camera = ReadAll(JpegFixture(file));
    ASSERT_EQ(camera.substr(6, 4), "Exif") << file;
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(file) + ": " + c.what);
      const std::string f = camera.substr(0, 2) + c.before + camera.substr(2);
      for (const char* sel : {"1", "5", "6", "7", "12"}) EXPECT_EQ(Label(f, sel), Label(camera, sel)) << sel;
    }
  }
}

TEST_F(ExifReader, WalkStopsAtTheScanAndItsBounds) {
  const std::string exif = ExifBuilder('A', false).Add(kModel, "M7").Build().substr(2);
  const std::string soi("\xFF\xD8", 2);
  const std::string com = Segment(0xFE, "x");
  std::string sixtyFour;
  for (int i = 0; i < 64; ++i) sixtyFour += com;
  const std::string big = Segment(0xE2, std::string(65000, 'p'));
  struct Case {
    const char* what;
    std::string file;
    const char* label;
  };
  const Case cases[] = {
      {"63 segments before", soi + sixtyFour.substr(5) + exif, "M7(II)"},
      {"64 segments before", soi + sixtyFour + exif, "NoJFIF"},
      {"within the first 64 KiB", soi + big + exif, "M7(II)"},
      {"beyond the first 64 KiB", soi + big + Segment(0xE2, std::string(600, 'p')) + exif, "NoJFIF"},
      {"after the scan", soi + com + Segment(0xDA, "scan") + exif, "NoJFIF"},
      {"a broken length", soi + std::string("\xFF\xFE\x00\x01", 4) + exif, "NoJFIF"},
      {"a JFIF file without Exif", ReadAll(JpegFixture("rgb_3x2.jpg")), "NoExif"},
  };
  for (const Case& c : cases) EXPECT_EQ(Label(c.file, "5"), c.label) << c.what;
}

TEST_F(ExifReader, WalkKeepsOnlyWhatTheLastEntryLeft) {
  // Make is emptied again by the next entry.
  const std::string makeThenOther = ExifBuilder('A', false).Add(kMake, "Maker").Add(kXRes, "x").Build();
  EXPECT_EQ(Label(makeThenOther, "5"), "NoData");
  const std::string makeLast = ExifBuilder('A', false).Add(kXRes, "x").Add(kMake, "Maker").Build();
  EXPECT_EQ(Label(makeLast, "5"), "Maker(II)");
  // Model does not stop the walk for ExifSel 6; Software does.
  const std::string f = ExifBuilder('A', true).Add(kModel, "M").Add(kSoftware, "S").Add(kXRes, "x").Build();
  EXPECT_EQ(Label(f, "6"), "S(MM)");
  EXPECT_EQ(Label(f, "5"), "M(MM)");
  // Other selections walk on to the end: the last entry decides.
  const std::string softLast = ExifBuilder('A', false).Add(kModel, "M").Add(kSoftware, "Soft").Build();
  EXPECT_EQ(Label(softLast, "99"), "Soft(II)");
  EXPECT_EQ(Label(softLast, "1"), "Soft(II)");
  // Texts are cut at 20 characters.
  const std::string longModel = ExifBuilder('A', false).Add(kModel, std::string(30, 'm')).Build();
  EXPECT_EQ(Label(longModel, "5"), std::string(20, 'm') + "(II)");
}

TEST_F(ExifReader, TextsEndAtTheirCountWithoutAClosingZero) {
  // "RAPH800" of count 7 stands right before the next value's bytes.
  for (bool bigEndian : {false, true}) {
    const std::string o = bigEndian ? "(MM)" : "(II)";
    const std::string f = ExifBuilder('A', bigEndian)
                              .Add({kModel, 2, 7, "RAPH800", false})
                              .Add({kSoftware, 2, 7, "Editor1", false})
                              .Add(kXRes, "x")
                              .Build();
    EXPECT_EQ(Label(f, "5"), "RAPH800" + o);
    EXPECT_EQ(Label(f, "6"), "Editor1" + o);
    // A count beyond 20 still stops at 20, a 00 before the count stops there.
    const std::string cut = ExifBuilder('A', bigEndian).Add({kModel, 2, 25, std::string("AB\0CD", 5), false}).Build();
    EXPECT_EQ(Label(cut, "5"), "AB" + o);
  }
}

TEST_F(ExifReader, DateTimeCharacterCheck) {
  const auto withDate = [](const std::string& d) { return ExifBuilder('A', false).Add(kDateTime, d).Build(); };
  EXPECT_EQ(Label(withDate("2006:01:02 15:04:05"), "11"), "2006:01:02 15:04:05(II)");
  EXPECT_EQ(Label(withDate("2006:0a:02 15:04:05"), "1"), "NoData(II)");
  // The letter lies beyond the kept part.
  EXPECT_EQ(Label(withDate("2006:01:02 15:04:0x"), "4"), "2006:01:02 15:04(II)");
  // Position 10 is not checked.
  EXPECT_EQ(Label(withDate("2006:01:02T15:04:05"), "11"), "2006:01:02T15:04:05(II)");
  // A non-numeric selection counts 0: the whole value.
  EXPECT_EQ(Label(withDate("2006:01:02 15:04:05"), "x"), "2006:01:02 15:04:05(II)");
  // ExifSel 5 ignores DateTime.
  EXPECT_EQ(Label(withDate("2006:01:02 15:04:05"), "5"), "NoData");
}

TEST_F(ExifReader, FixedLabels) {
  EXPECT_EQ(Label("", "1"), "file_error");
  EXPECT_EQ(ExifTimeGet2(fs::ReadOnlyFile(fs::DefaultEnv(), dir.path() + "/missing.jpg"), "1", ""), "file_error");
  EXPECT_EQ(Label(ReadAll(JpegFixture("plain.png")), "1"), "");
  EXPECT_EQ(Label(ReadAll(JpegFixture("rgb_3x2.jpg")), "1"), "NoExif");
  EXPECT_EQ(Label(std::string("\xFF\xD8\xFF\xDB\x00\x43\x00", 7), "1"), "NoJFIF");
  EXPECT_EQ(Label(std::string("\xFF", 1), "1"), "");
  // "Exif" followed by another byte than 00 is no identifier.
  std::string exif01 = ExifBuilder('A', false).Add(kModel, "M").Build();
  exif01[10] = 1;
  EXPECT_EQ(Label(exif01, "5"), "NoJFIF");

  for (char layout : {'A', 'B'}) {
    EXPECT_EQ(Label(ExifBuilder(layout, false).ByteOrder("XX").Add(kModel, "M").Build(), "5"), "no support");
  }
  EXPECT_EQ(Label(ExifBuilder('C', false).ByteOrder("XX").Add(kModel, "M").Build(), "5"), "");
  EXPECT_EQ(Label(ExifBuilder('A', true).Build(), "1"), "NoEntry");
  EXPECT_EQ(Label(ExifBuilder('A', true).Build(), "7"), "NoEntry");
}

TEST_F(ExifReader, NothingOutsideTheFileIsRead) {
  // A value offset beyond the end: the entry counts as absent.
  IfdEntry far{kModel, 2, 10, "", true};
  far.value = std::string("\xF0\xFF\0\0", 4);  // offset 0xFFF0 (II)
  EXPECT_EQ(Label(ExifBuilder('A', false).Add(far).Build(), "5"), "NoData");
  IfdEntry farDate{kDateTime, 2, 20, std::string("\xF0\xFF\0\0", 4), true};
  EXPECT_EQ(Label(ExifBuilder('A', false).Add(farDate).Add(kModel, "M").Build(), "1"), "M(II)");
  // IFD0 beyond the end, a count of 65535 entries in a short file, a text
  // running into the end of the file.
  std::string f = ExifBuilder('A', false).Add(kModel, "Model").Build();
  std::string ifdFar = f;
  ifdFar[12 + 4] = '\xF0';
  ifdFar[12 + 5] = '\xFF';
  EXPECT_EQ(Label(ifdFar, "5"), "NoEntry");
  std::string manyEntries = f;
  manyEntries[20] = '\xFF';
  manyEntries[21] = '\xFF';
  EXPECT_EQ(Label(manyEntries, "5"), "Model(II)");
  EXPECT_EQ(Label(manyEntries, "99"), "NoData");
  // Entries cut off by the end of the file are absent: the last real entry
  // (an inline Make) leaves its value.
  std::string cutAfterMake = ExifBuilder('A', false).Add(kXRes, "x").Add(kMake, "Mk").Build();
  cutAfterMake = cutAfterMake.substr(0, 12 + 8 + 2 + 2 * 12);
  cutAfterMake[20] = 3;
  EXPECT_EQ(Label(cutAfterMake, "99"), "Mk(II)");
  const std::size_t modelAt = f.find("Model");
  EXPECT_EQ(Label(f.substr(0, modelAt + 3), "5"), "Mod(II)");
  // Every prefix of a camera file gives the same answer read either way.
  const std::string cam = ReadAll(JpegFixture("cam_nikon_MM_A.jpg"));
  for (std::size_t n = 1; n < cam.size(); n += 7)
    for (const char* sel : {"1", "5", "7", "12", "99"}) {
      Label(cam.substr(0, n), sel);
    }
}

// Layout B or C with the value first and IFD0 right after it, so that a
// DateTimeOriginal entry can end the file.
std::string ValueThenEntry(char layout, std::size_t after) {
  ExifBuilder b(layout, false);
  std::string f = b.Build();  // SOI, APP0(s), APP1 with an empty IFD0
  const std::size_t T = b.T();
  std::string tiff = "II" + b.U16(42) + b.U32(28) + std::string("2007:08:09 10:11:12\0", 20);
  tiff += b.U16(1) + b.U16(kDto) + b.U16(2) + b.U32(20) + b.U32(8);
  return f.substr(0, T) + tiff + std::string(after, '\0');
}

TEST_F(ExifReader, CreationDateScanEndPositions) {
  for (char layout : {'B', 'C'}) {
    const std::string f = ValueThenEntry(layout, 0);  // p + 12 == size
    EXPECT_EQ(Label(f, "12"), "2007:08:09 10:11:12(II)");
    EXPECT_EQ(Label(f.substr(0, f.size() - 1), "12"), "NoData");
  }
  const std::string a = ValueThenEntry('A', 36);  // p == size - 48
  EXPECT_EQ(Label(a, "12"), "2007:08:09 10:11:12(II)");
  EXPECT_EQ(Label(a.substr(0, a.size() - 1), "12"), "NoData");
}

TEST_F(ExifReader, CreationDateScanStopsAtAnOffsetBeyondTheEnd) {
  ExifBuilder b('A', false);
  const std::string goodDate("2001:02:03 04:05:06\0", 20);
  // First candidate: no colons at 4 and 7, so the scan goes on.
  std::string noColons = b.Build();
  const std::string head = noColons.substr(0, 12);
  std::string tiff = "II" + b.U16(42) + b.U32(8) + b.U16(3);
  tiff += b.U16(kDto) + b.U16(2) + b.U32(20) + b.U32(50);  // "xxxx..." at T+50
  tiff += b.U16(kDto) + b.U16(2) + b.U32(20) + b.U32(70);  // good date at T+70
  tiff += b.U16(kDto) + b.U16(2) + b.U32(20) + b.U32(0xFF00);
  tiff += std::string(4, '\0');
  ASSERT_EQ(tiff.size(), 50u);
  tiff += std::string(20, 'x') + goodDate + std::string(60, '\0');
  EXPECT_EQ(Label(head + tiff, "7"), "2001:02:03(II)");
  // With the far offset first the scan stops with nothing.
  std::string farFirst = tiff;
  std::swap_ranges(farFirst.begin() + 10, farFirst.begin() + 22, farFirst.begin() + 34);
  EXPECT_EQ(Label(head + farFirst, "7"), "NoData");
}

// The start of a file for the scan: the Exif header, IFD0 of one entry, a
// date at T+26 and at T+46 a text without the date's colons.
std::string ScanHead(const ExifBuilder& b, bool mm) {
  std::string tiff = std::string(mm ? "MM" : "II") + b.U16(42) + b.U32(8) + b.U16(1);
  tiff += b.U16(kXRes) + b.U16(2) + b.U32(20) + b.U32(30) + std::string(4, '\0');
  tiff += std::string("1999:12:31 23:59:59\0", 20) + std::string("ab:cd:ef", 8);
  return b.Build().substr(0, b.T()) + tiff;
}

// A big file whose DateTimeOriginal entry lies far behind the head, with
// decoy tag bytes around the block boundaries of the streaming reader.
std::string BigFile(std::size_t size, std::size_t entryAt, bool mm) {
  const ExifBuilder b('B', mm);
  std::string f = ScanHead(b, mm);
  std::mt19937 rng(7);
  while (f.size() < size) {
    const char c = char(rng() % 251);
    if (c != 0x03 && c != char(0x90)) f += c;  // no stray tag bytes
  }
  // Decoys: the tag with an offset to a text without colons.
  for (std::size_t at = 16384 - 5; at + 12 < std::min(entryAt, f.size()); at += 16384) {
    const std::string decoy = b.U16(kDto) + b.U16(2) + b.U32(20) + b.U32(46);
    f.replace(at, 12, decoy);
  }
  if (entryAt + 12 <= f.size()) f.replace(entryAt, 12, b.U16(kDto) + b.U16(2) + b.U32(20) + b.U32(26));
  return f;
}

TEST_F(ExifReader, StreamingScanMatchesReadingTheWholeFile) {
  for (bool mm : {false, true}) {
    for (std::size_t entryAt : {std::size_t(65590), std::size_t(65603), std::size_t(200000 - 3),
                                std::size_t(299980), std::size_t(400000)}) {
      SCOPED_TRACE(entryAt);
      const std::string f = BigFile(300000, entryAt, mm);
      const std::string got = Label(f, "12");
      if (entryAt < 300000)
        EXPECT_EQ(got, std::string("1999:12:31 23:59:59") + (mm ? "(MM)" : "(II)"));
      else
        EXPECT_EQ(got, "NoData");
    }
  }
}

// Picture data in which each tag byte stands alone and the two stand
// reversed, never in order, and the DateTimeOriginal entry at `entryAt`.
std::string NearMissFile(std::size_t size, std::size_t entryAt, bool mm) {
  const ExifBuilder b('B', mm);
  std::string f = ScanHead(b, mm);
  const std::string tag = b.U16(kDto);
  const std::string misses = {tag[0], 'x', tag[1], tag[1], tag[0], 'y', tag[0]};
  while (f.size() < size) f += misses;
  f.replace(entryAt, 12, tag + b.U16(2) + b.U32(20) + b.U32(26));
  return f;
}

// The scan tries positions many at a time: the entry is found at every
// place within such a group, in the head and beyond it, among near misses.
TEST_F(ExifReader, CreationDateScanFindsTheEntryAmongNearMisses) {
  std::vector<std::size_t> places;
  for (std::size_t from : {std::size_t(4000), std::size_t(131113 - 24), std::size_t(150000)})
    for (std::size_t k = 0; k < 33; ++k) places.push_back(from + k);
  for (bool mm : {false, true}) {
    EXPECT_EQ(Label(NearMissFile(200000, 200000 - 12, mm).substr(0, 200000 - 12), "12"), "NoData");
    for (const std::size_t entryAt : places) {
      SCOPED_TRACE(entryAt);
      EXPECT_EQ(Label(NearMissFile(200000, entryAt, mm), "12"), std::string("1999:12:31 23:59:59") + (mm ? "(MM)" : "(II)"));
    }
  }
}

TEST_F(ExifReader, MutatedCameraFilesReadTheSameEitherWay) {
  std::mt19937 rng(11);
  const char* files[] = {"cam_canon_II_A.jpg", "cam_apple_MM_B.jpg", "cam_short_MM_A.jpg"};
  for (const char* name : files) {
    const std::string orig = ReadAll(JpegFixture(name));
    for (int round = 0; round < 60; ++round) {
      std::string f = orig;
      for (int k = 0; k < 4; ++k) f[6 + rng() % (f.size() - 6)] = char(rng());
      for (const char* sel : {"1", "5", "6", "7", "12", "99"}) {
        Label(f, sel);
      }
    }
  }
}

}  // namespace
}  // namespace pictray
