// Every fixture of every format as the detector names it, as the thumbnail
// library dispatches it and as the metadata readers read it: one answer for
// all; and libexiv2's own detection, which the readers used before, as the
// slow reference for the stills it reads.
#include <exiv2/exiv2.hpp>
#include <exiv2/webpimage.hpp>

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "engine/marks/file_kind.h"
#include "engine/meta/media_info.h"
#include "tests/engine/similar_test_util.h"
#include "tests/support/camera_exif.h"
#include "tests/support/camera_files.h"

namespace pictray {
namespace {

using marks::FileKind;

const std::string kData = PICTRAY_TEST_DATA;

struct Fixture {
  std::string path;
  FileKind kind;
};

// The committed fixtures, by their path below tests/data.
const std::vector<std::pair<std::string, FileKind>>& CommittedFixtures() {
  static const std::vector<std::pair<std::string, FileKind>> fixtures = {
      {"jpeg/cam_apple_MM_B.jpg", FileKind::Jpeg},  {"jpeg/cam_canon_II_A.jpg", FileKind::Jpeg},
      {"jpeg/cam_fuji_II_A.jpg", FileKind::Jpeg},   {"jpeg/cam_nikon_MM_A.jpg", FileKind::Jpeg},
      {"jpeg/cam_nodate_II_A.jpg", FileKind::Jpeg}, {"jpeg/cam_short_MM_A.jpg", FileKind::Jpeg},
      {"jpeg/cam_sony_II_B.jpg", FileKind::Jpeg},   {"jpeg/cmyk_4x2.jpg", FileKind::Jpeg},
      {"jpeg/grey_3x2.jpg", FileKind::Jpeg},        {"jpeg/progressive_64x48.jpg", FileKind::Jpeg},
      {"jpeg/rgb_3x2.jpg", FileKind::Jpeg},         {"jpeg/rgb_4x2.jpg", FileKind::Jpeg},
      {"jpeg/size_1024x768.jpg", FileKind::Jpeg},   {"jpeg/plain.png", FileKind::Png},
      {"meta/big_cut.tif", FileKind::BigTiff},      {"meta/big_exif.tif", FileKind::BigTiff},
      {"meta/big_ii.tif", FileKind::BigTiff},
      {"meta/big_mm.tif", FileKind::BigTiff},       {"meta/cut.heic", FileKind::Heif},
      {"meta/heic_full.heic", FileKind::Heif},      {"meta/heic_nodate.heic", FileKind::Heif},
      {"meta/heic_noexif.heic", FileKind::Heif},    {"meta/keys_claim.mov", FileKind::Movie},
      {"meta/mov_keys.mov", FileKind::Movie},       {"meta/mov_utc.mp4", FileKind::Movie},
      {"meta/png_exif.png", FileKind::Png},         {"meta/raw_ii.cr2", FileKind::Tiff},
      {"meta/raw_mm.nef", FileKind::Tiff},          {"meta/text.cr2", FileKind::None},
      {"meta/webp_exif.webp", FileKind::WebP},
  };
  return fixtures;
}

// The committed fixtures, then those the tests make, written into `dir`.
std::vector<Fixture> Fixtures(const testing::TempDir& dir) {
  std::vector<Fixture> out;
  for (const auto& [path, kind] : CommittedFixtures()) out.push_back({kData + "/" + path, kind});
  const auto add = [&](const std::string& name, const std::string& bytes, FileKind kind) {
    out.push_back({dir.Write(name, bytes), kind});
  };
  for (const char* mark : {"II*\0", "MM\0*"}) add(std::string(mark, 2) + ".tif", testing::CameraRaw(mark), FileKind::Tiff);
  for (const char* mark : {"IIRO", "IIRS", "MMOR", "MMSR"}) add(std::string(mark) + ".orf", testing::CameraRaw(mark), FileKind::Orf);
  add("a.cr2", testing::CameraCr2(), FileKind::Cr2);
  add("a.rw2", testing::CameraRw2(), FileKind::Rw2);
  add("a.raf", testing::CameraRaf(), FileKind::Raf);
  add("a.mrw", testing::CameraMrw(), FileKind::Mrw);
  add("ii.crw", testing::CameraCrw(true), FileKind::Crw);
  add("mm.crw", testing::CameraCrw(false), FileKind::Crw);
  add("ii.cr3", testing::CameraCr3("II*\0"), FileKind::Cr3);
  add("mm.cr3", testing::CameraCr3("MM\0*"), FileKind::Cr3);
  add("exif.png", testing::PngWith(testing::PngChunk("eXIf", std::string("Exif\0\0", 6) + testing::ExifTiff("MM\0*"))),
      FileKind::Png);
  // HEIF known by a compatible brand far into its "ftyp" box.
  std::string brands = "zzzz" + std::string(4, '\0');
  for (int i = 0; i < 14; ++i) brands += "zzzz";
  add("late.heic", testing::Box("ftyp", brands + "mif1") + testing::Box("mdat", std::string(64, '\0')), FileKind::Heif);
  add("box.jxl", testing::Box("ftyp", std::string("jxl \0\0\0\0jxl ", 12)) + testing::Box("free", std::string(64, '\0')),
      FileKind::JxlBox);
  add("signature.jxl", std::string("\0\0\0\x0CJXL \r\n\x87\n", 12) + testing::Box("ftyp", std::string("jxl \0\0\0\0jxl ", 12)),
      FileKind::JxlBox);
  const std::string movie = testing::ReadWhole(kData + "/meta/mov_keys.mov");
  add("old.mov", movie.substr(20), FileKind::Movie);  // from its "moov": written before "ftyp" was
  add("unknown.mp4", testing::Box("ftyp", std::string("zzzz\0\0\0\0zzzz", 12)), FileKind::None);
  add("tiny.tif", std::string("II*\0\x08\0\0\0", 8), FileKind::Tiff);
  add("be.rw2", std::string("MM\0U", 4) + std::string(60, '\0'), FileKind::Rw2);
  add("deep.crw", testing::DeepCrw(3), FileKind::Crw);
  add("nested.cr3", testing::NestedCr3(3), FileKind::Cr3);
  add("claim.png", testing::PngClaimingHugeText(), FileKind::Png);
  add("soi.jpg", "\xFF\xD8", FileKind::Jpeg);
  add("bm.bmp", "BM", FileKind::Bmp);
  add("text.txt", "just some text\n", FileKind::None);
  const testing::Rgb8 picture = testing::MakeRgb(32, 24);
  const auto write = [&](const std::string& name, bool written, FileKind kind) {
    if (written) out.push_back({dir.path() + "/" + name, kind});
  };
  write("a.jpg", testing::WriteJpegRgb(dir.path() + "/a.jpg", picture, 90), FileKind::Jpeg);
  write("a.png", testing::WritePng(dir.path() + "/a.png", picture), FileKind::Png);
  write("a.webp", testing::WriteWebp(dir.path() + "/a.webp", picture, 80), FileKind::WebP);
  write("a.tif", testing::WriteTiff(dir.path() + "/a.tif", picture), FileKind::Tiff);
  write("a.bmp", testing::WriteBmp(dir.path() + "/a.bmp", picture), FileKind::Bmp);
  write("a.heic", testing::WriteHeif(dir.path() + "/a.heic", picture), FileKind::Heif);
  testing::WriteLivePhotoMovie(dir.path() + "/live.mov");
  out.push_back({dir.path() + "/live.mov", FileKind::Movie});
  return out;
}

TEST(FileKinds, EveryCommittedFixtureIsInTheTable) {
  std::set<std::string> listed;
  for (const auto& [path, kind] : CommittedFixtures()) listed.insert(path);
  for (const char* folder : {"jpeg", "meta"})
    for (const auto& entry : std::filesystem::directory_iterator(kData + "/" + folder)) {
      const std::string path = std::string(folder) + "/" + entry.path().filename().string();
      if (entry.path().extension() != ".sh") {
        EXPECT_TRUE(listed.count(path)) << path;
      }
    }
}

// The thumbnail library draws, or fails to draw, every kind but these; the
// metadata readers read every kind but JPEG (the JPEG reader's) and BMP.
bool Drawn(FileKind kind) { return kind != FileKind::None && kind != FileKind::JxlBox && kind != FileKind::Movie; }
FileKind ReadByMetadata(FileKind kind) {
  return kind == FileKind::Jpeg || kind == FileKind::Bmp ? FileKind::None : kind;
}

TEST(FileKinds, DetectorLibraryAndReadersAgreeOnEveryFixture) {
  const testing::TempDir dir;
  const testing::ThumbkitLibrary library;
  ASSERT_TRUE(library.calls().Drawing());
  constexpr int kEdge = 16, kNotSupported = 9;
  std::vector<unsigned char> surface(std::size_t((3 * kEdge + 3) & ~3) * kEdge);
  for (const Fixture& f : Fixtures(dir)) {
    SCOPED_TRACE(f.path);
    const fs::ReadOnlyFile file(fs::DefaultEnv(), f.path);
    EXPECT_EQ(marks::KindOfFile(file), f.kind);
    EXPECT_EQ(library.calls().one(surface.data(), f.path.c_str(), kEdge, 0, 1) != kNotSupported, Drawn(f.kind));
    EXPECT_EQ(meta::ReadMediaInfo(file, f.path).format, ReadByMetadata(f.kind));
  }
}

// The libexiv2 types of the image classes made for these kinds; libexiv2
// tells the others by other means (ISO boxes) or not at all.
constexpr std::pair<FileKind, int> kTypes[] = {
      {FileKind::Jpeg, Exiv2::ImageType::jpeg}, {FileKind::Bmp, Exiv2::ImageType::bmp},
      {FileKind::Png, Exiv2::ImageType::png},   {FileKind::WebP, Exiv2::ImageType::webp},
      {FileKind::Tiff, Exiv2::ImageType::tiff}, {FileKind::Cr2, Exiv2::ImageType::cr2},
      {FileKind::Crw, Exiv2::ImageType::crw},   {FileKind::Orf, Exiv2::ImageType::orf},
      {FileKind::Rw2, Exiv2::ImageType::rw2},   {FileKind::Raf, Exiv2::ImageType::raf},
    {FileKind::Mrw, Exiv2::ImageType::mrw}};

int Exiv2TypeOf(FileKind kind) {
  for (const auto& [k, type] : kTypes)
    if (k == kind) return type;
  return Exiv2::ImageType::none;
}

bool Made(int exiv2Type) {
  for (const auto& [k, type] : kTypes)
    if (type == exiv2Type) return true;
  return false;
}

int Exiv2TypeOfHead(const std::string& head) {
  try {
    return Exiv2::ImageFactory::getType(reinterpret_cast<const Exiv2::byte*>(head.data()), long(head.size()));
  } catch (...) {
    return Exiv2::ImageType::none;
  }
}

// Each fixture's first bytes, and the same with bytes of its header changed
// one at a time: wherever libexiv2 finds one of the types the readers make,
// the detector names that type's kind, and nowhere else. Heads shorter than
// libexiv2's longest header (24 bytes) are left out.
TEST(FileKinds, StillsAreWhatLibexiv2FindsThem) {
  const testing::TempDir dir;
  std::mt19937 random(47);
  const unsigned char values[] = {0, 0x0C, 0x1A, '*', '+', 'I', 'M', 'R', 'U', 0xD8, 0xFF};
  int compared = 0;
  for (const Fixture& f : Fixtures(dir)) {
    std::string original = testing::ReadWhole(f.path).substr(0, marks::kHeadBytes);
    if (original.size() < 24) continue;
    for (int n = 0; n < 200; ++n) {
      std::string head = original;
      if (n > 0) head[random() % 16] = static_cast<char>(values[random() % sizeof values]);
      const int exiv2 = Exiv2TypeOfHead(head);
      const int ours = Exiv2TypeOf(marks::KindOfHead(reinterpret_cast<const unsigned char*>(head.data()), head.size()));
      if (ours == Exiv2::ImageType::none && !Made(exiv2)) continue;
      ++compared;
      EXPECT_EQ(ours, exiv2) << f.path << " changed " << n;
    }
  }
  EXPECT_GT(compared, 2000);
}

}  // namespace
}  // namespace pictray
