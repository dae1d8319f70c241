// The read-ahead asks the kernel only for bytes it does not hold yet, and a
// worker whose files keep turning out cached hints ever more rarely.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <string>
#include <utility>
#include <vector>

#include "engine/fs/read_hint.h"
#include "tests/support/temp_dir.h"

namespace pictray {
namespace {

// Answers the cache probe as told and notes the probe and the advice.
class ProbedEnv : public fs::PosixEnv {
 public:
  explicit ProbedEnv(bool cached) : cached_(cached) {}
  ssize_t Preadv2(int, void*, std::size_t, off_t offset, int) const override {
    probed.push_back(offset);
    if (cached_) return 1;
    errno = EAGAIN;
    return -1;
  }
  int Fadvise(int, off_t offset, off_t length, int) const override {
    advised.emplace_back(offset, length);
    return 0;
  }
  mutable std::vector<off_t> probed;
  mutable std::vector<std::pair<off_t, off_t>> advised;

 private:
  bool cached_;
};

TEST(ReadAhead, ProbesTheLastWantedByteAndAnnouncesOnlyWhatIsNotCached) {
  using Ranges = std::vector<std::pair<off_t, off_t>>;
  struct Case {
    const char* name;
    std::uint64_t head, tail;
    bool cached;
    HintFound found;
    off_t probed;
    Ranges advised;
  } const cases[] = {
      {"head, cached", 100, 0, true, HintFound::Cached, 99, {}},
      {"head, not cached", 100, 0, false, HintFound::Announced, 99, {{0, 100}}},
      {"both ends", 100, 50, false, HintFound::Announced, 999, {{0, 100}, {950, 50}}},
      {"whole file", 0, 0, false, HintFound::Announced, 999, {{0, 0}}},
      {"head beyond the end", 4000, 0, false, HintFound::Announced, 999, {{0, 0}}},
  };
  testing::TempDir dir;
  dir.Write("f.jpg", std::string(1000, 'x'));
  for (const Case& c : cases) {
    const ProbedEnv env(c.cached);
    EXPECT_EQ(HintWillRead(env, dir.path() + "/f.jpg", c.head, c.tail), c.found) << c.name;
    EXPECT_EQ(env.probed, std::vector<off_t>{c.probed}) << c.name;
    EXPECT_EQ(env.advised, c.advised) << c.name;
  }
  const ProbedEnv env(false);
  EXPECT_EQ(HintWillRead(env, dir.path() + "/missing.jpg", 100, 0), HintFound::Nothing);
  EXPECT_EQ(HintWillRead(env, dir.path(), 100, 0), HintFound::Nothing);
  EXPECT_TRUE(env.probed.empty());
}

TEST(ReadAhead, PacerPassesOverMoreFilesWhileTheyAreCached) {
  constexpr HintFound C = HintFound::Cached, A = HintFound::Announced, N = HintFound::Nothing;
  struct Case {
    const char* name;
    std::vector<HintFound> found;  // what each hint finds, in turn
    const char* hinted;            // per file: 'h' hinted, '.' passed over
  } const cases[] = {
      {"cold: every file", {A, A, A, A}, "hhhh"},
      {"warm: 1, 2, 4 passed over", {C, C, C, C}, "h.h..h....h"},
      {"uncached again: every file", {C, C, A, A, C}, "h.h..hhh."},
      {"no file: no change", {C, N, N, C}, "h.hhh.."},
  };
  for (const Case& c : cases) {
    HintPacer pacer;
    std::string got;
    std::size_t next = 0;
    for (std::size_t file = 0; got.size() < std::string(c.hinted).size(); ++file) {
      if (!pacer.Due()) {
        got += '.';
        continue;
      }
      got += 'h';
      pacer.Saw(c.found[next++]);
    }
    EXPECT_EQ(got, c.hinted) << c.name;
  }
  // Never more than kMaxPassed files between two hints.
  HintPacer pacer;
  std::size_t passed = 0, longest = 0;
  for (int file = 0; file < 1000; ++file) {
    if (pacer.Due()) {
      pacer.Saw(HintFound::Cached);
      passed = 0;
    } else {
      longest = std::max(longest, ++passed);
    }
  }
  EXPECT_EQ(longest, HintPacer::kMaxPassed);
}

}  // namespace
}  // namespace pictray
