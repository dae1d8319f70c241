#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include <gtest/gtest.h>

#include "engine/fs/break_folda.h"
#include "engine/fs/file_identity.h"
#include "engine/fs/paths.h"
#include "engine/fs/safe_move.h"
#include "engine/fs/unique_fd.h"
#include "tests/support/temp_dir.h"

namespace pictray {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;

bool Exists(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0;
}

// Everything in a folder except the names given: no temporary files left.
std::vector<std::string> Entries(const std::string& dir) {
  std::vector<std::string> out;
  for (const auto& e : fs::directory_iterator(dir)) out.push_back(e.path().filename().string());
  std::sort(out.begin(), out.end());
  return out;
}

// A folder on /dev/shm, removed at the end; empty path when that is not
// another file system than the temporary folder.
class ShmDir {
 public:
  explicit ShmDir(const std::string& other) {
    char tmpl[] = "/dev/shm/pictray-test-XXXXXX";
    if (!::mkdtemp(tmpl)) return;
    struct stat a, b;
    if (::stat(tmpl, &a) == 0 && ::stat(other.c_str(), &b) == 0 && a.st_dev != b.st_dev)
      path_ = tmpl;
    else
      fs::remove_all(tmpl);
  }
  ~ShmDir() {
    std::error_code ec;
    if (!path_.empty()) fs::remove_all(path_, ec);
  }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

MoveStatus Move(const std::string& from, const std::string& to, MoveOptions o = {}) {
  return MoveNoReplace(pictray::fs::DefaultEnv(), AT_FDCWD, from, AT_FDCWD, to, o);
}

TEST(MoveNoReplace, MovesAndNeverReplacesADifferentFile) {
  TempDir d;
  fs::create_directory(d.path() + "/t");
  const std::string a = d.Write("a.jpg", "new");
  EXPECT_EQ(Move(a, d.path() + "/t/a.jpg").outcome, MoveOutcome::Moved);
  EXPECT_FALSE(Exists(a));
  EXPECT_EQ(testing::ReadWhole(d.path() + "/t/a.jpg"), "new");

  const std::string b = d.Write("b.jpg", "mine");
  d.Write("t/b.jpg", "theirs");
  EXPECT_EQ(Move(b, d.path() + "/t/b.jpg").outcome, MoveOutcome::DifferentFileThere);
  EXPECT_EQ(testing::ReadWhole(b), "mine");
  EXPECT_EQ(testing::ReadWhole(d.path() + "/t/b.jpg"), "theirs");

  // Same length, other bytes: still different.
  const std::string c = d.Write("c.jpg", "abcd");
  d.Write("t/c.jpg", "abce");
  EXPECT_EQ(Move(c, d.path() + "/t/c.jpg").outcome, MoveOutcome::DifferentFileThere);
  EXPECT_EQ(testing::ReadWhole(c), "abcd");
}

TEST(MoveNoReplace, IdenticalFileMayBeReplacedUnlessForbidden) {
  TempDir d;
  fs::create_directory(d.path() + "/t");
  const std::string a = d.Write("a.jpg", "same");
  d.Write("t/a.jpg", "same");
  EXPECT_EQ(Move(a, d.path() + "/t/a.jpg", {false, true}).outcome, MoveOutcome::DifferentFileThere);
  EXPECT_TRUE(Exists(a));
  EXPECT_EQ(Move(a, d.path() + "/t/a.jpg").outcome, MoveOutcome::SameReplaced);
  EXPECT_FALSE(Exists(a));
  EXPECT_EQ(testing::ReadWhole(d.path() + "/t/a.jpg"), "same");
}

TEST(MoveNoReplace, FoldersLinksAndMissingFiles) {
  TempDir d;
  fs::create_directories(d.path() + "/t/x.jpg");
  const std::string x = d.Write("x.jpg", "");
  EXPECT_EQ(Move(x, d.path() + "/t/x.jpg").outcome, MoveOutcome::DifferentFileThere);
  EXPECT_TRUE(Exists(x));
  EXPECT_EQ(Move(d.path() + "/gone.jpg", d.path() + "/t/gone.jpg").outcome, MoveOutcome::SourceMissing);
  fs::create_directory(d.path() + "/sub");
  EXPECT_EQ(Move(d.path() + "/sub", d.path() + "/t/sub").outcome, MoveOutcome::SourceIsFolder);
  // A target folder that is a file: the move fails and the source stays.
  d.Write("file", "f");
  const MoveStatus s = Move(x, d.path() + "/file/x.jpg");
  EXPECT_EQ(s.outcome, MoveOutcome::Failed);
  EXPECT_EQ(s.err, ENOTDIR);
  EXPECT_TRUE(Exists(x));
  // A link is moved as a link, and a link there is never taken as identical.
  fs::create_symlink("x.jpg", d.path() + "/l");
  EXPECT_EQ(Move(d.path() + "/l", d.path() + "/t/l").outcome, MoveOutcome::Moved);
  EXPECT_TRUE(fs::is_symlink(d.path() + "/t/l"));
}

TEST(MoveNoReplace, AcrossFileSystemsCopiesVerifiesAndRemovesTheSource) {
  TempDir d;
  ShmDir shm(d.path());
  if (shm.path().empty()) GTEST_SKIP() << "no /dev/shm on another file system than " << d.path();
  const std::string big(3 << 20, 'x');
  const std::string a = d.Write("a.jpg", big + "end");
  ASSERT_EQ(::chmod(a.c_str(), 0640), 0);
  const struct timespec times[2] = {{1000000000, 0}, {1200000000, 123456789}};
  ASSERT_EQ(::utimensat(AT_FDCWD, a.c_str(), times, 0), 0);

  EXPECT_EQ(Move(a, shm.path() + "/a.jpg").outcome, MoveOutcome::Moved);
  EXPECT_FALSE(Exists(a));
  EXPECT_EQ(testing::ReadWhole(shm.path() + "/a.jpg"), big + "end");
  struct stat st;
  ASSERT_EQ(::stat((shm.path() + "/a.jpg").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  EXPECT_EQ(st.st_mtim.tv_sec, 1200000000);
  EXPECT_EQ(Entries(shm.path()), std::vector<std::string>{"a.jpg"});
}

TEST(MoveNoReplace, AcrossFileSystemsKeepsBothWhenTheNameIsTaken) {
  TempDir d;
  ShmDir shm(d.path());
  if (shm.path().empty()) GTEST_SKIP() << "no /dev/shm on another file system than " << d.path();
  const std::string a = d.Write("a.jpg", "mine");
  std::ofstream(shm.path() + "/a.jpg") << "theirs";
  EXPECT_EQ(Move(a, shm.path() + "/a.jpg").outcome, MoveOutcome::DifferentFileThere);
  EXPECT_EQ(testing::ReadWhole(a), "mine");
  EXPECT_EQ(testing::ReadWhole(shm.path() + "/a.jpg"), "theirs");

  const std::string b = d.Write("b.jpg", "same");
  std::ofstream(shm.path() + "/b.jpg") << "same";
  EXPECT_EQ(Move(b, shm.path() + "/b.jpg").outcome, MoveOutcome::SameReplaced);
  EXPECT_FALSE(Exists(b));
  EXPECT_EQ(testing::ReadWhole(shm.path() + "/b.jpg"), "same");

  // A plain move (folder dissolution) does not copy across.
  const std::string c = d.Write("c.jpg", "c");
  const MoveStatus s = Move(c, shm.path() + "/c.jpg", {false, false});
  EXPECT_EQ(s.err, EXDEV);
  EXPECT_TRUE(Exists(c));
  EXPECT_EQ(Entries(shm.path()), (std::vector<std::string>{"a.jpg", "b.jpg"}));
}

TEST(MoveNoReplace, AcrossFileSystemsMovesLinksAsLinks) {
  TempDir d;
  ShmDir shm(d.path());
  if (shm.path().empty()) GTEST_SKIP() << "no /dev/shm on another file system than " << d.path();
  fs::create_symlink("some/where", d.path() + "/l");
  EXPECT_EQ(Move(d.path() + "/l", shm.path() + "/l").outcome, MoveOutcome::Moved);
  EXPECT_EQ(fs::read_symlink(shm.path() + "/l"), "some/where");
  EXPECT_FALSE(Exists(d.path() + "/l"));
}

// Two movers of the same files at once (two runs, two programs): whichever
// finishes a file's move, the file is never lost, whatever order the steps
// of the two interleave in.
TEST(MoveNoReplace, TwoMoversAcrossFileSystemsNeverLoseAFile) {
  TempDir d;
  ShmDir shm(d.path());
  if (shm.path().empty()) GTEST_SKIP() << "no /dev/shm on another file system than " << d.path();
  constexpr int kFiles = 400;
  for (int i = 0; i < kFiles; ++i)
    std::ofstream(shm.path() + "/f" + std::to_string(i)) << std::string(4096 + i, 'a' + i % 26);
  auto mover = [&] {
    for (int i = 0; i < kFiles; ++i) {
      const std::string n = "/f" + std::to_string(i);
      Move(shm.path() + n, d.path() + n);
    }
  };
  std::thread other(mover);
  mover();
  other.join();
  for (int i = 0; i < kFiles; ++i) {
    const std::string n = "/f" + std::to_string(i);
    const std::string want(4096 + i, 'a' + i % 26);
    const bool here = Exists(shm.path() + n), there = Exists(d.path() + n);
    ASSERT_TRUE(here || there) << n << " is lost";
    EXPECT_EQ(testing::ReadWhole((there ? d.path() : shm.path()) + n), want) << n;
  }
  for (const std::string& e : Entries(d.path())) EXPECT_FALSE(IsMoveTempName(e)) << e;
}

TEST(MoveNoReplace, SameSizeRewriteWithTheTimePutBackIsNotTheFileExamined) {
  TempDir d;
  const std::string a = d.Write("a.jpg", "first");
  struct stat before, now;
  ASSERT_EQ(::lstat(a.c_str(), &before), 0);
  ASSERT_EQ(::lstat(a.c_str(), &now), 0);
  EXPECT_TRUE(StillTheFileExamined(before, now));
  ::usleep(20000);  // so that the change time can differ on coarse clocks
  std::ofstream(a, std::ios::binary) << "other";
  const struct timespec times[2] = {before.st_atim, before.st_mtim};
  ASSERT_EQ(::utimensat(AT_FDCWD, a.c_str(), times, AT_SYMLINK_NOFOLLOW), 0);
  ASSERT_EQ(::lstat(a.c_str(), &now), 0);
  ASSERT_EQ(now.st_size, before.st_size);
  EXPECT_FALSE(StillTheFileExamined(before, now));
}

// A child that has ended: its process id names no process any more.
pid_t DeadProcessId() {
  const pid_t child = ::fork();
  if (child == 0) ::_exit(0);
  ::waitpid(child, nullptr, 0);
  return child;
}

TEST(MoveTemps, OnlyThoseOfEndedProcessesAreRemoved) {
  TempDir d;
  const std::string dead = ".pictray-move-" + std::to_string(DeadProcessId()) + "-0-0000abcd";
  const std::string live = ".pictray-move-" + std::to_string(::getpid()) + "-7-0000abcd";
  for (const std::string& n : {dead, live, std::string(".pictray-move-x"), std::string("keep.jpg")})
    d.Write(n, "partial");
  fs::create_directory(d.path() + "/.pictray-move-1-1-folder");  // not a file of ours
  EXPECT_TRUE(IsMoveTempName(dead));
  EXPECT_FALSE(IsMoveTempName("pictray-move-1"));
  EXPECT_FALSE(IsMoveTempName("a.pictray-move-1"));

  UniqueFd dir(pictray::fs::DefaultEnv(), ::open(d.path().c_str(), O_RDONLY | O_DIRECTORY));
  EXPECT_EQ(RemoveStaleMoveTemps(pictray::fs::DefaultEnv(), dir.get()), 1);
  std::vector<std::string> left{".pictray-move-1-1-folder", live, ".pictray-move-x", "keep.jpg"};
  std::sort(left.begin(), left.end());
  EXPECT_EQ(Entries(d.path()), left);
}

TEST(Paths, ParentJoinAndWhatANameIs) {
  std::string p = "/a/b/c";
  PathFoldaRemove(p);
  EXPECT_EQ(p, "/a/b");
  for (std::string unchanged : {"name", "/name"}) {
    std::string q = unchanged;
    PathFoldaRemove(q);
    EXPECT_EQ(q, unchanged);
  }
  // A backslash is part of a Linux name, not a separator.
  std::string b = "/x/a\\b";
  PathFoldaRemove(b);
  EXPECT_EQ(b, "/x");
  EXPECT_EQ(JoinPath("/a", "b"), "/a/b");
  EXPECT_EQ(JoinPath("/a/", "b"), "/a/b");
  EXPECT_EQ(JoinPath("/", "b"), "/b");
  EXPECT_EQ(AbsolutePath("/a/b"), "/a/b");
  EXPECT_EQ(AbsolutePath("a\xff"), fs::current_path().string() + "/a\xff");

  TempDir d;
  d.Write("f", "");
  EXPECT_TRUE(PathExists(pictray::fs::DefaultEnv(), d.path() + "/f"));
  EXPECT_FALSE(IsFolder(pictray::fs::DefaultEnv(), d.path() + "/f"));
  fs::create_symlink("nowhere", d.path() + "/dangling");
  EXPECT_TRUE(PathExists(pictray::fs::DefaultEnv(), d.path() + "/dangling"));
  EXPECT_FALSE(IsFolder(pictray::fs::DefaultEnv(), d.path() + "/dangling"));
}

TEST(Paths, SameFolderComparesAbsolutePathsAsBytes) {
  const std::string here = fs::current_path().string();
  const struct {
    std::string a, b;
    bool same;
  } cases[] = {
      {"/p/A", "/p/A", true},
      {"/p/A/", "/p/A", true},
      {"/p/A//", "/p/A/", true},
      {"/", "/", true},
      {"A", here + "/A", true},
      {"A/", here + "/A", true},
      {"\xff", here + "/\xff", true},
      {"/p/A", "/p/B", false},
      {"/p/A", "/p/AB", false},
      {"/p/A", "/p/a", false},
      {"/p/\xff", "/p/\xfe", false},  // the same text once shown, other bytes
      {"/p/\xff", "/p/\xff/", true},
      {"", "/p/A", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SameFolderPath(c.a, c.b), c.same) << c.a << " | " << c.b;
    EXPECT_EQ(SameFolderPath(c.b, c.a), c.same) << c.b << " | " << c.a;
  }
}

TEST(BreakFolda, MovesFilesUpNeverReplacesAndLeavesSubfolders) {
  TempDir d;
  const std::string p = d.path() + "/sorted";
  fs::create_directories(p + "/inner");
  d.Write("sorted/a.jpg", "a");
  d.Write("sorted/b.jpg", "mine");
  d.Write("sorted/c.jpg", "same");
  d.Write("sorted/inner/deep.jpg", "deep");
  d.Write("b.jpg", "theirs");
  d.Write("c.jpg", "same");

  const BreakResult r = BreakFolda(pictray::fs::DefaultEnv(), p + "/");  // a trailing "/" names the same folder
  EXPECT_EQ(r.moved, 1);
  EXPECT_EQ(r.skipped, 2);  // even the identical file in the parent is kept
  EXPECT_EQ(r.failed, 0);
  EXPECT_EQ(testing::ReadWhole(d.path() + "/a.jpg"), "a");
  EXPECT_EQ(testing::ReadWhole(d.path() + "/b.jpg"), "theirs");
  EXPECT_EQ(testing::ReadWhole(p + "/b.jpg"), "mine");
  EXPECT_EQ(Entries(p), (std::vector<std::string>{"b.jpg", "c.jpg", "inner"}));
  EXPECT_EQ(testing::ReadWhole(p + "/inner/deep.jpg"), "deep");
  EXPECT_NE(::rmdir(p.c_str()), 0);  // not empty: cannot be removed
}

TEST(BreakFolda, EmptiedFolderCanBeRemovedAndMissingFolderFails) {
  TempDir d;
  const std::string p = d.path() + "/x";
  fs::create_directory(p);
  d.Write("x/1", "1");
  d.Write("x/2", "2");
  EXPECT_EQ(BreakFolda(pictray::fs::DefaultEnv(), p).moved, 2);
  EXPECT_EQ(::rmdir(p.c_str()), 0);
  EXPECT_EQ(BreakFolda(pictray::fs::DefaultEnv(), p).failed, 1);
}

// A nested target goes back whole: its files into the folder the move took
// them from, its folders while nothing else is in them.
TEST(BreakFolda, NestedTargetGoesBackIntoTheSourceFolder) {
  TempDir d;
  const std::string S = d.path() + "/roll";
  fs::create_directories(S + "/2023/06");
  fs::create_directories(S + "/2023/07");
  d.Write("roll/2023/06/a.jpg", "a");
  d.Write("roll/2023/07/b.jpg", "b");
  EXPECT_EQ(BreakTargetFolder(pictray::fs::DefaultEnv(), S + "/2023/06", "2023/06"), 0);
  EXPECT_EQ(testing::ReadWhole(S + "/a.jpg"), "a");
  EXPECT_FALSE(fs::exists(S + "/2023/06"));
  EXPECT_TRUE(fs::exists(S + "/2023/07/b.jpg"));  // the year holds another month still
  EXPECT_EQ(BreakTargetFolder(pictray::fs::DefaultEnv(), S + "/2023/07", "2023/07"), 0);
  EXPECT_EQ(testing::ReadWhole(S + "/b.jpg"), "b");
  EXPECT_FALSE(fs::exists(S + "/2023"));
}

TEST(RemoveEmptyFolder, RemovesOnlyAFolderThatHoldsNothing) {
  TempDir d;
  fs::create_directories(d.path() + "/empty");
  fs::create_directories(d.path() + "/sub/inner");
  fs::create_directories(d.path() + "/file");
  d.Write("file/a.jpg", "a");
  const struct {
    const char* folder;
    int err;
  } cases[] = {{"empty", 0}, {"sub", ENOTEMPTY}, {"file", ENOTEMPTY}, {"missing", ENOENT}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.folder);
    EXPECT_EQ(RemoveEmptyFolder(pictray::fs::DefaultEnv(), d.path() + "/" + c.folder), c.err);
  }
  EXPECT_FALSE(fs::exists(d.path() + "/empty"));
  EXPECT_EQ(testing::ReadWhole(d.path() + "/file/a.jpg"), "a");
}

}  // namespace
}  // namespace pictray
