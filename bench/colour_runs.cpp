// Times the colour runs on camera-sized JPEGs (4000 x 3000): drawing the
// 300 x 300 sample on one core against decoding the same files at libjpeg's
// 1/8 scale and nothing else, and each colour run on two workers against one.
// Usage: bench_colour_runs [FILES] [Google Benchmark options]
// With PICTRAY_BENCH_PHOTOS=DIR the photos are written to (and kept in) DIR,
// so that bench/colour_bench.sh can time other tools on the same files.
#include <stdlib.h>
#include <unistd.h>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "bench/photo_jpeg.h"
#include "engine/colour/rgb_name.h"
#include "engine/run/null_host.h"
#include "engine/runs/colour_runs.h"
#include "engine/settings/profile.h"
#include "thumbkit/thumbkit.h"

namespace {

using namespace pictray;

struct Photos {
  std::string folder;
  std::vector<std::string> names;
};

// Rows for every photo, unclassified, and the settings the runs read.
void ResetRows(PictrayState& st, const Photos& p) {
  st.rows.clear();
  std::vector<Row> rows;
  for (const std::string& n : p.names) rows.push_back({n, "", "", ""});
  st.rows.append(std::move(rows));
}

void Sample300(benchmark::State& state, const Photos* p) {
  constexpr int kEdge = 300;
  std::vector<unsigned char> surface(std::size_t((3 * kEdge + 3) & ~3) * kEdge);
  for (auto _ : state)
    for (const std::string& n : p->names)
      if (MakeMinImage(surface.data(), (p->folder + "/" + n).c_str(), kEdge, 0, 1) != 0)
        state.SkipWithError("not drawn");
  state.SetItemsProcessed(state.iterations() * static_cast<long>(p->names.size()));
}

void DecodeFloor(benchmark::State& state, const Photos* p) {
  for (auto _ : state)
    for (const std::string& n : p->names)
      if (!pictray::bench::DecodeAtOneEighth(p->folder + "/" + n)) state.SkipWithError("not decoded");
  state.SetItemsProcessed(state.iterations() * static_cast<long>(p->names.size()));
}

// A colour run over every photo with at most `state.range(0)` workers.
template <typename Run>
void ColourRun(benchmark::State& state, const Photos* p, const std::string& ini, Run run) {
  PictrayState st;
  st.profile = ini;
  st.MMI = MakeMinImage;
  st.MMIs = MakeMinImages;
  // As the program binds the library: within the run's budget, on the
  // files the run has open.
  st.MMIWithin = MakeMinImageWithin;
  st.MMIsWithin = MakeMinImagesWithin;
  st.MMIsFdWithin = MakeMinImagesFdWithin;
  st.PoolMax = static_cast<int>(state.range(0));
  NullHost host;
  for (auto _ : state) {
    state.PauseTiming();
    ResetRows(st, *p);
    state.ResumeTiming();
    run(st, host);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<long>(p->names.size()));
}

void RgbRun(benchmark::State& state, const Photos* p, const std::string& ini) {
  ColourRun(state, p, ini, [p](PictrayState& st, NullHost& host) {
    st.blocks.val.Start(p->folder);
    ThreadRGB(st.blocks.val, st, host, MakeJposBit({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}),
              RunRegistry::Guard(st.runs));
  });
}

void StrengthRun(benchmark::State& state, const Photos* p, const std::string& ini) {
  ColourRun(state, p, ini, [p](PictrayState& st, NullHost& host) {
    st.blocks.valrp.Start(p->folder);
    ThreadTopRGB(st.blocks.valrp, st, host, RunRegistry::Guard(st.runs));
  });
}

// The ratio run's two workers at once (range 2), or one after the other (1).
void RatioRun(benchmark::State& state, const Photos* p, const std::string& ini) {
  const bool together = state.range(0) == 2;
  ColourRun(state, p, ini, [p, together](PictrayState& st, NullHost& host) {
    PrepareRatioRun(st, p->folder);
    if (together) {
      std::thread odd([&st, &host, g = RunRegistry::Guard(st.runs)]() mutable {
        ThreadRGBPer2(st.blocks.valrp2, st, host, std::move(g));
      });
      ThreadRGBPer(st.blocks.valrp, st, host, RunRegistry::Guard(st.runs));
      odd.join();
    } else {
      ThreadRGBPer(st.blocks.valrp, st, host, RunRegistry::Guard(st.runs));
      ThreadRGBPer2(st.blocks.valrp2, st, host, RunRegistry::Guard(st.runs));
    }
  });
}

}  // namespace

int main(int argc, char** argv) {
  int files = 24;
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
    std::string dir = std::string(tmp && *tmp ? tmp : "/tmp") + "/colour_bench_XXXXXX";
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
  const std::string ini = photos.folder + "/../colour_bench.ini";
  WriteProfileString(fs::DefaultEnv(), "Section0", "RGB64", "0", ini);

  benchmark::RegisterBenchmark("sample_300x300/one_core", Sample300, &photos)->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("decode_at_1/8/one_core", DecodeFloor, &photos)->Unit(benchmark::kMillisecond);
  using RunBench = void (*)(benchmark::State&, const Photos*, const std::string&);
  const std::pair<const char*, RunBench> runs[] = {
      {"rgb_run/workers", RgbRun}, {"strength_run/workers", StrengthRun}, {"ratio_run/workers", RatioRun}};
  for (const auto& [name, fn] : runs)
    benchmark::RegisterBenchmark(name, fn, &photos, ini)->Arg(1)->Arg(2)->UseRealTime()->Unit(benchmark::kMillisecond);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::error_code ec;
  std::filesystem::remove(ini, ec);
  if (!keep || !*keep) std::filesystem::remove_all(photos.folder, ec);
  return 0;
}
