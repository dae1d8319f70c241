// Runs on a worker while another thread reads the rows, as the window does.
// Built and run under ThreadSanitizer by scripts/tsan.sh.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <set>
#include <thread>

#include "engine/runs/listup.h"
#include "engine/settings/profile.h"
#include "tests/support/recording_host.h"
#include "tests/support/temp_dir.h"

namespace pictray {
namespace {

TEST(RunConcurrency, ListupWhileTheViewReadsRowsAndAbortArrives) {
  testing::TempDir folder, settings;
  for (int i = 0; i < 3000; ++i) folder.Write("file" + std::to_string(i) + ".jpg", "");
  PictrayState st;
  st.profile = settings.path() + "/w.ini";
  WriteProfileString(pictray::fs::DefaultEnv(), "Section0", "ReadDay", "0", st.profile);
  testing::RecordingHost host;
  st.blocks.val3.Start(folder.path());

  RunRegistry::Guard guard(st.runs);
  std::atomic<bool> done{false};
  std::thread worker([&, g = std::move(guard)]() mutable {
    ThreadSetListView(st.blocks.val3, st, host, std::move(g));
    done = true;
  });
  // A row the view can see is whole: its name is there from the start.
  std::size_t unnamed = 0;
  while (!done) {
    const std::size_t n = st.rows.ListMax();
    for (std::size_t i = 0; i < n; i += 97) unnamed += st.rows.cell(i, 0).empty() ? 1 : 0;
  }
  worker.join();
  EXPECT_EQ(st.rows.ListMax(), 3000u);
  EXPECT_EQ(unnamed, 0u);
  EXPECT_FALSE(st.runs.Active());

  // A second run aborted from this thread while it lists.
  st.rows.clear();
  st.blocks.val3.Start(folder.path());
  std::thread second([&] { ThreadSetListView(st.blocks.val3, st, host, RunRegistry::Guard(st.runs)); });
  st.blocks.AbortAll();
  second.join();
  // Whatever the abort left is a list of distinct files of the folder, and
  // the run has ended its registration.
  std::set<std::string> names;
  st.rows.forEach([&](std::size_t, const Row& r) { names.insert(r.name); });
  EXPECT_EQ(names.size(), st.rows.ListMax());
  for (const std::string& n : names) EXPECT_TRUE(std::filesystem::exists(folder.path() + "/" + n)) << n;
  EXPECT_FALSE(st.runs.Active());
}

TEST(RunConcurrency, WorkerWritesTargetsWhileSummaryIsBuilt) {
  PictrayState st;
  std::vector<Row> rows(2000);
  for (std::size_t i = 0; i < rows.size(); ++i) rows[i].name = "f" + std::to_string(i);
  st.rows.append(std::move(rows));
  std::thread worker([&] {
    for (std::size_t i = 0; i < 2000; ++i) st.rows.storeResult(i, "t" + std::to_string(i % 7), "E");
  });
  for (int k = 0; k < 50; ++k) {
    auto lines = st.rows.CountSetItem();
    EXPECT_LE(lines.size(), 7u);
  }
  worker.join();
  EXPECT_EQ(st.rows.CountSetItem().size(), 7u);
}

}  // namespace
}  // namespace pictray
