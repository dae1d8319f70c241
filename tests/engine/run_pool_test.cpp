// The runs that read files work on a pool: two workers must give every row
// the result one worker gives, end once, and stop soon after an abort.
#include <sched.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "engine/fs/on_threads.h"
#include "engine/runs/jpeg_runs.h"
#include "engine/runs/listup.h"
#include "engine/settings/profile.h"
#include "tests/engine/jpeg_test_util.h"
#include "tests/support/recording_host.h"
#include "tests/support/temp_dir.h"

namespace pictray {
namespace {

using testing::JpegFixture;
using testing::ReadAll;

// Aborts `block` once `after` rows have been shown; counts the rows shown.
class AbortingHost : public testing::RecordingHost {
 public:
  AbortingHost(ParamBlock& block, std::size_t after) : block_(block), after_(after) {}
  void ShowRunPlace(std::size_t row) override {
    RecordingHost::ShowRunPlace(row);
    // Counting and aborting as one step: no other row is shown in between.
    std::lock_guard<std::mutex> l(counting_);
    if (++shown == after_) block_.abort = 1;
  }
  std::atomic<std::size_t> shown{0};

 private:
  std::mutex counting_;
  ParamBlock& block_;
  std::size_t after_;
};

// Every fixture a few times, a file cut short and one with a zero run, some
// rows labelled beforehand.
class RunPool : public ::testing::Test {
 protected:
  static constexpr int kCopies = 4;

  void SetUp() override {
    const std::vector<std::string> fixtures = {
        "cam_apple_MM_B.jpg", "cam_canon_II_A.jpg", "cam_fuji_II_A.jpg", "cam_nikon_MM_A.jpg",
        "cam_nodate_II_A.jpg", "cam_short_MM_A.jpg", "cam_sony_II_B.jpg", "cmyk_4x2.jpg",
        "grey_3x2.jpg", "plain.png", "progressive_64x48.jpg", "rgb_3x2.jpg", "rgb_4x2.jpg",
        "size_1024x768.jpg"};
    for (int c = 0; c < kCopies; ++c)
      for (const std::string& f : fixtures)
        std::filesystem::copy_file(JpegFixture(f), src.path() + "/" + std::to_string(c) + "_" + f);
    const std::string whole = ReadAll(JpegFixture("size_1024x768.jpg"));
    src.Write("cut.jpg", whole.substr(0, whole.size() / 2));
    std::string zeros = whole;
    zeros.replace(zeros.size() / 2, 16, std::string(16, '\0'));
    src.Write("zeros.jpg", zeros);
  }

  // A fresh state over the folder, listed in name order, with `workers`.
  void Fresh(PictrayState& st, int workers, const std::string& ini) {
    st.profile = ini;
    ASSERT_TRUE(WriteProfileString(pictray::fs::DefaultEnv(), "Section0", "disabledchar", "", ini));
    ASSERT_TRUE(WriteProfileString(pictray::fs::DefaultEnv(), "Section0", "NullCheck", "1", ini));
    ASSERT_TRUE(WriteProfileString(pictray::fs::DefaultEnv(), "Section0", "JlibCheck", "1", ini));
    st.PoolMax = workers;
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(src.path())) names.push_back(e.path().filename());
    std::sort(names.begin(), names.end());
    std::vector<Row> rows;
    for (const std::string& n : names) rows.push_back({n, "", "", ""});
    st.rows.append(std::move(rows));
    // Rows an earlier classification labelled keep their labels.
    st.rows.setTarget(3, "kept", "C");
    st.rows.setTarget(20, "Exif", "I");
    st.rows.setTarget(30, "", "G");
  }

  testing::TempDir src, dir;
};

struct PoolRun {
  const char* name;
  std::function<void(ParamBlock&, PictrayState&, RunHost&, RunRegistry::Guard)> run;
  int mode;
  const char* endMessage;
  const char* abortMessage;
};

const PoolRun kRuns[] = {
    {"exif", ThreadExDate, 1, "セット処理終了", "セット処理中止"},
    {"info", ThreadExDate, 2, "セット処理終了", "セット処理中止"},
    {"header", ThreadExDate, 3, "セット処理終了", "セット処理中止"},
    {"size", ThreadJpegImageSize, 1, "SIZE解析処理終了", "SIZE解析処理中止"},
    {"ng", ThreadJpegIError, 1, "NG解析処理終了", "NG解析処理中止"},
};

// Each share runs once, the first on the caller's thread; a helper, started
// away from the caller's processor, then may run wherever the caller may.
TEST(OnThreads, EachShareRunsOnceAndHelpersMayRunAnywhere) {
  cpu_set_t callers;
  ASSERT_EQ(sched_getaffinity(0, sizeof callers, &callers), 0);
  for (const unsigned threads : {1u, 2u, 4u}) {
    std::mutex m;
    std::vector<std::string> ran;
    const std::thread::id caller = std::this_thread::get_id();
    fs::OnThreads(threads, [&](unsigned t) {
      cpu_set_t now;
      const bool anywhere = sched_getaffinity(0, sizeof now, &now) == 0 && CPU_EQUAL(&now, &callers);
      const std::lock_guard<std::mutex> l(m);
      const bool offCaller = t == 0 && std::this_thread::get_id() != caller;
      ran.push_back(std::to_string(t) + (anywhere ? "" : " bound") + (offCaller ? " off the caller" : ""));
    });
    std::sort(ran.begin(), ran.end());
    std::vector<std::string> each{"0", "1", "2", "3"};
    each.resize(threads);
    EXPECT_EQ(ran, each) << threads;
  }
}

TEST_F(RunPool, TwoWorkersGiveEveryRowTheResultOfOne) {
  for (const PoolRun& r : kRuns) {
    PictrayState one, two;
    Fresh(one, 1, dir.path() + "/one.ini");
    Fresh(two, 2, dir.path() + "/two.ini");
    testing::RecordingHost hostOne, hostTwo;
    one.blocks.val.Start(src.path(), r.mode);
    two.blocks.val.Start(src.path(), r.mode);
    r.run(one.blocks.val, one, hostOne, RunRegistry::Guard(one.runs));
    r.run(two.blocks.val, two, hostTwo, RunRegistry::Guard(two.runs));
    const std::vector<Row> want = one.rows.snapshot(), got = two.rows.snapshot();
    ASSERT_EQ(got.size(), want.size());
    for (std::size_t i = 0; i < want.size(); ++i) {
      EXPECT_EQ(got[i].target, want[i].target) << r.name << " row " << i << " " << want[i].name;
      EXPECT_EQ(got[i].kind, want[i].kind) << r.name << " row " << i << " " << want[i].name;
    }
    EXPECT_EQ(hostTwo.MessageTexts(), std::vector<std::string>{r.endMessage}) << r.name;
    for (const RunProgress::Kind k : {RunProgress::Kind::RowsDone, RunProgress::Kind::RowsFound})
      EXPECT_EQ(hostTwo.Last(k), hostOne.Last(k)) << r.name;
    EXPECT_EQ(hostTwo.ends, hostOne.ends) << r.name;
  }
  // The NG run found both broken files.
  PictrayState st;
  Fresh(st, 2, dir.path() + "/ng.ini");
  testing::RecordingHost host;
  st.blocks.val.Start(src.path(), 1);
  ThreadJpegIError(st.blocks.val, st, host, RunRegistry::Guard(st.runs));
  std::size_t ng = 0;
  st.rows.forEach([&](std::size_t, const Row& row) { ng += row.target == "NG"; });
  EXPECT_GE(ng, 2u);
}

TEST_F(RunPool, AbortStopsEachWorkerWithinOneFileAndSaysSoOnce) {
  constexpr std::size_t kAfter = 10;
  for (const PoolRun& r : kRuns) {
    PictrayState st;
    Fresh(st, 2, dir.path() + "/abort.ini");
    st.rows.clearAnalyses();
    st.blocks.val.Start(src.path(), r.mode);
    AbortingHost host(st.blocks.val, kAfter);
    r.run(st.blocks.val, st, host, RunRegistry::Guard(st.runs));
    // The row that set the flag, and at most one more on the other worker.
    EXPECT_GE(host.shown.load(), kAfter) << r.name;
    EXPECT_LE(host.shown.load(), kAfter + 1) << r.name;
    EXPECT_EQ(host.MessageTexts(), std::vector<std::string>{r.abortMessage}) << r.name;
    ASSERT_EQ(host.ends.size(), 1u) << r.name;
    EXPECT_TRUE(host.ends[0].aborted && !host.ends[0].moveDue) << r.name;
  }
}

class ListupPool : public RunPool {
 protected:
  void Listup(PictrayState& st, RunHost& host, int workers, const std::string& ini) {
    st.profile = ini;
    ASSERT_TRUE(WriteProfileString(pictray::fs::DefaultEnv(), "Section0", "JpegCheck", "1", ini));
    ASSERT_TRUE(WriteProfileString(pictray::fs::DefaultEnv(), "Section0", "JlibCheck", "1", ini));
    st.PoolMax = workers;
    st.flags.M_NG = 1;
    st.flags.M_Exif = 1;
    st.flags.M_Size = 1;
    st.blocks.val3.Start(src.path());
    ThreadSetListView(st.blocks.val3, st, host, RunRegistry::Guard(st.runs));
  }
};

TEST_F(ListupPool, TwoWorkersListAndLabelAsOne) {
  PictrayState one, two;
  testing::RecordingHost hostOne, hostTwo;
  Listup(one, hostOne, 1, dir.path() + "/one.ini");
  Listup(two, hostTwo, 2, dir.path() + "/two.ini");
  const std::vector<Row> want = one.rows.snapshot(), got = two.rows.snapshot();
  ASSERT_EQ(got.size(), want.size());
  ASSERT_LT(want.size(), std::size_t{4 * 14 + 2});  // the PNGs are kept out
  for (std::size_t i = 0; i < want.size(); ++i) {
    EXPECT_EQ(got[i].name, want[i].name) << i;
    EXPECT_EQ(got[i].target, want[i].target) << want[i].name;
    EXPECT_EQ(got[i].kind, want[i].kind) << want[i].name;
  }
  EXPECT_EQ(hostTwo.MessageTexts(), std::vector<std::string>{kListupEnd});
  EXPECT_EQ(hostTwo.Last(RunProgress::Kind::RowsDone), hostOne.Last(RunProgress::Kind::RowsDone));
}

// List-up stops before the next file once aborted: the rows are the first
// ones of the whole list, as labelled there.
TEST_F(ListupPool, AbortListsTheFilesBeforeIt) {
  PictrayState st, whole;
  AbortingHost host(st.blocks.val3, 10);
  testing::RecordingHost wholeHost;
  Listup(st, host, 2, dir.path() + "/abort.ini");
  Listup(whole, wholeHost, 1, dir.path() + "/whole.ini");
  const std::vector<Row> got = st.rows.snapshot(), all = whole.rows.snapshot();
  ASSERT_EQ(got.size(), 10u);
  for (std::size_t i = 0; i < got.size(); ++i) {
    EXPECT_EQ(got[i].name, all[i].name);
    EXPECT_EQ(got[i].target, all[i].target);
  }
  EXPECT_EQ(host.MessageTexts(), std::vector<std::string>{kListupEnd});
}

}  // namespace
}  // namespace pictray
