// The runs that move files, run once per file-system call with that call
// failing (or the process dying there): no file is ever lost or
// overwritten, and an undo afterwards gives back the folder as it was.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "engine/dupes/deleter.h"
#include "engine/move/extract.h"
#include "engine/journal/undo.h"
#include "engine/run/null_host.h"
#include "engine/move/move_run.h"
#include "engine/settings/profile.h"
#include "tests/support/fault_env.h"
#include "tests/support/temp_dir.h"

namespace pictray {
namespace {

using testing::Fault;
using testing::FaultEnv;
using testing::ReadWhole;
using testing::TempDir;

struct FaultRow {
  const char* name;
  Fault fault;
  int err;
};
const FaultRow kFaults[] = {
    {"EIO", Fault::Fail, EIO}, {"ENOSPC", Fault::Fail, ENOSPC}, {"EXDEV", Fault::Fail, EXDEV}, {"dies", Fault::Die, 0}};

// Path -> bytes, mode and modification time of every file and folder; a
// move's hidden copy in progress is left out.
using Files = std::map<std::string, std::string>;
Files FilesOf(const std::string& root) {
  Files files;
  for (const auto& e : std::filesystem::recursive_directory_iterator(root)) {
    const std::string path = e.path().string();
    struct stat st {};
    if (path.find(".pictray-move-") != std::string::npos || ::lstat(path.c_str(), &st) != 0) continue;
    files[path.substr(root.size())] =
        S_ISDIR(st.st_mode) ? "folder"
                            : ReadWhole(path) + "|" + std::to_string(st.st_mode) + "|" + std::to_string(st.st_mtim.tv_sec);
  }
  return files;
}

// Every file's bytes are still under a real name, twice at most where a
// copy was under way, and nothing else appeared.
void ExpectNothingLost(const Files& before, const Files& now) {
  std::map<std::string, int> had, has;
  for (const auto& [path, bytes] : before) ++had[bytes];
  for (const auto& [path, bytes] : now) ++has[bytes];
  for (const auto& [bytes, count] : had) {
    if (bytes == "folder") continue;
    EXPECT_GE(has[bytes], 1) << bytes << " lost";
    EXPECT_LE(has[bytes], count + 1) << bytes;
  }
  for (const auto& [bytes, count] : has) EXPECT_TRUE(bytes == "folder" || had.count(bytes)) << bytes << " appeared";
}

// What an undo gives back: the folder's own entries. (A byte-identical
// file whose name the move took comes back only when the move lived to
// record it.)
Files TopLevel(const Files& files) {
  Files top;
  for (const auto& [path, bytes] : files)
    if (path.rfind('/') == 0) top[path] = bytes;
  return top;
}

// A handful of files: one into a folder the run makes, with a sidecar
// listed for another folder that follows it; one whose name a different
// file holds in the target, one byte-identical to the file of its name
// there, one on "another file system".
class Folder {
 public:
  static constexpr const char* kElsewhere = "c.jpg";

  Folder() : S(dir.path() + "/src") {
    std::filesystem::create_directories(S + "/T");
    for (const auto& [name, target, bytes] : {Entry{"a.jpg", "N", "a"}, Entry{"b.jpg", "T", "b"},
                                              Entry{"c.jpg", "T", "c"}, Entry{"d.jpg", "T", "d"},
                                              Entry{"a.xmp", "T", "a sidecar"}}) {
      Put(name, bytes);
      st.rows.append({Row{name, target, "C", ""}});
    }
    Put("T/b.jpg", "another b");
    Put("T/d.jpg", "d");
    st.profile = dir.path() + "/work.ini";
    st.journalDir = dir.path() + "/journals";
  }
  void Move(const fs::Env& env) {
    st.env = &env;
    st.blocks.val21.Start(S);
    ThreadMakeFoldaAndMove(st.blocks.val21, st, host, RunRegistry::Guard(st.runs));
  }
  void Undo(const fs::Env& env) {
    JournalRun run;
    if (LastUndoableRun(env, st.journalDir, S, run)) UndoRun(env, run, {}, nullptr);
  }
  Files Now() const { return FilesOf(S); }

 private:
  struct Entry {
    const char *name, *target, *bytes;
  };
  void Put(const std::string& name, const std::string& bytes) {
    std::ofstream(S + "/" + name, std::ios::binary) << bytes;
    const struct timespec times[2] = {{1600000000, 0}, {1600000000, 0}};
    ::utimensat(AT_FDCWD, (S + "/" + name).c_str(), times, 0);
  }

  TempDir dir;
  NullHost host;
  PictrayState st;

 public:
  const std::string S;
};

// Runs `work` once per fault kind and per call it makes, with that call
// failing.
template <typename Work>
void AtEveryCall(Work work) {
  for (const FaultRow& row : kFaults) {
    SCOPED_TRACE(row.name);
    for (long at = 1;; ++at) {
      SCOPED_TRACE("call " + std::to_string(at));
      FaultEnv env(row.fault, row.err, at, Folder::kElsewhere);
      work(env);
      if (env.calls() < at || ::testing::Test::HasFailure()) break;
    }
  }
}

TEST(FaultInjection, MoveLosesNothingAndIsUndone) {
  AtEveryCall([](const FaultEnv& env) {
    Folder f;
    const Files before = f.Now();
    f.Move(env);
    ExpectNothingLost(before, f.Now());
    f.Undo(fs::DefaultEnv());
    EXPECT_EQ(TopLevel(f.Now()), TopLevel(before));
    ExpectNothingLost(before, f.Now());
  });
}

TEST(FaultInjection, UndoLosesNothingAndCanBeRepeated) {
  AtEveryCall([](const FaultEnv& env) {
    Folder f;
    const Files before = f.Now();
    f.Move(FaultEnv(Fault::Fail, 0, 0, Folder::kElsewhere));
    const Files moved = f.Now();
    f.Undo(env);
    ExpectNothingLost(moved, f.Now());
    f.Undo(fs::DefaultEnv());
    EXPECT_EQ(f.Now(), before);
  });
}

// Two sets of byte-identical files, one of whose copies lies on "another
// file system", which an extraction never copies to.
TEST(FaultInjection, ExtractionLosesNothingAndIsUndone) {
  AtEveryCall([](const FaultEnv& env) {
    TempDir dir;
    const std::string S = dir.path() + "/src", journals = dir.path() + "/journals";
    std::filesystem::create_directory(S);
    for (const auto& [name, bytes] : {std::pair{"a.jpg", "A"}, {"a2.jpg", "A"}, {"c.jpg", "C"}, {"c2.jpg", "C"}})
      std::ofstream(S + "/" + name) << bytes;
    std::vector<dupes::FileRec> table = dupes::SetListView(fs::DefaultEnv(), S, nullptr);
    dupes::SetSizeWork(table);
    dupes::SortFileTable(table, 0);
    dupes::SetFolda(fs::DefaultEnv(), table);
    const Files before = FilesOf(S);
    dupes::MakeFoldaAndMove(env, table, S, journals, {2024, 3, 5, 14, 7, 45}, false, {});
    ExpectNothingLost(before, FilesOf(S));
    JournalRun run;
    if (LastUndoableRun(fs::DefaultEnv(), journals, S, run)) UndoRun(fs::DefaultEnv(), run, {}, nullptr);
    EXPECT_EQ(FilesOf(S), before);
  });
}

// Run A moves two files to a folder on another file system, run B dies at
// any call while moving three more, run C moves what B left: undo after
// undo brings every file back, run B's among them, whose files may have come
// back as new inodes through the undo of run C.
TEST(FaultInjection, AKilledMoveMovedAgainIsUndoneWithTheRunBeforeIt) {
  char tmpl[] = "/dev/shm/pictray-fault-XXXXXX";
  if (!::mkdtemp(tmpl)) GTEST_SKIP() << "no /dev/shm";
  const std::string far = tmpl;
  for (long at = 1;; ++at) {
    SCOPED_TRACE("dies at call " + std::to_string(at));
    TempDir dir;
    const std::string S = dir.path() + "/src", T = far + "/" + std::to_string(at);
    std::filesystem::create_directories(S);
    std::filesystem::create_directory(T);
    std::filesystem::create_directory_symlink(T, S + "/T");
    for (const char* name : {"a.jpg", "b.jpg", "c.jpg", "d.jpg", "e.jpg"}) std::ofstream(S + "/" + name) << name;
    const Files before = FilesOf(S);
    NullHost host;
    PictrayState st;
    st.profile = dir.path() + "/work.ini";
    st.journalDir = dir.path() + "/journals";
    auto move = [&](const fs::Env& env, const std::vector<std::string>& names) {
      st.rows.clear();
      for (const std::string& name : names) st.rows.append({Row{name, "T", "C", ""}});
      st.env = &env;
      st.blocks.val21.Start(S);
      ThreadMakeFoldaAndMove(st.blocks.val21, st, host, RunRegistry::Guard(st.runs));
    };
    move(fs::DefaultEnv(), {"a.jpg", "b.jpg"});
    const FaultEnv dies(Fault::Die, 0, at);
    move(dies, {"c.jpg", "d.jpg", "e.jpg"});
    std::vector<std::string> rest;
    for (const auto& e : std::filesystem::directory_iterator(S))
      if (e.is_regular_file() && !e.is_symlink()) rest.push_back(e.path().filename().string());
    move(fs::DefaultEnv(), rest);
    for (int undo = 0; undo < 4; ++undo) {
      JournalRun run;
      if (!LastUndoableRun(fs::DefaultEnv(), st.journalDir, S, run)) break;
      UndoRun(fs::DefaultEnv(), run, {}, nullptr);
    }
    EXPECT_EQ(FilesOf(S), before);
    EXPECT_TRUE(FilesOf(T).empty());
    if (dies.calls() < at || ::testing::Test::HasFailure()) break;
  }
  std::filesystem::remove_all(far);
}

// The settings file holds the old settings or the new ones, whole.
TEST(FaultInjection, SettingsWriteKeepsOldOrNew) {
  AtEveryCall([](const FaultEnv& env) {
    TempDir dir;
    const std::string ini = dir.path() + "/Pictray.ini", old = "[Pictray]\nKey=old\n";
    std::ofstream(ini) << old;
    const std::string written = "[Pictray]\nKey=new\n";
    const bool told = WriteProfileString(env, "Pictray", "Key", "new", ini);
    const std::string now = ReadWhole(ini);
    EXPECT_TRUE(now == old || now == written) << now;
    if (told) {
      EXPECT_EQ(now, written);
    }
  });
}

// Whatever call fails, the deleter either never starts or is waited for:
// no child is left behind.
TEST(FaultInjection, DeleterIsWaitedFor) {
  AtEveryCall([](const FaultEnv& env) {
    const dupes::DeleterRun run = dupes::RunDeleter(env, "/bin/true", "x", "");
    EXPECT_TRUE(run.startError != 0 || run.exitStatus == 0) << run.startError << " " << run.exitStatus;
    EXPECT_LE(::waitpid(-1, nullptr, WNOHANG), 0);
  });
}

}  // namespace
}  // namespace pictray
