#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/dupes/decisions.h"
#include "engine/dupes/groups.h"
#include "engine/fs/folder_lock.h"
#include "tests/support/japanese_texts.h"
#include "tests/engine/similar_test_util.h"
#include "tests/support/run_program.h"

namespace pictray {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;

using CliRun = testing::ProgramRun;

// twinscan-cli; its output goes to files in `d`, outside the folder it scans.
CliRun RunCli(const TempDir& d, std::vector<std::string> args) {
  args.insert(args.begin(), std::string(PICTRAY_BIN_DIR) + "/twinscan-cli");
  return testing::RunProgram(d, std::move(args));
}

// Every path below `folder`, relative to it.
std::set<std::string> Tree(const std::string& folder) {
  std::set<std::string> all;
  for (const auto& e : fs::recursive_directory_iterator(folder))
    all.insert(fs::relative(e.path(), folder).string());
  return all;
}

class TwinscanCli : public ::testing::Test {
 protected:
  // A pair of copies (500 bytes), a pair that differs only in the middle
  // (so not copies), and single files of 9 and 10 bytes. Keys compare as
  // text: "1000..." before "10" + "74..." (ten.txt) before "500..." before "9...".
  void SetUp() override {
    S = d.path() + "/src";
    fs::create_directory(S);
    Write("a.jpg", std::string(500, 'a'));
    Write("b.jpg", std::string(500, 'a'));
    std::string m(1000, 'm');
    Write("m1.jpg", m);
    m[500] = 'x';
    Write("m2.jpg", m);
    Write("nine.txt", std::string(9, 'n'));
    Write("ten.txt", std::string(10, 't'));
  }
  void Write(const std::string& name, const std::string& content) {
    std::ofstream(S + "/" + name, std::ios::binary) << content;
  }
  TempDir d;
  std::string S;
};

TEST_F(TwinscanCli, TableIsInKeyOrderWithGroupsAndNothingMoves) {
  const std::set<std::string> before = Tree(S);
  CliRun r = RunCli(d, {S});
  EXPECT_EQ(r.status, 0) << r.err;
  ASSERT_EQ(r.lines.size(), 6u) << r.out;
  EXPECT_EQ(r.lines[2], "ten\t---\tten.txt\t10\t0\t");
  // Equal keys, different bytes: both stay.
  EXPECT_EQ(std::set<std::string>(r.lines.begin(), r.lines.begin() + 2),
            (std::set<std::string>{"m1\t---\tm1.jpg\t1000\t0\t", "m2\t---\tm2.jpg\t1000\t0\t"}));
  // Equal bytes: the first keeps "---" and "0", the next is its copy.
  const std::string& kept = r.lines[3];
  const std::string& copy = r.lines[4];
  const std::string keptFile = kept.substr(0, kept.find('\t'));
  const std::string copyFile = copy.substr(0, copy.find('\t'));
  EXPECT_EQ(kept, keptFile + "\t---\t" + keptFile + ".jpg\t500\t0\t");
  EXPECT_EQ(copy, copyFile + "\t" + keptFile + "_same\t" + copyFile + ".jpg\t500\t1\t" + keptFile);
  EXPECT_EQ(r.lines[5], "nine\t---\tnine.txt\t9\t0\t");
  EXPECT_EQ(Tree(S), before);
}

TEST_F(TwinscanCli, DryRunTellsWhatWouldMoveAndChangesNothing) {
  const std::set<std::string> before = Tree(S);
  CliRun r = RunCli(d, {"--extract", "--dry-run", S});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(Tree(S), before);
  EXPECT_NE(r.out.find("[result]\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("would move\t1\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("left, differs\t0\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("samedir\t\n"), std::string::npos) << r.out;
  EXPECT_EQ(r.out.find("moved\t"), std::string::npos) << r.out;
}

TEST_F(TwinscanCli, ExtractMovesTheVerifiedCopyOnly) {
  CliRun r = RunCli(d, {"--extract", S});
  EXPECT_EQ(r.status, 0) << r.err;
  std::string samedir;
  for (const std::string& l : r.lines)
    if (l.starts_with("samedir\t")) samedir = l.substr(8);
  ASSERT_FALSE(samedir.empty()) << r.out;
  ASSERT_TRUE(samedir.starts_with(S + "/same")) << samedir;
  EXPECT_NE(r.out.find("moved\t1\n"), std::string::npos) << r.out;
  // One of a.jpg/b.jpg stayed, the other is in <kept>_same; m1 and m2 stayed.
  const bool aKept = fs::exists(S + "/a.jpg");
  EXPECT_NE(aKept, fs::exists(S + "/b.jpg"));
  EXPECT_TRUE(fs::exists(samedir + (aKept ? "a_same/b.jpg" : "b_same/a.jpg")));
  EXPECT_TRUE(fs::exists(S + "/m1.jpg") && fs::exists(S + "/m2.jpg"));
}

TEST_F(TwinscanCli, BadArgumentsExitTwoAndAPathThatIsNoFolderListsNothing) {
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{}, {"--dry-run", S}, {"--bogus", S}, {"--reference"}, {"--extract"}}) {
    CliRun r = RunCli(d, args);
    EXPECT_EQ(r.status, 2) << (args.empty() ? "" : args[0]);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("使い方"), std::string::npos);
  }
  // A folder that cannot be read is one line on standard error, in the
  // locale's Japanese.
  for (const std::string& folder : {S + "/a.jpg", S + "/none"}) {
    CliRun r = RunCli(d, {"--extract", folder});
    EXPECT_EQ(r.status, 2) << folder;
    EXPECT_EQ(r.out, "");
    EXPECT_TRUE(r.err.starts_with("twinscan-cli: フォルダを読めません: " + folder + " (")) << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1);
  }
}

// Names holding a tab, a line feed or a backslash stay one field each.
TEST_F(TwinscanCli, TabsLineFeedsAndBackslashesAreEscapedInEveryField) {
  fs::remove_all(S);
  fs::create_directory(S);
  Write("t\tb.jpg", "same");
  Write("u\nl.jpg", "same");
  Write("v\\s.jpg", "other");
  CliRun r = RunCli(d, {"--extract", "--dry-run", S});
  EXPECT_EQ(r.status, 0) << r.err;
  ASSERT_EQ(r.lines.size(), 13u) << r.out;  // one line per file, result, copy
  EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\t'), 3 * 5 + 4 + 3 + 5);
  for (const std::string name : {"t\\tb.jpg\t", "u\\nl.jpg\t", "v\\\\s.jpg\t"})
    EXPECT_NE(r.out.find(name), std::string::npos) << name;
  EXPECT_NE(RunCli(d, {"--help"}).out.find("\\t、\\n、\\\\"), std::string::npos);
}

TEST_F(TwinscanCli, AFolderBusyWithAnotherRunMovesNothingAndExitsOne) {
  const std::set<std::string> before = Tree(S);
  FolderLock other;
  ASSERT_EQ(other.TryLock(pictray::fs::DefaultEnv(), S), 0);
  CliRun r = RunCli(d, {"--extract", S});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, std::string("twinscan-cli: ") + kFolderBusy + "\n");
  EXPECT_EQ(Tree(S), before);
}

// --similar groups the same picture saved again with the exact copies;
// --groups prints each group on a line; --extract moves the copies with
// their sidecars, and --undo brings them all back.
TEST_F(TwinscanCli, TheSamePicturesAreListedGroupedExtractedAndTakenBack) {
  if (!fs::exists(std::string(PICTRAY_BIN_DIR) + "/libthumbkit.so")) GTEST_SKIP() << "no thumbnail library built";
  ::setenv("XDG_CACHE_HOME", (d.path() + "/cache").c_str(), 1);
  const testing::Rgb8 sea = testing::Scene(21).Render(320, 240), hill = testing::Scene(22).Render(320, 240);
  ASSERT_TRUE(testing::WriteJpegRgb(S + "/sea.jpg", sea, 90));
  fs::copy_file(S + "/sea.jpg", S + "/sea (1).jpg");
  ASSERT_TRUE(testing::WriteJpegRgb(S + "/sea small.jpg", testing::Shrunk(sea, 2), 40));
  Write("sea small.xmp", "keywords");
  ASSERT_TRUE(testing::WriteJpegRgb(S + "/hill.jpg", hill, 90));
  // Found only with its subfolder.
  fs::create_directory(S + "/sub");
  ASSERT_TRUE(testing::WriteJpegRgb(S + "/sub/sea again.jpg", testing::Shrunk(sea, 2), 70));
  const auto before = Tree(S);

  struct Case {
    std::vector<std::string> args;
    std::vector<std::string> lines;  // those starting with a group's number, or every line with --groups
  } const cases[] = {
      {{"--groups", S}, {"a.jpg\tb.jpg", "sea.jpg\tsea (1).jpg"}},
      {{"--groups", "--similar", S}, {"a.jpg\tb.jpg", "sea.jpg\tsea (1).jpg\tsea small.jpg"}},
      {{"--groups", "--similar", "-r", S},
       {"a.jpg\tb.jpg", "sea.jpg\tsea (1).jpg\tsub/sea again.jpg\tsea small.jpg"}},
  };
  for (const Case& c : cases) {
    CliRun r = RunCli(d, c.args);
    EXPECT_EQ(r.status, 0) << r.err;
    std::vector<std::string> lines = r.lines;
    std::sort(lines.begin(), lines.end());
    EXPECT_EQ(lines, c.lines) << r.out;
  }
  // A dry run moves nothing: every group is still printed.
  CliRun dry = RunCli(d, {"--groups", "--extract", "--dry-run", S});
  EXPECT_EQ(dry.status, 0) << dry.err;
  for (const char* group : {"a.jpg\tb.jpg", "sea.jpg\tsea (1).jpg"})
    EXPECT_NE(std::find(dry.lines.begin(), dry.lines.end(), group), dry.lines.end()) << dry.out;
  CliRun listed = RunCli(d, {"--similar", S});
  EXPECT_EQ(listed.status, 0) << listed.err;
  EXPECT_NE(listed.out.find("\tkeep\tsea.jpg\t"), std::string::npos) << listed.out;
  EXPECT_NE(listed.out.find("\tcopy\tsea small.jpg\t"), std::string::npos) << listed.out;
  EXPECT_NE(listed.out.find("\t160x120\t"), std::string::npos) << listed.out;
  EXPECT_EQ(Tree(S), before);

  CliRun moved = RunCli(d, {"--similar", "--extract", S});
  EXPECT_EQ(moved.status, 0) << moved.err;
  std::set<std::string> gone;
  for (const std::string& p : before)
    if (!fs::exists(S + "/" + p)) gone.insert(p);
  EXPECT_EQ(gone, (std::set<std::string>{"b.jpg", "sea (1).jpg", "sea small.jpg", "sea small.xmp"})) << moved.out;
  CliRun back = RunCli(d, {"--undo", S});
  EXPECT_EQ(back.status, 0) << back.out << back.err;
  EXPECT_EQ(Tree(S), before);
}

// A library: subfolders by their relative path, several folders, a
// protected library never moved, the extraction and its undo over all of
// them, and the review's decisions honoured until forgotten.
TEST_F(TwinscanCli, ALibraryOfFoldersSubfoldersAndAReferenceFolder) {
  ::setenv("XDG_STATE_HOME", (d.path() + "/state").c_str(), 1);
  const std::string lib = d.path() + "/library", more = d.path() + "/more";
  fs::create_directories(S + "/DCIM/100");
  fs::create_directories(S + "/.thumbs");
  fs::create_directories(lib + "/2020");
  fs::create_directories(more);
  Write("DCIM/100/c.jpg", std::string(500, 'a'));
  Write(".thumbs/d.jpg", std::string(500, 'a'));
  std::ofstream(lib + "/2020/m.jpg", std::ios::binary) << std::string(1000, 'm');
  std::ofstream(lib + "/m (1).jpg", std::ios::binary) << std::string(1000, 'm');
  std::ofstream(more + "/ten (1).txt", std::ios::binary) << std::string(10, 't');
  struct Case {
    std::vector<std::string> args;
    std::vector<std::string> lines;  // sorted
  } const cases[] = {
      {{"--groups", S}, {"a.jpg	b.jpg"}},
      {{"--groups", "-r", S}, {"a.jpg	b.jpg	DCIM/100/c.jpg"}},
      {{"--groups", S, more}, {"a.jpg	b.jpg", "ten.txt	ten (1).txt"}},
      // The library's file stays; its own copy is none of ours.
      {{"--groups", "-r", "--reference", lib, S}, {"2020/m.jpg	m1.jpg", "a.jpg	b.jpg	DCIM/100/c.jpg"}},
  };
  for (const Case& c : cases) {
    CliRun r = RunCli(d, c.args);
    EXPECT_EQ(r.status, 0) << r.err;
    std::vector<std::string> lines = r.lines;
    std::sort(lines.begin(), lines.end());
    EXPECT_EQ(lines, c.lines) << c.args[1];
  }

  const std::set<std::string> before = Tree(S), libBefore = Tree(lib), moreBefore = Tree(more);
  CliRun moved = RunCli(d, {"--extract", "-r", "--reference", lib, S, more});
  EXPECT_EQ(moved.status, 0) << moved.err;
  EXPECT_EQ(Tree(lib), libBefore);
  std::set<std::string> gone;
  for (const std::string& p : before)
    if (!fs::exists(S + "/" + p)) gone.insert(p);
  EXPECT_EQ(gone, (std::set<std::string>{"b.jpg", "DCIM/100/c.jpg", "m1.jpg"})) << moved.out;
  EXPECT_FALSE(fs::exists(more + "/ten (1).txt"));
  CliRun back = RunCli(d, {"--undo", S});
  EXPECT_EQ(back.status, 0) << back.out << back.err;
  EXPECT_EQ(Tree(S), before);
  EXPECT_EQ(Tree(more), moreBefore);

  // "Leave out group", as the review remembers it: hidden, and said so.
  std::vector<dupes::FileRec> table = dupes::SetListView(pictray::fs::DefaultEnv(), S, nullptr);
  dupes::SetSizeWork(table);
  dupes::SortFileTable(table, 0);
  dupes::SetFolda(pictray::fs::DefaultEnv(), table);
  const std::vector<dupes::TwinGroup> groups = dupes::GroupsOfTable(table);
  ASSERT_EQ(groups.size(), 1u);
  ASSERT_EQ(dupes::RememberGroupLeftOut(pictray::fs::DefaultEnv(), d.path() + "/state/twinscan/decisions", table,
                                        groups[0]),
            0);
  CliRun hidden = RunCli(d, {"--groups", "-r", "--extract", S, "--lang", "en"});
  EXPECT_EQ(hidden.status, 0) << hidden.err;
  EXPECT_EQ(hidden.lines[0], "[result]") << hidden.out;
  EXPECT_NE(hidden.err.find("1 groups and 2 files hidden by earlier decisions"), std::string::npos) << hidden.err;
  EXPECT_EQ(Tree(S), before);
  CliRun forgot = RunCli(d, {"--forget-decisions", "--lang", "en"});
  EXPECT_EQ(forgot.status, 0);
  EXPECT_EQ(forgot.err, "twinscan-cli: 1 decisions forgotten\n");
  CliRun shown = RunCli(d, {"--groups", S});
  EXPECT_EQ(shown.lines, (std::vector<std::string>{"a.jpg	b.jpg"}));
  EXPECT_EQ(shown.err, "");
  ::unsetenv("XDG_STATE_HOME");
}

// A picture the search could not compare is named on standard error, with
// how many were left out, never left out silently.
TEST_F(TwinscanCli, PicturesLeftOutOfTheSearchAreNamed) {
  if (!fs::exists(std::string(PICTRAY_BIN_DIR) + "/libthumbkit.so")) GTEST_SKIP() << "no thumbnail library built";
  ::setenv("XDG_CACHE_HOME", (d.path() + "/cache").c_str(), 1);
  ASSERT_TRUE(testing::WriteJpegRgb(S + "/sea.jpg", testing::Scene(23).Render(160, 120), 90));
  const std::string whole = testing::ReadWhole(S + "/sea.jpg");
  Write("cut.jpg", whole.substr(0, 300));
  CliRun r = RunCli(d, {"--lang", "en", "--groups", "--similar", S});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find("twinscan-cli: The search for the same pictures left out 1 pictures\n"), std::string::npos)
      << r.err;
  EXPECT_NE(r.err.find("twinscan-cli: cannot be read: " + S + "/cut.jpg\n"), std::string::npos) << r.err;
  CliRun plain = RunCli(d, {"--lang", "en", "--groups", S});
  EXPECT_EQ(plain.err, "") << "the search for copies alone draws nothing";
}

// The search for copies starts without the picture libraries; the search
// for the same pictures names the library it cannot load, and stops.
TEST(TwinscanCliAlone, OnlyTheSearchForTheSamePicturesLoadsItsLibraries) {
  struct Case {
    std::vector<std::string> copied;  // beside the program
    bool similar;
    int status;
    const char* named;  // in the error, when it fails
  } const cases[] = {
      {{}, false, 0, ""},
      {{}, true, 2, "libthumbkit.so"},
      {{"libthumbkit.so"}, true, 2, "libtwinscansearch.so"},
      {{"libtwinscansearch.so"}, true, 2, "libthumbkit.so"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.named);
    TempDir d;
    fs::create_directory(d.path() + "/bin");
    fs::create_directory(d.path() + "/pics");
    std::ofstream(d.path() + "/pics/a.jpg") << "the same bytes";
    std::ofstream(d.path() + "/pics/b.jpg") << "the same bytes";
    const std::string cli = d.path() + "/bin/twinscan-cli";
    fs::copy_file(std::string(PICTRAY_BIN_DIR) + "/twinscan-cli", cli);
    for (const std::string& lib : c.copied) fs::copy_file(std::string(PICTRAY_BIN_DIR) + "/" + lib, d.path() + "/bin/" + lib);
    std::vector<std::string> args = {cli, d.path() + "/pics"};
    if (c.similar) args.insert(args.begin() + 1, "--similar");
    const CliRun r = testing::RunProgram(d, args);
    EXPECT_EQ(r.status, c.status) << r.err;
    EXPECT_NE(r.err.find(c.named), std::string::npos) << r.err;
    if (c.status == 0) {
      EXPECT_EQ(r.lines.size(), 2u) << r.out;
    }
  }
  // What the dynamic loader maps at start, as ldd shows it.
  TempDir d;
  ASSERT_EQ(::setenv("LD_TRACE_LOADED_OBJECTS", "1", 1), 0);
  const CliRun loaded = testing::RunProgram(d, {std::string(PICTRAY_BIN_DIR) + "/twinscan-cli"});
  ASSERT_EQ(::unsetenv("LD_TRACE_LOADED_OBJECTS"), 0);
  EXPECT_NE(loaded.out.find("libc.so"), std::string::npos) << loaded.out;
  EXPECT_EQ(loaded.out.find("libexiv2"), std::string::npos) << loaded.out;
  EXPECT_EQ(loaded.out.find("libjpeg"), std::string::npos) << loaded.out;
}

}  // namespace
}  // namespace pictray
