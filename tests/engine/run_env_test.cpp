// A run reads its settings through its state's Env, so that a test's Env
// sees (and can fail) that read too.
#include <gtest/gtest.h>

#include <functional>
#include <mutex>
#include <set>

#include "engine/run/command_ids.h"
#include "engine/runs/jpeg_runs.h"
#include "engine/runs/listup.h"
#include "engine/move/move_prepare.h"
#include "engine/runs/name_sets.h"
#include "tests/support/recording_host.h"
#include "tests/support/temp_dir.h"

namespace pictray {
namespace {

// The real file system, remembering the paths opened through it.
class OpenRecordingEnv : public fs::PosixEnv {
 public:
  int Open(int dir, const char* path, int flags, mode_t mode = 0) const override {
    std::lock_guard<std::mutex> l(m_);
    opened_.insert(path);
    return PosixEnv::Open(dir, path, flags, mode);
  }
  bool Opened(const std::string& path) const {
    std::lock_guard<std::mutex> l(m_);
    return opened_.count(path) > 0;
  }

 private:
  mutable std::mutex m_;
  mutable std::set<std::string> opened_;
};

TEST(RunEnv, RunsReadTheirSettingsThroughTheStatesEnv) {
  using Start = std::function<void(PictrayState&, RunHost&, const std::string& folder)>;
  const std::pair<const char*, Start> runs[] = {
      {"list-up", [](PictrayState& st, RunHost& host, const std::string& folder) {
         st.blocks.val3.Start(folder);
         ThreadSetListView(st.blocks.val3, st, host, RunRegistry::Guard(st.runs));
       }},
      {"exif", [](PictrayState& st, RunHost& host, const std::string& folder) {
         st.blocks.val.Start(folder, 1);
         ThreadExDate(st.blocks.val, st, host, RunRegistry::Guard(st.runs));
       }},
      {"name set", [](PictrayState& st, RunHost& host, const std::string&) { SetList04(host, st, "*"); }},
      {"move check", [](PictrayState& st, RunHost& host, const std::string& folder) { BeforMoveCheck(host, st, folder, cmd::RgbStrength); }},
  };
  for (const auto& [name, start] : runs) {
    testing::TempDir dir;
    OpenRecordingEnv env;
    PictrayState st;
    st.env = &env;
    st.profile = dir.path() + "/work.ini";
    testing::RecordingHost host;
    start(st, host, dir.path());
    EXPECT_TRUE(env.Opened(st.profile)) << name;
  }
}

}  // namespace
}  // namespace pictray
