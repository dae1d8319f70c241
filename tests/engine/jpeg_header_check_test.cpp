#include "engine/jpeg/header_check.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "engine/jpeg/exif_reader.h"
#include "engine/jpeg/jpeg_decode.h"
#include "engine/jpeg/ng_check.h"
#include "tests/engine/jpeg_test_util.h"
#include "tests/support/temp_dir.h"

namespace pictray {
namespace {

using testing::JpegFixture;
using testing::FileBytes;
using testing::ReadAll;

TEST(HeaderCheck, EmptyMissingAndPngFiles) {
  testing::TempDir dir;
  const std::string empty = dir.Write("empty", "");
  EXPECT_EQ(JpegHedarCheck(fs::ReadOnlyFile(fs::DefaultEnv(), empty)), "");
  EXPECT_EQ(FileHedarCheck(fs::ReadOnlyFile(fs::DefaultEnv(), empty)), 0);
  EXPECT_EQ(JEndHedarCheck(fs::ReadOnlyFile(fs::DefaultEnv(), empty)), 0);
  EXPECT_EQ(ExifHedarCheck(fs::ReadOnlyFile(fs::DefaultEnv(), empty)), "NoJPEG");
  const std::string missing = dir.path() + "/missing";
  EXPECT_EQ(JpegHedarCheck(fs::ReadOnlyFile(fs::DefaultEnv(), missing)), "");
  EXPECT_EQ(FileHedarCheck(fs::ReadOnlyFile(fs::DefaultEnv(), missing)), 0);
  EXPECT_EQ(JEndHedarCheck(fs::ReadOnlyFile(fs::DefaultEnv(), missing)), 0);
  EXPECT_EQ(ExifHedarCheck(fs::ReadOnlyFile(fs::DefaultEnv(), missing)), "");
  EXPECT_EQ(FileHedarCheck(fs::ReadOnlyFile(fs::DefaultEnv(), dir.path())), 0);

  const std::string png = JpegFixture("plain.png");
  EXPECT_EQ(FileHedarCheck(fs::ReadOnlyFile(fs::DefaultEnv(), png)), 3);
  EXPECT_EQ(JpegHedarCheck(fs::ReadOnlyFile(fs::DefaultEnv(), png)), "");
  EXPECT_EQ(ExifHedarCheck(fs::ReadOnlyFile(fs::DefaultEnv(), png)), "NoJPEG");
  EXPECT_EQ(FileHedarCheck(fs::ReadOnlyFile(fs::DefaultEnv(), dir.Write("b.bmp", "BM"))), 1);
  EXPECT_EQ(FileHedarCheck(fs::ReadOnlyFile(fs::DefaultEnv(), dir.Write("one", "\xFF"))), 0);
}

// A FIFO in the folder must not hang a run waiting for a writer, and a
// folder is no file: both answer as files that cannot be opened.
TEST(HeaderCheck, FifoAndFolderAnswerAsUnopenable) {
  testing::TempDir dir;
  const std::string fifo = dir.path() + "/pipe.jpg";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
  for (const std::string& path : {fifo, dir.path()}) {
    SCOPED_TRACE(path);
    EXPECT_EQ(JpegHedarCheck(fs::ReadOnlyFile(fs::DefaultEnv(), path)), "");
    EXPECT_EQ(FileHedarCheck(fs::ReadOnlyFile(fs::DefaultEnv(), path)), 0);
    EXPECT_EQ(JEndHedarCheck(fs::ReadOnlyFile(fs::DefaultEnv(), path)), 0);
    EXPECT_EQ(ExifHedarCheck(fs::ReadOnlyFile(fs::DefaultEnv(), path)), "");
    EXPECT_EQ(ExifTimeGet2(fs::ReadOnlyFile(fs::DefaultEnv(), path), "7", ""), "file_error");
    EXPECT_EQ(NgVerdict(fs::ReadOnlyFile(fs::DefaultEnv(), path), NgSettings{"1", "0", "0"}, {}), "");  // "0": any examined file fails
    EXPECT_EQ(GetJpegImageSize(fs::ReadOnlyFile(fs::DefaultEnv(), path)), "");
    EXPECT_EQ(JpegErrCheck(fs::ReadOnlyFile(fs::DefaultEnv(), path)), 1);
    Picture p;
    EXPECT_EQ(JpegToBuffer(fs::DefaultEnv(), path, p), 1);
    EXPECT_EQ(readBMP(fs::DefaultEnv(), path, p), 0);
  }
}

TEST(HeaderCheck, EndOfImage) {
  testing::TempDir dir;
  const std::string whole = ReadAll(JpegFixture("rgb_3x2.jpg"));
  EXPECT_EQ(JEndHedarCheck(fs::ReadOnlyFile(fs::DefaultEnv(), JpegFixture("rgb_3x2.jpg"))), 0);
  const std::string cut = dir.Write("cut.jpg", whole.substr(0, whole.size() - 1));
  EXPECT_EQ(JEndHedarCheck(fs::ReadOnlyFile(fs::DefaultEnv(), cut)), 1);
  EXPECT_EQ(JpegHedarCheck(fs::ReadOnlyFile(fs::DefaultEnv(), cut)), "JPEG");
  EXPECT_EQ(JEndHedarCheck(fs::ReadOnlyFile(fs::DefaultEnv(), dir.Write("tail.jpg", whole + "x"))), 1);
  EXPECT_EQ(JEndHedarCheck(fs::ReadOnlyFile(fs::DefaultEnv(), dir.Write("min.jpg", "\xFF\xD8\xFF\xD9"))), 0);
  EXPECT_EQ(JEndHedarCheck(fs::ReadOnlyFile(fs::DefaultEnv(), dir.Write("soi.jpg", "\xFF\xD8"))), 1);
  EXPECT_EQ(JEndHedarCheck(fs::ReadOnlyFile(fs::DefaultEnv(), dir.Write("one.jpg", "\xFF"))), 1);
  EXPECT_EQ(JEndHedarCheck(fs::ReadOnlyFile(fs::DefaultEnv(), dir.Write("noend.bin", std::string("\x00\x00\xFF\xD9", 4)))), 1);
}

TEST(HeaderCheck, ExifHeaderLabels) {
  testing::TempDir dir;
  EXPECT_EQ(ExifHedarCheck(fs::ReadOnlyFile(fs::DefaultEnv(), JpegFixture("cam_canon_II_A.jpg"))), "Exif");  // offset 6
  EXPECT_EQ(ExifHedarCheck(fs::ReadOnlyFile(fs::DefaultEnv(), JpegFixture("cam_sony_II_B.jpg"))), "Exif");   // offset 24
  // JFIF followed by a quantisation table: byte 24 is 00.
  EXPECT_EQ(ExifHedarCheck(fs::ReadOnlyFile(fs::DefaultEnv(), JpegFixture("rgb_3x2.jpg"))), "");
  std::string exif01(100, '\0');
  exif01.replace(0, 11, std::string("\xFF\xD8\xFF\xE1\x00\x10" "Exif\x01", 11));
  EXPECT_EQ(ExifHedarCheck(fs::ReadOnlyFile(fs::DefaultEnv(), dir.Write("e1.jpg", exif01))), "");
  std::string at32(40, '\0');
  at32.replace(0, 2, "\xFF\xD8");
  at32.replace(32, 5, std::string("Exif\0", 5));
  EXPECT_EQ(ExifHedarCheck(fs::ReadOnlyFile(fs::DefaultEnv(), dir.Write("e32.jpg", at32))), "Exif");
  // Text at offset 24, at most 76 bytes.
  std::string text = std::string("\xFF\xD8", 2) + std::string(22, 'j') + "Ducky" + std::string(1, '\0');
  EXPECT_EQ(ExifHedarCheck(fs::ReadOnlyFile(fs::DefaultEnv(), dir.Write("t.jpg", text))), "Ducky");
  std::string longText = std::string("\xFF\xD8", 2) + std::string(22, 'j') + std::string(200, 'L');
  EXPECT_EQ(ExifHedarCheck(fs::ReadOnlyFile(fs::DefaultEnv(), dir.Write("l.jpg", longText))), std::string(76, 'L'));
}

TEST(NullCheck, ZeroRunsBeforeTheFirstEndOfImage) {
  testing::TempDir dir;
  const std::string jpeg = ReadAll(JpegFixture("rgb_3x2.jpg"));
  // A comment segment with ten zero bytes right after the start of image.
  const std::string zeros = jpeg.substr(0, 2) + std::string("\xFF\xFE\x00\x0C", 4) + std::string(10, '\0') + jpeg.substr(2);
  const std::string path = dir.Write("zeros.jpg", zeros);
  EXPECT_EQ(JpegNullCheck({}, FileBytes(path), "10"), 1);
  EXPECT_EQ(JpegNullCheck({}, FileBytes(path), "11"), 0);
  EXPECT_EQ(JpegNullCheck({}, FileBytes(JpegFixture("rgb_3x2.jpg")), "0"), 1);
  EXPECT_EQ(JpegNullCheck({}, FileBytes(JpegFixture("rgb_3x2.jpg")), "x"), 1);
  // Zeros after an embedded end-of-image pair do not count.
  const std::string afterEnd = jpeg.substr(0, 2) + std::string("\xFF\xFE\x00\x0E\xFF\xD9", 6) +
                               std::string(10, '\0') + jpeg.substr(2);
  EXPECT_EQ(JpegNullCheck({}, FileBytes(dir.Write("after.jpg", afterEnd)), "10"), 0);
  // Files of 1,000,000 bytes or more are never examined.
  std::string big = zeros.substr(0, zeros.size() - 2);
  big += std::string(1'000'000 - big.size() - 2, '\x11') + "\xFF\xD9";
  ASSERT_EQ(big.size(), 1'000'000u);
  EXPECT_EQ(JpegNullCheck({}, FileBytes(dir.Write("big.jpg", big)), "10"), 0);
  EXPECT_EQ(JpegNullCheck({}, FileBytes(dir.Write("empty.jpg", "")), "0"), 0);

  NgSettings s;
  EXPECT_EQ(NgVerdict(fs::ReadOnlyFile(fs::DefaultEnv(), path), s, {}), "");
  s.NullCheck = "1";
  EXPECT_EQ(NgVerdict(fs::ReadOnlyFile(fs::DefaultEnv(), path), s, {}), "NG");
  EXPECT_EQ(NgVerdict(fs::ReadOnlyFile(fs::DefaultEnv(), dir.Write("cut.jpg", jpeg.substr(0, 100))), NgSettings{}, {}), "NG");
}

}  // namespace
}  // namespace pictray
