#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "engine/fs/folder_lock.h"
#include "engine/journal/undo.h"
#include "engine/move/move_run.h"
#include "engine/run/command_ids.h"
#include "engine/settings/profile.h"
#include "engine/settings/settings_store.h"
#include "tests/support/recording_host.h"
#include "tests/support/temp_dir.h"

namespace pictray {
namespace {

namespace fs = std::filesystem;
using testing::RecordingHost;
using testing::TempDir;

std::string MoveEndText(const MoveReport& r) { return texts::Words(MoveEndMessage(r), texts::Language::Japanese); }
std::string MoveFailureText(const MoveFailure& f) {
  return texts::Words(MoveFailureMessage(f), texts::Language::Japanese);
}

// The files under `root`, by their paths inside it, sorted.
std::vector<std::string> FilesUnder(const std::string& root) {
  std::vector<std::string> files;
  for (const auto& e : fs::recursive_directory_iterator(root))
    if (e.is_regular_file()) files.push_back(e.path().string().substr(root.size() + 1));
  std::sort(files.begin(), files.end());
  return files;
}

class MoveRun : public ::testing::Test {
 protected:
  void SetUp() override {
    S = dir.path() + "/src";
    fs::create_directory(S);
    st.profile = dir.path() + "/work.ini";
    st.journalDir = dir.path() + "/journals";
  }
  // A listed file with its target and kind; the file holds its own name.
  void Add(const std::string& name, const std::string& target, const std::string& k,
           bool onDisk = true, int by = 0) {
    if (onDisk) std::ofstream(S + "/" + name, std::ios::binary) << name;
    st.rows.append({Row{name, target, k, "", by}});
  }
  MoveReport Run() {
    PrepareMove(host, st, S, cmd::RgbStrength);
    st.blocks.val21.Start(S);
    return ThreadMakeFoldaAndMove(st.blocks.val21, st, host, RunRegistry::Guard(st.runs));
  }
  std::vector<std::string> Kinds() const {
    std::vector<std::string> out;
    st.rows.forEach([&](std::size_t, const Row& r) { out.push_back(r.kind); });
    return out;
  }
  bool Exists(const std::string& rel) const {
    struct stat s;
    return ::lstat((S + "/" + rel).c_str(), &s) == 0;
  }

  TempDir dir;
  std::string S;
  PictrayState st;
  RecordingHost host;
};

TEST_F(MoveRun, NewAndExistingFoldersWithResultLines) {
  fs::create_directory(S + "/Y");
  Add("a.jpg", "X", "C");
  Add("b.jpg", "X", "C");
  Add("c.jpg", "Y", "T");
  Add("d.jpg", "", "");
  Add("noext", "", "e");  // classified without a target: counted, not moved
  const MoveReport r = Run();

  const std::vector<MoveResultLine> want{{"X", 2, "a.jpg", S + "/X", "new"},
                                         {"Y", 1, "c.jpg", S + "/Y", "add"}};
  EXPECT_EQ(r.lines, want);
  EXPECT_EQ(host.moveResults, want);
  EXPECT_EQ(r.moved, 3);
  EXPECT_TRUE(r.failures.empty());
  EXPECT_EQ(Kinds(), (std::vector<std::string>{"M", "M", "M", "", "e"}));
  EXPECT_EQ(testing::ReadWhole(S + "/X/a.jpg"), "a.jpg");
  EXPECT_EQ(testing::ReadWhole(S + "/X/b.jpg"), "b.jpg");
  EXPECT_EQ(testing::ReadWhole(S + "/Y/c.jpg"), "c.jpg");
  EXPECT_TRUE(Exists("d.jpg"));
  EXPECT_TRUE(Exists("noext"));
  EXPECT_EQ(host.MessageTexts(), std::vector<std::string>{kMoveEnd});
  EXPECT_EQ(host.messages[0].caption1, "yes");
  EXPECT_EQ(host.ends, std::vector<RunEnd>{(RunEnd{cmd::MoveStart, false, false, false, true})});
  // Loading, then the rows counted, then at rest with no count standing.
  ASSERT_GE(host.progress.size(), 4u);
  EXPECT_EQ(host.progress[0], RunProgress::Stage(RunProgress::Kind::Loading));
  EXPECT_EQ(host.progress[1], RunProgress::Began(cmd::MoveStart, 5));
  EXPECT_NE(std::find(host.progress.begin(), host.progress.end(), RunProgress::Done(cmd::MoveStart, 4, 5)),
            host.progress.end());
  EXPECT_EQ(std::vector<RunProgress>(host.progress.end() - 2, host.progress.end()),
            (std::vector<RunProgress>{RunProgress::Over(cmd::MoveStart), RunProgress::Stage(RunProgress::Kind::Uncounted)}));
  EXPECT_FALSE(st.runs.Active());
}

TEST_F(MoveRun, DifferentFileOfThatNameStaysAndIsReported) {
  fs::create_directory(S + "/X");
  std::ofstream(S + "/X/a.jpg") << "other content";
  std::ofstream(S + "/X/b.jpg") << "b.jpg";  // byte-identical: may be replaced
  Add("a.jpg", "X", "C");
  Add("b.jpg", "X", "C");
  const MoveReport r = Run();

  EXPECT_EQ(testing::ReadWhole(S + "/a.jpg"), "a.jpg");
  EXPECT_EQ(testing::ReadWhole(S + "/X/a.jpg"), "other content");
  EXPECT_FALSE(Exists("b.jpg"));
  EXPECT_EQ(testing::ReadWhole(S + "/X/b.jpg"), "b.jpg");
  EXPECT_EQ(Kinds(), (std::vector<std::string>{"C", "M"}));
  ASSERT_EQ(r.failures.size(), 1u);
  EXPECT_EQ(r.failures[0].reason, MoveFailReason::DifferentFileThere);
  EXPECT_EQ(r.lines, (std::vector<MoveResultLine>{{"X", 1, "b.jpg", S + "/X", "add"}}));
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].caption1, "err");
  EXPECT_EQ(host.messages[0].text, MoveEndText(r));
  EXPECT_EQ(host.messages[0].text.rfind(kMoveEnd, 0), 0u);
  EXPECT_NE(host.messages[0].text.find("1件は移動せず"), std::string::npos);
  EXPECT_EQ(host.messages[0].text.find('\n'), std::string::npos);
}

TEST_F(MoveRun, FailuresAreCountedAndNeverMarked) {
  std::ofstream(S + "/F") << "a file where a folder should be";
  Add("a.jpg", "F", "C");
  Add("b.jpg", "..", "C");
  Add("c.jpg", ".", "C");
  Add("d.jpg", "x/../y", "C");  // nested targets are fine, a way out is not
  Add("gone.jpg", "N", "C", /*onDisk=*/false);
  const MoveReport r = Run();

  EXPECT_EQ(r.moved, 0);
  EXPECT_EQ(Kinds(), (std::vector<std::string>{"C", "C", "C", "C", "C"}));
  std::vector<MoveFailReason> reasons;
  for (const MoveFailure& f : r.failures) reasons.push_back(f.reason);
  EXPECT_EQ(reasons, (std::vector<MoveFailReason>{
                         MoveFailReason::TargetNotFolder, MoveFailReason::UnsafeTarget,
                         MoveFailReason::UnsafeTarget, MoveFailReason::UnsafeTarget,
                         MoveFailReason::SourceMissing}));
  for (const char* f : {"a.jpg", "b.jpg", "c.jpg", "d.jpg"}) EXPECT_TRUE(Exists(f)) << f;
  EXPECT_FALSE(Exists("N"));  // made for a file that was not there, then removed again
  EXPECT_FALSE(Exists("x"));
  EXPECT_TRUE(r.lines.empty());
  // Failures alone still end with the message, but no moved-folders button.
  EXPECT_EQ(host.messages.size(), 1u);
  EXPECT_FALSE(host.LastEnd().moveResults);
  EXPECT_NE(MoveFailureText(r.failures[0]).find("a.jpg -> F"), std::string::npos);
}

TEST_F(MoveRun, SecondMoveLeavesMovedRowsAlone) {
  Add("a.jpg", "X", "C");
  Run();
  host.messages.clear();
  const MoveReport again = Run();
  EXPECT_EQ(again.moved, 0);
  EXPECT_TRUE(again.failures.empty());
  EXPECT_TRUE(again.lines.empty());
  EXPECT_TRUE(host.messages.empty());
  EXPECT_EQ(testing::ReadWhole(S + "/X/a.jpg"), "a.jpg");
}

TEST_F(MoveRun, AbortStopsBeforeTheNextRow) {
  Add("a.jpg", "X", "C");
  PrepareMove(host, st, S, cmd::RgbStrength);
  st.blocks.val21.Start(S);
  st.blocks.AbortAll();
  const MoveReport r = ThreadMakeFoldaAndMove(st.blocks.val21, st, host, RunRegistry::Guard(st.runs));
  EXPECT_TRUE(r.aborted);
  EXPECT_TRUE(Exists("a.jpg"));
  EXPECT_TRUE(host.messages.empty());
}

TEST_F(MoveRun, AnotherRunOnTheFolderRefusesTheMoveWithAMessage) {
  Add("a.jpg", "X", "C");
  {
    FolderLock other;
    ASSERT_EQ(other.TryLock(pictray::fs::DefaultEnv(), S), 0);
    const MoveReport r = Run();
    EXPECT_TRUE(r.refused);
    EXPECT_EQ(r.moved, 0);
    EXPECT_TRUE(Exists("a.jpg"));
    EXPECT_FALSE(Exists("X"));
    EXPECT_EQ(Kinds(), std::vector<std::string>{"C"});
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].caption1, "err");
    EXPECT_EQ(host.messages[0].text.rfind(kFolderBusy, 0), 0u);
    EXPECT_NE(host.messages[0].text.find(S), std::string::npos);
    EXPECT_FALSE(st.runs.Active());
  }
  // The lock goes with the run that held it.
  EXPECT_EQ(Run().moved, 1);
  FolderLock after;
  EXPECT_EQ(after.TryLock(pictray::fs::DefaultEnv(), S), 0);
}

TEST_F(MoveRun, TemporaryCopiesOfAKilledMoveGoOnlyWhenTheirProcessHasEnded) {
  fs::create_directory(S + "/X");
  const pid_t child = ::fork();
  if (child == 0) ::_exit(0);
  ::waitpid(child, nullptr, 0);
  const std::string dead = ".pictray-move-" + std::to_string(child) + "-3-00c0ffee";
  const std::string live = ".pictray-move-" + std::to_string(::getpid()) + "-3-00c0ffee";
  std::ofstream(S + "/X/" + dead) << "half";
  std::ofstream(S + "/X/" + live) << "half";
  std::ofstream(S + "/" + dead) << "in the source folder, never listed";
  Add("a.jpg", "X", "C");
  Run();
  EXPECT_FALSE(Exists("X/" + dead));
  EXPECT_TRUE(Exists("X/" + live));
  EXPECT_TRUE(Exists("X/a.jpg"));
}

TEST_F(MoveRun, TargetFolderOnAnotherFileSystem) {
  char tmpl[] = "/dev/shm/pictray-test-XXXXXX";
  if (!::mkdtemp(tmpl)) GTEST_SKIP() << "no /dev/shm to move to";
  const std::string shm = tmpl;
  struct stat a, b;
  if (::stat(shm.c_str(), &a) != 0 || ::stat(S.c_str(), &b) != 0 || a.st_dev == b.st_dev) {
    fs::remove_all(shm);
    GTEST_SKIP() << "/dev/shm is not another file system than " << S;
  }
  fs::create_directory_symlink(shm, S + "/far");
  Add("a.jpg", "far", "C");
  Add("b.jpg", "far", "C");
  std::ofstream(shm + "/b.jpg") << "different";
  const MoveReport r = Run();
  EXPECT_EQ(r.moved, 1);
  EXPECT_EQ(testing::ReadWhole(shm + "/a.jpg"), "a.jpg");
  EXPECT_FALSE(Exists("a.jpg"));
  EXPECT_EQ(testing::ReadWhole(S + "/b.jpg"), "b.jpg");
  EXPECT_EQ(testing::ReadWhole(shm + "/b.jpg"), "different");
  EXPECT_EQ(std::distance(fs::directory_iterator(shm), fs::directory_iterator()), 2);
  fs::remove_all(shm);
}

TEST_F(MoveRun, SidecarsGoWithTheirPictureAndComeBackWithIt) {
  struct Case {
    const char* what;
    std::vector<std::array<const char*, 3>> rows;  // name, target, kind
    const char* taken;                             // holds other bytes before the run, or ""
    std::vector<std::string> after;
    int moved;
    std::vector<MoveFailReason> reasons;
    bool takenByALink = false;  // `taken` is another name of the sidecar itself
  };
  const Case cases[] = {
      {".xmp, listed for a folder of its own", {{{"IMG_1.JPG", "X", "C"}, {"IMG_1.xmp", "xmp", "e"}}}, "",
       {"X/IMG_1.JPG", "X/IMG_1.xmp"}, 1, {}},
      {".XMP and .THM", {{{"a.CR2", "X", "C"}, {"a.THM", "", ""}, {"a.XMP", "", ""}}}, "",
       {"X/a.CR2", "X/a.THM", "X/a.XMP"}, 1, {}},
      {".aae listed before its picture", {{{"IMG_2.AAE", "", ""}, {"IMG_2.HEIC", "X", "C"}}}, "",
       {"X/IMG_2.AAE", "X/IMG_2.HEIC"}, 1, {}},
      {"name.ext.xmp goes with that very picture",
       {{{"IMG_4.CR2", "X", "C"}, {"IMG_4.CR2.xmp", "", ""}, {"IMG_4.JPG", "Y", "C"}, {"IMG_4.JPG.xmp", "", ""}}}, "",
       {"X/IMG_4.CR2", "X/IMG_4.CR2.xmp", "Y/IMG_4.JPG", "Y/IMG_4.JPG.xmp"}, 2, {}},
      {"the stem matches as bytes", {{{"IMG_5.JPG", "X", "C"}, {"img_5.xmp", "", ""}}}, "",
       {"X/IMG_5.JPG", "img_5.xmp"}, 1, {}},
      {"without a picture, a file of its own", {{{"lone.xmp", "xmp", "e"}}}, "", {"xmp/lone.xmp"}, 1, {}},
      {"a different file holds the sidecar's name", {{{"b.jpg", "X", "C"}, {"b.xmp", "", ""}}}, "X/b.xmp",
       {"X/b.xmp", "b.jpg", "b.xmp"}, 0, {MoveFailReason::SidecarTargetTaken}},
      {"the picture cannot move", {{{"c.jpg", "X", "C"}, {"c.xmp", "", ""}}}, "X/c.jpg",
       {"X/c.jpg", "c.jpg", "c.xmp"}, 0, {MoveFailReason::DifferentFileThere}},
      {"a link of the sidecar holds its name", {{{"e.jpg", "X", "C"}, {"e.xmp", "", ""}}}, "X/e.xmp",
       {"X/e.xmp", "e.jpg", "e.xmp"}, 0, {MoveFailReason::SidecarTargetTaken}, true},
  };
  for (std::size_t k = 0; k < std::size(cases); ++k) {
    const Case& c = cases[k];
    SCOPED_TRACE(c.what);
    S = dir.path() + "/case" + std::to_string(k);
    fs::create_directories(S);
    st.rows.clear();
    for (const auto& [name, target, kind] : c.rows) Add(name, target, kind);
    if (*c.taken) {
      fs::create_directories(fs::path(S + "/" + c.taken).parent_path());
      if (c.takenByALink)
        fs::create_hard_link(S + "/" + c.rows[1][0], S + "/" + c.taken);
      else
        std::ofstream(S + "/" + c.taken) << "other";
    }
    const std::vector<std::string> before = FilesUnder(S);
    const MoveReport r = Run();
    EXPECT_EQ(FilesUnder(S), c.after);
    EXPECT_EQ(r.moved, c.moved);
    std::vector<MoveFailReason> reasons;
    for (const MoveFailure& f : r.failures) reasons.push_back(f.reason);
    EXPECT_EQ(reasons, c.reasons);
    for (std::size_t row = 0; row < c.rows.size(); ++row)
      EXPECT_EQ(st.rows.kind(row) == kind::Moved, !Exists(c.rows[row][0])) << c.rows[row][0];
    JournalRun run;
    if (c.moved > 0 && LastUndoableRun(pictray::fs::DefaultEnv(), st.journalDir, S, run))
      UndoRun(pictray::fs::DefaultEnv(), run, {}, nullptr);
    EXPECT_EQ(FilesUnder(S), before);
  }
}

TEST_F(MoveRun, StrengthTargetsBecomeTheColourFolder) {
  ASSERT_TRUE(WriteProfileString(pictray::fs::DefaultEnv(), kSection0, "SRgb3", "1", st.profile));
  ASSERT_TRUE(WriteProfileString(pictray::fs::DefaultEnv(), kSection0, "SRgb0", "0", st.profile));
  fs::create_directory(S + "/RED");
  std::ofstream(S + "/RED1") << "a file takes this name";
  Add("p.jpg", "2024", "T", true, cmd::PhraseClass);  // another command's digits, its letter too
  Add("a.jpg", "120", "T", true, cmd::RgbStrength);
  Add("b.jpg", "x1", "T", true, cmd::RgbStrength);
  Add("c.jpg", "7", "C", true, cmd::CharClass);
  BeforMoveCheck(host, st, S, cmd::RgbStrength);
  EXPECT_EQ(st.rows.target(0), "2024");
  EXPECT_EQ(st.rows.target(1), "RED2");
  EXPECT_EQ(st.rows.target(2), "x1");
  EXPECT_EQ(st.rows.target(3), "7");
  EXPECT_EQ(st.rows.row(1).by, cmd::RgbStrength);

  ASSERT_TRUE(WriteProfileString(pictray::fs::DefaultEnv(), kSection0, "SRgb0", "2", st.profile));
  st.rows.setTarget(2, "55", "T", cmd::RgbStrength);
  BeforMoveCheck(host, st, S, cmd::RgbStrength);
  EXPECT_EQ(st.rows.target(2), "BLUE");

  ASSERT_TRUE(WriteProfileString(pictray::fs::DefaultEnv(), kSection0, "SRgb3", "0", st.profile));
  st.rows.setTarget(2, "55", "T", cmd::RgbStrength);
  BeforMoveCheck(host, st, S, cmd::RgbStrength);
  EXPECT_EQ(st.rows.target(2), "55");
}

TEST_F(MoveRun, ColourMatchFolderIsRenamedWhenAsked) {
  fs::create_directory(S + "/1-1-1");
  fs::create_directory(S + "/2-2-2");
  Add("a.jpg", "", "");
  Add("b.jpg", "1-1-1", "A");
  Add("c.jpg", "other", "A");
  Add("d.jpg", "1-1-1", "A");
  host.Answer(7);
  BeforFoldaCheck(host, st, S);
  EXPECT_EQ(st.rows.target(1), "1-1-1");
  host.Answer(6);
  BeforFoldaCheck(host, st, S);
  EXPECT_EQ(st.rows.target(1), "3-3-3");
  EXPECT_EQ(st.rows.target(2), "other");
  EXPECT_EQ(st.rows.target(3), "3-3-3");
  EXPECT_EQ(host.MessageTexts(),
            (std::vector<std::string>{kColourMatchQuestion, kColourMatchQuestion}));
  EXPECT_EQ(host.messages[0].caption1, "OK");
  EXPECT_EQ(host.messages[0].caption2, "NO");
}

TEST_F(MoveRun, ColourMatchQuestionOnlyWhenFirstTargetAndFolderExist) {
  Add("a.jpg", "1-1-1", "A");
  BeforFoldaCheck(host, st, S);  // no such folder yet
  fs::create_directory(S + "/1-1-1");
  st.rows.setTarget(0, "x", "A");
  st.rows.append({Row{"b.jpg", "1-1-1", "A", ""}});
  BeforFoldaCheck(host, st, S);  // first target is not 1-1-1
  EXPECT_TRUE(host.messages.empty());
}

TEST_F(MoveRun, NewFoldaNameCountsUpFromTheGivenNumber) {
  EXPECT_EQ(GetNewFoldaName(pictray::fs::DefaultEnv(), S + "/1-1-1/"), "2-2-2");
  fs::create_directory(S + "/2-2-2");
  EXPECT_EQ(GetNewFoldaName(pictray::fs::DefaultEnv(), S + "/1-1-1/"), "3-3-3");
  EXPECT_EQ(GetNewFoldaName(pictray::fs::DefaultEnv(), S + "/9-9-9/"), "10-10-10");
}

TEST_F(MoveRun, PrepareMoveEmptiesSummaryAndResults) {
  host.summary = {{"x", 1}};
  host.moveResults = {{"x", 1, "a", "p", "new"}};
  PrepareMove(host, st, S, cmd::RgbStrength);
  EXPECT_TRUE(host.summary.empty());
  EXPECT_TRUE(host.moveResults.empty());
}

}  // namespace
}  // namespace pictray
