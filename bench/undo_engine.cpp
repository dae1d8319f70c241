// Times a move run of FOLDER (classified by the name PATTERN), the undo of
// that run, and the journal's own share of the move: the same records
// (with the look at each file before and after) written without moving.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <algorithm>
#include <string>
#include <vector>

#include "engine/journal/journal.h"
#include "engine/journal/undo.h"
#include "engine/run/null_host.h"
#include "engine/runs/listup.h"
#include "engine/move/move_run.h"
#include "engine/runs/name_sets.h"
#include "engine/runs/run_commands.h"

namespace pictray {
namespace {

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// What the journal adds to a move of every row, written as the move run
// writes it: the records, announced a batch ahead and flushed once per
// batch, and the mark after each move. The look at each file is not
// counted: the move takes it anyway and hands it to the journal.
double JournalAlone(const PictrayState& st, const std::string& folder) {
  const int dir = ::open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
  std::vector<struct stat> looks;
  std::vector<Row> rows;
  st.rows.forEach([&](std::size_t, const Row& row) {
    struct stat s {};
    ::fstatat(dir, row.name.c_str(), &s, AT_SYMLINK_NOFOLLOW);
    looks.push_back(s);
    rows.push_back(row);
  });
  ::close(dir);
  constexpr std::size_t kBatch = 256;
  const auto start = std::chrono::steady_clock::now();
  JournalWriter journal(pictray::fs::DefaultEnv());
  if (journal.Create(st.journalDir, JournalRunKind::Move, folder) != 0) return -1;
  for (std::size_t b = 0; b < rows.size(); b += kBatch) {
    const std::size_t end = std::min(rows.size(), b + kBatch);
    for (std::size_t i = b; i < end; ++i)
      journal.MoveBegin(static_cast<long>(i), rows[i].name, rows[i].target + "/" + rows[i].name, IdentityOf(looks[i]));
    journal.Flush();
    for (std::size_t i = b; i < end; ++i) {
      FileIdentity after = IdentityOf(looks[i]);
      after.ctimeNs = RealTimeNs(pictray::fs::DefaultEnv());
      journal.Done(static_cast<long>(i), after);
    }
  }
  journal.Close();
  const double seconds = Seconds(start);
  std::remove(journal.path().c_str());
  return seconds;
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
  st.blocks.val3.Start(folder);
  ThreadSetListView(st.blocks.val3, st, host, RunRegistry::Guard(st.runs));
  SetList04(host, st, argv[2]);

  auto start = std::chrono::steady_clock::now();
  PrepareMove(host, st, folder, cmd::RgbStrength);
  st.blocks.val21.Start(folder);
  const MoveReport moved = ThreadMakeFoldaAndMove(st.blocks.val21, st, host, RunRegistry::Guard(st.runs));
  const double moveSeconds = Seconds(start);

  start = std::chrono::steady_clock::now();
  JournalRun run;
  if (!LastUndoableRun(pictray::fs::DefaultEnv(), st.journalDir, folder, run)) {
    std::fprintf(stderr, "no journal in %s\n", st.journalDir.c_str());
    return 1;
  }
  const UndoReport undone = UndoRun(pictray::fs::DefaultEnv(), run, {}, nullptr);
  const double undoSeconds = Seconds(start);

  const double journalSeconds = JournalAlone(st, folder);
  std::printf("move run (journal included): %d files, %.3f s\n", moved.moved, moveSeconds);
  std::printf("undo of that run:            %zu files, %.3f s  (%.2fx the move)\n", undone.back, undoSeconds,
              undoSeconds / moveSeconds);
  std::printf("journal alone:               %.3f s  (%.1f%% on top of the move without it)\n", journalSeconds,
              100.0 * journalSeconds / (moveSeconds - journalSeconds));
  return moved.failures.empty() && undone.left.empty() ? 0 : 1;
}

}  // namespace
}  // namespace pictray

int main(int argc, char** argv) { return pictray::Main(argc, argv); }
