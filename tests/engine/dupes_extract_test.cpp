#include <fcntl.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "engine/dupes/dupes.h"
#include "engine/dupes/extract.h"
#include "tests/support/temp_dir.h"

namespace pictray::dupes {
namespace {

using pictray::testing::TempDir;
namespace fs = std::filesystem;

const TimeStamp kWhen{2024, 3, 5, 14, 7, 45};

std::vector<FileRec> Grouped(const std::string& folder) {
  std::vector<FileRec> t = SetListView(folder, nullptr);
  SetSizeWork(t);
  SortFileTable(t, 0);
  SetFolda(t);
  return t;
}

std::set<std::string> Entries(const std::string& folder) {
  std::set<std::string> names;
  for (const auto& e : fs::directory_iterator(folder)) names.insert(e.path().filename().string());
  return names;
}

std::string Slurp(const std::string& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

std::string Big(char middle) {
  std::string s(1000, 'p');
  s[500] = middle;
  return s;
}

TEST(DupesGroup, ThreeCopiesShareTheKeptNameFolder) {
  TempDir dir;
  dir.Write("a.b.jpg", "same bytes");
  dir.Write("c.jpg", "same bytes");
  dir.Write("d.jpg", "same bytes");
  dir.Write("other.jpg", "other byte");
  std::vector<FileRec> t = Grouped(dir.path());
  int kept = 0;
  std::string keptFile;
  for (const FileRec& r : t) {
    if (r.filename == "other.jpg") {
      EXPECT_EQ(r.folda, "---");
      EXPECT_EQ(r.sameno, "0");
    } else if (r.sameno == "0") {
      ++kept;
      keptFile = r.file;
      EXPECT_EQ(r.folda, "---");
      EXPECT_EQ(r.firstfile, "");
    }
  }
  ASSERT_EQ(kept, 1);
  std::multiset<std::string> numbers;
  for (const FileRec& r : t) {
    if (r.filename == "other.jpg" || r.sameno == "0") continue;
    numbers.insert(r.sameno);
    EXPECT_EQ(r.firstfile, keptFile);
    EXPECT_EQ(r.folda, RemoveExtension(keptFile) + "_same");
  }
  EXPECT_EQ(numbers, (std::multiset<std::string>{"1", "2"}));
}

TEST(DupesGroup, KeptNameWithSeveralDotsLosesOneMoreExtension) {
  std::vector<FileRec> t(2);
  for (FileRec& r : t) {
    r.samekey = "3616263";
    r.groupable = true;
    r.folda = "---";
  }
  t[0].file = "a.b";
  t[0].path = "/f/a.b.jpg";
  t[1].file = "z";
  SetFolda(t);
  EXPECT_EQ(t[1].folda, "a_same");
  EXPECT_EQ(t[1].firstfile, "a.b");
  EXPECT_EQ(t[1].keptPath, "/f/a.b.jpg");
}

TEST(DupesGroup, LinksAreNeitherKeptNorCopiesAndDoNotBreakARun) {
  TempDir dir;
  dir.Write("a.jpg", "abc");
  dir.Write("b.jpg", "abc");
  fs::create_symlink(dir.path() + "/a.jpg", dir.path() + "/alink.jpg");
  fs::create_symlink(dir.path() + "/b.jpg", dir.path() + "/blink.jpg");
  std::vector<FileRec> t = Grouped(dir.path());
  int copies = 0;
  for (const FileRec& r : t) {
    if (r.filename.find("link") != std::string::npos) {
      EXPECT_EQ(r.folda, "---");
      EXPECT_EQ(r.sameno, "");
    } else if (r.sameno == "1") {
      ++copies;
    }
  }
  EXPECT_EQ(copies, 1);
}

TEST(DupesExtract, FolderNameIsTheTimeStampWithoutLeadingZeros) {
  EXPECT_EQ(SameFolderName(kWhen), "same20243514745");
}

TEST(DupesExtract, ThreeCopiesEndInOneSurplusFolderCountingTwo) {
  TempDir dir;
  dir.Write("a.b.jpg", "same bytes");
  dir.Write("c.jpg", "same bytes");
  dir.Write("d.jpg", "same bytes");
  std::vector<FileRec> t = Grouped(dir.path());
  std::vector<int> progress;
  std::size_t lineCalls = 0;
  ExtractResult res = MakeFoldaAndMove(
      t, dir.path(), kWhen, false,
      {[&](int p) { progress.push_back(p); }, [&](std::size_t, const SameResultLine&) { ++lineCalls; }});
  EXPECT_EQ(res.movedCount, 2);
  EXPECT_EQ(res.failed + res.differs + res.changed, 0);
  EXPECT_EQ(res.samedir, dir.path() + "/same20243514745/");
  ASSERT_EQ(res.lines.size(), 1u);
  const SameResultLine& l = res.lines[0];
  EXPECT_EQ(l.count, 2);
  EXPECT_EQ(l.mode, "new");
  EXPECT_EQ(l.path, res.samedir + l.folda);
  EXPECT_EQ(lineCalls, 2u);
  EXPECT_EQ(progress.back(), 100);
  EXPECT_EQ(Entries(l.path).size(), 2u);
  EXPECT_EQ(Entries(l.path).count(l.firstFile), 1u);
  // The kept file is the one left beside the extraction folder.
  std::set<std::string> left = Entries(dir.path());
  EXPECT_EQ(left.size(), 2u);
  EXPECT_EQ(left.count("same20243514745"), 1u);
}

TEST(DupesExtract, NothingToMoveLeavesNoFolder) {
  TempDir dir;
  dir.Write("a.jpg", "one");
  dir.Write("b.jpg", "two");
  ExtractResult res = MakeFoldaAndMove(Grouped(dir.path()), dir.path(), kWhen, false, {});
  EXPECT_EQ(res.samedir, "");
  EXPECT_TRUE(res.lines.empty());
  EXPECT_EQ(Entries(dir.path()), (std::set<std::string>{"a.jpg", "b.jpg"}));
}

TEST(DupesExtract, PairDifferingInTheMiddleStays) {
  TempDir dir;
  dir.Write("a.jpg", Big('x'));
  dir.Write("b.jpg", Big('y'));
  std::vector<FileRec> t = Grouped(dir.path());
  int copies = 0;
  for (const FileRec& r : t) copies += r.sameno == "1";
  ASSERT_EQ(copies, 1);  // the key alone takes them for copies
  ExtractResult res = MakeFoldaAndMove(t, dir.path(), kWhen, false, {});
  EXPECT_EQ(res.differs, 1);
  EXPECT_EQ(res.movedCount, 0);
  EXPECT_EQ(res.samedir, "");
  EXPECT_EQ(Entries(dir.path()), (std::set<std::string>{"a.jpg", "b.jpg"}));
  EXPECT_EQ(Slurp(dir.path() + "/a.jpg"), Big('x'));
  EXPECT_EQ(Slurp(dir.path() + "/b.jpg"), Big('y'));
}

TEST(DupesExtract, DryRunReportsTheMovesAndChangesNothing) {
  TempDir dir;
  dir.Write("a.jpg", Big('x'));
  dir.Write("b.jpg", Big('x'));
  dir.Write("c.jpg", Big('z'));
  ExtractResult res = MakeFoldaAndMove(Grouped(dir.path()), dir.path(), kWhen, true, {});
  EXPECT_EQ(res.movedCount, 1);
  EXPECT_EQ(res.differs, 1);
  EXPECT_EQ(res.samedir, "");
  EXPECT_TRUE(res.moved.empty());
  ASSERT_EQ(res.lines.size(), 1u);
  EXPECT_EQ(res.lines[0].count, 1);
  EXPECT_EQ(Entries(dir.path()), (std::set<std::string>{"a.jpg", "b.jpg", "c.jpg"}));
}

TEST(DupesExtract, CopyChangedSinceListingStays) {
  TempDir dir;
  dir.Write("a.jpg", "abc");
  dir.Write("b.jpg", "abc");
  std::vector<FileRec> t = Grouped(dir.path());
  for (const FileRec& r : t)
    if (r.sameno == "1") {
      struct timespec times[2] = {{0, UTIME_OMIT}, {12345, 0}};
      ASSERT_EQ(::utimensat(AT_FDCWD, r.path.c_str(), times, 0), 0);
    }
  ExtractResult res = MakeFoldaAndMove(t, dir.path(), kWhen, false, {});
  EXPECT_EQ(res.changed, 1);
  EXPECT_EQ(res.movedCount, 0);
  EXPECT_EQ(Entries(dir.path()), (std::set<std::string>{"a.jpg", "b.jpg"}));
}

TEST(DupesExtract, FailedMovesCountAsFailedAndReplaceNothing) {
  TempDir dir;
  dir.Write("a.jpg", "abc");
  dir.Write("b.jpg", "abc");
  std::vector<FileRec> t = Grouped(dir.path());
  std::string copyName, folda;
  for (const FileRec& r : t)
    if (r.sameno == "1") copyName = r.filename, folda = r.folda;
  // An earlier extraction of the same millisecond left a different file
  // under the name the copy would take.
  const std::string occupied = dir.path() + "/same20243514745/" + folda;
  fs::create_directories(occupied);
  dir.Write("same20243514745/" + folda + "/" + copyName, "earlier");
  ExtractResult res = MakeFoldaAndMove(t, dir.path(), kWhen, false, {});
  EXPECT_EQ(res.failed, 1);
  EXPECT_EQ(res.movedCount, 0);
  EXPECT_TRUE(res.lines.empty());
  EXPECT_EQ(res.samedir, "");
  EXPECT_EQ(Slurp(occupied + "/" + copyName), "earlier");
  EXPECT_EQ(Slurp(dir.path() + "/" + copyName), "abc");

  // The surplus folder's place taken by a file: the folder cannot be made.
  TempDir dir2;
  dir2.Write("a.jpg", "abc");
  dir2.Write("b.jpg", "abc");
  dir2.Write("same20243514745", "a file, not a folder");
  res = MakeFoldaAndMove(Grouped(dir2.path()), dir2.path(), kWhen, false, {});
  EXPECT_EQ(res.failed, 1);
  EXPECT_FALSE(res.outcomes.at(0).reason.empty());
  EXPECT_EQ(Entries(dir2.path()), (std::set<std::string>{"a.jpg", "b.jpg", "same20243514745"}));
}

TEST(DupesExtract, MoveNoReplaceRefusesAnExistingTarget) {
  TempDir dir;
  const std::string a = dir.Write("a", "new"), b = dir.Write("b", "old");
  std::string error;
  EXPECT_FALSE(MoveNoReplace(a, b, error));
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(Slurp(a), "new");
  EXPECT_EQ(Slurp(b), "old");
  EXPECT_TRUE(MoveNoReplace(a, dir.path() + "/c", error));
  EXPECT_EQ(Slurp(dir.path() + "/c"), "new");
}

TEST(DupesExtract, DeletionIsRefusedWhenAKeptFileOrACopyChanged) {
  TempDir dir;
  dir.Write("a.jpg", "abc");
  dir.Write("b.jpg", "abc");
  ExtractResult res = MakeFoldaAndMove(Grouped(dir.path()), dir.path(), kWhen, false, {});
  ASSERT_EQ(res.moved.size(), 1u);
  EXPECT_TRUE(CheckBeforeDelete(res.moved).empty());
  ASSERT_EQ(::unlink(res.moved[0].keptPath.c_str()), 0);
  EXPECT_EQ(CheckBeforeDelete(res.moved), std::vector<std::string>{res.moved[0].to});
}

}  // namespace
}  // namespace pictray::dupes
