#include "engine/jpeg/jpeg_decode.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include <time.h>

#include <jpeglib.h>

#include "engine/jpeg/header_check.h"
#include "engine/jpeg/jpeg_rows.h"
#include "engine/jpeg/ng_check.h"
#include "tests/engine/jpeg_test_util.h"
#include "tests/support/jpeg_writer.h"
#include "tests/support/temp_dir.h"

namespace pictray {
namespace {

using testing::JpegFixture;
using testing::ReadAll;
using testing::WithScans;

void ExpectColour(const Picture& p, std::uint32_t x, std::uint32_t y, int r, int g, int b) {
  const std::uint8_t* px = p.Pixel(x, y);
  EXPECT_NEAR(px[2], r, 12) << x << "," << y;
  EXPECT_NEAR(px[1], g, 12) << x << "," << y;
  EXPECT_NEAR(px[0], b, 12) << x << "," << y;
}

TEST(JpegDecode, ThreeByTwoIsBottomUpBgrWithPaddedRows) {
  Picture p;
  ASSERT_EQ(JpegToBuffer(fs::DefaultEnv(), JpegFixture("rgb_3x2.jpg"), p), 0);
  EXPECT_EQ(p.dwWidth, 3u);
  EXPECT_EQ(p.dwHeight, 2u);
  EXPECT_EQ(p.dwLength, 12u);
  EXPECT_EQ(p.buf.size(), 40u + 24u);
  const std::uint8_t* info = p.lpInfo();
  EXPECT_EQ(info[0], 40);
  EXPECT_EQ(info[4], 3);
  EXPECT_EQ(info[8], 2);
  EXPECT_EQ(info[14], 24);
  EXPECT_EQ(info[20], 24);  // image size
  // Array row 0 is the bottom row: white, black, grey.
  const std::uint8_t* bottom = p.lpBMP();
  EXPECT_GT(bottom[0], 230);
  EXPECT_LT(bottom[3], 25);
  EXPECT_EQ(bottom[9], 0);
  EXPECT_EQ(bottom[10], 0);
  EXPECT_EQ(bottom[11], 0);
  ExpectColour(p, 0, 0, 255, 0, 0);
  ExpectColour(p, 1, 0, 0, 255, 0);
  ExpectColour(p, 2, 0, 0, 0, 255);
  ExpectColour(p, 2, 1, 128, 128, 128);
}

TEST(JpegDecode, FourPixelsWideNeedNoPadding) {
  Picture p;
  ASSERT_EQ(JpegToBuffer(fs::DefaultEnv(), JpegFixture("rgb_4x2.jpg"), p), 0);
  EXPECT_EQ(p.dwLength, 12u);
  ExpectColour(p, 3, 0, 255, 0, 0);
  ExpectColour(p, 3, 1, 0, 0, 255);
}

TEST(JpegDecode, GreyStaysGreyAndProgressiveDecodes) {
  Picture p;
  ASSERT_EQ(JpegToBuffer(fs::DefaultEnv(), JpegFixture("grey_3x2.jpg"), p), 0);
  for (std::uint32_t y = 0; y < 2; ++y)
    for (std::uint32_t x = 0; x < 3; ++x) {
      const std::uint8_t* px = p.Pixel(x, y);
      EXPECT_EQ(px[0], px[1]);
      EXPECT_EQ(px[1], px[2]);
    }
  ASSERT_EQ(JpegToBuffer(fs::DefaultEnv(), JpegFixture("progressive_64x48.jpg"), p), 0);
  EXPECT_EQ(p.dwWidth, 64u);
  EXPECT_EQ(GetJpegImageSize(fs::ReadOnlyFile(fs::DefaultEnv(), JpegFixture("progressive_64x48.jpg"))), "64X48");
}

TEST(JpegDecode, YcckFileFromImageMagickDecodesToRgb) {
  Picture p;
  ASSERT_EQ(JpegToBuffer(fs::DefaultEnv(), JpegFixture("cmyk_4x2.jpg"), p), 0);
  ExpectColour(p, 0, 0, 255, 0, 0);
  ExpectColour(p, 0, 1, 0, 0, 255);
}

// Writes a 2x1 CMYK JPEG: samples as given, with or without Adobe marker.
std::string WriteCmyk(const testing::TempDir& dir, const std::string& name, const unsigned char* samples,
                      bool adobe) {
  const std::string path = dir.path() + "/" + name;
  testing::JpegShape shape{2, 1, testing::JpegColours::Cmyk};
  shape.tune = [adobe](jpeg_compress_struct& c) { c.write_Adobe_marker = adobe ? TRUE : FALSE; };
  testing::WriteJpeg(path, shape, [samples](unsigned, JSAMPLE* row) { std::copy(samples, samples + 8, row); });
  return path;
}

TEST(JpegDecode, CmykWithAndWithoutAdobeInversion) {
  testing::TempDir dir;
  // Red, then blue: inverted (255 = no ink) under an Adobe marker.
  const unsigned char inverted[8] = {255, 0, 0, 255, 0, 0, 255, 255};
  const unsigned char plain[8] = {0, 255, 255, 0, 255, 255, 0, 0};
  Picture p;
  ASSERT_EQ(JpegToBuffer(fs::DefaultEnv(), WriteCmyk(dir, "adobe.jpg", inverted, true), p), 0);
  ExpectColour(p, 0, 0, 255, 0, 0);
  ExpectColour(p, 1, 0, 0, 0, 255);
  ASSERT_EQ(JpegToBuffer(fs::DefaultEnv(), WriteCmyk(dir, "plain.jpg", plain, false), p), 0);
  ExpectColour(p, 0, 0, 255, 0, 0);
  ExpectColour(p, 1, 0, 0, 0, 255);
}

TEST(JpegDecode, NonJpegMissingAndTruncatedFiles) {
  testing::TempDir dir;
  Picture p;
  EXPECT_EQ(JpegToBuffer(fs::DefaultEnv(), JpegFixture("plain.png"), p), 1);
  EXPECT_TRUE(p.buf.empty());
  EXPECT_EQ(GetJpegImageSize(fs::ReadOnlyFile(fs::DefaultEnv(), JpegFixture("plain.png"))), "");
  EXPECT_EQ(JpegToBuffer(fs::DefaultEnv(), dir.path() + "/missing.jpg", p), 1);
  EXPECT_EQ(GetJpegImageSize(fs::ReadOnlyFile(fs::DefaultEnv(), dir.path() + "/missing.jpg")), "");
  EXPECT_EQ(GetJpegImageSize(fs::ReadOnlyFile(fs::DefaultEnv(), dir.Write("empty.jpg", ""))), "");
  EXPECT_EQ(GetJpegImageSize(fs::ReadOnlyFile(fs::DefaultEnv(), JpegFixture("size_1024x768.jpg"))), "1024X768");

  // Data that ends early only warns: the decode completes.
  const std::string whole = ReadAll(JpegFixture("progressive_64x48.jpg"));
  const std::string cut = dir.Write("cut.jpg", whole.substr(0, whole.size() * 2 / 3));
  EXPECT_EQ(JpegToBuffer(fs::DefaultEnv(), cut, p), 0);
  EXPECT_EQ(JpegErrCheck(fs::ReadOnlyFile(fs::DefaultEnv(), cut)), 0);
  EXPECT_EQ(JEndHedarCheck(fs::ReadOnlyFile(fs::DefaultEnv(), cut)), 1);
  // Every prefix survives.
  for (std::size_t n = 0; n < whole.size(); n += 13) {
    const std::string f = dir.Write("prefix.jpg", whole.substr(0, n));
    JpegToBuffer(fs::DefaultEnv(), f, p);
    JpegErrCheck(fs::ReadOnlyFile(fs::DefaultEnv(), f));
    GetJpegImageSize(fs::ReadOnlyFile(fs::DefaultEnv(), f));
  }
}

// The frame header of a fixture rewritten to claim width x height.
std::string WithFrameSize(const std::string& jpeg, unsigned w, unsigned h) {
  std::string f = jpeg;
  std::size_t sof = f.find("\xFF\xC0");
  if (sof == std::string::npos) sof = f.find("\xFF\xC2");
  if (sof == std::string::npos) return f;
  f[sof + 5] = char(h >> 8);
  f[sof + 6] = char(h & 0xFF);
  f[sof + 7] = char(w >> 8);
  f[sof + 8] = char(w & 0xFF);
  return f;
}

TEST(JpegDecode, DecodingBombsAreRefusedBeforeAllocation) {
  testing::TempDir dir;
  const std::string bomb = dir.Write("bomb.jpg", WithFrameSize(ReadAll(JpegFixture("rgb_4x2.jpg")), 60000, 60000));
  Picture p;
  EXPECT_EQ(GetJpegImageSize(fs::ReadOnlyFile(fs::DefaultEnv(), bomb)), "60000X60000");
  EXPECT_EQ(JpegToBuffer(fs::DefaultEnv(), bomb, p), 1);
  EXPECT_TRUE(p.buf.empty());
  EXPECT_EQ(JpegErrCheck(fs::ReadOnlyFile(fs::DefaultEnv(), bomb)), 1);
  // Just inside the budget the same trick decodes (a big grey picture).
  const std::string wide = dir.Write("wide.jpg", WithFrameSize(ReadAll(JpegFixture("rgb_4x2.jpg")), 4000, 3000));
  EXPECT_EQ(JpegToBuffer(fs::DefaultEnv(), wide, p), 0);
  EXPECT_EQ(p.dwLength, 12000u);
}

// Writes a sound greyscale JPEG of the given size, every row a ramp.
std::string WriteGrey(const testing::TempDir& dir, const std::string& name, unsigned w, unsigned h,
                      bool progressive) {
  const std::string path = dir.path() + "/" + name;
  testing::JpegShape shape{w, h, testing::JpegColours::Grey, 50};
  shape.progressive = progressive;
  testing::WriteJpeg(path, shape, [w](unsigned, JSAMPLE* row) {
    for (unsigned x = 0; x < w; ++x) row[x] = JSAMPLE(x / 64);
  });
  return path;
}

// The check decodes at 1/8 scale and the row reader holds one row: a sound
// picture beyond the full-decode budget is sound, not broken, and streams.
TEST(JpegDecode, LargeSoundPicturesAreJudgedAndStreamed) {
  testing::TempDir dir;
  for (bool progressive : {false, true}) {
    const std::string big = WriteGrey(dir, "big.jpg", 10400, 10000, progressive);
    EXPECT_GT(std::uint64_t(10400) * 10000, kMaxDecodePixels);
    EXPECT_EQ(JpegErrCheck(fs::ReadOnlyFile(fs::DefaultEnv(), big)), 0) << (progressive ? "progressive" : "sequential");
    EXPECT_EQ(NgVerdict(fs::ReadOnlyFile(fs::DefaultEnv(), big), NgSettings{"0", "10", "1"}, {}), "");
    std::uint32_t rows = 0;
    EXPECT_EQ(JpegForEachRow(fs::ReadOnlyFile(fs::DefaultEnv(), big), [&](auto...) { return ++rows > 0; }), RowsOutcome::Done);
    EXPECT_EQ(rows, 10000u);
  }
}

// The colour runs sample grey and colour pictures only; a CMYK or YCCK
// file, one over the budget, a cut header and a non-JPEG are refused.
TEST(JpegDecode, SampleCheckAcceptsGreyAndColourOnly) {
  testing::TempDir dir;
  EXPECT_EQ(JpegSampleCheck(fs::ReadOnlyFile(fs::DefaultEnv(), JpegFixture("rgb_3x2.jpg"))), 1);
  EXPECT_EQ(JpegSampleCheck(fs::ReadOnlyFile(fs::DefaultEnv(), JpegFixture("grey_3x2.jpg"))), 1);
  EXPECT_EQ(JpegSampleCheck(fs::ReadOnlyFile(fs::DefaultEnv(), JpegFixture("progressive_64x48.jpg"))), 1);
  EXPECT_EQ(JpegSampleCheck(fs::ReadOnlyFile(fs::DefaultEnv(), JpegFixture("cmyk_4x2.jpg"))), 0);
  const unsigned char ink[8] = {0, 255, 255, 0, 255, 255, 0, 0};
  EXPECT_EQ(JpegSampleCheck(fs::ReadOnlyFile(fs::DefaultEnv(), WriteCmyk(dir, "cmyk.jpg", ink, false))), 0);
  EXPECT_EQ(JpegSampleCheck(fs::ReadOnlyFile(fs::DefaultEnv(), dir.Write("bomb.jpg", WithFrameSize(ReadAll(JpegFixture("rgb_4x2.jpg")), 60000, 60000)))),
            0);
  // Medium-format and phone pictures over the whole-decode budget are sampled.
  EXPECT_EQ(JpegSampleCheck(fs::ReadOnlyFile(fs::DefaultEnv(), dir.Write("large.jpg", WithFrameSize(ReadAll(JpegFixture("rgb_4x2.jpg")), 11648, 8736)))), 1);
  EXPECT_EQ(JpegSampleCheck(fs::ReadOnlyFile(fs::DefaultEnv(), dir.Write("head.jpg", ReadAll(JpegFixture("rgb_3x2.jpg")).substr(0, 20)))), 0);
  EXPECT_EQ(JpegSampleCheck(fs::ReadOnlyFile(fs::DefaultEnv(), JpegFixture("plain.png"))), 0);
  EXPECT_EQ(JpegSampleCheck(fs::ReadOnlyFile(fs::DefaultEnv(), dir.path() + "/missing.jpg")), 0);
}

TEST(JpegDecode, ErrCheckFindsACorruptHuffmanTable) {
  testing::TempDir dir;
  const std::string good = ReadAll(JpegFixture("rgb_3x2.jpg"));
  EXPECT_EQ(JpegErrCheck(fs::ReadOnlyFile(fs::DefaultEnv(), JpegFixture("rgb_3x2.jpg"))), 0);
  EXPECT_EQ(JpegErrCheck(fs::ReadOnlyFile(fs::DefaultEnv(), JpegFixture("cmyk_4x2.jpg"))), 0);
  std::string bad = good;
  const std::size_t dht = bad.find("\xFF\xC4");
  ASSERT_NE(dht, std::string::npos);
  for (int i = 0; i < 16; ++i) bad[dht + 5 + i] = '\xFF';  // more codes than 256
  const std::string path = dir.Write("badhuff.jpg", bad);
  EXPECT_EQ(JpegErrCheck(fs::ReadOnlyFile(fs::DefaultEnv(), path)), 1);
  EXPECT_EQ(JEndHedarCheck(fs::ReadOnlyFile(fs::DefaultEnv(), path)), 0);
  EXPECT_EQ(JpegErrCheck(fs::ReadOnlyFile(fs::DefaultEnv(), dir.path() + "/missing.jpg")), 1);
}

TEST(JpegBitmap, CopyWriteAndReadBackA24BitBmp) {
  testing::TempDir dir;
  // 3x2, 32-bit top-down: top row red, green, blue; bottom row grey.
  const std::uint8_t bits[2][12] = {{0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 0},
                                    {9, 9, 9, 0, 9, 9, 9, 0, 9, 9, 9, 0}};
  BitmapView v{3, 2, 12, 32, &bits[0][0]};
  Picture made;
  const std::string path = dir.path() + "/work.bmp";
  ASSERT_EQ(MakeBufferFile2(fs::DefaultEnv(), v, path, made), 0);
  EXPECT_EQ(made.dwLength, 12u);
  EXPECT_EQ(made.Pixel(0, 0)[2], 255);
  EXPECT_EQ(made.Pixel(1, 0)[1], 255);
  EXPECT_EQ(made.lpBMP()[0], 9);  // bottom row first
  const std::string file = ReadAll(path);
  EXPECT_EQ(file.size(), 14u + 40u + 24u);

  Picture back;
  ASSERT_EQ(readBMP(fs::DefaultEnv(), path, back), 1);
  EXPECT_EQ(back.dwWidth, 3u);
  EXPECT_EQ(back.dwHeight, 2u);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(back.lpBMP()), 24),
            std::string(reinterpret_cast<const char*>(made.lpBMP()), 24));

  // An 8-bit BMP, a cut one and a missing one are refused.
  std::string eight = file;
  eight[28] = 8;
  EXPECT_EQ(readBMP(fs::DefaultEnv(), dir.Write("eight.bmp", eight), back), 0);
  EXPECT_EQ(readBMP(fs::DefaultEnv(), dir.Write("cut.bmp", file.substr(0, file.size() - 1)), back), 0);
  EXPECT_EQ(readBMP(fs::DefaultEnv(), dir.path() + "/missing.bmp", back), 0);
  std::string farPixels = file;
  farPixels[10] = '\xF0';
  EXPECT_EQ(readBMP(fs::DefaultEnv(), dir.Write("far.bmp", farPixels), back), 0);
  // A write that fails is no success, even though something of that name
  // exists afterwards.
  const std::string taken = dir.path() + "/taken.bmp";
  ASSERT_TRUE(std::filesystem::create_directory(taken));
  EXPECT_EQ(MakeBufferFile2(fs::DefaultEnv(), v, taken, made), 1);
  EXPECT_TRUE(std::filesystem::is_directory(taken));
  EXPECT_EQ(MakeBuffer3(BitmapView{0, 2, 0, 32, &bits[0][0]}, made), 1);
  EXPECT_EQ(MakeBuffer3(BitmapView{3, 2, 8, 32, &bits[0][0]}, made), 1);
}

// The reader takes what the header's rows need: a 1 x 1 picture in a
// 256 MB (sparse) file costs four bytes.
TEST(JpegBitmap, ReadsOnlyTheRowsTheHeaderNames) {
  testing::TempDir dir;
  const std::uint8_t pixel[4] = {1, 2, 3, 0};
  Picture made;
  const std::string path = dir.path() + "/one.bmp";
  ASSERT_EQ(MakeBufferFile2(fs::DefaultEnv(), BitmapView{1, 1, 4, 32, pixel}, path, made), 0);
  std::filesystem::resize_file(path, 256u << 20);
  Picture back;
  ASSERT_EQ(readBMP(fs::DefaultEnv(), path, back), 1);
  EXPECT_EQ(back.buf.size(), 40u + 4u);
  EXPECT_EQ(back.Pixel(0, 0)[2], 3);
}

// A progressive 64 x 64 colour file whose luminance is sampled 4 x 4 against
// the chroma's 1 x 1, every scan of one component (an interleaved one could
// not hold such a block): a chroma scan covers 1/18 of the picture's blocks.
std::string WriteFineLuminance(const testing::TempDir& dir) {
  const std::string path = dir.path() + "/fine.jpg";
  jpeg_scan_info script[6] = {};
  for (int i = 0; i < 6; ++i) {
    script[i].comps_in_scan = 1;
    script[i].component_index[0] = i / 2;
    script[i].Ss = i % 2;
    script[i].Se = i % 2 ? 63 : 0;
  }
  testing::JpegShape shape{64, 64, testing::JpegColours::Rgb, 75, false};
  shape.tune = [&script](jpeg_compress_struct& c) {
    c.comp_info[0].h_samp_factor = c.comp_info[0].v_samp_factor = 4;
    c.scan_info = script;
    c.num_scans = 6;
  };
  testing::WriteJpeg(path, shape, [](unsigned, JSAMPLE* row) { std::fill(row, row + 64 * 3, JSAMPLE(100)); });
  return path;
}

// The check answers alike from the open file and from its bytes held whole,
// for sound, cut and damaged files. A picture it puts out as luma alone
// keeps the colour decoder's refusal of chroma sampling factors that do
// not divide the luma's (Y 3x1 with Cb 2x1).
TEST(JpegDecode, CheckAnswersAlikeFromFileAndBytes) {
  testing::TempDir dir;
  for (const char* name : {"progressive_64x48.jpg", "size_1024x768.jpg", "cmyk_4x2.jpg", "grey_3x2.jpg"}) {
    const std::string whole = ReadAll(JpegFixture(name));
    std::vector<std::string> variants;
    for (std::size_t n = 0; n <= whole.size(); n += 1 + whole.size() / 50) variants.push_back(whole.substr(0, n) + "\xFF\xD9");
    for (std::size_t at = 2; at < whole.size(); at += 1 + whole.size() / 50) {
      variants.push_back(whole);
      variants.back()[at] = static_cast<char>(variants.back()[at] ^ (1 << at % 8));
    }
    for (const std::string& v : variants) {
      const std::vector<unsigned char> bytes(v.begin(), v.end());
      const fs::ReadOnlyFile file(fs::DefaultEnv(), dir.Write("v.jpg", v));
      EXPECT_EQ(JpegErrCheck(file), JpegErrCheck(bytes)) << name << " " << v.size();
      EXPECT_EQ(JEndHedarCheck(file), JEndHedarCheck(bytes)) << name << " " << v.size();
    }
  }
  std::string fractional = ReadAll(JpegFixture("size_1024x768.jpg"));
  const std::size_t sof = fractional.find("\xFF\xC0");
  fractional[sof + 11] = 0x31;  // Y
  fractional[sof + 14] = 0x21;  // Cb
  EXPECT_EQ(JpegErrCheck(fs::ReadOnlyFile(fs::DefaultEnv(), dir.Write("fractional.jpg", fractional))), 1);
}

double ThreadCpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

// Hostile files cost little and are refused where they would cost much:
// more scans than any encoder writes, coefficients of a progressive picture
// beyond the memory budget, a header claiming far more than the data holds.
TEST(JpegDecode, HostileFilesAreCheap) {
  testing::TempDir dir;
  const std::string grey = ReadAll(WriteGrey(dir, "p.jpg", 64, 48, true));
  const std::string fine = ReadAll(WriteFineLuminance(dir));
  const std::string sequential = ReadAll(JpegFixture("rgb_4x2.jpg"));
  struct Case {
    const char* name;
    std::string bytes;
    int decoded;  // JpegToBuffer
    int broken;   // JpegErrCheck; JpegForEachRow fails the same files
  };
  const Case cases[] = {
      {"64 passes over the picture", WithScans(grey, 64, 1), 0, 0},
      {"65 passes over the picture", WithScans(grey, 65, 1), 1, 1},
      {"1000 scans, most of a small component", WithScans(fine, 1000, 2), 0, 0},
      {"1001 scans", WithScans(fine, 1001, 2), 1, 1},
      {"progressive 24000 x 24000", WithFrameSize(grey, 24000, 24000), 1, 1},
      {"sequential 24000 x 24000", WithFrameSize(sequential, 24000, 24000), 1, 0},
  };
  for (const Case& c : cases) {
    const std::string path = dir.Write("hostile.jpg", c.bytes);
    Picture p;
    const double start = ThreadCpuSeconds();
    EXPECT_EQ(JpegToBuffer(fs::DefaultEnv(), path, p), c.decoded) << c.name;
    EXPECT_EQ(JpegForEachRow(fs::ReadOnlyFile(fs::DefaultEnv(), path), [](auto...) { return true; }),
              c.broken == 0 ? RowsOutcome::Done : RowsOutcome::Failed)
        << c.name;
    EXPECT_EQ(JpegErrCheck(fs::ReadOnlyFile(fs::DefaultEnv(), path)), c.broken) << c.name;
    EXPECT_LT(ThreadCpuSeconds() - start, 0.1) << c.name;  // decoding all it claims takes 0.3 s and more
  }
}

}  // namespace
}  // namespace pictray
