// Twinscan's runs without a window: what they show through their host, what
// they leave on disk, and that the stop control ends them between files.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "engine/runs/twinscan_run.h"
#include "tests/support/journal_home.h"
#include "tests/support/recording_twinscan_host.h"
#include "tests/support/temp_dir.h"

namespace pictray {
namespace {

using dupes::FileRec;
using testing::RecordingTwinscanHost;
using testing::TempDir;
using testing::TestJournals;
namespace fs = std::filesystem;

// Where a host sets the run's abort flag, as the stop control does while
// the window serves that call.
enum class StopAt { Never, Listing, SortedTable, ResultLine, Question };

class StoppingHost : public RecordingTwinscanHost {
 public:
  StoppingHost(std::atomic<int>& abort, StopAt at) : abort_(abort), at_(at) {}
  int MessageBox1Q(const Message& message, Button c1, Button c2) override {
    Stop(StopAt::Question);
    return RecordingTwinscanHost::MessageBox1Q(message, c1, c2);
  }
  void SetShare(TwinscanWork work, int percent) override {
    RecordingTwinscanHost::SetShare(work, percent);
    if (work == TwinscanWork::Listing && percent > 0) Stop(StopAt::Listing);
  }
  void SetTable(const std::vector<FileRec>& lpData) override {
    RecordingTwinscanHost::SetTable(lpData);
    if (tables.size() == 2) Stop(StopAt::SortedTable);
  }
  void SetResultLine(std::size_t index, const dupes::SameResultLine& line) override {
    RecordingTwinscanHost::SetResultLine(index, line);
    Stop(StopAt::ResultLine);
  }

 private:
  void Stop(StopAt here) {
    if (here == at_) abort_.store(1);
  }
  std::atomic<int>& abort_;
  StopAt at_;
};

// `pairs` pairs of copies, each pair with its own bytes.
void WritePairs(const TempDir& d, int pairs) {
  for (int i = 0; i < pairs; ++i) {
    const std::string bytes(150 + i, static_cast<char>('!' + i % 90));
    d.Write("p" + std::to_string(i) + "a.dat", bytes);
    d.Write("p" + std::to_string(i) + "b.dat", bytes);
  }
}

int FilesIn(const std::string& folder) {
  int n = 0;
  for (const auto& e : fs::directory_iterator(folder)) n += e.is_regular_file();
  return n;
}

int FoldersIn(const std::string& folder) {
  int n = 0;
  for (const auto& e : fs::directory_iterator(folder)) n += e.is_directory();
  return n;
}

int CopiesIn(const std::vector<FileRec>& table) {
  int n = 0;
  for (const FileRec& r : table) n += r.sameno != "" && r.sameno != "0";
  return n;
}

TEST(TwinscanRun, ListsSortsGroupsAndExtractsShowingEachTable) {
  TempDir d;
  d.Write("a.jpg", std::string(500, 'a'));
  d.Write("b.jpg", std::string(500, 'a'));
  d.Write("c.jpg", std::string(300, 'c'));
  TwinscanBlock val;
  val.TargetFolda = d.path();
  val.MoveSoon = true;
  val.journalDir = TestJournals();
  RecordingTwinscanHost host;
  const TwinscanReport r = ThreadTwinscanAutoRun(val, host);

  ASSERT_EQ(host.tables.size(), 3u);  // listed, sorted, grouped
  EXPECT_EQ(host.tables[1].front().filename, "c.jpg");  // "300..." sorts before "500..."
  EXPECT_EQ(CopiesIn(host.tables[1]), 0);
  EXPECT_EQ(CopiesIn(host.tables[2]), 1);
  ASSERT_EQ(r.grouped.size(), 3u);  // handed back as shown last
  for (std::size_t i = 0; i < 3; ++i)
    EXPECT_EQ(r.grouped[i].path + r.grouped[i].sameno, host.tables[2][i].path + host.tables[2][i].sameno);
  EXPECT_EQ(host.countTexts, std::vector<std::string>{"3"});
  EXPECT_TRUE(host.texts.empty());  // all went as planned: nothing to say
  EXPECT_EQ(host.shares[TwinscanWork::Listing].back(), 100);
  EXPECT_EQ(host.shares[TwinscanWork::Moving].back(), 100);

  ASSERT_EQ(host.ends.size(), 1u);
  const TwinscanEnd& end = host.ends[0];
  EXPECT_FALSE(end.aborted || end.refused || end.quit);
  ASSERT_TRUE(r.extraction);
  EXPECT_EQ(end.samedir, r.extraction->samedir);
  ASSERT_EQ(end.moved.size(), 1u);
  const FileRec& copy = host.tables[2][2];
  ASSERT_EQ(copy.sameno, "1");
  EXPECT_EQ(host.resultLines, (std::vector<dupes::SameResultLine>{
                                  {copy.folda, 1, copy.filename, end.samedir + copy.folda, "new"}}));
  EXPECT_TRUE(fs::exists(end.samedir + copy.folda + "/" + copy.filename));
  EXPECT_EQ(FilesIn(d.path()), 2);
}

TEST(TwinscanRun, TheStopControlEndsTheRunBetweenFiles) {
  struct Case {
    StopAt at;
    std::size_t tablesShown;
    int moved;
  };
  for (const Case& c : {Case{StopAt::Listing, 0, 0}, Case{StopAt::SortedTable, 2, 0},
                        Case{StopAt::ResultLine, 3, 1}}) {
    SCOPED_TRACE(static_cast<int>(c.at));
    TempDir d;
    WritePairs(d, 100);
    TwinscanBlock val;
    val.TargetFolda = d.path();
    val.MoveSoon = true;
  val.journalDir = TestJournals();
    val.journalDir = TestJournals();
    val.DeleteSoon = true;
    StoppingHost host(val.abort, c.at);
    const TwinscanReport r = ThreadTwinscanAutoRun(val, host);

    EXPECT_EQ(host.texts, std::vector<std::string>{kTwinscanAborted});
    ASSERT_EQ(host.ends.size(), 1u);
    EXPECT_TRUE(host.ends[0].aborted);
    EXPECT_EQ(host.ends[0].moved.size(), static_cast<std::size_t>(c.moved));
    EXPECT_EQ(host.tables.size(), c.tablesShown);
    EXPECT_EQ(r.grouped.size(), c.tablesShown == 3 ? 200u : 0u);  // only a grouped table is handed back
    if (c.at == StopAt::Listing) {
      EXPECT_LT(host.shares[TwinscanWork::Listing].size(), 10u);  // a few files, not the folder
    }
    EXPECT_EQ(host.shares[TwinscanWork::Listing].back(), 0);
    EXPECT_EQ(host.shares[TwinscanWork::Moving].back(), 0);
    EXPECT_EQ(FilesIn(d.path()), 200 - c.moved);
    EXPECT_EQ(FoldersIn(d.path()), c.moved > 0 ? 1 : 0);  // the deletion never started
  }
}

// The deletion on BT42: a question, then the checks, the deleter, the folder
// listed again and the count before and after.
TEST(TwinscanRun, DeletionAsksDeletesAndListsAgain) {
  struct Case {
    std::deque<int> answers;
    StopAt at;
    bool deleted, quit;
  };
  TempDir bin;
  const std::string deleter = bin.Write("deleter", "#!/bin/sh\nexec rm -r -- \"$1\"\n");
  ASSERT_EQ(::chmod(deleter.c_str(), 0755), 0);
  const std::string question = "抽出フォルダの削除を実行しますか？";
  const std::string done = "(3->2)抽出ファイルの削除を実行しました";
  // Declined; done, and the program is to end; stopped before the checks.
  for (const Case& c : {Case{{7}, StopAt::Never, false, false}, Case{{6, 7}, StopAt::Never, true, true},
                        Case{{6}, StopAt::Question, false, false}}) {
    SCOPED_TRACE(c.answers.size() * 10 + c.answers.back());
    TempDir d;
    WritePairs(d, 1);
    d.Write("single.txt", "one");
    TwinscanBlock val;
    val.TargetFolda = d.path();
    val.MoveSoon = true;
  val.journalDir = TestJournals();
    val.journalDir = TestJournals();
    RecordingTwinscanHost extracting;
    ThreadTwinscanAutoRun(val, extracting);
    val.samedir = extracting.ends.at(0).samedir;
    val.moved = extracting.ends.at(0).moved;
    val.kenbuf = "3";
    val.deleteexe = deleter;
    val.programDir = bin.path();
    StoppingHost host(val.abort, c.at);
    host.answers = c.answers;
    ThreadTwinscanDelete(val, host);

    ASSERT_EQ(host.ends.size(), 1u);
    const TwinscanEnd& end = host.ends[0];
    EXPECT_EQ(fs::exists(val.samedir), !c.deleted);
    EXPECT_EQ(end.samedir, c.deleted ? "" : val.samedir);
    EXPECT_EQ(end.quit, c.quit);
    EXPECT_EQ(end.aborted, c.at == StopAt::Question);
    std::vector<std::string> said = {question};
    if (c.deleted) said.push_back(done);
    if (c.at == StopAt::Question) said.push_back(kTwinscanAborted);
    EXPECT_EQ(host.texts, said);
    if (c.deleted) {
      EXPECT_EQ(host.captions.back(), "yes/プログラム終了");
      EXPECT_EQ(host.countTexts, std::vector<std::string>{"3->2"});
      ASSERT_EQ(host.tables.size(), 2u);  // emptied, then listed again
      EXPECT_EQ(host.tables[1].size(), 2u);
    }
  }
}

}  // namespace
}  // namespace pictray
