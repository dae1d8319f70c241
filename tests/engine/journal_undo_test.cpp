// The move journal and the undo, on real folders: a move (or extraction)
// taken back gives the tree before it, a run killed anywhere can still be
// taken back, and what an undo may not touch stays where it is, named.
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <string>

#include "engine/run/command_ids.h"
#include "engine/move/extract.h"
#include "engine/fs/read_file.h"
#include "engine/fs/safe_move.h"
#include "engine/journal/journal_format.h"
#include "engine/journal/undo.h"
#include "engine/names/text_list.h"
#include "engine/run/null_host.h"
#include "engine/move/move_run.h"
#include "engine/runs/twinscan_run.h"
#include "engine/runs/undo_run.h"
#include "tests/support/recording_host.h"
#include "tests/support/recording_twinscan_host.h"
#include "tests/support/temp_dir.h"

namespace pictray {
namespace {

namespace fs = std::filesystem;
using testing::ReadWhole;
using testing::TempDir;

std::string UndoEndText(const UndoReport& r) { return texts::Words(UndoEndMessage(r), texts::Language::Japanese); }
std::string UndoReasonText(UndoLeftReason reason) {
  return texts::Words(Message{UndoLeftSaid(reason)}, texts::Language::Japanese);
}

// Everything an undo must give back: per path its kind, bytes, mode and
// modification time (a folder's time changes with its entries and is left out).
struct Node {
  char type = 'f';
  std::string bytes;
  mode_t mode = 0;
  std::int64_t mtimeNs = 0;
  bool operator==(const Node&) const = default;
};
using Tree = std::map<std::string, Node>;

Tree Snapshot(const std::string& root) {
  Tree tree;
  for (const auto& e : fs::recursive_directory_iterator(root)) {
    const std::string path = e.path().string();
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) continue;
    Node n;
    n.mode = st.st_mode;
    if (S_ISDIR(st.st_mode)) {
      n.type = 'd';
    } else {
      n.bytes = ReadWhole(path);
      n.mtimeNs = st.st_mtim.tv_sec * 1000000000LL + st.st_mtim.tv_nsec;
    }
    tree[path.substr(root.size())] = n;
  }
  return tree;
}

void WriteFile(const std::string& path, const std::string& bytes, mode_t mode, time_t mtime) {
  std::ofstream(path, std::ios::binary) << bytes;
  ::chmod(path.c_str(), mode);
  const struct timespec times[2] = {{mtime, 0}, {mtime, 123456789}};
  ::utimensat(AT_FDCWD, path.c_str(), times, 0);
}

// A folder on /dev/shm (another file system than the temporary folders),
// removed at the end.
struct ShmFolder {
  ShmFolder() {
    char tmpl[] = "/dev/shm/pictray-undo-XXXXXX";
    if (::mkdtemp(tmpl)) path = tmpl;
  }
  ~ShmFolder() {
    if (!path.empty()) fs::remove_all(path);
  }
  std::string path;
};

// The journal without the marks of the moves made, as a kill can leave it.
void LoseMarks(const std::string& journal) {
  std::istringstream in(ReadWhole(journal));
  std::string kept;
  for (std::string line; std::getline(in, line);)
    if (!line.starts_with("OK\t")) kept += line + "\n";
  std::ofstream(journal, std::ios::trunc) << kept;
}

// Runs `work` in a child whose files cannot grow past `limit` bytes (a write
// beyond fails with EFBIG); true when `work` returned true.
bool WithFileSizeLimit(rlim_t limit, const std::function<bool()>& work) {
  const pid_t child = ::fork();
  if (child == 0) {
    ::signal(SIGXFSZ, SIG_IGN);
    const struct rlimit r = {limit, limit};
    ::_exit(::setrlimit(RLIMIT_FSIZE, &r) == 0 && work() ? 0 : 1);
  }
  int status = -1;
  return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

class Undo : public ::testing::Test {
 protected:
  void SetUp() override {
    S = dir.path() + "/src";
    fs::create_directory(S);
    st.profile = dir.path() + "/work.ini";
    st.journalDir = dir.path() + "/state/journals";
  }
  // A file on disk with its row; the name is also its content.
  void Add(const std::string& name, const std::string& target, mode_t mode = 0644) {
    WriteFile(S + "/" + name, "bytes of " + name, mode, 1600000000 + static_cast<time_t>(name.size()));
    st.rows.append({Row{name, target, "C", ""}});
  }
  MoveReport Move() {
    PrepareMove(host, st, S, cmd::RgbStrength);
    st.blocks.val21.Start(S);
    return ThreadMakeFoldaAndMove(st.blocks.val21, st, host, RunRegistry::Guard(st.runs));
  }
  UndoReport UndoLast() {
    JournalRun run;
    EXPECT_TRUE(LastUndoableRun(pictray::fs::DefaultEnv(), st.journalDir, S, run));
    return UndoRun(pictray::fs::DefaultEnv(), run, {}, nullptr);
  }
  // Runs the move of the rows in a child killed `after` microseconds once
  // `begun` exists (the run has begun), at some point of the run.
  void KillMoveMidway(const std::string& begun, useconds_t after) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      NullHost quiet;
      st.blocks.val21.Start(S);
      ThreadMakeFoldaAndMove(st.blocks.val21, st, quiet, RunRegistry::Guard(st.runs));
      ::_exit(0);
    }
    for (int waited = 0; !fs::exists(begun) && waited < 50000; ++waited) ::usleep(100);
    ::usleep(after);
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
  }
  bool NothingToUndo() const {
    JournalRun run;
    return !LastUndoableRun(pictray::fs::DefaultEnv(), st.journalDir, S, run);
  }
  // Names with every byte a journal must carry: tab, line feed, backslash,
  // bytes that are not UTF-8.
  void AddAwkwardNames() {
    Add("a.jpg", "X", 0600);
    Add("tab\tname.jpg", "X", 0755);
    Add("line\nfeed.jpg", "Y");
    Add("back\\slash.jpg", "Y", 0444);
    Add("\xff\xfe.jpg", "Z");
  }

  TempDir dir;
  std::string S;
  PictrayState st;
  testing::RecordingHost host;
};

TEST_F(Undo, MoveThenUndoGivesBackTheTreeByteForByte) {
  fs::create_directory(S + "/Y");  // an existing folder stays, the others go
  WriteFile(S + "/Y/old.jpg", "was here", 0640, 1500000000);
  AddAwkwardNames();
  const Tree before = Snapshot(S);
  const MoveReport moved = Move();
  ASSERT_EQ(moved.moved, 5);
  ASSERT_NE(Snapshot(S), before);

  const UndoReport r = UndoLast();
  EXPECT_EQ(r.back, 5u);
  EXPECT_EQ(r.foldersRemoved, 2u);  // X and Z; Y was there before
  EXPECT_TRUE(r.left.empty());
  EXPECT_EQ(Snapshot(S), before);
  // The journal lives in the state folder, never in the sorted folder.
  EXPECT_FALSE(fs::exists(S + "/journals"));
  EXPECT_TRUE(NothingToUndo());  // a second undo finds nothing: harmless
}

// The one undo of all four front ends meets their turns in order; a "no",
// or nothing left to undo, moves nothing.
TEST_F(Undo, TheTurnsComeInOrderAndANoMovesNothing) {
  struct Case {
    int answer;  // -1: no question
    const char* turns;
    bool back;
  } const cases[] = {{-1, "start,end 1,", true}, {6, "confirm,start,end 1,", true}, {7, "confirm,", false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.turns);
    st.rows.clear();
    Add("a.jpg", "X");
    const Tree before = Snapshot(S);
    ASSERT_EQ(Move().moved, 1);
    std::string seen;
    UndoTurns turns;
    turns.nothingToUndo = [&] { seen += "nothing,"; };
    if (c.answer >= 0) turns.confirm = [&](const JournalRun&) { return seen += "confirm,", c.answer == 6; };
    turns.starting = [&] { seen += "start,"; };
    turns.ended = [&](const UndoReport& r) { seen += "end " + std::to_string(r.back) + ","; };
    EXPECT_EQ(UndoLastRunOf(pictray::fs::DefaultEnv(), st.journalDir, S, turns, nullptr), c.back);
    EXPECT_EQ(seen, c.turns);
    EXPECT_EQ(Snapshot(S) == before, c.back);
    if (!c.back) UndoLast();
    seen.clear();
    EXPECT_FALSE(UndoLastRunOf(pictray::fs::DefaultEnv(), st.journalDir, S, turns, nullptr));
    EXPECT_EQ(seen, "nothing,");
  }
}

// A move onto a byte-identical file takes that file's name; the undo gives
// both back: the file to its first name, the replaced one as the very file
// with its mode, times and links.
TEST_F(Undo, AByteIdenticalFileTheMoveReplacedIsThereAgain) {
  ShmFolder other;
  if (other.path.empty()) GTEST_SKIP() << "no /dev/shm";
  for (const std::string& Y : {S + "/Y", other.path}) {
    SCOPED_TRACE(Y);
    if (Y == other.path) fs::create_directory_symlink(Y, S + "/Y");
    else fs::create_directory(Y);
    st.rows.clear();
    Add("same.jpg", "Y", 0640);
    WriteFile(Y + "/same.jpg", "bytes of same.jpg", 0600, 1500000000);
    fs::create_hard_link(Y + "/same.jpg", Y + "/link.jpg");
    const Tree before = Snapshot(S), beforeY = Snapshot(Y);
    ASSERT_EQ(Move().moved, 1);
    const UndoReport r = UndoLast();
    EXPECT_EQ(r.back, 1u);
    EXPECT_TRUE(r.left.empty()) << UndoEndText(r);
    EXPECT_EQ(Snapshot(S), before);
    EXPECT_EQ(Snapshot(Y), beforeY);
    EXPECT_TRUE(fs::equivalent(Y + "/same.jpg", Y + "/link.jpg"));
    fs::remove_all(S + "/Y");
  }
}

// What the undo could not take back stays to be judged again: the next undo
// takes it back once the cause has gone.
TEST_F(Undo, WhatMayNotGoBackIsNamedAndTriedAgainByTheNextUndo) {
  using Step = std::function<void(const std::string& S)>;
  struct Case {
    const char* what;
    Step meddle, mend;
    UndoLeftReason reason;
    std::string leftPath;
    std::size_t left;  // with the folder X when a file stays in it
  };
  const Case cases[] = {
      {"changed after the move", [](const std::string& s) { std::ofstream(s + "/X/b.jpg", std::ios::app) << "+"; },
       nullptr, UndoLeftReason::Changed, "/X/b.jpg", 2},
      {"first name taken again", [](const std::string& s) { std::ofstream(s + "/b.jpg") << "new"; },
       [](const std::string& s) { fs::remove(s + "/b.jpg"); }, UndoLeftReason::NameTaken, "/X/b.jpg", 2},
      {"the folder in the trash, then restored", [](const std::string& s) { fs::rename(s + "/X", s + "/../X"); },
       [](const std::string& s) { fs::rename(s + "/../X", s + "/X"); }, UndoLeftReason::Missing, "/X/b.jpg", 2},
      {"a new file in a made folder", [](const std::string& s) { std::ofstream(s + "/X/new.jpg") << "new"; },
       [](const std::string& s) { fs::remove(s + "/X/new.jpg"); }, UndoLeftReason::FolderNotEmpty, "/X", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir scratch;
    S = scratch.path() + "/src";
    fs::create_directory(S);
    st.rows.clear();
    Add("a.jpg", "X");
    Add("b.jpg", "X");
    const Tree before = Snapshot(S);
    ASSERT_EQ(Move().moved, 2);
    c.meddle(S);
    const UndoReport r = UndoLast();
    ASSERT_EQ(r.left.size(), c.left);
    EXPECT_EQ(r.left[0].reason, c.reason);
    EXPECT_EQ(r.left[0].path, S + c.leftPath);
    EXPECT_NE(UndoEndText(r).find(UndoReasonText(c.reason)), std::string::npos);
    if (!c.mend) continue;
    c.mend(S);
    EXPECT_TRUE(UndoLast().left.empty());
    EXPECT_EQ(Snapshot(S), before);
    EXPECT_TRUE(NothingToUndo());
  }
}

TEST_F(Undo, AMoveKilledAnywhereCanBeTakenBack) {
  std::mt19937 random(20261208);
  for (int attempt = 0; attempt < 4; ++attempt) {
    SCOPED_TRACE(attempt);
    TempDir scratch;
    S = scratch.path() + "/src";
    fs::create_directory(S);
    st.rows.clear();
    for (int i = 0; i < 400; ++i) Add("f" + std::to_string(i) + ".jpg", "T" + std::to_string(i % 7));
    const Tree before = Snapshot(S);
    KillMoveMidway(S + "/T0", std::uniform_int_distribution<useconds_t>(0, 15000)(random));

    JournalRun run;
    if (!LastUndoableRun(pictray::fs::DefaultEnv(), st.journalDir, S, run)) continue;  // killed before its journal had a move
    const UndoReport r = UndoRun(pictray::fs::DefaultEnv(), run, {}, nullptr);
    EXPECT_TRUE(r.left.empty()) << UndoEndText(r);
    EXPECT_EQ(Snapshot(S), before);
  }
}

// Run A moves some files, run B is killed in the middle, run C moves what
// B left: undo after undo gives back the folder as it was, into a target on
// the same file system or on another one (where a file that goes back is a
// new inode), and no half-made copy stays in the target.
TEST_F(Undo, AKilledMoveMovedAgainIsUndoneWithEveryOlderRun) {
  ShmFolder other;
  std::mt19937 random(20261209);
  for (const bool far : {false, true}) {
    if (far && other.path.empty()) GTEST_SKIP() << "no /dev/shm";
    for (int attempt = 0; attempt < 3; ++attempt) {
      SCOPED_TRACE(std::string(far ? "another" : "the same") + " file system, attempt " + std::to_string(attempt));
      TempDir scratch;
      S = scratch.path() + "/src";
      fs::create_directory(S);
      const std::string T = far ? other.path + "/T" + std::to_string(attempt) : S + "/T";
      fs::create_directory(T);
      if (far) fs::create_directory_symlink(T, S + "/T");
      st.rows.clear();
      for (int i = 0; i < 300; ++i) Add("f" + std::to_string(i) + ".jpg", i < 2 ? "T" : "");
      const Tree before = Snapshot(S);
      ASSERT_EQ(Move().moved, 2);  // run A

      st.rows.clear();
      for (int i = 2; i < 300; ++i) st.rows.append({Row{"f" + std::to_string(i) + ".jpg", "T", "C", ""}});
      KillMoveMidway(T + "/f2.jpg", std::uniform_int_distribution<useconds_t>(0, 10000)(random));  // run B

      st.rows.clear();  // run C: a new list of what is still in the folder
      for (const auto& e : fs::directory_iterator(S))
        if (e.is_regular_file() && !e.is_symlink()) st.rows.append({Row{e.path().filename().string(), "T", "C", ""}});
      Move();

      for (int undo = 0; undo < 4 && !NothingToUndo(); ++undo) {
        const UndoReport r = UndoLast();
        EXPECT_TRUE(r.left.empty()) << UndoEndText(r);
      }
      EXPECT_TRUE(NothingToUndo());
      EXPECT_EQ(Snapshot(S), before);
      EXPECT_TRUE(fs::is_empty(T));
    }
  }
}

// A run whose undo left files is passed over for an older run, and tried
// again once no older run has anything to take back.
TEST_F(Undo, ARunAnUndoLeftFilesOfHoldsNoOlderRunBack) {
  Add("a.jpg", "X");
  ASSERT_EQ(Move().moved, 1);
  st.rows.clear();
  Add("b.jpg", "Y");
  ASSERT_EQ(Move().moved, 1);
  std::ofstream(S + "/Y/b.jpg", std::ios::app) << "changed";
  struct Step {
    std::size_t back;
    const char* left;  // what the undo leaves, "" for nothing
  } const steps[] = {{0, "/Y/b.jpg"}, {1, ""}, {0, "/Y/b.jpg"}};
  for (const Step& step : steps) {
    const UndoReport r = UndoLast();
    EXPECT_EQ(r.back, step.back);
    ASSERT_EQ(r.left.empty(), !*step.left);
    if (*step.left) {
      EXPECT_EQ(r.left[0].path, S + step.left);
    }
  }
  EXPECT_TRUE(fs::exists(S + "/a.jpg"));
  JournalRun run;
  ASSERT_TRUE(LastUndoableRun(pictray::fs::DefaultEnv(), st.journalDir, S, run));
  EXPECT_TRUE(LeftByAnUndo(run));
}

// Copies half-made by a killed move go from every folder the run moved files
// into, also one it found (a link to another file system) rather than made.
TEST_F(Undo, HalfMadeCopiesGoFromEveryTargetFolder) {
  ShmFolder other;
  if (other.path.empty()) GTEST_SKIP() << "no /dev/shm";
  fs::create_directory_symlink(other.path, S + "/far");
  fs::create_directory(S + "/near");
  Add("a.jpg", "far");
  Add("b.jpg", "near");
  Add("c.jpg", "made");
  const Tree before = Snapshot(S);
  ASSERT_EQ(Move().moved, 3);
  const pid_t gone = ::fork();
  if (gone == 0) ::_exit(0);
  ::waitpid(gone, nullptr, 0);
  const std::string temp = ".pictray-move-" + std::to_string(gone) + "-1-00c0ffee";
  for (const char* folder : {"/far/", "/near/", "/made/"}) std::ofstream(S + folder + temp) << "half";
  const UndoReport r = UndoLast();
  EXPECT_TRUE(r.left.empty()) << UndoEndText(r);
  EXPECT_EQ(Snapshot(S), before);
  EXPECT_TRUE(fs::is_empty(other.path));
}

TEST_F(Undo, AJournalCutInTheMiddleOfAnEntryStillTakesEverythingBack) {
  AddAwkwardNames();
  const Tree before = Snapshot(S);
  ASSERT_EQ(Move().moved, 5);
  JournalRun run;
  ASSERT_TRUE(LastUndoableRun(pictray::fs::DefaultEnv(), st.journalDir, S, run));
  const std::string whole = ReadWhole(run.path);
  const std::size_t lastLine = whole.rfind('\n', whole.size() - 2) + 1;
  // Cut inside the last record (its mark that the last move was done).
  ASSERT_EQ(::truncate(run.path.c_str(), static_cast<off_t>(lastLine + (whole.size() - lastLine) / 2)), 0);
  ASSERT_TRUE(LastUndoableRun(pictray::fs::DefaultEnv(), st.journalDir, S, run));
  EXPECT_EQ(run.badLines, 1u);
  EXPECT_EQ(run.ToTakeBack(), 5u);
  const UndoReport r = UndoRun(pictray::fs::DefaultEnv(), run, {}, nullptr);
  EXPECT_TRUE(r.left.empty()) << UndoEndText(r);
  EXPECT_EQ(Snapshot(S), before);
}

// A record naming anything outside the folder, or deeper than the run
// goes, is named and never acted on, whatever it says.
TEST(UndoForged, RecordsNamingAnythingOutsideTheFolderAreNeverActedOn) {
  TempDir d, state;
  const std::string S = d.path() + "/src";
  fs::create_directories(S + "/X");
  fs::create_directories(d.path() + "/outside/made");
  d.Write("src/X/in.jpg", "inside");
  const std::string a = d.Write("outside/a.jpg", "outside");
  const Tree before = Snapshot(d.path());
  struct stat outside {};
  ASSERT_EQ(::stat(a.c_str(), &outside), 0);
  const char* const forged[] = {"../outside/a.jpg", a.c_str(), "X/../../outside/a.jpg", "X/deeper/in.jpg",
                                "", "./a.jpg", "X//in.jpg"};
  JournalWriter w(pictray::fs::DefaultEnv());
  ASSERT_EQ(w.Create(state.path(), JournalRunKind::Move, S), 0);
  for (long id = 0; id < 7; ++id) {
    w.MoveBegin(id, id % 2 ? forged[id] : "b.jpg", id % 2 ? "X/in.jpg" : forged[id], IdentityOf(outside));
    w.Done(id, IdentityOf(outside));
  }
  ASSERT_EQ(w.FolderBegin(7, "../outside/made"), 0);
  ASSERT_EQ(w.Close(), 0);
  JournalRun run;
  ASSERT_TRUE(ReadJournal(pictray::fs::DefaultEnv(), w.path(), run));
  const UndoReport r = UndoRun(pictray::fs::DefaultEnv(), run, {}, nullptr);
  EXPECT_EQ(r.back + r.foldersRemoved, 0u);
  ASSERT_EQ(r.left.size(), 8u);
  for (const UndoLeft& l : r.left) EXPECT_EQ(l.reason, UndoLeftReason::Refused) << l.path;
  EXPECT_EQ(Snapshot(d.path()), before);
}

// Our own files are read only as regular files within a limit: a FIFO does
// not hang a reader, a link to a device does not fill the memory, and the
// reader says why.
TEST(OwnFileReaders, OnlyRegularFilesWithinTheLimitAreRead) {
  TempDir d;
  JournalWriter w(pictray::fs::DefaultEnv());
  ASSERT_EQ(w.Create(d.path() + "/journals", JournalRunKind::Move, d.path()), 0);
  w.Done(0, FileIdentity{});
  ASSERT_EQ(w.Close(), 0);
  const std::string j = w.path();
  const std::tuple<std::function<void()>, int, int> cases[] = {
      {[&] { ::mkfifo(j.c_str(), 0600); }, kNotRegularFile, kNotRegularFile},
      {[&] { fs::create_symlink("/dev/zero", j); }, ELOOP, kNotRegularFile},
      {[&] { fs::create_directory(j); }, EISDIR, EISDIR},
      {[&] {
         std::ofstream(j).close();
         fs::resize_file(j, kJournalReadLimit + kTextListReadLimit);  // sparse
       },
       kFileTooLarge, kFileTooLarge},
  };
  for (const auto& [make, journalErr, listErr] : cases) {
    SCOPED_TRACE(journalErr);
    fs::remove_all(j);
    make();
    std::vector<std::pair<std::string, int>> refused;
    JournalRun run;
    EXPECT_FALSE(LastUndoableRun(pictray::fs::DefaultEnv(), d.path() + "/journals", d.path(), run,
                                 [&](const std::string& p, int e) { refused.emplace_back(p, e); }));
    EXPECT_EQ(refused, (std::vector<std::pair<std::string, int>>{{j, journalErr}}));
    EXPECT_EQ(ReadTextList(pictray::fs::DefaultEnv(), j, [](std::string_view) {}), listErr);
  }
  EXPECT_EQ(ReadRefusalText(kNotRegularFile, 1), "not a regular file");
}

TEST(JournalFormat, CutOrDamagedRecordsAreIgnoredAndNamesKeepTheirBytes) {
  TempDir d;
  JournalWriter w(pictray::fs::DefaultEnv());
  ASSERT_EQ(w.Create(d.path() + "/j", JournalRunKind::Move, d.path()), 0);
  const std::string awkward = "t\tl\nb\\\xff";
  FileIdentity stamp{1, 2, 3, 4, 5};
  w.MoveBegin(0, awkward, "X/" + awkward, stamp);
  w.Done(0, stamp);
  w.MoveBegin(1, "second", "X/second", stamp);
  ASSERT_EQ(w.Close(), 0);
  JournalRun whole;
  ASSERT_TRUE(ReadJournal(pictray::fs::DefaultEnv(), w.path(), whole));
  ASSERT_EQ(whole.entries.size(), 2u);
  EXPECT_EQ(whole.entries[0].from, awkward);
  EXPECT_EQ(whole.entries[0].to, "X/" + awkward);
  EXPECT_EQ(whole.entries[0].after, stamp);
  EXPECT_EQ(whole.entries[1].state, JournalEntry::State::Pending);

  const std::string bytes = ReadWhole(w.path());
  struct Case {
    const char* what;
    std::string bytes;
    bool valid;
    std::size_t entries, badLines;
  };
  std::string flipped = bytes;
  flipped[bytes.find("second")] = 'S';  // the checksum no longer matches
  const std::size_t headerEnd = bytes.find('\n') + 1;
  const auto withMove = [&](const std::string& from, const std::string& to) {
    return bytes.substr(0, headerEnd) + JournalLine(JournalRecord("M").Number(7).Text(from).Text(to).Stamp(stamp)) +
           bytes.substr(headerEnd);
  };
  const std::string longestName(PATH_MAX - 1, '\\');  // each byte escaped into two
  const Case cases[] = {
      {"the longest names a record holds", withMove(longestName, "X/" + longestName.substr(2)), true, 3, 0},
      {"a record longer than any real one", withMove(std::string(kJournalLineLimit, 'x'), "X/a"), true, 2, 1},
      {"whole", bytes, true, 2, 0},
      {"last record cut", bytes.substr(0, bytes.size() - 3), true, 1, 1},
      {"a record damaged", flipped, true, 1, 1},
      {"header cut", bytes.substr(0, 10), false, 0, 1},
      {"empty", "", false, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const JournalRun run = ParseJournal(c.bytes);
    EXPECT_EQ(run.valid, c.valid);
    EXPECT_EQ(run.entries.size(), c.entries);
    EXPECT_EQ(run.badLines, c.badLines);
  }
}

// A forged line of hundreds of megabytes is one damaged record: the journal
// is read past it without ever holding it.
TEST(JournalFormat, AHugeLineIsReadPastWithoutHoldingIt) {
  TempDir d;
  JournalWriter w(pictray::fs::DefaultEnv());
  ASSERT_EQ(w.Create(d.path() + "/j", JournalRunKind::Move, d.path()), 0);
  w.MoveBegin(0, "a", "X/a", FileIdentity{1, 2, 3, 4, 5});
  w.Done(0, FileIdentity{1, 2, 3, 4, 5});
  ASSERT_EQ(w.Close(), 0);
  const std::string bytes = ReadWhole(w.path());
  const std::size_t headerEnd = bytes.find('\n') + 1;
  std::ofstream(w.path(), std::ios::binary | std::ios::trunc) << bytes.substr(0, headerEnd);
  fs::resize_file(w.path(), headerEnd + (std::size_t{300} << 20));  // a line of NULs, sparse
  std::ofstream(w.path(), std::ios::binary | std::ios::app) << "\n" << bytes.substr(headerEnd);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    struct rusage before {}, after {};
    ::getrusage(RUSAGE_SELF, &before);
    JournalRun run;
    const bool read = ReadJournal(pictray::fs::DefaultEnv(), w.path(), run);
    ::getrusage(RUSAGE_SELF, &after);
    const bool asBefore = read && run.valid && run.entries.size() == 1 && run.badLines == 1;
    ::_exit(asBefore && after.ru_maxrss - before.ru_maxrss < 64 * 1024 ? 0 : 1);
  }
  int status = -1;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

TEST(JournalFormat, KeepsTheLastFiftyRunsOfAFolderAndDropsRunsThatMovedNothing) {
  TempDir d;
  const std::string journals = d.path() + "/j";
  for (int i = 0; i < 53; ++i) {
    JournalWriter w(pictray::fs::DefaultEnv());
    ASSERT_EQ(w.Create(journals, JournalRunKind::Move, d.path()), 0);
    w.Done(0, FileIdentity{});
    ASSERT_EQ(w.Close(), 0);
  }
  JournalWriter idle(pictray::fs::DefaultEnv());
  ASSERT_EQ(idle.Create(journals, JournalRunKind::Move, d.path()), 0);
  ASSERT_EQ(idle.Close(), 0);
  EXPECT_FALSE(fs::exists(idle.path()));
  EXPECT_EQ(JournalsOf(pictray::fs::DefaultEnv(), journals, d.path()).size(), kJournalsKept);
  EXPECT_TRUE(JournalsOf(pictray::fs::DefaultEnv(), journals, d.path() + "/other").empty());
}

TEST_F(Undo, AMoveWithoutAJournalMovesNothing) {
  Add("a.jpg", "X");
  st.journalDir.clear();
  const MoveReport r = Move();
  EXPECT_TRUE(r.refused);
  EXPECT_EQ(r.moved, 0);
  EXPECT_TRUE(fs::exists(S + "/a.jpg"));
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_NE(host.messages[0].text.find("移動の記録を作成できない"), std::string::npos);
}

// Across file systems files are copied back with their times and modes,
// also after a kill that lost the marks of moves made, left a file at both
// names, or left a hidden copy; a copy left at the destination goes once it
// is byte-identical to the file back. A system error leaves a file to the
// next undo.
TEST_F(Undo, UndoAcrossFileSystemsCopiesBackWithTimesAndModes) {
  enum Kill { None, MarksLost, SourceStays, UndoCopiedBack, FileSizeLimit };
  for (const Kill kill : {None, MarksLost, SourceStays, UndoCopiedBack, FileSizeLimit}) {
    SCOPED_TRACE(kill);
    TempDir scratch;
    S = scratch.path() + "/src";
    fs::create_directory(S);
    ShmFolder other;
    if (other.path.empty()) GTEST_SKIP() << "no /dev/shm";
    fs::create_directory_symlink(other.path, S + "/X");  // X is on the other file system
    st.rows.clear();
    AddAwkwardNames();
    WriteFile(S + "/a.jpg", std::string(1 << 16, 'a'), 0600, 1600000000);
    fs::create_hard_link(S + "/a.jpg", scratch.path() + "/a.kept");  // the source's inode
    const Tree before = Snapshot(S);
    ASSERT_EQ(Move().moved, 5);
    JournalRun run;
    ASSERT_TRUE(LastUndoableRun(pictray::fs::DefaultEnv(), st.journalDir, S, run));
    const std::string temp = S + "/.pictray-move-2147483647-0-0000abcd";  // of no process
    if (kill == MarksLost || kill == SourceStays) LoseMarks(run.path);
    if (kill == SourceStays) fs::create_hard_link(scratch.path() + "/a.kept", S + "/a.jpg");
    if (kill == UndoCopiedBack) {
      JournalWriter w(pictray::fs::DefaultEnv());
      ASSERT_EQ(w.Reopen(run.path), 0);
      w.UndoBegin();
      w.BackBegin(std::find_if(run.entries.begin(), run.entries.end(), [](auto& e) { return e.from == "a.jpg"; })->id);
      ASSERT_EQ(w.Close(), 0);
      struct stat moved {};
      ASSERT_EQ(::stat((S + "/X/a.jpg").c_str(), &moved), 0);
      ASSERT_TRUE(CopyNoReplace(pictray::fs::DefaultEnv(), AT_FDCWD, S + "/X/a.jpg", moved, AT_FDCWD, S + "/a.jpg").ok());
      std::ofstream(temp) << "half a copy";
    }
    if (kill == FileSizeLimit) {
      EXPECT_TRUE(WithFileSizeLimit(1 << 14, [&] {
        const UndoReport r = UndoRun(pictray::fs::DefaultEnv(), run, {}, nullptr);
        return r.left.size() == 1 && r.left[0].err == EFBIG;
      }));
      ASSERT_FALSE(NothingToUndo());
    }
    const UndoReport r = UndoLast();
    EXPECT_TRUE(r.left.empty()) << UndoEndText(r);
    EXPECT_EQ(Snapshot(S), before);
    EXPECT_TRUE(fs::is_empty(other.path));
    EXPECT_TRUE(NothingToUndo());
  }
}

TEST_F(Undo, AnUndoKilledInTheMiddleCanBeFinished) {
  AddAwkwardNames();
  const Tree before = Snapshot(S);
  ASSERT_EQ(Move().moved, 5);
  JournalRun run;
  ASSERT_TRUE(LastUndoableRun(pictray::fs::DefaultEnv(), st.journalDir, S, run));
  // An undo that took the first file back and was killed before saying so.
  JournalWriter w(pictray::fs::DefaultEnv());
  ASSERT_EQ(w.Reopen(run.path), 0);
  auto moveEntry = std::find_if(run.entries.rbegin(), run.entries.rend(),
                               [](const JournalEntry& e) { return e.kind == JournalEntry::Kind::Move; });
  ASSERT_NE(moveEntry, run.entries.rend());
  const JournalEntry& last = *moveEntry;
  w.UndoBegin();
  w.BackBegin(last.id);
  ASSERT_EQ(::rename((S + "/" + last.to).c_str(), (S + "/" + last.from).c_str()), 0);
  ASSERT_EQ(w.Close(), 0);
  const UndoReport r = UndoLast();
  EXPECT_EQ(r.back, 4u);
  EXPECT_TRUE(r.left.empty()) << UndoEndText(r);
  EXPECT_EQ(Snapshot(S), before);
}

TEST(TwinscanUndo, AnExtractionTakenBackLeavesNoFolderAndListsTheFolderAgain) {
  TempDir d;
  d.Write("a.jpg", std::string(500, 'a'));
  d.Write("b.jpg", std::string(500, 'a'));
  d.Write("c.jpg", std::string(500, 'a'));
  const Tree before = Snapshot(d.path());
  TempDir state;
  TwinscanBlock val;
  val.TargetFolda = d.path();
  val.MoveSoon = true;
  val.journalDir = state.path();
  testing::RecordingTwinscanHost host;
  const TwinscanReport extracted = ThreadTwinscanAutoRun(val, host);
  ASSERT_EQ(extracted.extraction->movedCount, 2);
  val.samedir = extracted.end.samedir;
  val.moved = extracted.end.moved;

  host.answers = {6, 6};  // take it back; the end message
  const TwinscanReport r = ThreadTwinscanUndo(val, host);
  EXPECT_TRUE(r.end.samedir.empty());
  EXPECT_TRUE(r.end.moved.empty());
  EXPECT_EQ(Snapshot(d.path()), before);
  ASSERT_FALSE(host.tables.empty());
  EXPECT_EQ(host.tables.back().size(), 3u);

  host.texts.clear();
  ThreadTwinscanUndo(val, host);  // twice: nothing left to take back
  ASSERT_EQ(host.texts.size(), 1u);
  EXPECT_EQ(host.texts[0], "元に戻せる抽出はありません");
}

// An extraction stopped because its journal cannot be written names every
// copy it did not take up.
TEST(TwinscanExtract, StoppedByItsJournalItNamesEveryCopyNotMoved) {
  TempDir d, state;
  for (int i = 0; i <= 200; ++i) d.Write("c" + std::to_string(1000 + i) + ".jpg", std::string(500, 'a'));
  EXPECT_TRUE(WithFileSizeLimit(1 << 14, [&] {
    TwinscanBlock val;
    val.TargetFolda = d.path();
    val.MoveSoon = true;
    val.journalDir = state.path();
    testing::RecordingTwinscanHost host;
    const dupes::ExtractResult x = *ThreadTwinscanAutoRun(val, host).extraction;
    return x.journalError == EFBIG && x.movedCount > 0 && x.outcomes.size() == 200 && x.movedCount + x.failed == 200;
  }));
}

}  // namespace
}  // namespace pictray
