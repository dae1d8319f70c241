// The read-ahead asks the kernel only for bytes it does not hold yet, and a
// worker whose files keep turning out cached hints ever more rarely.
#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <utility>
#include <vector>

#include "engine/fs/read_hint.h"
#include "tests/support/temp_dir.h"

namespace pictray {
namespace {

// Answers the cache probe as told and notes the probe and the advice.
struct ProbedEnv : fs::PosixEnv {
  explicit ProbedEnv(bool cached) : cached(cached) {}
  ssize_t Preadv2(int, void*, std::size_t, off_t at, int) const override {
    probed.push_back(at);
    errno = EAGAIN;
    return cached ? 1 : -1;
  }
  int Fadvise(int, off_t at, off_t length, int) const override {
    advised.emplace_back(at, length);
    return 0;
  }
  bool cached;
  mutable std::vector<off_t> probed;
  mutable std::vector<std::pair<off_t, off_t>> advised;
};

TEST(ReadAhead, ProbesTheLastWantedByteAndAnnouncesOnlyWhatIsNotCached) {
  struct Case {
    std::uint64_t head, tail;
    bool cached;
    HintFound found;
    off_t probed;
    std::vector<std::pair<off_t, off_t>> advised;
  } const cases[] = {
      {100, 0, true, HintFound::Cached, 99, {}},
      {100, 0, false, HintFound::Announced, 99, {{0, 100}}},
      {100, 50, false, HintFound::Announced, 999, {{0, 100}, {950, 50}}},
      {0, 0, false, HintFound::Announced, 999, {{0, 0}}},
      {4000, 0, false, HintFound::Announced, 999, {{0, 0}}},  // more than the file: all of it
  };
  testing::TempDir dir;
  const std::string file = dir.Write("f.jpg", std::string(1000, 'x'));
  for (const Case& c : cases) {
    const ProbedEnv env(c.cached);
    EXPECT_EQ(HintWillRead(env, file, c.head, c.tail), c.found) << c.head << "+" << c.tail;
    EXPECT_EQ(env.probed, std::vector<off_t>{c.probed}) << c.head << "+" << c.tail;
    EXPECT_EQ(env.advised, c.advised) << c.head << "+" << c.tail;
  }
  EXPECT_EQ(HintWillRead(ProbedEnv(false), dir.path(), 100, 0), HintFound::Nothing);
}

TEST(ReadAhead, PacerPassesOverMoreFilesWhileTheyAreCached) {
  constexpr HintFound C = HintFound::Cached, A = HintFound::Announced, N = HintFound::Nothing;
  struct Case {
    std::vector<HintFound> found;  // what each hint finds, in turn
    std::string hinted;            // per file: 'h' hinted, '.' passed over
  } const cases[] = {
      {{A, A, A, A}, "hhhh"},
      {{C, C, C, C}, "h.h..h....h"},
      {{C, C, A, A, C}, "h.h..hhh."},
      {{C, N, N, C}, "h.hhh.."},
  };
  for (const Case& c : cases) {
    HintPacer pacer;
    std::string got;
    for (std::size_t next = 0; got.size() < c.hinted.size();) {
      const bool due = pacer.Due();
      if (due) pacer.Saw(c.found[next++]);
      got += due ? 'h' : '.';
    }
    EXPECT_EQ(got, c.hinted);
  }
}

}  // namespace
}  // namespace pictray
