#include <fcntl.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <set>
#include <sstream>
#include <thread>
#include <tuple>

#include "engine/dupes/dupes.h"
#include "engine/dupes/delete_check.h"
#include "engine/move/extract.h"
#include "tests/support/journal_home.h"
#include "tests/support/temp_dir.h"

namespace pictray::dupes {
namespace {

using pictray::testing::TempDir;
using pictray::testing::TestJournals;
namespace fs = std::filesystem;

const TimeStamp kWhen{2024, 3, 5, 14, 7, 45};

std::vector<FileRec> Grouped(const std::string& folder) {
  std::vector<FileRec> t = SetListView(pictray::fs::DefaultEnv(), folder, nullptr);
  SetSizeWork(t);
  SortFileTable(t, 0);
  SetFolda(pictray::fs::DefaultEnv(), t);
  return t;
}

// Grouped with the files of each key in name order, so that a test knows
// which file of a set comes first.
std::vector<FileRec> InNameOrder(const std::string& folder) {
  std::vector<FileRec> t = SetListView(pictray::fs::DefaultEnv(), folder, nullptr);
  SetSizeWork(t);
  std::sort(t.begin(), t.end(), [](const FileRec& a, const FileRec& b) {
    return std::tie(a.samekey, a.filename) < std::tie(b.samekey, b.filename);
  });
  SetFolda(pictray::fs::DefaultEnv(), t);
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

// Writes over the file in place and puts its modification time back, as a
// tool that keeps times would.
void RewriteKeepingTime(const std::string& path, const std::string& content) {
  struct stat st {};
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  // Some kernels move the change time in clock ticks only.
  std::this_thread::sleep_for(std::chrono::milliseconds(10));
  std::ofstream(path, std::ios::binary | std::ios::trunc) << content;
  const struct timespec times[2] = {st.st_atim, st.st_mtim};
  ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
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
  TempDir dir;
  dir.Write("a.b.jpg", "abc");
  dir.Write("z.jpg", "abc");
  std::vector<FileRec> t = InNameOrder(dir.path());
  EXPECT_EQ(t[1].folda, "a_same");
  EXPECT_EQ(t[1].firstfile, "a.b");
  EXPECT_EQ(t[1].keptPath, dir.path() + "/a.b.jpg");
}

// Files of one key (same size, same first and last 100 bytes) in name
// order, one letter per content: each set of identical files is grouped and
// extracted under its own first file, wherever in the run it stands.
TEST(DupesGroup, EverySetOfIdenticalFilesInARunIsGroupedWhereverItStands) {
  struct Case {
    std::string contents, sameno, kept;  // kept: the name of each file's kept file
  };
  const Case cases[] = {
      {"xyy", "001", "011"}, {"xyxy", "0011", "0101"}, {"xxyxy", "01021", "00202"}, {"xyz", "000", "012"}};
  for (const Case& c : cases) {
    TempDir dir;
    for (std::size_t i = 0; i < c.contents.size(); ++i)
      dir.Write(std::to_string(i) + ".jpg", Big(c.contents[i]));
    const std::vector<FileRec> t = InNameOrder(dir.path());
    std::string sameno, kept;
    for (const FileRec& r : t) {
      sameno += r.sameno;
      kept += r.sameno == "0" ? r.file : r.firstfile;
      EXPECT_EQ(r.folda, r.sameno == "0" ? "---" : r.firstfile + "_same") << c.contents;
    }
    EXPECT_EQ(sameno, c.sameno) << c.contents;
    EXPECT_EQ(kept, c.kept) << c.contents;
    const ExtractResult res = MakeFoldaAndMove(pictray::fs::DefaultEnv(), t, dir.path(), TestJournals(), kWhen, false, {});
    EXPECT_EQ(res.differs + res.changed + res.failed, 0) << c.contents;
    for (const FileRec& r : t)
      EXPECT_EQ(fs::exists(res.samedir + r.folda + "/" + r.filename), r.sameno != "0") << r.path;
  }
}

// Reading only the needed keys compares small files of a shared size while
// it lists them; grouping then trusts that comparison only for files still as
// listed, and reads the rest, as keying every file does.
TEST(DupesGroup, TheListingsComparisonGroupsAsReadingFromDiskDoes) {
  struct Case {
    const char* name;
    std::string contents;
    std::size_t size;
    std::function<void(const std::string& dir)> beforeListing, afterListing;
    std::string sameno;
  };
  const std::size_t small = 1000, large = (std::size_t{1} << 20) + 1;
  const auto rewrite = [](const char* name, char middle, std::size_t size) {
    return [=](const std::string& dir) {
      std::string content(size, 'p');
      content[size / 2] = middle;
      RewriteKeepingTime(dir + "/" + name, content);
    };
  };
  const Case cases[] = {
      {"two sets", "xyxy", small, {}, {}, "0011"},
      {"a copy rewritten alike", "xxx", small, {}, rewrite("1.jpg", 'x', small), "001"},
      {"the kept file rewritten", "xxx", small, {}, rewrite("0.jpg", 'z', small), "001"},
      {"a hard link", "xy", small, [](const std::string& d) { fs::create_hard_link(d + "/0.jpg", d + "/9.jpg"); }, {},
       "001"},
      {"past the whole read", "xyx", large, {}, {}, "001"},
  };
  for (const Case& c : cases) {
    for (const Keying keying : {Keying::AllFiles, Keying::WhereNeeded}) {
      TempDir dir;
      for (std::size_t i = 0; i < c.contents.size(); ++i) {
        std::string content(c.size, 'p');
        content[c.size / 2] = c.contents[i];
        dir.Write(std::to_string(i) + ".jpg", content);
      }
      if (c.beforeListing) c.beforeListing(dir.path());
      std::vector<FileRec> t = SetListView(pictray::fs::DefaultEnv(), dir.path(), nullptr, keying);
      if (c.afterListing) c.afterListing(dir.path());
      SetSizeWork(t);
      std::sort(t.begin(), t.end(), [](const FileRec& a, const FileRec& b) { return a.filename < b.filename; });
      SetFolda(pictray::fs::DefaultEnv(), t);
      std::string sameno;
      for (const FileRec& r : t) sameno += r.sameno;
      EXPECT_EQ(sameno, c.sameno) << c.name << (keying == Keying::AllFiles ? " (every key)" : "");
    }
  }
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
  ExtractResult res = MakeFoldaAndMove(pictray::fs::DefaultEnv(), t, dir.path(), TestJournals(), kWhen, false,
      {[&](int p) { progress.push_back(p); }, [&](std::size_t, const SameResultLine&) { ++lineCalls; }, {}, {}});
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
  ExtractResult res = MakeFoldaAndMove(pictray::fs::DefaultEnv(), Grouped(dir.path()), dir.path(), TestJournals(), kWhen, false, {});
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
  ASSERT_EQ(copies, 0);  // same key, but the bytes tell them apart
  ExtractResult res = MakeFoldaAndMove(pictray::fs::DefaultEnv(), t, dir.path(), TestJournals(), kWhen, false, {});
  EXPECT_EQ(res.differs, 0);
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
  ExtractResult res = MakeFoldaAndMove(pictray::fs::DefaultEnv(), Grouped(dir.path()), dir.path(), TestJournals(), kWhen, true, {});
  EXPECT_EQ(res.movedCount, 1);
  EXPECT_EQ(res.differs, 0);
  EXPECT_EQ(res.samedir, "");
  EXPECT_TRUE(res.moved.empty());
  ASSERT_EQ(res.lines.size(), 1u);
  EXPECT_EQ(res.lines[0].count, 1);
  EXPECT_EQ(Entries(dir.path()), (std::set<std::string>{"a.jpg", "b.jpg", "c.jpg"}));
  // A folder gone since grouping is named as such, not as copies that changed.
  const auto grouped = Grouped(dir.path());
  ASSERT_EQ(::rename(dir.path().c_str(), (dir.path() + ".gone").c_str()), 0);
  res = MakeFoldaAndMove(pictray::fs::DefaultEnv(), grouped, dir.path(), TestJournals(), kWhen, true, {});
  ::rename((dir.path() + ".gone").c_str(), dir.path().c_str());
  EXPECT_EQ(res.lockError, ENOENT);
  EXPECT_EQ(res.changed + res.movedCount, 0);
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
  ExtractResult res = MakeFoldaAndMove(pictray::fs::DefaultEnv(), t, dir.path(), TestJournals(), kWhen, false, {});
  EXPECT_EQ(res.changed, 1);
  EXPECT_EQ(res.movedCount, 0);
  EXPECT_EQ(Entries(dir.path()), (std::set<std::string>{"a.jpg", "b.jpg"}));
}

TEST(DupesExtract, FailedMovesCountAsFailedAndReplaceNothing) {
  // The surplus folder's name (the kept name + "_same") is too long to make.
  TempDir dir;
  const std::string longName(255, 'k');
  dir.Write(longName, "abc");
  dir.Write("z", "abc");
  ExtractResult res = MakeFoldaAndMove(pictray::fs::DefaultEnv(), InNameOrder(dir.path()), dir.path(), TestJournals(), kWhen, false, {});
  EXPECT_EQ(res.failed, 1);
  EXPECT_EQ(res.movedCount, 0);
  EXPECT_TRUE(res.lines.empty());
  EXPECT_EQ(res.samedir, "");
  EXPECT_EQ(res.outcomes.at(0).reason, SurplusLeft::MoveFailed);
  EXPECT_EQ(res.outcomes.at(0).err, ENAMETOOLONG);
  EXPECT_EQ(Entries(dir.path()), (std::set<std::string>{longName, "z"}));
}

// An earlier extraction's folder of the same digits, or a file of that
// name, is never taken over: the extraction gets a folder of its own.
TEST(DupesExtract, ExtractionAlwaysMakesAFolderOfItsOwn) {
  TempDir dir;
  dir.Write("a.jpg", "abc");
  dir.Write("b.jpg", "abc");
  fs::create_directories(dir.path() + "/same20243514745/a_same");
  dir.Write("same20243514745/a_same/b.jpg", "earlier");
  dir.Write("same20243514745_2", "a file");
  ExtractResult res = MakeFoldaAndMove(pictray::fs::DefaultEnv(), InNameOrder(dir.path()), dir.path(), TestJournals(), kWhen, false, {});
  EXPECT_EQ(res.movedCount, 1);
  EXPECT_EQ(res.samedir, dir.path() + "/same20243514745_3/");
  EXPECT_EQ(Slurp(res.samedir + "a_same/b.jpg"), "abc");
  EXPECT_EQ(Slurp(dir.path() + "/same20243514745/a_same/b.jpg"), "earlier");
  EXPECT_EQ(res.lines.at(0).mode, "new");
}

// Rewritten between grouping and extraction to the same size, with the same
// bytes or others, its modification time put back: no longer the file that
// was compared, so it stays.
TEST(DupesExtract, ACopyRewrittenAfterGroupingStays) {
  for (const std::string& rewrite : {Big('x'), Big('q')}) {
    TempDir dir;
    dir.Write("a.jpg", Big('x'));
    dir.Write("b.jpg", Big('x'));
    const std::vector<FileRec> t = InNameOrder(dir.path());
    RewriteKeepingTime(dir.path() + "/b.jpg", rewrite);
    const ExtractResult res = MakeFoldaAndMove(pictray::fs::DefaultEnv(), t, dir.path(), TestJournals(), kWhen, false, {});
    EXPECT_EQ(res.changed, 1);
    EXPECT_EQ(res.movedCount, 0);
    EXPECT_EQ(Entries(dir.path()), (std::set<std::string>{"a.jpg", "b.jpg"}));
  }
}

// A dry run says what the move would do: after grouping, a rewritten kept
// file (same size, time put back) or copy is caught as the move catches it,
// and untouched pairs would move without being read again. With hundreds of
// copies of two kept files the dry run's looks are shared among threads,
// each kept file looked at once for all its copies.
TEST(DupesExtract, DryRunAgreesWithTheMoveAfterChangesSinceGrouping) {
  struct Case {
    const char* rewritten;  // "" for none
    char bytes;
    // Of the copies of a.jpg and of c.jpg, `copies` each.
    int moved, differs, changed;
  };
  for (const int copies : {1, 150}) {
    const int n = copies;
    for (const Case& c : {Case{"", 'x', 2 * n, 0, 0}, Case{"a.jpg", 'q', n, n, 0}, Case{"a.jpg", 'x', 2 * n, 0, 0},
                          Case{"b000.jpg", 'q', 2 * n - 1, 0, 1}}) {
      for (const bool dryRun : {true, false}) {
        TempDir dir;
        dir.Write("a.jpg", Big('x'));
        dir.Write("c.jpg", Big('z'));
        char name[16];
        for (int i = 0; i < n; ++i) {
          std::snprintf(name, sizeof name, "b%03d.jpg", i);
          dir.Write(name, Big('x'));
          std::snprintf(name, sizeof name, "d%03d.jpg", i);
          dir.Write(name, Big('z'));
        }
        const std::vector<FileRec> t = InNameOrder(dir.path());
        if (*c.rewritten) RewriteKeepingTime(dir.path() + "/" + c.rewritten, Big(c.bytes));
        const ExtractResult res =
            MakeFoldaAndMove(pictray::fs::DefaultEnv(), t, dir.path(), TestJournals(), kWhen, dryRun, {});
        const std::string what = std::string(c.rewritten) + c.bytes + (dryRun ? " dry" : "") + std::to_string(n);
        EXPECT_EQ(res.movedCount, c.moved) << what;
        EXPECT_EQ(res.differs, c.differs) << what;
        EXPECT_EQ(res.changed, c.changed) << what;
        // One result line a surplus folder, counting what went (or would go) there.
        std::map<std::string, int> lines;
        for (const SameResultLine& line : res.lines) lines[line.folda] += line.count;
        std::map<std::string, int> expected{{"a_same", c.moved - n}, {"c_same", n}};
        if (expected["a_same"] == 0) expected.erase("a_same");
        EXPECT_EQ(lines, expected) << what;
      }
    }
  }
}

// Counts the looks (stats).
class LookCountingEnv : public pictray::fs::PosixEnv {
 public:
  int Fstatat(int dir, const char* path, struct stat& st, int flags) const override {
    ++looks;
    return PosixEnv::Fstatat(dir, path, st, flags);
  }
  mutable std::atomic<int> looks{0};
};

// A dry run right after grouping takes grouping's looks as its own: it looks
// at no file grouping found still as listed, and says the same. A copy
// rewritten before grouping forms a set alone, as without the looks.
TEST(DupesExtract, ADryRunRightAfterGroupingTakesGroupingsLooks) {
  for (const bool rewritten : {false, true}) {
    for (const bool handed : {false, true}) {
      TempDir dir;
      for (const char* name : {"a.jpg", "b.jpg", "c.jpg"}) dir.Write(name, Big('x'));
      LookCountingEnv env;
      std::vector<FileRec> t = SetListView(env, dir.path(), nullptr, Keying::WhereNeeded);
      if (rewritten) RewriteKeepingTime(dir.path() + "/b.jpg", Big('x'));
      SetSizeWork(t);
      SortFileTable(t, 0);
      LookedAsListed looked;
      SetFolda(env, t, nullptr, &looked);
      env.looks = 0;
      const ExtractResult res = MakeFoldaAndMove(env, t, dir.path(), TestJournals(), kWhen, true, {}, nullptr,
                                                 handed ? &looked : nullptr);
      const std::string what = std::string(rewritten ? "rewritten" : "") + (handed ? " handed" : "");
      EXPECT_EQ(res.movedCount, rewritten ? 1 : 2) << what;
      EXPECT_EQ(res.changed + res.differs, 0) << what;
      // Without the looks: the kept file and each copy.
      EXPECT_EQ(env.looks, handed ? 0 : rewritten ? 2 : 3) << what;
    }
  }
}

// Rewrites "b.jpg" (same bytes, same time) as the keying opens it: a change
// between the listing's look and the keying's read.
class RewriteOnOpenEnv : public LookCountingEnv {
 public:
  int Open(int dir, const char* path, int flags, mode_t mode) const override {
    if (!folder.empty() && std::string_view(path) == "b.jpg" && !rewritten.exchange(true))
      RewriteKeepingTime(folder + "/b.jpg", Big('x'));
    return LookCountingEnv::Open(dir, path, flags, mode);
  }
  std::string folder;  // empty: nothing is rewritten
  mutable std::atomic<bool> rewritten{false};
};

// Grouping right after the listing takes the look the keying made right
// after each read, and looks at nothing; a file that changed before it was
// read forms a set alone either way.
TEST(DupesGroup, GroupingRightAfterTheListingTakesTheKeyingsLooks) {
  for (const bool changed : {false, true}) {
    for (const ListingLooks listing : {ListingLooks::LookAgain, ListingLooks::JustMade}) {
      TempDir dir;
      for (const char* name : {"a.jpg", "b.jpg", "c.jpg"}) dir.Write(name, Big('x'));
      RewriteOnOpenEnv env;
      env.folder = changed ? dir.path() : "";
      std::vector<FileRec> t = SetListView(env, dir.path(), nullptr, Keying::WhereNeeded);
      SetSizeWork(t);
      SortFileTable(t, 0);
      env.looks = 0;
      LookedAsListed looked;
      SetFolda(env, t, nullptr, &looked, listing);
      std::string sameno;
      for (const FileRec& r : t) sameno += r.sameno;
      const bool justMade = listing == ListingLooks::JustMade;
      EXPECT_EQ(sameno, changed ? "001" : "012") << changed << justMade;
      EXPECT_EQ(std::count(looked.begin(), looked.end(), 1), changed ? 2 : 3) << changed << justMade;
      // Looking again: one stat for each file compared in memory.
      EXPECT_EQ(env.looks, justMade ? 0 : changed ? 2 : 3) << changed << justMade;
    }
  }
}

// Right before the trash: the extraction folder may hold nothing but the
// moved copies, each as it was moved and still equal to its kept file.
TEST(DupesExtract, DeletionIsRefusedWhenAKeptFileOrACopyChanged) {
  using Kind = DeleteProblem::Kind;
  using Change = std::function<void(const std::string& src, const std::string& samedir)>;
  struct Case {
    const char* what;
    Change change;
    std::vector<std::pair<Kind, std::string>> problems;  // paths below samedir
  };
  const Case cases[] = {
      {"nothing", [](auto&, auto&) {}, {}},
      {"copy taken out", [](auto&, auto& s) { fs::remove(s + "a_same/b.jpg"); }, {}},
      {"file beside", [](auto&, auto& s) { std::ofstream(s + "x.txt") << "x"; }, {{Kind::Foreign, "x.txt"}}},
      {"file among copies", [](auto&, auto& s) { std::ofstream(s + "a_same/c") << "x"; },
       {{Kind::Foreign, "a_same/c"}}},
      {"copy rewritten", [](auto&, auto& s) { RewriteKeepingTime(s + "a_same/b.jpg", Big('q')); },
       {{Kind::Changed, "a_same/b.jpg"}}},
      {"kept rewritten", [](auto& src, auto&) { RewriteKeepingTime(src + "/a.jpg", Big('q')); },
       {{Kind::KeptDiffers, "a_same/b.jpg"}}},
      {"kept removed", [](auto& src, auto&) { fs::remove(src + "/a.jpg"); },
       {{Kind::KeptDiffers, "a_same/b.jpg"}}},
  };
  for (const Case& c : cases) {
    TempDir dir;
    dir.Write("a.jpg", Big('x'));
    dir.Write("b.jpg", Big('x'));
    const ExtractResult res = MakeFoldaAndMove(pictray::fs::DefaultEnv(), InNameOrder(dir.path()), dir.path(), TestJournals(), kWhen, false, {});
    ASSERT_EQ(res.moved.size(), 1u);
    c.change(dir.path(), res.samedir);
    std::vector<std::pair<Kind, std::string>> found;
    for (const DeleteProblem& p : CheckBeforeDelete(pictray::fs::DefaultEnv(), res.samedir, res.moved))
      found.emplace_back(p.kind, p.path.substr(res.samedir.size()));
    EXPECT_EQ(found, c.problems) << c.what;
  }
}

// A step given a set abort flag stops before its next file: the listing
// lists nothing more, the grouping marks nothing, the extraction moves
// nothing, and the deletion check passes no copy it has not examined.
TEST(DupesExtract, EveryLongStepStopsBeforeItsNextFileOnceAborted) {
  TempDir dir;
  dir.Write("a.jpg", Big('x'));
  dir.Write("b.jpg", Big('x'));
  const std::atomic<int> stop{1};
  EXPECT_TRUE(SetListView(pictray::fs::DefaultEnv(), dir.path(), nullptr, Keying::AllFiles, nullptr, &stop).empty());
  std::vector<FileRec> t = SetListView(pictray::fs::DefaultEnv(), dir.path(), nullptr);
  SetSizeWork(t);
  SetFolda(pictray::fs::DefaultEnv(), t, &stop);
  for (const FileRec& r : t) EXPECT_EQ(r.sameno, "") << r.filename;

  const std::vector<FileRec> grouped = InNameOrder(dir.path());
  const ExtractResult stopped = MakeFoldaAndMove(pictray::fs::DefaultEnv(), grouped, dir.path(), TestJournals(), kWhen, false, {}, &stop);
  EXPECT_TRUE(stopped.aborted);
  EXPECT_EQ(stopped.movedCount, 0);
  EXPECT_EQ(stopped.samedir, "");
  EXPECT_EQ(Entries(dir.path()), (std::set<std::string>{"a.jpg", "b.jpg"}));

  const ExtractResult res = MakeFoldaAndMove(pictray::fs::DefaultEnv(), grouped, dir.path(), TestJournals(), kWhen, false, {});
  ASSERT_EQ(res.moved.size(), 1u);
  const std::vector<DeleteProblem> problems = CheckBeforeDelete(pictray::fs::DefaultEnv(), res.samedir, res.moved, &stop);
  ASSERT_EQ(problems.size(), 1u);
  EXPECT_EQ(problems[0].kind, DeleteProblem::Kind::NotExamined);
  EXPECT_EQ(problems[0].path, res.samedir + "a_same/b.jpg");
}

}  // namespace
}  // namespace pictray::dupes
