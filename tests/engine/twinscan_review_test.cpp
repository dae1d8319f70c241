// The review's choices are what the extraction moves: the kept file chosen,
// files and groups left out, copies of the same picture, and the sidecars
// that go with each copy; the undo takes all of it back.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>

#include "engine/dupes/delete_check.h"
#include "engine/dupes/groups.h"
#include "engine/runs/twinscan_run.h"
#include "engine/runs/undo_run.h"
#include "engine/similar/similar_search.h"
#include "tests/engine/similar_test_util.h"
#include "tests/support/recording_twinscan_host.h"
#include "tests/support/temp_dir.h"

namespace pictray {
namespace {

using dupes::FileRec;
using dupes::TwinGroup;
using testing::RecordingTwinscanHost;
using testing::TempDir;
namespace fs = std::filesystem;

// Every file below `root` by its path there, with its bytes.
std::map<std::string, std::string> Files(const std::string& root) {
  std::map<std::string, std::string> files;
  for (const auto& e : fs::recursive_directory_iterator(root)) {
    if (!e.is_regular_file()) continue;
    std::ifstream in(e.path(), std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    files[fs::relative(e.path(), root).string()] = bytes.str();
  }
  return files;
}

// The group whose kept file is `name`.
std::size_t GroupKeeping(const std::vector<TwinGroup>& groups, const std::vector<FileRec>& table,
                         const std::string& name) {
  for (std::size_t g = 0; g < groups.size(); ++g)
    if (table[groups[g].members[groups[g].kept].row].filename == name) return g;
  ADD_FAILURE() << "no group keeps " << name;
  return 0;
}

std::size_t MemberNamed(const TwinGroup& g, const std::vector<FileRec>& table, const std::string& name) {
  for (std::size_t m = 0; m < g.members.size(); ++m)
    if (table[g.members[m].row].filename == name) return m;
  ADD_FAILURE() << "no member " << name;
  return 0;
}

std::size_t RowNamed(const std::vector<FileRec>& table, const std::string& name) {
  for (std::size_t r = 0; r < table.size(); ++r)
    if (table[r].filename == name) return r;
  ADD_FAILURE() << "no row " << name;
  return 0;
}

// b.jpg and b small.jpg: the same picture, other bytes.
void WriteSamePicture(const TempDir& d) {
  const testing::Rgb8 b = testing::Scene(41).Render(240, 180);
  ASSERT_TRUE(testing::WriteJpegRgb(d.path() + "/b.jpg", b, 92));
  ASSERT_TRUE(testing::WriteJpegRgb(d.path() + "/b small.jpg", testing::Shrunk(b, 2), 70));
}

// The search's tools, for the extraction and the deletion to measure the
// same pictures again; nothing when the library is not built.
std::optional<similar::SimilarTools> ToolsOf(const testing::ThumbkitLibrary& lib) {
  if (!lib.calls().Drawing()) return std::nullopt;
  similar::SimilarTools tools;
  tools.lib = lib.calls();
  tools.search = similar::kLinkedSearch;
  return tools;
}

dupes::SamePictureFn SameOf(const similar::SimilarTools& tools) {
  return [&tools](const std::string& kept, const std::string& copy) {
    return tools.search.same(pictray::fs::DefaultEnv(), kept, copy, tools);
  };
}

TEST(TwinscanReview, TheChoicesAreWhatMovesWithTheSidecarsAndTheUndoTakesItAllBack) {
  const testing::ThumbkitLibrary lib;
  const std::optional<similar::SimilarTools> tools = ToolsOf(lib);
  if (!tools) GTEST_SKIP() << "libthumbkit.so is not built";
  using Choose = std::function<void(std::vector<TwinGroup>&, const std::vector<FileRec>&)>;
  struct Case {
    const char* what;
    Choose choose;
    std::set<std::string> moved;  // below the extraction folder
  };
  const auto heic = [](auto& g, auto& t) { return GroupKeeping(g, t, "IMG_1.HEIC"); };
  const Case cases[] = {
      {"as found: the original stays with its own sidecar", [](auto&, auto&) {},
       {"IMG_1_same/IMG_1 (1).HEIC", "IMG_1_same/IMG_1 (1).AAE", "c_same/c (1).jpg"}},
      {"another file kept: the original goes with its sidecars",
       [&](auto& g, auto& t) { dupes::MakeKept(g, heic(g, t), MemberNamed(g[heic(g, t)], t, "IMG_1 (1).HEIC")); },
       {"IMG_1 (1)_same/IMG_1.HEIC", "IMG_1 (1)_same/IMG_1.AAE", "IMG_1 (1)_same/IMG_1.HEIC.xmp",
        "c_same/c (1).jpg"}},
      {"a file left out: its group of two is gone",
       [](auto& g, auto& t) {
         const std::size_t c = GroupKeeping(g, t, "c.jpg");
         dupes::LeaveOut(g, c, MemberNamed(g[c], t, "c (1).jpg"));
       },
       {"IMG_1_same/IMG_1 (1).HEIC", "IMG_1_same/IMG_1 (1).AAE"}},
      {"a group left out", [&](auto& g, auto& t) { dupes::LeaveOutGroup(g, heic(g, t)); }, {"c_same/c (1).jpg"}},
      {"the same picture, other bytes",
       [](auto& g, auto& t) {
         dupes::Likeness similar{false, 6, 0.93, 96};
         g.push_back(TwinGroup{{{RowNamed(t, "b.jpg"), {}}, {RowNamed(t, "b small.jpg"), similar}}, 0, {}});
       },
       {"IMG_1_same/IMG_1 (1).HEIC", "IMG_1_same/IMG_1 (1).AAE", "c_same/c (1).jpg", "b_same/b small.jpg",
        "b_same/b small.xmp"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir d, state;
    d.Write("IMG_1.HEIC", std::string(600, 'h'));
    d.Write("IMG_1 (1).HEIC", std::string(600, 'h'));
    d.Write("IMG_1.AAE", "edits of the original");
    d.Write("IMG_1.HEIC.xmp", "keywords of the original");
    d.Write("IMG_1 (1).AAE", "edits of the copy");
    WriteSamePicture(d);
    d.Write("b small.xmp", "keywords");
    d.Write("c.jpg", std::string(700, 'c'));
    d.Write("c (1).jpg", std::string(700, 'c'));
    const auto before = Files(d.path());

    TwinscanBlock val;
    val.TargetFolda = d.path();
    val.journalDir = state.path();
    val.similarTools = &*tools;
    RecordingTwinscanHost host;
    ThreadTwinscanAutoRun(val, host);
    ASSERT_EQ(host.reviews.size(), 1u);
    val.lpData = host.tables.back();
    std::vector<TwinGroup> groups = host.reviews.back().groups;
    c.choose(groups, val.lpData);
    val.chosen = groups;
    const TwinscanReport r = ThreadTwinscanExtract(val, host);
    std::set<std::string> moved;
    for (const auto& [path, bytes] : Files(r.end.samedir)) moved.insert(path);
    EXPECT_EQ(moved, c.moved);
    EXPECT_TRUE(dupes::CheckBeforeDelete(*val.env, r.end.samedir, r.end.moved, nullptr, SameOf(*tools)).empty());

    val.samedir = r.end.samedir;
    val.moved = r.end.moved;
    host.answers = {6, 6};  // take it back; the end message
    ThreadTwinscanUndo(val, host);
    EXPECT_EQ(Files(d.path()), before);
  }
}

// A copy of the same picture goes to the trash only while it and its kept
// picture are as grouped; a sidecar only while it is as moved.
TEST(TwinscanReview, DeletingCopiesOfTheSamePictureChecksThemAndTheirKeptPicture) {
  const testing::ThumbkitLibrary lib;
  const std::optional<similar::SimilarTools> tools = ToolsOf(lib);
  if (!tools) GTEST_SKIP() << "libthumbkit.so is not built";
  using Kind = dupes::DeleteProblem::Kind;
  struct Case {
    const char* what;
    const char* rewrite;  // relative to the source folder, or to the extraction folder with "same:"
    std::vector<Kind> problems;
  };
  const Case cases[] = {
      {"nothing changed", "", {}},
      {"the kept picture rewritten", "b.jpg", {Kind::KeptDiffers}},
      {"the copy rewritten", "same:b_same/b small.jpg", {Kind::Changed}},
      {"the sidecar rewritten", "same:b_same/b small.xmp", {Kind::Changed}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir d, state;
    WriteSamePicture(d);
    d.Write("b small.xmp", "keywords");
    TwinscanBlock val;
    val.TargetFolda = d.path();
    val.journalDir = state.path();
    val.similarTools = &*tools;
    RecordingTwinscanHost host;
    ThreadTwinscanAutoRun(val, host);
    val.lpData = host.tables.back();
    val.chosen = std::vector<TwinGroup>{
        {{{RowNamed(val.lpData, "b.jpg"), {}}, {RowNamed(val.lpData, "b small.jpg"), {false, 4, 0.9, 100}}}, 0, {}}};
    const TwinscanReport r = ThreadTwinscanExtract(val, host);
    ASSERT_EQ(r.end.moved.size(), 2u);
    const std::string rewrite = c.rewrite;
    if (!rewrite.empty()) {
      const std::string path = rewrite.starts_with("same:") ? r.end.samedir + rewrite.substr(5) : d.path() + "/" + rewrite;
      std::ofstream(path, std::ios::binary | std::ios::app) << "more";
    }
    std::vector<Kind> found;
    for (const dupes::DeleteProblem& p :
         dupes::CheckBeforeDelete(*val.env, r.end.samedir, r.end.moved, nullptr, SameOf(*tools)))
      found.push_back(p.kind);
    EXPECT_EQ(found, c.problems);
  }
}

// With the search for the same pictures on, the automatic extraction and
// BT01's extraction of the table move the byte-identical copies only and
// leave the same pictures to the review, unless those are asked for too.
TEST(TwinscanReview, ExtractionsOfTheTableLeaveTheSamePicturesToTheReview) {
  const testing::ThumbkitLibrary lib;
  if (!lib.calls().Drawing()) GTEST_SKIP() << "libthumbkit.so is not built";
  constexpr std::size_t kNotLooked = SIZE_MAX;
  struct Case {
    const char* what;
    bool automatic, extractSimilar;
    std::set<std::string> moved;
    std::size_t reviewed;  // files in the review's groups afterwards
  } const cases[] = {
      {"automatic", true, false, {"sea_same/sea (1).jpg"}, 2},
      {"BT01 after the search", false, false, {"sea_same/sea (1).jpg"}, kNotLooked},
      {"automatic, the same pictures asked for", true, true, {"sea_same/sea (1).jpg", "sea_same/sea small.jpg"}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir d, state;
    const testing::Rgb8 sea = testing::Scene(31).Render(320, 240);
    ASSERT_TRUE(testing::WriteJpegRgb(d.path() + "/sea.jpg", sea, 90));
    fs::copy_file(d.path() + "/sea.jpg", d.path() + "/sea (1).jpg");
    ASSERT_TRUE(testing::WriteJpegRgb(d.path() + "/sea small.jpg", testing::Shrunk(sea, 2), 50));
    similar::SimilarTools tools;
    tools.lib = lib.calls();
    tools.search = similar::kLinkedSearch;
    TwinscanBlock val;
    val.TargetFolda = d.path();
    val.journalDir = state.path();
    val.MoveSoon = c.automatic;
    val.similar = true;
    val.similarTools = &tools;
    val.extractSimilar = c.extractSimilar;
    RecordingTwinscanHost host;
    TwinscanReport r = ThreadTwinscanAutoRun(val, host);
    if (!c.automatic) {
      val.lpData = host.tables.back();
      r = ThreadTwinscanExtract(val, host);
    }
    std::set<std::string> moved;
    for (const auto& [path, bytes] : Files(r.end.samedir)) moved.insert(path);
    EXPECT_EQ(moved, c.moved);
    std::size_t reviewed = 0;
    for (const TwinGroup& g : host.reviews.back().groups) reviewed += g.members.size();
    if (c.reviewed != kNotLooked) {
      EXPECT_EQ(reviewed, c.reviewed);
    }
  }
}

}  // namespace
}  // namespace pictray
