// The search for the same pictures at a library's scale: crowds of pictures
// alike cut nothing, every picture left out is named, a drawing stops with
// the run, and the cache is never stale, reads only the folders searched and
// cleans up after itself.
#include <fcntl.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>

#include "engine/dupes/delete_check.h"
#include "engine/dupes/dupes.h"
#include "engine/dupes/groups.h"
#include "engine/dupes/keep_rule.h"
#include "engine/fs/memory_budget.h"
#include "engine/runs/twinscan_run.h"
#include "engine/similar/feature_cache.h"
#include "engine/similar/similar_search.h"
#include "tests/engine/similar_test_util.h"
#include "tests/support/recording_twinscan_host.h"

namespace pictray::similar {
namespace {

using dupes::FileRec;
using testing::Rgb8;
namespace stdfs = std::filesystem;

std::vector<FileRec> Listed(const std::string& dir, const dupes::KeepRule& rule = dupes::DefaultKeepRule()) {
  return testing::ListedAndGrouped(dir, rule);
}

std::set<std::vector<std::string>> Named(const std::vector<FileRec>& t, const std::vector<dupes::TwinGroup>& groups) {
  return testing::GroupNames(t, groups);
}

void SetTime(const std::string& path, std::int64_t seconds) {
  const struct timespec times[2] = {{seconds, 0}, {seconds, 0}};
  ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0) << path;
}

class SimilarScale : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!lib_.calls().Drawing()) GTEST_SKIP() << "libthumbkit.so is not built in " << PICTRAY_BIN_DIR;
    tools_.lib = lib_.calls();
    tools_.threads = 2;
    tools_.search = kLinkedSearch;
  }
  std::string Path(const std::string& name) const { return dir_.path() + "/" + name; }
  dupes::TwinReview Search(std::vector<FileRec>& t, const dupes::AbortFlag abort = nullptr) {
    return FindSimilar(fs::DefaultEnv(), t, dupes::GroupsOfTable(t), tools_, first_, {}, abort);
  }
  // `pairs` pictures each saved again at half size, newer than anything else.
  void WritePairs(int pairs) {
    for (int i = 0; i < pairs; ++i) {
      const Rgb8 p = testing::Scene(500 + unsigned(i)).Render(160, 120);
      const std::string name = "pair" + std::to_string(i);
      ASSERT_TRUE(testing::WriteJpegRgb(Path(name + ".jpg"), p, 90));
      ASSERT_TRUE(testing::WriteJpegRgb(Path(name + " small.jpg"), testing::Shrunk(p, 2), 80));
      SetTime(Path(name + ".jpg"), 2000000000);
      SetTime(Path(name + " small.jpg"), 2000000001);
    }
  }

  testing::TempDir dir_;
  testing::ThumbkitLibrary lib_;
  SimilarTools tools_;
  dupes::KeepRule first_ = dupes::DefaultKeepRule();
};

// 2,000 black frames kept first crowd every hash together; no pair is cut
// for them, and they are one group.
TEST_F(SimilarScale, ACrowdOfBlackFramesHidesNoPair) {
  const Rgb8 black = testing::MakeRgb(16, 12);
  for (int i = 0; i < 2000; ++i) {
    const std::string name = Path("black" + std::to_string(i) + ".bmp");
    ASSERT_TRUE(testing::WriteBmp(name, black, std::uint16_t(i)));
    SetTime(name, 1000000000 + i);
  }
  WritePairs(5);
  first_ = *dupes::ParseKeepRule("oldest").rule;
  std::vector<FileRec> t = Listed(dir_.path(), first_);
  const dupes::TwinReview review = Search(t);
  std::set<std::vector<std::string>> pairs;
  std::size_t blackGroups = 0, blackFiles = 0;
  for (const auto& names : Named(t, review.groups)) {
    if (names[0].starts_with("black")) {
      ++blackGroups;
      blackFiles += names.size();
    } else {
      pairs.insert(names);
    }
  }
  std::set<std::vector<std::string>> expected;
  for (int i = 0; i < 5; ++i)
    expected.insert({"pair" + std::to_string(i) + ".jpg", "pair" + std::to_string(i) + " small.jpg"});
  EXPECT_EQ(pairs, expected);
  EXPECT_EQ(blackGroups, 1u);
  EXPECT_EQ(blackFiles, 2000u);
}

// One grey saved 3,000 times, each file a little noisy: one group.
TEST_F(SimilarScale, ThreeThousandNearFlatCopiesOfOneGreyAreOneGroup) {
  for (int i = 0; i < 3000; ++i) {
    Rgb8 grey = testing::MakeRgb(24, 18);
    for (std::size_t k = 0; k < grey.px.size(); ++k) grey.px[k] = std::uint8_t(128 + ((k * 7 + std::size_t(i) * 13) % 3));
    ASSERT_TRUE(testing::WriteBmp(Path("grey" + std::to_string(i) + ".bmp"), grey, std::uint16_t(i)));
  }
  std::vector<FileRec> t = Listed(dir_.path());
  const dupes::TwinReview review = Search(t);
  ASSERT_EQ(review.groups.size(), 1u);
  EXPECT_EQ(review.groups[0].members.size(), 3000u);
}

// Pictures the search cannot compare are named with why, never left out
// silently; a picture that is drawn is not among them.
TEST_F(SimilarScale, EveryPictureLeftOutIsNamed) {
  const Rgb8 p = testing::Scene(41).Render(120, 90);
  ASSERT_TRUE(testing::WriteJpegRgb(Path("good.jpg"), p, 90));
  std::string cut = testing::ReadWhole(Path("good.jpg"));
  std::ofstream(Path("cut.jpg"), std::ios::binary) << cut.substr(0, 300);
  // A JPEG whose frame claims 60000 x 60000 pixels.
  std::string big = cut;
  const std::size_t sof = big.find("\xFF\xC0");
  ASSERT_NE(sof, std::string::npos);
  big[sof + 5] = '\xEA', big[sof + 6] = '\x60', big[sof + 7] = '\xEA', big[sof + 8] = '\x60';
  std::ofstream(Path("big.jpg"), std::ios::binary) << big;
  // A TIFF by its bytes named as a camera's raw file, which the search does not draw.
  ASSERT_TRUE(testing::WriteTiff(Path("camera.dng"), p));
  dir_.Write("notes.txt", "no picture");
  std::vector<FileRec> t = Listed(dir_.path());
  const dupes::TwinReview review = Search(t);
  std::map<std::string, dupes::SkipReason> skipped;
  for (const dupes::SkippedPicture& s : review.skipped) skipped[t[s.row].filename] = s.reason;
  const std::map<std::string, dupes::SkipReason> expected{{"cut.jpg", dupes::SkipReason::Unreadable},
                                                          {"big.jpg", dupes::SkipReason::TooLarge},
                                                          {"camera.dng", dupes::SkipReason::FormatNotDrawn}};
  EXPECT_EQ(skipped, expected);
}

// A stop ends the drawing of a picture of a quarter gigapixel between its
// rows: the drawing asks the run's budget after each row and answers that
// it drew nothing once the run is stopped.
TEST_F(SimilarScale, AStopEndsADrawingBetweenItsRows) {
  ASSERT_TRUE(testing::WriteFlatPng(Path("huge.png"), 16000, 16000));
  ASSERT_NE(lib_.calls().oneWithin, nullptr);
  std::atomic<int> abort{0};
  fs::MemoryBudget budget;
  budget.SetAbort(&abort);
  // The run's budget, stopped at the 50th row.
  struct Stopping {
    BudgetCalls run;
    std::atomic<int>* abort;
    int asked = 0;
  } stopping{budget.Calls(), &abort};
  BudgetCalls calls = stopping.run;
  calls.ctx = &stopping;
  calls.acquire = [](void* ctx, unsigned long long n) {
    const auto* s = static_cast<Stopping*>(ctx);
    return s->run.acquire(s->run.ctx, n);
  };
  calls.release = [](void* ctx, unsigned long long n) {
    const auto* s = static_cast<Stopping*>(ctx);
    s->run.release(s->run.ctx, n);
  };
  calls.stopped = [](void* ctx) {
    auto* s = static_cast<Stopping*>(ctx);
    if (++s->asked == 50) s->abort->store(1);
    return s->run.stopped(s->run.ctx);
  };
  Surface surface(64);
  EXPECT_EQ(lib_.calls().oneWithin(&calls, surface.bits(), Path("huge.png").c_str(), 64, 0, 1), 1);
  EXPECT_EQ(stopping.asked, 50) << "rows drawn after the stop";
}

class SimilarScaleCache : public SimilarScale {
 protected:
  void SetUp() override {
    SimilarScale::SetUp();
    tools_.cacheDir = cache_.path() + "/twinscan";
  }
  testing::TempDir cache_;
};

// keep.jpg and c.bmp are the same picture; c.bmp is then rewritten on its
// inode with another picture of the same byte size and its modification
// time put back. The cache does not take it for what it was.
TEST_F(SimilarScaleCache, ARewriteWithItsTimePutBackIsMeasuredAgain) {
  const Rgb8 one = testing::Scene(61).Render(160, 120), two = testing::Scene(62).Render(160, 120);
  ASSERT_TRUE(testing::WriteJpegRgb(Path("keep.jpg"), testing::Scene(61).Render(320, 240), 92));
  ASSERT_TRUE(testing::WriteBmp(Path("c.bmp"), one));
  std::vector<FileRec> t = Listed(dir_.path());
  EXPECT_EQ(Named(t, Search(t).groups), (std::set<std::vector<std::string>>{{"keep.jpg", "c.bmp"}}));

  struct stat before {};
  ASSERT_EQ(stat(Path("c.bmp").c_str(), &before), 0);
  // Rewritten in place: the same inode, the same size.
  const std::string bytes = testing::BmpBytes(two);
  ASSERT_EQ(bytes.size(), std::size_t(before.st_size));
  {
    std::fstream f(Path("c.bmp"), std::ios::binary | std::ios::in | std::ios::out);
    f.write(bytes.data(), std::streamsize(bytes.size()));
  }
  const struct timespec times[2] = {before.st_atim, before.st_mtim};
  ASSERT_EQ(utimensat(AT_FDCWD, Path("c.bmp").c_str(), times, 0), 0);
  struct stat after {};
  ASSERT_EQ(stat(Path("c.bmp").c_str(), &after), 0);
  ASSERT_EQ(after.st_ino, before.st_ino);
  ASSERT_EQ(after.st_size, before.st_size);
  ASSERT_EQ(Nanoseconds(after.st_mtim), Nanoseconds(before.st_mtim));

  t = Listed(dir_.path());
  EXPECT_TRUE(Search(t).groups.empty()) << "c.bmp holds another picture now";
}

// The table still says c.bmp is a copy of keep.jpg (as a stale cache had
// it), but its bytes hold another picture: the extraction measures both
// again and leaves it, and the deletion refuses to trash it.
TEST_F(SimilarScaleCache, NoCopyOfTheSamePictureMovesOrGoesUnmeasured) {
  ASSERT_TRUE(testing::WriteJpegRgb(Path("keep.jpg"), testing::Scene(71).Render(320, 240), 92));
  ASSERT_TRUE(testing::WriteBmp(Path("c.bmp"), testing::Scene(71).Render(160, 120)));
  testing::TempDir state;
  TwinscanBlock val;
  val.TargetFolda = dir_.path();
  val.journalDir = state.path();
  val.similar = true;
  val.similarTools = &tools_;
  val.extractSimilar = true;
  testing::RecordingTwinscanHost host;
  ThreadTwinscanAutoRun(val, host);
  val.lpData = host.tables.back();
  const auto copy = std::find_if(val.lpData.begin(), val.lpData.end(), [](const FileRec& r) { return r.filename == "c.bmp"; });
  ASSERT_NE(copy, val.lpData.end());
  ASSERT_TRUE(copy->similarCopy);
  // Another picture on the same file; the table takes it as listed now.
  ASSERT_TRUE(testing::WriteBmp(Path("c.bmp"), testing::Scene(72).Render(160, 120)));
  struct stat st {};
  ASSERT_EQ(stat(Path("c.bmp").c_str(), &st), 0);
  copy->identity = IdentityOf(st);
  const TwinscanReport r = ThreadTwinscanExtract(val, host);
  EXPECT_TRUE(stdfs::exists(Path("c.bmp"))) << "moved although it is another picture now";
  ASSERT_TRUE(r.extraction);
  EXPECT_EQ(r.extraction->movedCount, 0);

  // The same picture moved; then its kept file holds another picture, its
  // identity as recorded.
  ASSERT_TRUE(testing::WriteBmp(Path("c.bmp"), testing::Scene(71).Render(160, 120)));
  ASSERT_EQ(stat(Path("c.bmp").c_str(), &st), 0);
  copy->identity = IdentityOf(st);
  const TwinscanReport moved = ThreadTwinscanExtract(val, host);
  ASSERT_EQ(moved.end.moved.size(), 1u);
  std::vector<dupes::MovedFile> record = moved.end.moved;
  ASSERT_TRUE(testing::WriteJpegRgb(Path("keep.jpg"), testing::Scene(73).Render(320, 240), 92));
  ASSERT_EQ(stat(Path("keep.jpg").c_str(), &st), 0);
  record[0].keptIdentity = IdentityOf(st);
  const auto same = [&](const std::string& kept, const std::string& c) {
    return kLinkedSearch.same(fs::DefaultEnv(), kept, c, tools_);
  };
  const std::vector<dupes::DeleteProblem> problems =
      dupes::CheckBeforeDelete(fs::DefaultEnv(), moved.end.samedir, record, nullptr, same);
  ASSERT_EQ(problems.size(), 1u);
  EXPECT_EQ(problems[0].kind, dupes::DeleteProblem::Kind::KeptDiffers);
}

// Bytes read through the Env from the cache folder.
class CountingEnv : public fs::PosixEnv {
 public:
  explicit CountingEnv(std::string under) : under_(std::move(under)) {}
  int Open(int dir, const char* path, int flags, mode_t mode = 0) const override {
    const int fd = fs::PosixEnv::Open(dir, path, flags, mode);
    if (fd >= 0 && std::string_view(path).starts_with(under_)) counted_.insert(fd);
    return fd;
  }
  int Close(int fd) const override {
    counted_.erase(fd);
    return fs::PosixEnv::Close(fd);
  }
  ssize_t Read(int fd, void* buf, std::size_t n) const override {
    const ssize_t r = fs::PosixEnv::Read(fd, buf, n);
    if (r > 0 && counted_.count(fd)) read_ += std::size_t(r);
    return r;
  }
  std::size_t read() const { return read_; }

 private:
  std::string under_;
  mutable std::set<int> counted_;
  mutable std::size_t read_ = 0;
};

// A search over a folder of a few files reads the entries of that folder
// alone, however many other folders the cache knows; a cache file larger
// than its count allows is not read at all; entries of files gone are left
// out when the folder's file is written again.
TEST_F(SimilarScaleCache, ReadsOnlyTheFoldersSearched) {
  testing::TempDir big;
  for (int i = 0; i < 300; ++i)
    ASSERT_TRUE(testing::WriteBmp(big.path() + "/p" + std::to_string(i) + ".bmp",
                                  testing::Scene(900 + unsigned(i)).Render(24, 18)));
  std::vector<FileRec> t = Listed(big.path());
  FindSimilar(fs::DefaultEnv(), t, dupes::GroupsOfTable(t), tools_, first_, {}, nullptr);
  const std::string bigFile = FeatureCache::FileOf(tools_.cacheDir, big.path());
  ASSERT_GT(stdfs::file_size(bigFile), 300u * 1000);

  WritePairs(2);
  std::vector<FileRec> small = Listed(dir_.path());
  FindSimilar(fs::DefaultEnv(), small, dupes::GroupsOfTable(small), tools_, first_, {}, nullptr);
  const CountingEnv counting(tools_.cacheDir);
  FindSimilar(counting, small, dupes::GroupsOfTable(small), tools_, first_, {}, nullptr);
  EXPECT_GT(counting.read(), 0u);
  EXPECT_LT(counting.read(), 4u * 4000) << "read more than the entries of four small pictures";

  // Junk where the folder's cache file belongs: refused by its size alone.
  const std::string smallFile = FeatureCache::FileOf(tools_.cacheDir, dir_.path());
  std::string header = testing::ReadWhole(smallFile).substr(0, 24);
  {
    std::ofstream junk(smallFile, std::ios::binary | std::ios::trunc);
    junk << header << std::string(20 << 20, 'x');
  }
  const CountingEnv junkReader(tools_.cacheDir);
  FindSimilar(junkReader, small, dupes::GroupsOfTable(small), tools_, first_, {}, nullptr);
  EXPECT_LE(junkReader.read(), 24u);

  // Files gone: their entries go from the folder's file.
  for (int i = 100; i < 300; ++i) stdfs::remove(big.path() + "/p" + std::to_string(i) + ".bmp");
  const auto before = stdfs::file_size(bigFile);
  t = Listed(big.path());
  FindSimilar(fs::DefaultEnv(), t, dupes::GroupsOfTable(t), tools_, first_, {}, nullptr);
  EXPECT_LT(stdfs::file_size(bigFile), before / 2);
}

// Temporaries of writers killed before their rename go; a fresh one (a
// writer at work) stays, and so does nothing else of the folder.
TEST_F(SimilarScaleCache, TemporariesOfKilledWritersGo) {
  WritePairs(1);
  std::vector<FileRec> t = Listed(dir_.path());
  Search(t);
  const std::string folder = tools_.cacheDir + "/" + kCacheFolderName;
  const std::string oldOne = tools_.cacheDir + "/.similar-features.Ab12Cd";
  const std::string oldTwo = folder + "/.0123456789abcdef.Zz9Yy8";
  const std::string fresh = folder + "/.fedcba9876543210.Qq1Ww2";
  const std::string other = tools_.cacheDir + "/notes.txt";
  for (const std::string& f : {oldOne, oldTwo, fresh, other}) std::ofstream(f) << "partial";
  SetTime(oldOne, 1000000000);
  SetTime(oldTwo, 1000000000);
  // A change makes the next run write its folder's file.
  ASSERT_TRUE(testing::WriteJpegRgb(Path("new.jpg"), testing::Scene(81).Render(64, 48), 90));
  t = Listed(dir_.path());
  Search(t);
  EXPECT_FALSE(stdfs::exists(oldOne));
  EXPECT_FALSE(stdfs::exists(oldTwo));
  EXPECT_TRUE(stdfs::exists(fresh));
  EXPECT_TRUE(stdfs::exists(other));
}

}  // namespace
}  // namespace pictray::similar
