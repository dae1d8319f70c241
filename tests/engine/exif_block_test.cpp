#include <fcntl.h>
#include <unistd.h>

#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "engine/meta/heif_items.h"
#include "engine/meta/media_readers.h"
#include "tests/support/camera_files.h"

namespace pictray::meta {
namespace {

using testing::TiffFile;

// A phone's Exif block: IFD0 with the labels' values, the Exif and GPS
// directories, a thumbnail's place in IFD1.
std::string PhoneBlock(const char* mark) {
  TiffFile t(mark);
  const std::uint32_t exif = t.Directory(
      {t.Rationals(0x829A, {1, 120}), t.Shorts(0x8827, {100}), t.Ascii(0x9003, "2023:01:02 03:04:05"),
       t.Ascii(0x9004, "2023:01:02 03:04:06"), {0x9286, 7, 12, std::string("ASCII\0\0\0note", 12)},
       t.Ascii(0xA434, "Main Camera")});
  const std::uint32_t gps = t.Directory({t.Ascii(0x1, "N"), t.Rationals(0x2, {35, 1, 36, 1, 0, 1})});
  const std::uint32_t ifd1 = t.Directory({t.Shorts(0x103, {6}), t.Longs(0x201, {8}), t.Longs(0x202, {16})});
  const std::uint32_t ifd0 = t.Directory(
      {t.Ascii(0x10F, "Google"), t.Ascii(0x110, "Pixel 9"), t.Shorts(0x112, {6}), t.Rationals(0x11A, {72, 1}),
       t.Ascii(0x131, "HDR+ 1.0"), t.Ascii(0x132, "2024:05:06 07:08:09"), t.Longs(0x8769, {exif}),
       t.Longs(0x8825, {gps})},
      ifd1);
  return t.Block(ifd0);
}

// The TIFF structure of a fixture's Exif item, as exiftool wrote it.
std::string FixtureBlock(const char* name) {
  const int fd = ::open((std::string(PICTRAY_TEST_DATA) + "/meta/" + name).c_str(), O_RDONLY | O_CLOEXEC);
  const std::optional<HeifItems> items = ReadHeifItems(fs::ReadOnlyFile(fs::DefaultEnv(), fs::BorrowedFd{fd}));
  ::close(fd);
  if (!items || !items->exif || items->exif->size() < 10) return {};
  return items->exif->substr(10);  // its offset field (6), then "Exif\0\0"
}

// Where IFD0's entry of `tag` lies in `block`.
std::size_t EntryOf(const std::string& block, std::uint16_t tag) {
  const bool little = block[0] == 'I';
  const auto number = [&](std::size_t at, int bytes) {
    std::uint32_t v = 0;
    for (int i = 0; i < bytes; ++i)
      v |= std::uint32_t(std::uint8_t(block[at + i])) << (8 * (little ? i : bytes - 1 - i));
    return v;
  };
  const std::uint32_t ifd0 = number(4, 4);
  for (std::uint32_t i = 0, n = number(ifd0, 2); i < n; ++i)
    if (number(ifd0 + 2 + 12 * i, 2) == tag) return ifd0 + 2 + 12 * i;
  ADD_FAILURE() << "no entry " << tag;
  return 0;
}

// Blocks the library reads its own way: a value placed at offset 0, the
// GPS directory before the Exif one and at its place, the Exif directory
// at IFD0's own place (IFD0 holding a date taken).
std::vector<std::string> OddBlocks() {
  const std::string block = PhoneBlock("MM\0*");
  std::string atZero = block, gpsFirst = block;
  atZero.replace(EntryOf(block, 0x110) + 8, 4, std::string(4, '\0'));
  TiffFile own("II*\0");
  const std::string exifAtIfd0 =
      own.Block(own.Directory({own.Ascii(0x110, "Cam"), own.Longs(0x8769, {8}), own.Ascii(0x9003, "2023:01:02 03:04:05")}));
  const std::size_t exif = EntryOf(block, 0x8769), gps = EntryOf(block, 0x8825);
  gpsFirst.replace(exif, 12, block.substr(gps, 8) + block.substr(exif + 8, 4));
  gpsFirst.replace(gps, 12, block.substr(exif, 12));
  return {atZero, exifAtIfd0, gpsFirst};
}

auto Values(const MediaInfo& m) {
  return std::tie(m.hasExif, m.littleEndian, m.dateTime, m.dateTimeOriginal, m.model, m.software, m.orientation);
}

// Every block the reader takes, it reads as libexiv2 decodes it: a
// phone's and exiftool's blocks (all taken) and the odd ones, each with
// every byte changed and cut at every length.
TEST(ExifBlock, PlainBlocksReadAsLibexiv2DecodesThem) {
  std::vector<std::string> blocks = {PhoneBlock("II*\0"), PhoneBlock("MM\0*"), FixtureBlock("heic_full.heic"),
                                     FixtureBlock("heic_nodate.heic")};
  const std::size_t plain = blocks.size();
  for (std::string& odd : OddBlocks()) blocks.push_back(std::move(odd));
  std::size_t taken = 0;
  for (std::size_t b = 0; b < blocks.size(); ++b) {
    const std::string& block = blocks[b];
    MediaInfo whole;
    if (b < plain) {
      ASSERT_TRUE(ReadPlainExifBlock(reinterpret_cast<const unsigned char*>(block.data()), block.size(), whole))
          << "block " << b;
    }
    std::vector<std::string> variants{block};
    for (std::size_t n = 0; n < block.size(); ++n) variants.push_back(block.substr(0, n));
    for (std::size_t at = 0; at < block.size(); ++at)
      for (const char flip : {'\x01', '\x10', '\xFF'}) (variants.emplace_back(block)[at]) ^= flip;
    for (const std::string& v : variants) {
      const auto* p = reinterpret_cast<const unsigned char*>(v.data());
      MediaInfo ours, theirs;
      if (!ReadPlainExifBlock(p, v.size(), ours)) continue;
      ++taken;
      EXPECT_NO_THROW(DecodeExifBlock(p, v.size(), theirs)) << "block " << b;
      EXPECT_EQ(Values(ours), Values(theirs)) << "block " << b << " variant of " << v.size() << " bytes";
    }
  }
  EXPECT_GT(taken, blocks.size() * 100);  // most changes leave a plain block
}

}  // namespace
}  // namespace pictray::meta
