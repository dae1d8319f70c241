// The keep rule as an ordered list of criteria, its reasons, and a picture's
// companions: what the listing marks, what stays and why, what moves along.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>
#include <string>

#include "engine/dupes/companions.h"
#include "engine/dupes/dupes.h"
#include "engine/dupes/groups.h"
#include "engine/dupes/keep_rule.h"
#include "engine/dupes/twinscan_profile.h"
#include "engine/runs/twinscan_run.h"
#include "tests/support/camera_exif.h"
#include "tests/support/recording_twinscan_host.h"
#include "tests/support/temp_dir.h"
#include "texts/texts.h"

namespace pictray::dupes {
namespace {

using testing::TempDir;
namespace stdfs = std::filesystem;

// Lists, presets and refusals, as --keep and Keep= of Twinscan.ini take them.
TEST(KeepRule, ListsPresetsAndTheirErrors) {
  struct Case {
    const char* text;
    const char* rule;  // as written back; "" when refused
    KeepRuleError error;
    const char* word;
  } const cases[] = {
      {" original ", "reference,companions,original,camera,pixels,size,format,date,name", KeepRuleError::None, ""},
      {"oldest", "reference,date,companions,original,camera,pixels,size,format,name", KeepRuleError::None, ""},
      {"largest,original", "reference,size,original,companions,camera,pixels,format,date,name", KeepRuleError::None,
       ""},
      {"folder:a/./b/../c/,folder:/x", "reference,folder:a/c,folder:/x,companions,original,camera,pixels,size,format,"
                                       "date,name",
       KeepRuleError::None, ""},
      {" ", "", KeepRuleError::Empty, ""},
      {"original,,size", "", KeepRuleError::UnknownWord, ""},
      {"folder:", "", KeepRuleError::UnknownWord, "folder:"},
      {"size,largest", "", KeepRuleError::Repeated, "largest"},
      {"original,reference", "", KeepRuleError::ReferenceNotFirst, "reference"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const KeepRuleParse p = ParseKeepRule(c.text);
    EXPECT_EQ(p.error, c.error);
    EXPECT_EQ(p.word, c.word);
    ASSERT_EQ(p.rule.has_value(), c.error == KeepRuleError::None);
    if (!p.rule) continue;
    EXPECT_EQ(KeepRuleText(*p.rule), c.rule);
    EXPECT_EQ(ParseKeepRule(KeepRuleText(*p.rule)).rule, p.rule) << "written back, read again";
  }
  TempDir d;
  const std::string ini = d.Write("Twinscan.ini", "[Section0]\nKeep=pixels,newest\n");
  EXPECT_EQ(ReadKeepRule(fs::DefaultEnv(), ini).error, KeepRuleError::UnknownWord);
  d.Write("Twinscan.ini", "[Section0]\n");
  EXPECT_EQ(ReadKeepRule(fs::DefaultEnv(), ini).rule, DefaultKeepRule());
}

FileRec File(const std::string& name, std::int64_t size, std::int64_t mtimeS = 1000) {
  FileRec r;
  r.filename = name;
  r.path = "/pics/" + name;
  r.identity.size = size;
  r.identity.mtimeNs = mtimeS * 1000000000;
  r.groupable = true;
  return r;
}

PictureFacts Facts(int w, int h, PictureKind kind, bool camera = false, std::string date = "") {
  PictureFacts f;
  f.width = w;
  f.height = h;
  f.kind = kind;
  f.camera = camera;
  f.dateTaken = std::move(date);
  return f;
}

// One pair by one rule: which stays, and the reason with its values.
TEST(KeepRule, EachCriterionDecidesInItsPlaceAndSaysWhy) {
  struct Side {
    FileRec r;
    PictureFacts f;
  };
  struct Case {
    const char* what;
    const char* rule;
    Side a, b;
    bool aStays;
    KeepCriterion why;
    const char* english;
  };
  FileRec reference = File("z (1).jpg", 10);
  reference.reference = true;
  FileRec live = File("IMG_2.HEIC", 10);
  live.companions = kLiveVideo;
  FileRec sidecars = File("IMG_3 (1).jpg", 10);
  sidecars.companions = kSidecars;
  FileRec inLibrary = File("b.jpg", 10);
  inLibrary.path = "/library/2019/b.jpg";
  const Case cases[] = {
      {"a reference file first", "original", {reference, {}}, {File("z.jpg", 99), {}}, true,
       KeepCriterion::Reference, "in a reference folder"},
      {"the Live Photo before a larger export", "original",
       {live, Facts(320, 240, PictureKind::Heif, true, "2023:07:01 12:00:00")},
       {File("IMG_2 export.jpg", 90), Facts(640, 480, PictureKind::Jpeg, true, "2023:07:01 12:00:00")}, true,
       KeepCriterion::Companions, "has its Live Photo video"},
      {"sidecars go along but do not rank", "original", {File("IMG_3.jpg", 10), {}}, {sidecars, {}}, true,
       KeepCriterion::Original, "no copy marker"},
      {"no copy marker", "original", {File("a.jpg", 10), {}}, {File("a (1).jpg", 10), {}}, true,
       KeepCriterion::Original, "no copy marker"},
      {"the camera original before more pixels", "original",
       {File("DSC_1.JPG", 100), Facts(1600, 1200, PictureKind::Jpeg, true, "2021:01:01 00:00:00")},
       {File("shot.png", 900), Facts(4032, 3024, PictureKind::Lossless)}, true, KeepCriterion::Camera,
       "camera original"},
      {"more pixels among equally original files", "original",
       {File("b.jpg", 100), Facts(4032, 3024, PictureKind::Jpeg)},
       {File("b small.jpg", 300), Facts(1600, 1200, PictureKind::Jpeg)}, true, KeepCriterion::Pixels,
       "more pixels 4032x3024 > 1600x1200"},
      {"the larger file", "original", {File("c.webp", 5000), Facts(100, 100, PictureKind::WebP)},
       {File("c.jpg", 4000), Facts(100, 100, PictureKind::Jpeg)}, true, KeepCriterion::Size,
       "larger file 4.9 KB > 3.9 KB"},
      {"the format", "original", {File("d.heic", 10), Facts(10, 10, PictureKind::Heif)},
       {File("d.jpg", 10), Facts(10, 10, PictureKind::Jpeg)}, true, KeepCriterion::Format,
       "format HEIF before JPEG"},
      {"the older date taken", "original",
       {File("e2.jpg", 10, 2000), Facts(10, 10, PictureKind::Jpeg, false, "2019:05:01 10:00:00")},
       {File("e1.jpg", 10, 1000), Facts(10, 10, PictureKind::Jpeg, false, "2020:05:01 10:00:00")}, true,
       KeepCriterion::Date, "older taken 2019-05-01 10:00:00 < taken 2020-05-01 10:00:00"},
      {"the shorter name", "original", {File("f.jpg", 10), {}}, {File("ff.jpg", 10), {}}, true, KeepCriterion::Name,
       "shorter name 5 < 6 bytes"},
      {"name order", "original", {File("g.jpg", 10), {}}, {File("h.jpg", 10), {}}, true, KeepCriterion::Name,
       "first name in order"},
      {"a preferred folder", "folder:/library", {inLibrary, {}}, {File("b.jpg", 10), {}}, true,
       KeepCriterion::Folder, "in the preferred folder /library"},
      {"oldest: the same dates taken, then no copy marker", "oldest",
       {File("IMG_3.jpg", 900, 1704067200), Facts(320, 240, PictureKind::Jpeg, true, "2020:01:01 00:00:00")},
       {File("IMG_3 (1).jpg", 90, 1609459200), Facts(320, 240, PictureKind::Jpeg, true, "2020:01:01 00:00:00")},
       true, KeepCriterion::Original, "no copy marker"},
      {"without facts the picture criteria tie", "original", {File("k.jpg", 10), {}}, {File("kk.png", 10), {}}, true,
       KeepCriterion::Name, "shorter name 5 < 6 bytes"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const KeepRule rule = *ParseKeepRule(c.rule).rule;
    const bool facts = c.a.f.width > 0 || c.b.f.width > 0;
    const PictureFacts* fa = facts ? &c.a.f : nullptr;
    const PictureFacts* fb = facts ? &c.b.f : nullptr;
    EXPECT_EQ(KeptBefore(c.a.r, fa, c.b.r, fb, rule), c.aStays);
    EXPECT_EQ(KeptBefore(c.b.r, fb, c.a.r, fa, rule), !c.aStays);
    const KeepReason why = WhyKept(c.a.r, fa, c.b.r, fb, rule);
    EXPECT_EQ(why.criterion, c.why);
    EXPECT_EQ(texts::Words(why, texts::Language::English, &rule), c.english);
    // The other way round the rule would not keep `b`: a choice.
    EXPECT_EQ(WhyKept(c.b.r, fb, c.a.r, fa, rule).criterion, KeepCriterion::Chosen);
  }
  // Copies made within one second: the nanoseconds decide, and are shown.
  FileRec early = File("m.jpg", 10), late = File("n.jpg", 10);
  late.identity.mtimeNs += 120000000;
  const KeepRule original = *ParseKeepRule("original").rule;
  const KeepReason oneSecond = WhyKept(early, nullptr, late, nullptr, original);
  ASSERT_EQ(oneSecond.criterion, KeepCriterion::Date);
  const std::string said = texts::Words(oneSecond, texts::Language::English, &original);
  EXPECT_NE(said.find(".000000000 < modified "), std::string::npos) << said;
  EXPECT_NE(said.find(".120000000"), std::string::npos) << said;
  KeepReason pixels;
  pixels.criterion = KeepCriterion::Pixels;
  pixels.width[0] = 4032, pixels.height[0] = 3024, pixels.width[1] = 1600, pixels.height[1] = 1200;
  EXPECT_EQ(texts::Words(pixels, texts::Language::Japanese), "画素数が多い 4032x3024 > 1600x1200");
}

// A resize keeps the whole picture: measured on thumbnails its common area
// may come out at 97%, which is no crop.
TEST(KeepRule, CroppedOnlyWhereTheCommonAreaSaysSo) {
  const PictureFacts kept = Facts(4032, 3024, PictureKind::Heif);
  struct Case {
    PictureFacts copy;
    int common;
    int cropped;
  } const cases[] = {
      {Facts(1600, 1200, PictureKind::Jpeg), 97, 0},   // a plain resize, measured short
      {Facts(1600, 1199, PictureKind::Jpeg), 95, 0},   // rounded a pixel
      {Facts(1600, 1200, PictureKind::Jpeg), 100, 0},
      {Facts(1600, 1200, PictureKind::Jpeg), 90, 90},  // the same shape, cropped on every side
      {Facts(3024, 3024, PictureKind::Jpeg), 97, 97},  // cropped to a square
      {Facts(3024, 3024, PictureKind::Jpeg), 75, 75},
      {Facts(0, 0, PictureKind::Other), 90, 90},       // no size known: the common area alone
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.copy.width) + "x" + std::to_string(c.copy.height) + " " + std::to_string(c.common));
    Likeness l;
    l.identical = false;
    l.commonAreaPercent = c.common;
    EXPECT_EQ(DifferenceOf(kept, c.copy, l).croppedPercent, c.cropped);
  }
}

// The listing marks each picture's companions and the companions
// themselves; a movie is one by its content as well as its name.
TEST(Companions, TheListingMarksVideosAndSidecarsByFolderAndStem) {
  TempDir d;
  testing::WriteLivePhotoMovie(d.path() + "/IMG_1.MOV");
  d.Write("IMG_1.HEIC", "still one");
  d.Write("IMG_1.JPG", "its export");
  d.Write("IMG_2.HEIC", "still two");
  d.Write("IMG_2.MOV", "\xFF\xD8\xFF not a movie at all");
  d.Write("IMG_3.CR2", "raw");
  d.Write("IMG_3.CR2.xmp", "keywords");
  d.Write("IMG_3.JPG", "its jpeg");
  d.Write("IMG_4.jpg", "four");
  d.Write("IMG_4.AAE", "edits");
  testing::WriteLivePhotoMovie(d.path() + "/clip.mp4");
  d.Write("clip.xmp", "a video's own sidecar");
  d.Write("lone.thm", "no picture");
  stdfs::create_directory(d.path() + "/sub");
  testing::WriteLivePhotoMovie(d.path() + "/sub/IMG_4.MOV");
  const std::vector<FileRec> t = SetListView(fs::DefaultEnv(), d.path(), nullptr);
  std::map<std::string, std::pair<int, bool>> marks;
  for (const FileRec& r : t) marks[r.filename] = {r.companions, r.companion};
  const std::map<std::string, std::pair<int, bool>> expected{
      {"IMG_1.MOV", {0, true}},        {"IMG_1.HEIC", {kLiveVideo, false}}, {"IMG_1.JPG", {kLiveVideo, false}},
      {"IMG_2.HEIC", {0, false}},      {"IMG_2.MOV", {0, false}},           {"IMG_3.CR2", {kSidecars, false}},
      {"IMG_3.CR2.xmp", {0, true}},    {"IMG_3.JPG", {0, false}},           {"IMG_4.jpg", {kSidecars, false}},
      {"IMG_4.AAE", {0, true}},        {"clip.mp4", {kSidecars, false}},    {"clip.xmp", {0, true}},
      {"lone.thm", {0, true}},
  };
  EXPECT_EQ(marks, expected);
  EXPECT_EQ(std::string(StemKey("/a.b/IMG_1.HEIC")), "/a.b/IMG_1");
  EXPECT_EQ(std::string(StemKey("/a.b/noext")), "/a.b/noext");
}

std::map<std::string, std::string> FilesBelow(const std::string& root) {
  std::map<std::string, std::string> files;
  for (const auto& e : stdfs::recursive_directory_iterator(root))
    if (e.is_regular_file()) files[stdfs::relative(e.path(), root).string()] = testing::ReadWhole(e.path().string());
  return files;
}

// The review keeps the copy of a Live Photo: the original goes with its
// video and sidecar, journalled, the undo brings all back; the group says
// why its kept file stayed, and then that it was chosen; the end says how
// many files moved and their size.
TEST(Companions, TheReviewsChoiceTakesThePicturesVideoAlongAndTheEndCountsIt) {
  TempDir d, state;
  d.Write("IMG_5.HEIC", std::string(600, 'h'));
  d.Write("IMG_5 (1).HEIC", std::string(600, 'h'));
  testing::WriteLivePhotoMovie(d.path() + "/IMG_5.MOV", std::string(100, 'v'));
  testing::WriteLivePhotoMovie(d.path() + "/IMG_5 (1).MOV", std::string(100, 'v'));
  d.Write("IMG_5.AAE", "edits");
  const auto before = FilesBelow(d.path());

  TwinscanBlock val;
  val.TargetFolda = d.path();
  val.journalDir = state.path();
  testing::RecordingTwinscanHost host;
  ThreadTwinscanAutoRun(val, host);
  ASSERT_EQ(host.reviews.size(), 1u);
  std::vector<TwinGroup> groups = host.reviews.back().groups;
  ASSERT_EQ(groups.size(), 1u) << "the videos are no group of their own";
  val.lpData = host.tables.back();
  const TwinGroup& g = groups[0];
  EXPECT_EQ(val.lpData[g.members[g.kept].row].filename, "IMG_5.HEIC");
  EXPECT_EQ(g.why.criterion, KeepCriterion::Original) << "both with their videos";
  EXPECT_EQ(texts::Words(g.why, texts::Language::English), "no copy marker");
  MakeKept(groups, 0, g.kept == 0 ? 1 : 0);
  EXPECT_EQ(groups[0].why.criterion, KeepCriterion::Chosen);
  val.chosen = groups;
  const TwinscanReport r = ThreadTwinscanExtract(val, host);
  std::set<std::string> moved;
  for (const auto& [path, bytes] : FilesBelow(r.end.samedir)) moved.insert(path);
  EXPECT_EQ(moved, (std::set<std::string>{"IMG_5 (1)_same/IMG_5.HEIC", "IMG_5 (1)_same/IMG_5.MOV",
                                          "IMG_5 (1)_same/IMG_5.AAE"}));
  ASSERT_TRUE(r.extraction);
  EXPECT_EQ(r.extraction->movedCount, 3);
  EXPECT_EQ(r.extraction->movedBytes, 600u + stdfs::file_size(d.path() + "/IMG_5 (1).MOV") + 5u);
  ASSERT_FALSE(host.texts.empty());
  EXPECT_NE(host.texts.back().find("フォルダを作成して抽出: 3件、"), std::string::npos) << host.texts.back();

  val.samedir = r.end.samedir;
  val.moved = r.end.moved;
  host.answers = {6, 6};
  ThreadTwinscanUndo(val, host);
  EXPECT_EQ(FilesBelow(d.path()), before);
  // The steps a terminal would follow.
  std::set<TwinscanStep> steps;
  for (const auto& s : host.steps) steps.insert(s.step);
  EXPECT_EQ(steps, (std::set<TwinscanStep>{TwinscanStep::Listing, TwinscanStep::Keying, TwinscanStep::Grouping,
                                           TwinscanStep::Extracting}));
}

}  // namespace
}  // namespace pictray::dupes
