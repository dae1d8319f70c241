// A worker whose files keep turning out cached hints ever more rarely, and
// hints every file again once one is not.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/fs/read_hint.h"

namespace pictray {
namespace {

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
