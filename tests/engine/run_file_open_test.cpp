// The label runs open each listed file once, through the run's Env, and
// the colour runs hand the thumbnail library the file they opened: a
// test's Env sees every open, and one it fails leaves that row as a file
// that cannot be opened leaves it.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <map>
#include <mutex>
#include <thread>

#include "engine/colour/rgb_name.h"
#include "engine/runs/colour_runs.h"
#include "engine/runs/jpeg_runs.h"
#include "engine/runs/listup.h"
#include "engine/runs/row_pool.h"
#include "engine/runs/selected_colour_runs.h"
#include "engine/settings/profile.h"
#include "tests/engine/colour_test_util.h"
#include "tests/engine/jpeg_test_util.h"
#include "tests/support/recording_host.h"
#include "tests/support/temp_dir.h"

namespace pictray {
namespace {

// The real file system, counting the opens of each path (the read-ahead's
// too), and failing the opens of the one named `fail` (EACCES).
class OpenCountingEnv : public fs::PosixEnv {
 public:
  explicit OpenCountingEnv(std::string fail = "") : fail_(std::move(fail)) {}
  int Open(int dir, const char* path, int flags, mode_t mode = 0) const override {
    const std::string p(path);
    if (!fail_.empty() && p.size() >= fail_.size() && p.compare(p.size() - fail_.size(), fail_.size(), fail_) == 0) {
      errno = EACCES;
      return -1;
    }
    const int fd = PosixEnv::Open(dir, path, flags, mode);
    std::lock_guard<std::mutex> l(m_);
    ++opens_[p];
    return fd;
  }
  int Opens(const std::string& path) const {
    std::lock_guard<std::mutex> l(m_);
    const auto it = opens_.find(path);
    return it == opens_.end() ? 0 : it->second;
  }

 private:
  std::string fail_;
  mutable std::mutex m_;
  mutable std::map<std::string, int> opens_;
};

using Run = std::function<void(PictrayState&, RunHost&, const std::string& folder)>;

void ListUp(PictrayState& st, RunHost& host, const std::string& folder) {
  st.blocks.val3.Start(folder);
  ThreadSetListView(st.blocks.val3, st, host, RunRegistry::Guard(st.runs));
}

// List-up with the analyses `set` on.
Run ListUpWith(std::function<void(AnalysisFlags&)> set) {
  return [set](PictrayState& st, RunHost& host, const std::string& folder) {
    set(st.flags);
    ListUp(st, host, folder);
  };
}

// List-up without analyses, then the run `start` with run mode `mode`.
Run AfterListUp(void (*start)(ParamBlock&, PictrayState&, RunHost&, RunRegistry::Guard), int mode) {
  return [start, mode](PictrayState& st, RunHost& host, const std::string& folder) {
    ListUp(st, host, folder);
    st.blocks.val.Start(folder, mode);
    start(st.blocks.val, st, host, RunRegistry::Guard(st.runs));
  };
}

struct RunCase {
  const char* name;
  Run run;
};

const RunCase kRuns[] = {
    {"list-up exif,ng", ListUpWith([](AnalysisFlags& f) { f.M_Exif = 1, f.M_NG = 1; })},
    {"list-up header,size", ListUpWith([](AnalysisFlags& f) { f.M_Hed = 1, f.M_Size = 1; })},
    {"list-up info,exif", ListUpWith([](AnalysisFlags& f) { f.M_Info = 1, f.M_Exif = 1; })},
    {"exif", AfterListUp(ThreadExDate, 1)},
    {"header", AfterListUp(ThreadExDate, 3)},
    {"size", AfterListUp(ThreadJpegImageSize, 1)},
    {"ng", AfterListUp(ThreadJpegIError, 1)},
    {"list-up ratio,strength", ListUpWith([](AnalysisFlags& f) { f.M_RP = 1, f.M_RS = 1; })},
    {"strength", [](PictrayState& st, RunHost& host, const std::string& folder) {
       ListUp(st, host, folder);
       st.blocks.valrp.Start(folder);
       ThreadTopRGB(st.blocks.valrp, st, host, RunRegistry::Guard(st.runs));
     }},
    {"ratio", [](PictrayState& st, RunHost& host, const std::string& folder) {
       ListUp(st, host, folder);
       PrepareRatioRun(st, folder);
       ThreadRGBPer(st.blocks.valrp, st, host, RunRegistry::Guard(st.runs));
       ThreadRGBPer2(st.blocks.valrp2, st, host, RunRegistry::Guard(st.runs));
     }},
    {"rgb of two cells", [](PictrayState& st, RunHost& host, const std::string& folder) {
       ListUp(st, host, folder);
       st.blocks.val.Start(folder);
       ThreadRGB(st.blocks.val, st, host, MakeJposBit({1, 4}), RunRegistry::Guard(st.runs));
     }},
    {"all colour", [](PictrayState& st, RunHost& host, const std::string& folder) {
       ListUp(st, host, folder);
       SelectedColours colours(1);
       colours.Add(0x0000FF);
       st.blocks.val5.Start(folder);
       ThreadAllColor(st.blocks.val5, st, host, colours, "", RunRegistry::Guard(st.runs));
     }},
    {"part colour of one cell", [](PictrayState& st, RunHost& host, const std::string& folder) {
       ListUp(st, host, folder);
       SelectedColours colours(1);
       colours.Add(0x0000FF);
       st.blocks.val6.Start(folder);
       ThreadPartColor(st.blocks.val6, st, host, colours, MakeJposBit({2}), RunRegistry::Guard(st.runs));
     }},
};

class RunFileOpens : public ::testing::Test {
 protected:
  // A folder of a JPEG, a TIFF-based raw, a HEIF, a PNG and a movie, with
  // `fifoAt` (if any) a FIFO in place of its file, and `copies` more JPEGs
  // (enough of them for the read-ahead to open files ahead).
  void Fill(const testing::TempDir& dir, const std::string& fifoAt = "", int copies = 0) {
    const std::string meta = std::string(PICTRAY_TEST_DATA) + "/meta/";
    const std::pair<const char*, std::string> files[] = {
        {"a.jpg", testing::JpegFixture("cam_canon_II_A.jpg")}, {"b.jpg", testing::JpegFixture("cam_sony_II_B.jpg")},
        {"c.cr2", meta + "raw_ii.cr2"}, {"d.heic", meta + "heic_full.heic"}, {"e.heic", meta + "cut.heic"},
        {"f.png", meta + "png_exif.png"}, {"g.mov", meta + "mov_keys.mov"}};
    for (const auto& [name, from] : files) {
      const std::string to = dir.path() + "/" + name;
      if (name == fifoAt)
        ASSERT_EQ(::mkfifo(to.c_str(), 0644), 0);
      else
        std::filesystem::copy_file(from, to);
    }
    for (int i = 0; i < copies; ++i)
      std::filesystem::copy_file(testing::JpegFixture("cam_canon_II_A.jpg"), dir.path() + "/z" + std::to_string(i) + ".jpg");
  }
  // The rows (name -> target|kind) after `run` on `env`.
  std::map<std::string, std::string> Rows(const RunCase& c, const testing::TempDir& dir, const fs::Env& env) {
    testing::TempDir settings;
    PictrayState st;
    st.env = &env;
    // A library with every form, drawing every file white.
    st.MMI = testing::FakeThumbs::MakeMinImage;
    st.MMIs = testing::FakeThumbs::MakeMinImages;
    st.MMIWithin = testing::FakeThumbs::MakeMinImageWithin;
    st.MMIsWithin = testing::FakeThumbs::MakeMinImagesWithin;
    st.MMIsFdWithin = testing::FakeThumbs::MakeMinImagesFdWithin;
    st.PictureRows = testing::FakeThumbs::PictureRows;
    st.PictureRowsFdWithin = testing::FakeThumbs::PictureRowsFdWithin;
    st.profile = settings.path() + "/work.ini";
    EXPECT_TRUE(WriteProfileString(fs::DefaultEnv(), "Section0", "WPath", settings.path(), st.profile));
    EXPECT_TRUE(WriteProfileString(fs::DefaultEnv(), "Section0", "disabledchar", "", st.profile));
    testing::RecordingHost host;
    c.run(st, host, dir.path());
    std::map<std::string, std::string> rows;
    st.rows.forEach([&](std::size_t, const Row& r) { rows[r.name] = r.target + "|" + r.kind; });
    return rows;
  }
};

// The library is handed the file the run opened, never its path (which
// it would open again); a file the read-ahead opened is the one its row
// reads.
TEST_F(RunFileOpens, EachRunOpensEachFileOnceThroughItsEnv) {
  testing::TempDir dir;
  constexpr int kCopies = 40;
  Fill(dir, "", kCopies);
  for (const RunCase& c : kRuns) {
    SCOPED_TRACE(c.name);
    testing::FakeThumbs::Get().Reset();
    const OpenCountingEnv env;
    const auto rows = Rows(c, dir, env);
    ASSERT_EQ(rows.size(), 7u + kCopies);
    // A list-up without analyses opens no file.
    for (const auto& [name, label] : rows) EXPECT_EQ(env.Opens(dir.path() + "/" + name), 1) << name << " " << label;
    for (const testing::ThumbCall& call : testing::FakeThumbs::Get().Calls())
      EXPECT_FALSE(call.byPath) << call.name;
  }
}

// The read-ahead opens a row's file only while nobody has opened it or
// begun its row (a quicker worker may have), and a row begun while its file
// is being opened gets that file.
TEST(AheadFilesTest, ARowsFileIsOpenedAheadOnlyOnceAndHandedToItsWork) {
  testing::TempDir dir;
  dir.Write("a.jpg", "x");
  const auto open = [&] { return std::make_unique<fs::ReadOnlyFile>(fs::DefaultEnv(), dir.path() + "/a.jpg"); };
  AheadFiles ahead(3);
  ASSERT_TRUE(ahead.Claim(0));
  EXPECT_FALSE(ahead.Claim(0));
  auto kept = open();
  const fs::ReadOnlyFile* keptFile = kept.get();
  ahead.Keep(0, std::move(kept));
  EXPECT_FALSE(ahead.Claim(0));
  EXPECT_EQ(ahead.Take(0).get(), keptFile);
  EXPECT_EQ(ahead.Take(0), nullptr);

  EXPECT_EQ(ahead.Take(1), nullptr);  // begun first: the work opens it
  EXPECT_FALSE(ahead.Claim(1));
  EXPECT_FALSE(ahead.Claim(7));  // no such row

  ASSERT_TRUE(ahead.Claim(2));
  std::unique_ptr<fs::ReadOnlyFile> taken;
  std::thread work([&] { taken = ahead.Take(2); });
  auto late = open();
  const fs::ReadOnlyFile* lateFile = late.get();
  ahead.Keep(2, std::move(late));
  work.join();
  EXPECT_EQ(taken.get(), lateFile);
}

// An open the Env fails gives that row what a file that cannot be opened
// (a FIFO) gives it, and every other row what it gets anyway.
TEST_F(RunFileOpens, AFailedOpenLabelsOnlyItsRowAsUnopenable) {
  for (const RunCase& c : kRuns) {
    for (const char* name : {"b.jpg", "c.cr2", "d.heic", "g.mov"}) {
      SCOPED_TRACE(std::string(c.name) + " " + name);
      testing::TempDir faulty, fifo;
      Fill(faulty);
      Fill(fifo, name);
      EXPECT_EQ(Rows(c, faulty, OpenCountingEnv(std::string("/") + name)), Rows(c, fifo, OpenCountingEnv()));
    }
  }
}

}  // namespace
}  // namespace pictray
