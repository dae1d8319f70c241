// The search for the same picture over one folder, as a run makes it:
// listed, exact copies grouped, then FindSimilar with the thumbnail library
// linked in. Prints each group on one line (the kept file first, names
// separated by tabs) and, on stderr, the time of each phase and the peak
// memory after it.
// Usage: bench_similar_search FOLDER [--cache DIR] [--threads N] [--radius R]
//        [--crop-radius R] [--colour C] [--correlation R] [--area PERCENT]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "engine/dupes/dupes.h"
#include "engine/dupes/groups.h"
#include "engine/similar/similar_search.h"
#include "thumbkit/thumbkit.h"

namespace {

// The most memory the bench has held so far, in KB.
long PeakKb() {
  FILE* f = std::fopen("/proc/self/status", "r");
  if (!f) return 0;
  char line[256];
  long kb = 0;
  while (std::fgets(line, sizeof line, f))
    if (std::strncmp(line, "VmHWM:", 6) == 0) kb = std::atol(line + 6);
  std::fclose(f);
  return kb;
}

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

}  // namespace

int main(int argc, char** argv) {
  using namespace pictray;
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s FOLDER [--cache DIR] [--threads N] [--radius R] [--colour C] "
                         "[--correlation R] [--area PERCENT]\n", argv[0]);
    return 2;
  }
  similar::SimilarTools tools;
  similar::MatchLimits limits;
  tools.lib = ThumbnailCalls(::MakeMinImage);
  tools.lib.oneWithin = ::MakeMinImageWithin;
  for (int i = 2; i + 1 < argc; i += 2) {
    const std::string flag = argv[i];
    const char* value = argv[i + 1];
    if (flag == "--cache") tools.cacheDir = value;
    else if (flag == "--threads") tools.threads = static_cast<unsigned>(std::atoi(value));
    else if (flag == "--radius") limits.hashRadius = std::atoi(value);
    else if (flag == "--crop-radius") limits.cropHashRadius = std::atoi(value);
    else if (flag == "--colour") limits.colour = std::atof(value);
    else if (flag == "--correlation") limits.correlation = std::atof(value);
    else if (flag == "--area") limits.commonAreaPercent = std::atoi(value);
    else return 2;
  }
  const fs::Env& env = fs::DefaultEnv();
  auto start = std::chrono::steady_clock::now();
  std::vector<dupes::FileRec> table = dupes::SetListView(env, argv[1], nullptr, dupes::Keying::WhereNeeded);
  dupes::SetSizeWork(table);
  dupes::SortFileTable(table, 0);
  dupes::SetFolda(env, table);
  std::fprintf(stderr, "listed and grouped %zu files: %.2f s, peak %ld KB\n", table.size(), Seconds(start), PeakKb());
  start = std::chrono::steady_clock::now();
  auto phaseStart = start;
  SearchPhase shown = SearchPhase::Measuring;
  const dupes::TwinReview review = similar::FindSimilar(
      env, table, dupes::GroupsOfTable(table), tools, dupes::DefaultKeepRule(),
      [&](SearchPhase phase, std::size_t, std::size_t total) {
        if (phase == shown) return;
        std::fprintf(stderr, "measured: %.2f s, peak %ld KB\n", Seconds(phaseStart), PeakKb());
        phaseStart = std::chrono::steady_clock::now();
        shown = phase;
        std::fprintf(stderr, "candidate pairs: %zu\n", total);
      },
      nullptr, limits);
  std::fprintf(stderr, "compared: %.2f s\nsearch: %.2f s, %zu groups, peak %ld KB\n", Seconds(phaseStart),
               Seconds(start), review.groups.size(), PeakKb());
  for (const dupes::TwinGroup& g : review.groups) {
    std::string line = table[g.members[g.kept].row].path;
    for (std::size_t m = 0; m < g.members.size(); ++m)
      if (m != g.kept) line += "\t" + table[g.members[m].row].path;
    std::printf("%s\n", line.c_str());
  }
  return 0;
}
