// Times MakeMinImage drawing a 4000 x 3000 JPEG into 100 x 100 (the whole
// picture and one cell of a 4 x 4 grid) against the floor it stands on: a
// loop that only decodes the same file at libjpeg's 1/8 scale. The same
// photo as a HEIC (heif-enc) and as the preview of a raw stand-in (a small
// DNG holding it, made with exiv2 and exiftool) when those tools are there.
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

// Writes `jpeg` as out.heic and as the preview of out.dng in `folder`;
// false when a tool is missing or fails.
bool WriteOtherFormats(const std::string& folder, const std::string& jpeg) {
  const std::string script = "cd '" + folder + "' && heif-enc -q 80 '" + jpeg +
                             "' -o out.heic >/dev/null && convert -size 160x120 xc:grey -depth 8 out.tif && cp '" +
                             jpeg + "' out-thumb.jpg && exiv2 -it out.tif && exiftool -q -overwrite_original "
                             "-DNGVersion=1.4.0.0 out.tif && mv out.tif out.dng";
  return std::system(script.c_str()) == 0;
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
  char folder[] = "/tmp/thumbkit_bench_formats_XXXXXX";
  const bool made = ::mkdtemp(folder) != nullptr;
  const bool others = made && WriteOtherFormats(folder, path);
  if (others) {
    benchmark::RegisterBenchmark("MakeMinImage/4000x3000_HEIC_to_100/whole", Thumbnail,
                                 std::string(folder) + "/out.heic", 0)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("MakeMinImage/4000x3000_raw_preview_to_100/whole", Thumbnail,
                                 std::string(folder) + "/out.dng", 0)
        ->Unit(benchmark::kMillisecond);
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  const std::string remove = "rm -rf '" + std::string(folder) + "'";
  return std::remove(path.c_str()) == 0 && (!made || std::system(remove.c_str()) == 0) ? 0 : 1;
}
