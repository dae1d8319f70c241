// Lists a folder, classifies its files by the pattern given and moves them,
// all through the engine, and prints the files moved per second.
// Usage: bench_move_engine FOLDER PATTERN
#include <chrono>
#include <cstdio>
#include <string>

#include "engine/journal/journal.h"
#include "engine/runs/listup.h"
#include "engine/move/move_run.h"
#include "engine/runs/name_sets.h"
#include "engine/runs/run_commands.h"
#include "engine/run/null_host.h"
#include "texts/texts.h"

namespace pictray {
namespace {

double Seconds(std::chrono::steady_clock::time_point from) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - from).count();
}

int Main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s FOLDER PATTERN\n", argv[0]);
    return 2;
  }
  const std::string folder = argv[1];
  PictrayState st;
  st.journalDir = JournalDir(pictray::fs::DefaultEnv(), "pictray");
  NullHost host;
  const auto start = std::chrono::steady_clock::now();
  st.blocks.val3.Start(folder);
  ThreadSetListView(st.blocks.val3, st, host, RunRegistry::Guard(st.runs));
  SetList04(host, st, argv[2]);
  const auto moveStart = std::chrono::steady_clock::now();
  PrepareMove(host, st, folder, cmd::RgbStrength);
  st.blocks.val21.Start(folder);
  const MoveReport r = ThreadMakeFoldaAndMove(st.blocks.val21, st, host, pictray::RunRegistry::Guard(st.runs));
  const double moveOnly = Seconds(moveStart);
  const double total = Seconds(start);
  std::printf("engine (list-up + classify + move): %d files, %zu folders, %.3f s, %.0f files/s\n",
              r.moved, r.lines.size(), total, r.moved / total);
  std::printf("engine (move run alone):            %.3f s, %.0f files/s\n", moveOnly,
              r.moved / moveOnly);
  for (const MoveFailure& f : r.failures)
    std::fprintf(stderr, "%s\n", texts::Words(MoveFailureMessage(f), texts::Language::Japanese).c_str());
  return r.failures.empty() ? 0 : 1;
}

}  // namespace
}  // namespace pictray

int main(int argc, char** argv) { return pictray::Main(argc, argv); }
