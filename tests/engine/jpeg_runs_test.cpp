#include "engine/runs/jpeg_runs.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "engine/fs/env.h"
#include "engine/runs/other_formats.h"
#include "engine/settings/profile.h"
#include "tests/engine/jpeg_test_util.h"
#include "tests/support/recording_host.h"
#include "tests/support/temp_dir.h"

namespace pictray {
namespace {

using testing::JpegFixture;
using testing::ReadAll;

// Records whether a run still held the registry when it told its end.
class EndWatchingHost : public testing::RecordingHost {
 public:
  explicit EndWatchingHost(const PictrayState& s) : st(s) {}
  void RunEnded(const RunEnd& end) override {
    activeAtEnd = st.runs.Active();
    RecordingHost::RunEnded(end);
  }
  const PictrayState& st;
  bool activeAtEnd = true;
};

class JpegRuns : public ::testing::Test {
 protected:
  void SetUp() override {
    st.profile = dir.path() + "/work.ini";
    Set("disabledchar", "");
    Set("AllFormats", "0");  // the JPEG readers alone
  }
  void Set(const std::string& key, const std::string& value) {
    ASSERT_TRUE(WriteProfileString(pictray::fs::DefaultEnv(), "Section0", key, value, st.profile));
  }
  // Copies fixtures into the source folder and lists them, in this order.
  void List(std::initializer_list<std::pair<const char*, const char*>> files) {
    std::vector<Row> rows;
    for (const auto& [fixture, name] : files) {
      std::filesystem::copy_file(JpegFixture(fixture), src.path() + "/" + name);
      rows.push_back({name, "", "", ""});
    }
    st.rows.append(std::move(rows));
  }
  void Run(int mode) {
    st.blocks.val.Start(src.path(), mode);
    ThreadExDate(st.blocks.val, st, host, RunRegistry::Guard(st.runs));
  }

  testing::TempDir dir, src;
  PictrayState st;
  EndWatchingHost host{st};
};

TEST_F(JpegRuns, ExifRunLabelsUnclassifiedRowsAndReopensInfoRows) {
  Set("ExifSel", "7");
  List({{"cam_canon_II_A.jpg", "a.jpg"}, {"cam_nikon_MM_A.jpg", "b.jpg"}, {"plain.png", "c.jpg"},
        {"cam_sony_II_B.jpg", "d.jpg"}, {"rgb_3x2.jpg", "e.jpg"}});
  st.rows.setTarget(1, "kept", "C");
  st.rows.setTarget(3, "Exif", "I");
  Run(1);
  EXPECT_EQ(st.ExifSel.get(), "7");
  EXPECT_EQ(st.rows.row(0).target, "2005:12:31(II)");
  EXPECT_EQ(st.rows.kind(0), "E");
  EXPECT_EQ(st.rows.target(1), "kept");
  EXPECT_EQ(st.rows.kind(1), "C");
  EXPECT_EQ(st.rows.target(2), "");  // PNG: empty label, stays unclassified
  EXPECT_EQ(st.rows.kind(2), "");
  EXPECT_EQ(st.rows.target(3), "2005:12:31(II)");
  EXPECT_EQ(st.rows.kind(3), "E");
  EXPECT_EQ(st.rows.target(4), "NoExif");
  EXPECT_EQ(host.MessageTexts(), std::vector<std::string>{"セット処理終了"});
  EXPECT_EQ(host.progress.front(), RunProgress::Began(cmd::Exif, 5));
  EXPECT_EQ(host.Last(RunProgress::Kind::RowsDone), RunProgress::Done(cmd::Exif, 5, 5));
  EXPECT_EQ(host.progress.back(), RunProgress::Over(cmd::Exif));
  EXPECT_EQ(host.ends, std::vector<RunEnd>{(RunEnd{cmd::Exif, false, true, false, false})});
  EXPECT_FALSE(st.runs.Active());
  const std::vector<SummaryLine> summary{{"2005:12:31(II)", 2}, {"kept", 1}, {"NoExif", 1}};
  EXPECT_EQ(host.summary, summary);
}

TEST_F(JpegRuns, InfoAndHeaderModes) {
  List({{"cam_canon_II_A.jpg", "a.jpg"}, {"rgb_3x2.jpg", "b.jpg"}, {"plain.png", "c.png"}});
  Run(3);
  EXPECT_EQ(st.rows.target(0), "Exif");
  EXPECT_EQ(st.rows.target(1), "NoExif");
  EXPECT_EQ(st.rows.target(2), "NoJPEG");
  for (std::size_t i = 0; i < 3; ++i) EXPECT_EQ(st.rows.kind(i), "H");
  EXPECT_EQ(host.progress.front(), RunProgress::Began(cmd::HeaderCheck, 3));

  // Info re-opens the header check's "NoExif" rows; the JFIF file gets an
  // empty label and stays unclassified.
  Run(2);
  EXPECT_EQ(st.rows.target(1), "");
  EXPECT_EQ(st.rows.kind(1), "");
  EXPECT_EQ(st.rows.kind(0), "H");
  EXPECT_EQ(st.rows.kind(2), "H");
}

TEST_F(JpegRuns, EveryRowClassifiedChangesNothingButStillEnds) {
  List({{"cam_canon_II_A.jpg", "a.jpg"}, {"cam_nikon_MM_A.jpg", "b.jpg"}});
  st.rows.setTarget(0, "x", "C");
  st.rows.setTarget(1, "y", "C");
  Run(1);
  EXPECT_EQ(st.rows.target(0), "x");
  EXPECT_EQ(host.MessageTexts(), std::vector<std::string>{"セット処理終了"});
  EXPECT_EQ(host.summary.size(), 2u);
}

TEST_F(JpegRuns, MoveOnStartsTheMoveSilentlyAfterReleasingTheRun) {
  List({{"cam_canon_II_A.jpg", "a.jpg"}, {"rgb_3x2.jpg", "b.jpg"}});
  st.MoveOn = 1;
  st.blocks.val.Start(src.path(), 1);
  ThreadJpegImageSize(st.blocks.val, st, host, RunRegistry::Guard(st.runs));
  EXPECT_TRUE(host.messages.empty());
  EXPECT_EQ(host.ends, std::vector<RunEnd>{(RunEnd{cmd::SizeAnalysis, false, true, true, false})});
  EXPECT_FALSE(host.activeAtEnd);
  EXPECT_EQ(st.rows.target(0), "64X48");
  EXPECT_EQ(st.rows.target(1), "3X2");
}

TEST_F(JpegRuns, AbortKeepsDoneRowsAndSkipsTheEnding) {
  List({{"cam_canon_II_A.jpg", "a.jpg"}, {"cam_nikon_MM_A.jpg", "b.jpg"}});
  st.MoveOn = 1;
  st.blocks.val.Start(src.path(), 1);
  st.blocks.val.abort = 1;
  ThreadExDate(st.blocks.val, st, host, RunRegistry::Guard(st.runs));
  EXPECT_EQ(host.MessageTexts(), std::vector<std::string>{"セット処理中止"});
  EXPECT_EQ(host.ends, std::vector<RunEnd>{(RunEnd{cmd::Exif, true, true, false, false})});
  EXPECT_EQ(st.rows.target(0), "");

  testing::RecordingHost h2;
  ThreadJpegImageSize(st.blocks.val, st, h2, RunRegistry::Guard(st.runs));
  EXPECT_EQ(h2.MessageTexts(), std::vector<std::string>{"SIZE解析処理中止"});
  EXPECT_EQ(h2.ends, std::vector<RunEnd>{(RunEnd{cmd::SizeAnalysis, true})});
  testing::RecordingHost h3;
  ThreadJpegIError(st.blocks.val, st, h3, RunRegistry::Guard(st.runs));
  EXPECT_EQ(h3.MessageTexts(), std::vector<std::string>{"NG解析処理中止"});
  EXPECT_FALSE(st.runs.Active());
}

TEST_F(JpegRuns, SizeRunReopensRowsTheNgRunLeftEmpty) {
  List({{"size_1024x768.jpg", "a.jpg"}, {"plain.png", "b.png"}, {"rgb_4x2.jpg", "c.jpg"}});
  st.rows.setTarget(0, "", "G");
  st.rows.setTarget(2, "2006:01:02(II)", "E");
  st.blocks.val.Start(src.path(), 1);
  ThreadJpegImageSize(st.blocks.val, st, host, RunRegistry::Guard(st.runs));
  EXPECT_EQ(st.rows.target(0), "1024X768");
  EXPECT_EQ(st.rows.kind(0), "Z");
  EXPECT_EQ(st.rows.target(1), "");
  EXPECT_EQ(st.rows.kind(1), "");
  EXPECT_EQ(st.rows.target(2), "2006:01:02(II)");
  EXPECT_EQ(host.MessageTexts(), std::vector<std::string>{"SIZE解析処理終了"});
  EXPECT_EQ(host.LastEnd().command, cmd::SizeAnalysis);
}

TEST_F(JpegRuns, NgRunLabelsEveryRowWithTheSwitchesFromTheSettings) {
  const std::string jpeg = ReadAll(JpegFixture("rgb_3x2.jpg"));
  List({{"rgb_3x2.jpg", "sound.jpg"}, {"cam_canon_II_A.jpg", "cam.jpg"}});
  src.Write("cut.jpg", jpeg.substr(0, jpeg.size() / 2));
  src.Write("zeros.jpg", jpeg.substr(0, 2) + std::string("\xFF\xFE\x00\x0C", 4) + std::string(10, '\0') +
                             jpeg.substr(2));
  st.rows.append({{"cut.jpg", "", "", ""}, {"zeros.jpg", "x", "C", ""}});

  st.blocks.val.Start(src.path(), 1);
  ThreadJpegIError(st.blocks.val, st, host, RunRegistry::Guard(st.runs));
  EXPECT_EQ(st.rows.target(0), "");
  EXPECT_EQ(st.rows.target(2), "NG");
  EXPECT_EQ(st.rows.target(3), "");  // replaced: zero-run test is off
  for (std::size_t i = 0; i < 4; ++i) EXPECT_EQ(st.rows.kind(i), "G");
  EXPECT_EQ(host.Last(RunProgress::Kind::RowsDone), RunProgress::Done(cmd::NgAnalysis, 4, 4));
  EXPECT_EQ(host.MessageTexts(), std::vector<std::string>{"NG解析処理終了"});

  Set("NullCheck", "1");
  ThreadJpegIError(st.blocks.val, st, host, RunRegistry::Guard(st.runs));
  EXPECT_EQ(st.rows.target(3), "NG");
  Set("NullByte", "11");
  ThreadJpegIError(st.blocks.val, st, host, RunRegistry::Guard(st.runs));
  EXPECT_EQ(st.rows.target(3), "");
}

TEST_F(JpegRuns, ListUpLabelsInTheirOrder) {
  List({{"cam_canon_II_A.jpg", "a.jpg"}, {"rgb_3x2.jpg", "b.jpg"}, {"plain.png", "c.png"}});
  const std::string a = src.path() + "/a.jpg", b = src.path() + "/b.jpg", c = src.path() + "/c.png";
  src.Write("cut.jpg", ReadAll(a).substr(0, 300));
  const std::string cut = src.path() + "/cut.jpg";
  JpegSettings s;
  s.ExifSel = "13";
  s.disabledchar = "/:,;*?\"<>|.";
  // Flags by letter: N NG, H header, I Info, E Exif, S size.
  const auto label = [&](const std::string& path, const std::string& on) {
    AnalysisFlags f;
    f.M_NG = on.find('N') != std::string::npos;
    f.M_Hed = on.find('H') != std::string::npos;
    f.M_Info = on.find('I') != std::string::npos;
    f.M_Exif = on.find('E') != std::string::npos;
    f.M_Size = on.find('S') != std::string::npos;
    const JpegLabel l = ListUpJpegLabel(fs::ReadOnlyFile(fs::DefaultEnv(), path), path, f, s, nullptr);
    return l.text + "|" + l.kind;
  };
  EXPECT_EQ(label(cut, "N"), "NG|G");
  EXPECT_EQ(label(a, "N"), "|G");
  // The Exif date replaces "NG"; NG keeps the header check from running.
  EXPECT_EQ(label(cut, "NE"), "2005_12_31(II)|E");
  EXPECT_EQ(label(cut, "NI"), "NG|I");
  EXPECT_EQ(label(a, "E"), "2005_12_31(II)|E");
  EXPECT_EQ(label(b, "H"), "NoExif|H");
  EXPECT_EQ(label(c, "H"), "NoJPEG|H");
  EXPECT_EQ(label(a, "I"), "Exif|I");
  EXPECT_EQ(label(a, "IE"), "2005_12_31(II)|E");
  EXPECT_EQ(label(b, "IE"), "|I");
  EXPECT_EQ(label(b, "S"), "3X2|Z");
  EXPECT_EQ(label(b, "ES"), "NoExif|E");
  EXPECT_EQ(label(c, "S"), "|Z");
}

}  // namespace
}  // namespace pictray
