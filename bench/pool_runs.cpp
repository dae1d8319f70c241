// The runs that read files, on a chosen number of workers, and the row
// list at a million rows.
// Usage:
//   bench_pool_runs run FOLDER exif|size|ng WORKERS   one run over every file of
//       FOLDER (NG with "JlibCheck" 1); prints "RUN WORKERS seconds labelled"
//   bench_pool_runs sort ROWS   ROWS rows with short names and repeated targets,
//       sorted by each column in turn; prints "sort COLUMN seconds"
//   bench_pool_runs photos FOLDER COUNT   writes COUNT 4000 x 3000 JPEGs
#include <dirent.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench/photo_jpeg.h"
#include "engine/runs/jpeg_runs.h"
#include "engine/settings/profile.h"
#include "tests/support/recording_host.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point t0) { return std::chrono::duration<double>(Clock::now() - t0).count(); }

std::vector<std::string> ListFiles(const std::string& folder) {
  std::vector<std::string> names;
  if (DIR* d = ::opendir(folder.c_str())) {
    while (dirent* e = ::readdir(d))
      if (e->d_name[0] != '.') names.push_back(e->d_name);
    ::closedir(d);
  }
  return names;
}

int Run(const std::string& folder, const std::string& which, int workers) {
  pictray::PictrayState st;
  st.profile = folder + ".bench.ini";
  if (!pictray::WriteProfileString(*st.env, "Section0", "ExifSel", "7", st.profile) ||
      !pictray::WriteProfileString(*st.env, "Section0", "JlibCheck", "1", st.profile)) {
    std::fprintf(stderr, "cannot write %s\n", st.profile.c_str());
    return 1;
  }
  st.PoolMax = workers;
  std::vector<pictray::Row> rows;
  for (std::string& n : ListFiles(folder)) rows.push_back({std::move(n), "", "", ""});
  st.rows.append(std::move(rows));
  pictray::testing::RecordingHost host;
  st.blocks.val.Start(folder, 1);
  const auto t0 = Clock::now();
  if (which == "exif")
    pictray::ThreadExDate(st.blocks.val, st, host, pictray::RunRegistry::Guard(st.runs));
  else if (which == "size")
    pictray::ThreadJpegImageSize(st.blocks.val, st, host, pictray::RunRegistry::Guard(st.runs));
  else if (which == "ng")
    pictray::ThreadJpegIError(st.blocks.val, st, host, pictray::RunRegistry::Guard(st.runs));
  else
    return 2;
  const double s = Seconds(t0);
  std::size_t labelled = 0;
  st.rows.forEach([&](std::size_t, const pictray::Row& r) { labelled += !r.target.empty(); });
  std::printf("%s %d %.3f %zu\n", which.c_str(), workers, s, labelled);
  std::remove(st.profile.c_str());
  return 0;
}

int Sort(std::size_t n) {
  pictray::FileList list;
  std::vector<pictray::Row> rows;
  rows.reserve(n);
  for (std::size_t i = 0; i < n; ++i) {
    // Names in a shuffled order, targets as a date run gives them.
    const std::size_t k = (i * 2654435761u) % n;
    char name[32], target[32];
    std::snprintf(name, sizeof name, "IMG_%07zu.JPG", k);
    std::snprintf(target, sizeof target, "2024_%02zu_%02zu", k % 12 + 1, k % 28 + 1);
    rows.push_back({name, target, k % 3 ? "E" : "Z", ""});
  }
  list.append(std::move(rows));
  int SortBit = 0;
  for (int column : {0, 1, 2, 0}) {
    const auto t0 = Clock::now();
    list.Sort(column, SortBit);
    std::printf("sort %d %.3f\n", column, Seconds(t0));
  }
  return 0;
}

int Photos(const std::string& folder, int count) {
  for (int i = 0; i < count; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "/photo_%04d.jpg", i);
    if (!pictray::bench::WritePhoto(folder + name, static_cast<std::uint32_t>(i + 1))) return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string what = argc > 1 ? argv[1] : "";
  if (what == "run" && argc == 5) return Run(argv[2], argv[3], std::atoi(argv[4]));
  if (what == "sort" && argc == 3) return Sort(std::strtoul(argv[2], nullptr, 10));
  if (what == "photos" && argc == 4) return Photos(argv[2], std::atoi(argv[3]));
  std::fprintf(stderr, "usage: %s run FOLDER exif|size|ng WORKERS | sort ROWS | photos FOLDER COUNT\n", argv[0]);
  return 2;
}
