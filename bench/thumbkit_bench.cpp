// Times MakeMinImage drawing a 4000 x 3000 JPEG into 100 x 100 (the whole
// picture and one cell of a 4 x 4 grid) against the floor it stands on: a
// loop that only decodes the same file at libjpeg's 1/8 scale.
// Usage: bench_thumbkit_bench [Google Benchmark options]
#include <unistd.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "bench/photo_jpeg.h"
#include "thumbkit/thumbkit.h"

namespace {

using pictray::bench::DecodeAtOneEighth;
using pictray::bench::WritePhoto;

constexpr int kEdge = 100;

void Thumbnail(benchmark::State& state, const std::string& path, int part) {
  std::vector<unsigned char> surface(std::size_t((3 * kEdge + 3) & ~3) * kEdge);
  for (auto _ : state)
    if (MakeMinImage(surface.data(), path.c_str(), kEdge, part, 4) != 0) state.SkipWithError("not drawn");
  benchmark::DoNotOptimize(surface.data());
}

void Floor(benchmark::State& state, const std::string& path) {
  for (auto _ : state)
    if (!DecodeAtOneEighth(path)) state.SkipWithError("not decoded");
}

}  // namespace

int main(int argc, char** argv) {
  const char* tmp = std::getenv("TMPDIR");
  std::string path = std::string(tmp && *tmp ? tmp : "/tmp") + "/thumbkit_bench_XXXXXX";
  const int fd = ::mkstemp(path.data());
  if (fd < 0 || ::close(fd) != 0 || !WritePhoto(path)) {
    std::fprintf(stderr, "cannot write the test picture %s\n", path.c_str());
    return 1;
  }
  benchmark::RegisterBenchmark("MakeMinImage/4000x3000_to_100/whole", Thumbnail, path, 0)
      ->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("MakeMinImage/4000x3000_to_100/cell_1_of_4x4", Thumbnail, path, 1)
      ->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("MakeMinImage/4000x3000_to_100/cell_16_of_4x4", Thumbnail, path, 16)
      ->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("libjpeg/4000x3000_decode_at_1/8", Floor, path)->Unit(benchmark::kMillisecond);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return std::remove(path.c_str()) == 0 ? 0 : 1;
}
