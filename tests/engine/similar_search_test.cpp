// The search over a listed folder: groups of the same picture with the
// exact copies, the table's marks, every row's facts, a stop, and the
// feature cache that spares a second run the pixels.
#include "engine/similar/similar_search.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <functional>
#include <map>
#include <set>

#include "engine/dupes/dupes.h"
#include "engine/dupes/groups.h"
#include "engine/journal/journal.h"
#include "engine/similar/feature_cache.h"
#include "tests/engine/similar_test_util.h"

namespace pictray::similar {
namespace {

using dupes::FileRec;

// The drawings a search asked for, through the real library.
std::atomic<int> drawings{0};
MakeMinImageFn realDraw = nullptr;
int CountingDraw(unsigned char* surface, const char* path, int edge, int part, int partX) {
  ++drawings;
  return realDraw(surface, path, edge, part, partX);
}

class SimilarSearch : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!lib_.calls().Drawing()) GTEST_SKIP() << "libthumbkit.so is not built in " << PICTRAY_BIN_DIR;
    realDraw = lib_.calls().one;
    drawings = 0;
    tools_.lib = ThumbnailCalls(CountingDraw);
    tools_.threads = 2;
    const testing::Scene one(11), two(12);
    const testing::Rgb8 a = one.Render(400, 300), b = two.Render(400, 300);
    ASSERT_TRUE(testing::WriteJpegRgb(Path("sea.jpg"), a, 90));
    std::filesystem::copy_file(Path("sea.jpg"), Path("sea (1).jpg"));
    ASSERT_TRUE(testing::WriteJpegRgb(Path("sea small.jpg"), testing::Shrunk(a, 2), 60));
    ASSERT_TRUE(testing::WriteJpegRgb(Path("hill.jpg"), b, 90));
    ASSERT_TRUE(testing::WritePng(Path("hill.png"), b));
    ASSERT_TRUE(testing::WriteJpegRgb(Path("hill dark.jpg"), testing::Mapped(b, [](double v) { return v / 2; }), 90));
    dir_.Write("notes.txt", "not a picture");
    dir_.Write("notes copy.txt", "not a picture");
  }

  std::string Path(const std::string& name) const { return dir_.path() + "/" + name; }

  std::vector<FileRec> Listed() const { return testing::ListedAndGrouped(dir_.path()); }

  static std::set<std::vector<std::string>> Named(const std::vector<FileRec>& t,
                                                  const std::vector<dupes::TwinGroup>& groups) {
    return testing::GroupNames(t, groups);
  }

  testing::TempDir dir_;
  testing::ThumbkitLibrary lib_;
  SimilarTools tools_;
};

TEST_F(SimilarSearch, GroupsTheSamePicturesWithTheirExactCopies) {
  std::vector<FileRec> t = Listed();
  std::vector<SearchPhase> phases;
  const dupes::TwinReview review = FindSimilar(
      fs::DefaultEnv(), t, dupes::GroupsOfTable(t), tools_, dupes::DefaultKeepRule(),
      [&](SearchPhase p, std::size_t, std::size_t) { phases.push_back(p); }, nullptr);
  const std::set<std::vector<std::string>> expected{
      {"hill.png", "hill.jpg"}, {"notes.txt", "notes copy.txt"}, {"sea.jpg", "sea (1).jpg", "sea small.jpg"}};
  EXPECT_EQ(Named(t, review.groups), expected);
  EXPECT_EQ(drawings, 5) << "each picture drawn once, the exact copy not at all";
  ASSERT_FALSE(phases.empty());
  EXPECT_EQ(phases.front(), SearchPhase::Measuring);
  EXPECT_EQ(phases.back(), SearchPhase::Comparing);

  for (std::size_t i = 0; i < t.size(); ++i) {
    SCOPED_TRACE(t[i].filename);
    const std::map<std::string, std::pair<std::string, bool>> marks{{"sea (1).jpg", {"sea.jpg", false}},
                                                                    {"sea small.jpg", {"sea.jpg", true}},
                                                                    {"hill.jpg", {"hill.png", true}},
                                                                    {"notes copy.txt", {"notes.txt", false}}};
    const auto mark = marks.find(t[i].filename);
    if (mark == marks.end()) {
      EXPECT_EQ(t[i].sameno, "0");
      continue;
    }
    EXPECT_EQ(t[i].keptPath, Path(mark->second.first));
    EXPECT_EQ(t[i].similarCopy, mark->second.second);
    const dupes::PictureFacts facts = review.facts[i];
    const dupes::PictureFacts small{200, 150, "", dupes::PictureKind::Jpeg, false},
        large{400, 300, "", dupes::PictureKind::Jpeg, false};
    EXPECT_EQ(facts, t[i].filename == "sea small.jpg"    ? small
                     : t[i].filename == "notes copy.txt" ? dupes::PictureFacts{}
                                                         : large);
  }
  // The rows of the groups alone: "hill dark.jpg" is in none.
  std::vector<dupes::PictureFacts> grouped = review.facts;
  for (std::size_t i = 0; i < t.size(); ++i)
    if (t[i].filename == "hill dark.jpg") grouped[i] = {};
  EXPECT_EQ(ReadFacts(fs::DefaultEnv(), t, review.groups), grouped);
}

TEST_F(SimilarSearch, AStopLeavesTheTableAsListed) {
  std::vector<FileRec> t = Listed();
  const std::vector<FileRec> listed = t;
  const std::atomic<int> abort{1};
  const dupes::TwinReview review = FindSimilar(fs::DefaultEnv(), t, dupes::GroupsOfTable(t), tools_, dupes::DefaultKeepRule(), {}, &abort);
  EXPECT_EQ(drawings, 0);
  const std::set<std::vector<std::string>> exact{{"notes.txt", "notes copy.txt"}, {"sea.jpg", "sea (1).jpg"}};
  EXPECT_EQ(Named(t, review.groups), exact);
  for (std::size_t i = 0; i < t.size(); ++i) EXPECT_EQ(t[i].sameno, listed[i].sameno) << t[i].filename;
}

class SimilarCache : public SimilarSearch {
 protected:
  void SetUp() override {
    SimilarSearch::SetUp();
    tools_.cacheDir = cache_.path() + "/twinscan";
  }
  // The groups of a search over the folder as it is now, and how many
  // pictures it drew.
  std::pair<std::set<std::vector<std::string>>, int> Run() {
    drawings = 0;
    std::vector<FileRec> t = Listed();
    const dupes::TwinReview r = FindSimilar(fs::DefaultEnv(), t, dupes::GroupsOfTable(t), tools_, dupes::DefaultKeepRule(), {}, nullptr);
    return {Named(t, r.groups), drawings.load()};
  }
  std::string CacheFile() const { return FeatureCache::FileOf(tools_.cacheDir, dir_.path()); }

  testing::TempDir cache_;
  const std::set<std::vector<std::string>> expected_{
      {"hill.png", "hill.jpg"}, {"notes.txt", "notes copy.txt"}, {"sea.jpg", "sea (1).jpg", "sea small.jpg"}};
};

// A picture is drawn once: again only when it changed or was not drawn.
TEST_F(SimilarCache, DrawsOnlyWhatItDoesNotKnow) {
  const ThumbnailCalls library = tools_.lib;
  const std::set<std::vector<std::string>> exact{{"notes.txt", "notes copy.txt"}, {"sea.jpg", "sea (1).jpg"}};
  const std::set<std::vector<std::string>> changed{{"notes.txt", "notes copy.txt"},
                                                   {"sea.jpg", "sea (1).jpg", "sea small.jpg"}};
  const struct {
    const char* step;
    std::function<void()> before;
    std::set<std::vector<std::string>> groups;
    int drawn;
  } steps[] = {
      {"without the library", [&] { tools_.lib = ThumbnailCalls(); }, exact, 0},
      {"the pictures not drawn are tried again", [&] { tools_.lib = library; }, expected_, 5},
      {"a second run", [] {}, expected_, 0},
      {"a changed file",
       [&] { ASSERT_TRUE(testing::WriteJpegRgb(Path("hill.jpg"), testing::Scene(13).Render(400, 300), 90)); },
       changed, 1},
  };
  for (const auto& s : steps) {
    SCOPED_TRACE(s.step);
    s.before();
    EXPECT_EQ(Run(), std::make_pair(s.groups, s.drawn));
  }
}

TEST_F(SimilarCache, ADamagedOrForeignCacheFileIsIgnored) {
  ASSERT_EQ(Run().second, 5);
  const std::string good = testing::ReadWhole(CacheFile());
  ASSERT_GT(good.size(), 64u);
  // A damaged entry, and those after it, are measured again; a file whose
  // size is not what its header says is not read at all.
  struct Row {
    const char* name;
    std::string bytes;
    bool wholeFileRead = true;
  } rows[] = {
      {"empty", ""},
      {"cut in its header", good.substr(0, 10)},
      {"cut in an entry", good.substr(0, good.size() - 7)},
      {"a byte changed",
       [&] {
         std::string b = good;
         b[b.size() / 2] ^= 0x5A;
         return b;
       }(),
       false},
      {"another program's", "[Settings]\nKeep=oldest\n"},
      {"a count beyond the bound",
       [&] {
         std::string b = good;
         b[12] = b[13] = b[14] = b[15] = '\xFF';
         return b;
       }()},
      {"a longer file than its entries", good + std::string(100, '\0')},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    std::ofstream(CacheFile(), std::ios::binary | std::ios::trunc) << r.bytes;
    const auto [groups, drawn] = Run();
    EXPECT_EQ(groups, expected_);
    if (r.wholeFileRead) {
      EXPECT_EQ(drawn, 5);
    } else {
      EXPECT_GE(drawn, 1);
    }
    EXPECT_EQ(Run(), std::make_pair(expected_, 0)) << "the cache is written anew";
  }
  std::filesystem::remove(CacheFile());
  std::filesystem::create_directory(CacheFile());
  EXPECT_EQ(Run(), std::make_pair(expected_, 5)) << "a folder where the file belongs";
}

// The environment's variables as a test sets them.
class VariablesEnv : public fs::PosixEnv {
 public:
  explicit VariablesEnv(std::map<std::string, std::string> v) : v_(std::move(v)) {}
  std::string Variable(const char* name) const override {
    const auto it = v_.find(name);
    return it == v_.end() ? "" : it->second;
  }

 private:
  std::map<std::string, std::string> v_;
};

TEST(SimilarCacheFolder, FromTheEnvironment) {
  const struct {
    std::map<std::string, std::string> variables;
    std::string folder;
  } rows[] = {
      {{{"XDG_CACHE_HOME", "/c"}, {"HOME", "/h"}}, "/c/twinscan"},
      {{{"HOME", "/h"}}, "/h/.cache/twinscan"},
      {{{"XDG_CACHE_HOME", "relative"}, {"HOME", "/h"}}, "/h/.cache/twinscan"},
      {{{"HOME", "h"}}, ""},
      {{}, ""},
  };
  for (const auto& r : rows) EXPECT_EQ(CacheDir(VariablesEnv(r.variables), "twinscan"), r.folder) << r.folder;
}

}  // namespace
}  // namespace pictray::similar
