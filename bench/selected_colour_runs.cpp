// Times the all-colour run on camera-sized JPEGs (4000 x 3000) with 1,000
// selected colours that none of the photos holds (every pixel is looked at)
// against a loop that only decodes the same files at full size (JpegToBuffer,
// each picture held whole in memory), and against the row-by-row
// decoding the run stands on with every row dropped; each on one worker and
// on two.
// Usage: bench_selected_colour_runs [FILES] [Google Benchmark options]
// With PICTRAY_BENCH_PHOTOS=DIR the photos are written to (and kept in) DIR.
#include <stdlib.h>
#include <unistd.h>

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/photo_jpeg.h"
#include "engine/colour/selected_colours.h"
#include "engine/jpeg/jpeg_decode.h"
#include "engine/jpeg/jpeg_rows.h"
#include "engine/run/null_host.h"
#include "engine/runs/row_pool.h"
#include "engine/runs/selected_colour_runs.h"
#include "engine/settings/profile.h"

namespace {

using namespace pictray;

struct Photos {
  std::string folder;
  std::vector<std::string> names;
};

// The photos' green channel stays below 246: colours of green 250 and up
// are never met.
SelectedColours AbsentColours() {
  SelectedColours set(1000);
  for (std::uint32_t i = 0; i < 1000; ++i) set.Add(ColourValue({int(i % 256), 250 + int(i / 256), int(i * 7 % 256)}));
  return set;
}

// JpegToBuffer over every photo on `workers` threads, the files handed out
// one at a time as the run's pool does.
void DecodeLoop(benchmark::State& state, const Photos* p) {
  const int workers = static_cast<int>(state.range(0));
  for (auto _ : state) {
    std::atomic<std::size_t> next{0};
    std::atomic<bool> failed{false};
    OnWorkers(workers, [&](int) {
      Picture pic;
      for (std::size_t i = next++; i < p->names.size(); i = next++)
        if (JpegToBuffer(pictray::fs::DefaultEnv(), p->folder + "/" + p->names[i], pic) != 0) failed = true;
    });
    if (failed) state.SkipWithError("not decoded");
  }
  state.SetItemsProcessed(state.iterations() * static_cast<long>(p->names.size()));
}

// The floor under the run: the same decoding row by row, each row dropped.
void DecodeRowsOnly(benchmark::State& state, const Photos* p) {
  const int workers = static_cast<int>(state.range(0));
  for (auto _ : state) {
    std::atomic<std::size_t> next{0};
    std::atomic<bool> failed{false};
    OnWorkers(workers, [&](int) {
      for (std::size_t i = next++; i < p->names.size(); i = next++)
        if (JpegForEachRow(pictray::fs::ReadOnlyFile(pictray::fs::DefaultEnv(), p->folder + "/" + p->names[i]), [](auto...) { return true; }) != RowsOutcome::Done)
          failed = true;
    });
    if (failed) state.SkipWithError("not decoded");
  }
  state.SetItemsProcessed(state.iterations() * static_cast<long>(p->names.size()));
}

void AllColourRun(benchmark::State& state, const Photos* p, const std::string& ini) {
  PictrayState st;
  st.profile = ini;
  st.PoolMax = static_cast<int>(state.range(0));
  NullHost host;
  const SelectedColours colours = AbsentColours();
  for (auto _ : state) {
    state.PauseTiming();
    st.rows.clear();
    std::vector<Row> rows;
    for (const std::string& n : p->names) rows.push_back({n, "", "", ""});
    st.rows.append(std::move(rows));
    state.ResumeTiming();
    st.blocks.val5.Start(p->folder);
    ThreadAllColor(st.blocks.val5, st, host, colours, "", RunRegistry::Guard(st.runs));
  }
  if (st.rows.target(0) != "0_0_0") state.SkipWithError("a colour was found");
  state.SetItemsProcessed(state.iterations() * static_cast<long>(p->names.size()));
}

}  // namespace

int main(int argc, char** argv) {
  int files = 200;
  if (argc > 1 && argv[1][0] != '-') {
    files = std::max(1, std::atoi(argv[1]));
    for (int i = 1; i + 1 < argc; ++i) argv[i] = argv[i + 1];
    --argc;
  }
  const char* keep = std::getenv("PICTRAY_BENCH_PHOTOS");
  Photos photos;
  if (keep && *keep) {
    photos.folder = keep;
    std::filesystem::create_directories(photos.folder);
  } else {
    const char* tmp = std::getenv("TMPDIR");
    std::string dir = std::string(tmp && *tmp ? tmp : "/tmp") + "/allcolour_bench_XXXXXX";
    if (!::mkdtemp(dir.data())) return 1;
    photos.folder = dir;
  }
  for (int i = 0; i < files; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "photo%03d.jpg", i);
    const std::string path = photos.folder + "/" + name;
    if (!std::filesystem::exists(path) && !pictray::bench::WritePhoto(path, 12345u + 7919u * i)) {
      std::fprintf(stderr, "cannot write %s\n", path.c_str());
      return 1;
    }
    photos.names.push_back(name);
  }
  const std::string ini = photos.folder + "/../allcolour_bench.ini";
  WriteProfileString(fs::DefaultEnv(), "Section0", "AllColorMode", "1", ini);

  benchmark::RegisterBenchmark("full_decode_loop/workers", DecodeLoop, &photos)
      ->Arg(1)->Arg(2)->UseRealTime()->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("decode_rows_only/workers", DecodeRowsOnly, &photos)
      ->Arg(1)->Arg(2)->UseRealTime()->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("allcolor_run_1000_colours/workers", AllColourRun, &photos, ini)
      ->Arg(1)->Arg(2)->UseRealTime()->Unit(benchmark::kMillisecond);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::error_code ec;
  std::filesystem::remove(ini, ec);
  if (!keep || !*keep) std::filesystem::remove_all(photos.folder, ec);
  return 0;
}
