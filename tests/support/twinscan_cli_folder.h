// A folder for twinscan-cli to work on, below a scratch folder that holds
// the program's output and its feature cache.
#pragma once

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/run_program.h"

namespace pictray::testing {

class TwinscanCliFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    S = d.path() + "/src";
    std::filesystem::create_directory(S);
    ::setenv("XDG_CACHE_HOME", (d.path() + "/cache").c_str(), 1);
  }
  ProgramRun Cli(std::vector<std::string> args) {
    args.insert(args.begin(), std::string(PICTRAY_BIN_DIR) + "/twinscan-cli");
    return RunProgram(d, std::move(args));
  }
  // Whether the same pictures can be looked for: the thumbnail library is built.
  static bool Drawing() { return std::filesystem::exists(std::string(PICTRAY_BIN_DIR) + "/libthumbkit.so"); }
  void Write(const std::string& name, const std::string& bytes) const {
    std::ofstream(S + "/" + name, std::ios::binary) << bytes;
  }
  std::string P(const std::string& name) const { return S + "/" + name; }
  // Every file of the folder modified at one time, so that no copy is older
  // than another by the moment it was written.
  void OneTime(time_t t = 1700000000) const {
    const struct timespec times[2] = {{t, 0}, {t, 0}};
    for (const auto& e : std::filesystem::directory_iterator(S)) ::utimensat(AT_FDCWD, e.path().c_str(), times, 0);
  }

  TempDir d;
  std::string S;  // the folder worked on
};

}  // namespace pictray::testing
