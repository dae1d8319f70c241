// Nothing is split from its picture, and the right file stays: sidecars are
// never duplicates of each other, a Live Photo's video and sidecars go
// wherever its still goes, the camera original stays before an enlarged or
// re-encoded export, and --keep oldest compares each file's own best date.
// Each through twinscan-cli, as a user meets it.
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/engine/similar_test_util.h"
#include "tests/support/camera_exif.h"
#include "tests/support/run_program.h"
#include "tests/support/twinscan_cli_folder.h"

namespace pictray {
namespace {

namespace fs = std::filesystem;
using testing::ProgramRun;
using testing::TempDir;

// Every file below `folder` with its bytes.
std::map<std::string, std::string> Files(const std::string& folder) {
  std::map<std::string, std::string> all;
  for (const auto& e : fs::recursive_directory_iterator(folder))
    if (e.is_regular_file()) all[fs::relative(e.path(), folder).string()] = testing::ReadWhole(e.path().string());
  return all;
}

// The files of `before` no longer where they were.
std::set<std::string> Gone(const std::string& folder, const std::map<std::string, std::string>& before) {
  std::set<std::string> gone;
  for (const auto& [name, bytes] : before)
    if (!fs::exists(folder + "/" + name)) gone.insert(name);
  return gone;
}

void SetTime(const std::string& path, time_t t) {
  const struct timespec times[2] = {{t, 0}, {t, 0}};
  ::utimensat(AT_FDCWD, path.c_str(), times, 0);
}

class Companions : public testing::TwinscanCliFolder {
 protected:
  // The lines of --groups, sorted.
  std::vector<std::string> Groups(std::vector<std::string> args) {
    args.insert(args.begin(), "--groups");
    args.push_back(S);
    const ProgramRun r = Cli(args);
    EXPECT_EQ(r.status, 0) << r.err;
    std::vector<std::string> lines = r.lines;
    std::sort(lines.begin(), lines.end());
    return lines;
  }
};

// Two pictures' sidecars that happen to hold the same bytes (an edit-less
// AAE, an empty XMP) are no group: nothing of them moves.
TEST_F(Companions, SidecarsAreNeverGroupedAsDuplicatesOfEachOther) {
  Write("IMG_1.HEIC", "the first picture");
  Write("IMG_2.HEIC", "the second picture, other bytes");
  Write("IMG_1.AAE", "<plist>no edits</plist>");
  Write("IMG_2.AAE", "<plist>no edits</plist>");
  Write("IMG_3.CR2", "raw three");
  Write("IMG_4.CR2", "raw four, another");
  Write("IMG_3.CR2.xmp", "<x:xmpmeta/>");
  Write("IMG_4.CR2.xmp", "<x:xmpmeta/>");
  Write("lone.xmp", "<x:xmpmeta/>");
  Write("a.jpg", "a picture and its byte copy");
  Write("a (1).jpg", "a picture and its byte copy");
  const auto before = Files(S);

  EXPECT_EQ(Groups({}), std::vector<std::string>{"a.jpg\ta (1).jpg"});
  // The table: each sidecar stays as a file alone does.
  const ProgramRun table = Cli({S});
  for (const char* line : {"IMG_1\t---\tIMG_1.AAE\t23\t0\t", "IMG_2\t---\tIMG_2.AAE\t23\t0\t",
                           "IMG_3.CR2\t---\tIMG_3.CR2.xmp\t12\t0\t", "lone\t---\tlone.xmp\t12\t0\t"})
    EXPECT_NE(std::find(table.lines.begin(), table.lines.end(), line), table.lines.end()) << line << "\n" << table.out;

  const ProgramRun moved = Cli({"--extract", S});
  EXPECT_EQ(moved.status, 0) << moved.err;
  EXPECT_EQ(Gone(S, before), std::set<std::string>{"a (1).jpg"}) << moved.out;
  EXPECT_EQ(Cli({"--undo", S}).status, 0);
  EXPECT_EQ(Files(S), before);
}

// A camera's .THM is a small JPEG of its picture: the search for the same
// pictures never takes it for a copy.
TEST_F(Companions, AThumbnailSidecarIsNoCopyOfItsPicture) {
  if (!Drawing()) GTEST_SKIP() << "no thumbnail library built";
  const testing::Rgb8 scene = testing::Scene(41).Render(320, 240);
  ASSERT_TRUE(testing::WriteJpegRgb(P("MVI_0001.JPG"), scene, 90));
  ASSERT_TRUE(testing::WriteJpegRgb(P("MVI_0001.THM"), testing::Shrunk(scene, 2), 70));
  ASSERT_TRUE(testing::WriteJpegRgb(P("MVI_0002.JPG"), testing::Scene(42).Render(320, 240), 90));
  ASSERT_TRUE(testing::WriteJpegRgb(P("MVI_0002.THM"), testing::Shrunk(scene, 2), 70));
  const auto before = Files(S);
  EXPECT_EQ(Groups({"--similar"}), std::vector<std::string>{});
  EXPECT_EQ(Cli({"--similar", "--extract", S}).status, 0);
  EXPECT_EQ(Files(S), before);
}

// A Live Photo (HEIC + MOV) and a larger JPEG export of it: the HEIC stays
// with its video, by its camera Exif when the export shares its name, by
// its video when the export kept the Exif; the export goes alone.
TEST_F(Companions, ALivePhotoStaysWithItsVideoBeforeALargerExport) {
  if (!Drawing()) GTEST_SKIP() << "no thumbnail library built";
  const testing::Scene one(51), two(52);
  if (!testing::WriteCameraHeif(P("IMG_0001.HEIC"), one.Render(320, 240), "Apple", "iPhone 12",
                                "2023:07:01 12:00:00"))
    GTEST_SKIP() << "libheif has no encoder";
  testing::WriteLivePhotoMovie(P("IMG_0001.MOV"), "one");
  ASSERT_TRUE(testing::WriteJpegRgb(P("IMG_0001.JPG"), one.Render(640, 480), 95));
  ASSERT_TRUE(testing::WriteCameraHeif(P("IMG_0002.HEIC"), two.Render(320, 240), "Apple", "iPhone 12",
                                       "2023:07:02 12:00:00"));
  testing::WriteLivePhotoMovie(P("IMG_0002.MOV"), "two");
  ASSERT_TRUE(testing::WriteJpegRgb(P("IMG_0002 export.jpg"), two.Render(640, 480), 95));
  ASSERT_TRUE(testing::AddCameraExif(P("IMG_0002 export.jpg"), "Apple", "iPhone 12", "2023:07:02 12:00:00"));
  const auto before = Files(S);

  EXPECT_EQ(Groups({"--similar"}),
            (std::vector<std::string>{"IMG_0001.HEIC\tIMG_0001.JPG", "IMG_0002.HEIC\tIMG_0002 export.jpg"}));
  const ProgramRun moved = Cli({"--similar", "--extract", S});
  EXPECT_EQ(moved.status, 0) << moved.err;
  EXPECT_EQ(Gone(S, before), (std::set<std::string>{"IMG_0001.JPG", "IMG_0002 export.jpg"})) << moved.out;
  EXPECT_EQ(Cli({"--undo", S}).status, 0);
  EXPECT_EQ(Files(S), before);
}

// A copy of a Live Photo moves with its own video and sidecar, and the
// videos are no group of their own: the pair is never split.
TEST_F(Companions, APicturesVideoAndSidecarGoWhereItGoes) {
  Write("IMG_0003.HEIC", "the live photo's still");
  Write("IMG_0003 (1).HEIC", "the live photo's still");
  testing::WriteLivePhotoMovie(P("IMG_0003.MOV"), "the same video");
  testing::WriteLivePhotoMovie(P("IMG_0003 (1).MOV"), "the same video");
  Write("IMG_0003 (1).AAE", "edits of the copy");
  // A movie with no picture of its name is a file as any other.
  testing::WriteLivePhotoMovie(P("clip.mov"), "a clip");
  testing::WriteLivePhotoMovie(P("clip (1).mov"), "a clip");
  const auto before = Files(S);

  EXPECT_EQ(Groups({}), (std::vector<std::string>{"IMG_0003.HEIC\tIMG_0003 (1).HEIC", "clip.mov\tclip (1).mov"}));
  const ProgramRun moved = Cli({"--extract", S});
  EXPECT_EQ(moved.status, 0) << moved.err;
  EXPECT_EQ(Gone(S, before),
            (std::set<std::string>{"IMG_0003 (1).HEIC", "IMG_0003 (1).MOV", "IMG_0003 (1).AAE", "clip (1).mov"}))
      << moved.out;
  std::set<std::string> below;
  for (const auto& [path, bytes] : Files(S))
    if (path.starts_with("same")) below.insert(path.substr(path.find('/') + 1));
  EXPECT_EQ(below, (std::set<std::string>{"IMG_0003_same/IMG_0003 (1).HEIC", "IMG_0003_same/IMG_0003 (1).MOV",
                                          "IMG_0003_same/IMG_0003 (1).AAE", "clip_same/clip (1).mov"}));
  EXPECT_EQ(Cli({"--undo", S}).status, 0);
  EXPECT_EQ(Files(S), before);
}

// A PNG screenshot enlarged from a smaller camera JPEG has more pixels; the
// camera's JPEG still stays. More pixels decide between files that are
// equally original.
TEST_F(Companions, TheCameraOriginalStaysBeforeAnEnlargedScreenshot) {
  if (!Drawing()) GTEST_SKIP() << "no thumbnail library built";
  const testing::Scene one(61), two(62);
  ASSERT_TRUE(testing::WriteJpegRgb(P("DSC_0001.JPG"), one.Render(320, 240), 92));
  ASSERT_TRUE(testing::AddCameraExif(P("DSC_0001.JPG"), "NIKON CORPORATION", "NIKON D750", "2021:03:04 05:06:07"));
  ASSERT_TRUE(testing::WritePng(P("Screenshot 2024-01-01.png"), one.Render(640, 480)));
  ASSERT_TRUE(testing::WritePng(P("drawing.png"), two.Render(640, 480)));
  ASSERT_TRUE(testing::WriteJpegRgb(P("drawing small.jpg"), two.Render(320, 240), 92));
  EXPECT_EQ(Groups({"--similar"}), (std::vector<std::string>{"DSC_0001.JPG\tScreenshot 2024-01-01.png",
                                                             "drawing.png\tdrawing small.jpg"}));
  // The rule the user asks for still puts pixels first.
  EXPECT_EQ(Groups({"--similar", "--keep", "pixels"}),
            (std::vector<std::string>{"Screenshot 2024-01-01.png\tDSC_0001.JPG", "drawing.png\tdrawing small.jpg"}));
}

// --keep oldest: the camera original taken in 2019 but copied to the disk
// last year stays before the messaging app's stripped copy received in
// 2023; where the dates tie, the name without a copy marker stays.
TEST_F(Companions, KeepOldestComparesEachFilesOwnBestDate) {
  if (!Drawing()) GTEST_SKIP() << "no thumbnail library built";
  const testing::Scene one(71), two(72);
  ASSERT_TRUE(testing::WriteJpegRgb(P("IMG_1.jpg"), one.Render(320, 240), 92));
  ASSERT_TRUE(testing::AddCameraExif(P("IMG_1.jpg"), "Apple", "iPhone 8", "2019:05:01 10:00:00"));
  ASSERT_TRUE(testing::WriteJpegRgb(P("IMG-20230101-WA0001.jpg"), one.Render(240, 180), 60));
  SetTime(P("IMG_1.jpg"), 1704067200);                // 2024-01-01
  SetTime(P("IMG-20230101-WA0001.jpg"), 1672531200);  // 2023-01-01
  EXPECT_EQ(Groups({"--similar", "--keep", "oldest"}), std::vector<std::string>{"IMG_1.jpg\tIMG-20230101-WA0001.jpg"});
  for (const char* name : {"IMG_1.jpg", "IMG-20230101-WA0001.jpg"}) fs::remove(P(name));
  ASSERT_TRUE(testing::WriteJpegRgb(P("IMG_3.jpg"), two.Render(320, 240), 92));
  ASSERT_TRUE(testing::AddCameraExif(P("IMG_3.jpg"), "Apple", "iPhone 8", "2020:01:01 00:00:00"));
  ASSERT_TRUE(testing::WriteJpegRgb(P("IMG_3 (1).jpg"), two.Render(320, 240), 70));
  ASSERT_TRUE(testing::AddCameraExif(P("IMG_3 (1).jpg"), "Apple", "iPhone 8", "2020:01:01 00:00:00"));
  SetTime(P("IMG_3.jpg"), 1704067200);
  SetTime(P("IMG_3 (1).jpg"), 1609459200);  // 2021-01-01
  EXPECT_EQ(Groups({"--similar", "--keep", "oldest"}), std::vector<std::string>{"IMG_3.jpg\tIMG_3 (1).jpg"});
}

}  // namespace
}  // namespace pictray
