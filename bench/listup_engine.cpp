// Lists a folder through the engine's list-up run, as the window does, and
// prints the best of several runs in files per second.
// Usage: bench_listup_engine FOLDER [REPEATS]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>

#include "engine/runs/listup.h"
#include "engine/run/null_host.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s FOLDER [REPEATS]\n", argv[0]);
    return 2;
  }
  const int repeats = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
  double best = 1e9;
  std::size_t listed = 0;
  for (int i = 0; i < repeats; ++i) {
    pictray::PictrayState st;
    pictray::NullHost host;
    st.blocks.val3.Start(argv[1]);
    const auto t0 = std::chrono::steady_clock::now();
    pictray::ThreadSetListView(st.blocks.val3, st, host, pictray::RunRegistry::Guard(st.runs));
    best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
    listed = st.rows.ListMax();
  }
  std::printf("engine list-up: %zu files, best %.4f s, %.0f files/s\n", listed, best, listed / best);
  return 0;
}
