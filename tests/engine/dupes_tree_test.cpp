// A library rather than one folder: subfolders and several folders listed as
// one table, a protected (reference) library, the extraction into each
// root's own folder with one journal and its undo, and the review's
// decisions that last.
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <tuple>

#include "engine/dupes/decisions.h"
#include "engine/dupes/delete_check.h"
#include "engine/dupes/dupes.h"
#include "engine/dupes/groups.h"
#include "engine/dupes/twinscan_profile.h"
#include "engine/journal/journal.h"
#include "engine/journal/undo.h"
#include "engine/move/extract.h"
#include "tests/support/journal_home.h"
#include "tests/support/temp_dir.h"

namespace pictray::dupes {
namespace {

using pictray::testing::ReadWhole;
using pictray::testing::TempDir;
using pictray::testing::TestJournals;
namespace stdfs = std::filesystem;

const TimeStamp kWhen{2024, 3, 5, 14, 7, 45};
const fs::Env& Env() { return fs::DefaultEnv(); }

void Put(const std::string& path, const std::string& content) {
  stdfs::create_directories(stdfs::path(path).parent_path());
  std::ofstream(path, std::ios::binary) << content;
}

std::string Bytes(char c, std::size_t n = 3000) {
  std::string s(n, c);
  s[n / 2] = 'x';
  return s;
}

std::set<std::string> Names(const std::vector<FileRec>& t) {
  std::set<std::string> names;
  for (const FileRec& r : t) names.insert(r.filename);
  return names;
}

std::vector<FileRec> Grouped(std::vector<FileRec> t) {
  SetSizeWork(t);
  SortFileTable(t, 0);
  SetFolda(Env(), t);
  return t;
}

const FileRec& Row(const std::vector<FileRec>& t, const std::string& filename) {
  const auto it = std::find_if(t.begin(), t.end(), [&](const FileRec& r) { return r.filename == filename; });
  EXPECT_NE(it, t.end()) << filename;
  return *it;
}

TEST(DupesTree, SkipsExtractionAndHiddenFoldersOnly) {
  for (const char* name : {"same202403051407045", "same2024030514070450_2", ".git", ".thumbnails", "same1"})
    EXPECT_TRUE(SkippedInTree(name)) << name;
  for (const char* name : {"same", "sameday", "same2024_", "same12_x", "Same2024", "DCIM", "100NIKON", "same_2"})
    EXPECT_FALSE(SkippedInTree(name)) << name;
}

TEST(DupesTree, ListsSubfoldersByRelativePathSkippingLinksHiddenAndExtractionFolders) {
  TempDir d;
  Put(d.path() + "/a.jpg", Bytes('a'));
  Put(d.path() + "/DCIM/100NIKON/b.jpg", Bytes('a'));
  Put(d.path() + "/DCIM/c.jpg", Bytes('c'));
  Put(d.path() + "/.hidden/d.jpg", Bytes('a'));
  Put(d.path() + "/same2024030514070450/a.jpg", Bytes('a'));
  stdfs::create_directory_symlink(d.path() + "/DCIM", d.path() + "/linked");
  for (const Keying keying : {Keying::AllFiles, Keying::WhereNeeded}) {
    RootError error;
    const std::vector<FileRec> t = ListRoots(Env(), {{d.path()}}, true, nullptr, keying, &error);
    EXPECT_EQ(error.err, 0);
    EXPECT_EQ(Names(t), (std::set<std::string>{"a.jpg", "DCIM/100NIKON/b.jpg", "DCIM/c.jpg"}));
    const FileRec& b = Row(t, "DCIM/100NIKON/b.jpg");
    EXPECT_EQ(b.path, d.path() + "/DCIM/100NIKON/b.jpg");
    EXPECT_EQ(b.file, "DCIM/100NIKON/b");
    EXPECT_EQ(b.root, 0u);
    EXPECT_FALSE(b.reference);
  }
  // Without subfolders the root's own files alone.
  EXPECT_EQ(Names(ListRoots(Env(), {{d.path()}}, false, nullptr)), Names(SetListView(Env(), d.path(), nullptr)));
}

TEST(DupesTree, OneFolderWithoutSubfoldersListsAsTheOneFolderSearch) {
  TempDir d;
  Put(d.path() + "/a.jpg", Bytes('a'));
  Put(d.path() + "/a (1).jpg", Bytes('a'));
  Put(d.path() + "/sub/b.jpg", Bytes('a'));
  const auto fields = [](const std::vector<FileRec>& t) {
    std::vector<std::tuple<std::string, std::string, std::string, std::string, std::string, std::string>> out;
    for (const FileRec& r : t) out.emplace_back(r.file, r.folda, r.filename, r.size, r.sameno, r.firstfile);
    return out;
  };
  EXPECT_EQ(fields(Grouped(ListRoots(Env(), {{d.path()}}, false, nullptr))),
            fields(Grouped(SetListView(Env(), d.path(), nullptr))));
}

TEST(DupesTree, AFolderMetTwiceIsListedOnce) {
  TempDir d;
  Put(d.path() + "/lib/x.jpg", Bytes('x'));
  Put(d.path() + "/lib/inner/y.jpg", Bytes('y'));
  // The same folder twice, and a folder inside another root.
  const std::vector<FileRec> t =
      ListRoots(Env(), {{d.path() + "/lib"}, {d.path() + "/lib/"}, {d.path() + "/lib/inner"}}, true, nullptr);
  EXPECT_EQ(t.size(), 2u);
  EXPECT_EQ(Names(t), (std::set<std::string>{"x.jpg", "inner/y.jpg"}));
}

TEST(DupesTree, ABindMountLoopIsListedOnce) {
  TempDir d;
  Put(d.path() + "/top/x.jpg", Bytes('x'));
  stdfs::create_directories(d.path() + "/top/loop");
  if (::mount((d.path() + "/top").c_str(), (d.path() + "/top/loop").c_str(), nullptr, MS_BIND, nullptr) != 0)
    GTEST_SKIP() << "no bind mount here";
  const std::vector<FileRec> t = ListRoots(Env(), {{d.path() + "/top"}}, true, nullptr);
  ::umount((d.path() + "/top/loop").c_str());
  EXPECT_EQ(Names(t), (std::set<std::string>{"x.jpg"}));
}

TEST(DupesTree, AReferenceFileIsKeptFirstAndReferenceOnlyGroupsAreNotShown) {
  TempDir d;
  const std::string lib = d.path() + "/library", card = d.path() + "/card";
  Put(lib + "/2020/IMG_1.jpg", Bytes('1'));
  Put(lib + "/2021/IMG_1 copy.jpg", Bytes('1'));  // the library's own copy: not ours to judge
  Put(lib + "/2020/IMG_2.jpg", Bytes('2'));
  Put(lib + "/2021/IMG_2.jpg", Bytes('2'));
  // The card's copy has the better name and is older: a reference file still stays.
  Put(card + "/IMG_1.jpg", Bytes('1'));
  Put(card + "/new.jpg", Bytes('n'));
  Put(card + "/new (1).jpg", Bytes('n'));
  const std::vector<FileRec> t = Grouped(ListRoots(Env(), {{card}, {lib, true}}, true, nullptr, Keying::WhereNeeded));
  const std::vector<TwinGroup> groups = GroupsOfTable(t);
  ASSERT_EQ(groups.size(), 2u);
  std::map<std::string, std::set<std::string>> seen;
  for (const TwinGroup& g : groups) {
    const FileRec& kept = t[g.members[g.kept].row];
    for (const TwinMember& m : g.members)
      if (m.row != g.members[g.kept].row) seen[kept.path].insert(t[m.row].path);
  }
  EXPECT_EQ(seen, (std::map<std::string, std::set<std::string>>{{lib + "/2020/IMG_1.jpg", {card + "/IMG_1.jpg"}},
                                                               {card + "/new.jpg", {card + "/new (1).jpg"}}}));
  for (const FileRec& r : t) {
    EXPECT_EQ(r.reference, r.path.starts_with(lib)) << r.path;
    if (r.reference) {
      EXPECT_EQ(r.sameno, "0") << r.path;
    }
  }
}

TEST(DupesTree, ProtectReferenceKeepsTheReferenceFileOfAnyGroup) {
  std::vector<FileRec> t(4);
  t[1].reference = t[3].reference = true;
  std::vector<TwinGroup> groups{{{{0, {}}, {1, {}}, {2, {}}, {3, {}}}, 0, {}}, {{{1, {}}, {3, {}}}, 0, {}}};
  EXPECT_TRUE(ProtectReference(groups, t));
  ASSERT_EQ(groups.size(), 1u);  // the reference files alone are no group
  ASSERT_EQ(groups[0].members.size(), 3u);
  EXPECT_EQ(groups[0].members[groups[0].kept].row, 1u);
  for (const TwinMember& m : groups[0].members) EXPECT_NE(m.row, 3u);
}

TEST(DupesTree, TheExtractionNeverMovesAReferenceFileWhateverTheMarks) {
  TempDir d;
  const std::string lib = d.path() + "/library", card = d.path() + "/card";
  Put(lib + "/a.jpg", Bytes('a'));
  Put(card + "/a.jpg", Bytes('a'));
  std::vector<FileRec> t = Grouped(ListRoots(Env(), {{card}, {lib, true}}, true, nullptr));
  // Marks turned round: the library's file as the card's copy.
  std::vector<TwinGroup> groups = GroupsOfTable(t);
  ASSERT_EQ(groups.size(), 1u);
  groups[0].kept = 1 - groups[0].kept;
  MarkGroups(t, groups);
  const ExtractResult r = MakeFoldaAndMove(Env(), t, card, TestJournals(), kWhen, false, {}, nullptr, nullptr,
                                           {card, lib});
  EXPECT_EQ(r.movedCount, 0);
  EXPECT_EQ(r.failed, 1);
  ASSERT_EQ(r.outcomes.size(), 1u);
  EXPECT_EQ(r.outcomes[0].reason, SurplusLeft::Reference);
  EXPECT_EQ(ReadWhole(lib + "/a.jpg"), Bytes('a'));
  EXPECT_EQ(stdfs::directory_entry(lib).exists(), true);
  EXPECT_EQ(std::distance(stdfs::directory_iterator(lib), stdfs::directory_iterator()), 1);
}

// Every file and folder under `root`: its bytes, mode and modification time.
using Snapshot = std::map<std::string, std::tuple<std::string, mode_t, std::int64_t>>;
Snapshot Take(const std::string& root) {
  Snapshot s;
  for (auto it = stdfs::recursive_directory_iterator(root); it != stdfs::recursive_directory_iterator(); ++it) {
    struct stat st {};
    EXPECT_EQ(::lstat(it->path().c_str(), &st), 0);
    const bool folder = S_ISDIR(st.st_mode);
    s[it->path().string().substr(root.size())] = {folder ? "" : ReadWhole(it->path()), st.st_mode,
                                                  folder ? 0 : st.st_mtim.tv_sec * 1000000000LL + st.st_mtim.tv_nsec};
  }
  return s;
}

// A file with its own mode and an old modification time.
void PutAged(const std::string& path, const std::string& content, mode_t mode, time_t seconds) {
  Put(path, content);
  ::chmod(path.c_str(), mode);
  const struct timespec times[2] = {{seconds, 0}, {seconds, 123456789}};
  ::utimensat(AT_FDCWD, path.c_str(), times, 0);
}

TEST(DupesTree, TreeExtractionAcrossFileSystemsAndItsUndoRestoreTheTreeByteForByte) {
  TempDir d;
  const std::string root = d.path() + "/photos", lib = d.path() + "/library";
  // A second root on another file system, and a subfolder of the first
  // that is another file system when a bind mount can be made here.
  char shmTemplate[] = "/dev/shm/pictray-tree-XXXXXX";
  ASSERT_NE(::mkdtemp(shmTemplate), nullptr);
  const std::string shm = shmTemplate, other = shm + "/phone";
  stdfs::create_directories(shm + "/mounted");
  stdfs::create_directories(root + "/card");
  const bool mounted = ::mount((shm + "/mounted").c_str(), (root + "/card").c_str(), nullptr, MS_BIND, nullptr) == 0;
  PutAged(root + "/IMG_1.jpg", Bytes('1'), 0644, 1600000000);
  PutAged(root + "/card/DCIM/IMG_1.jpg", Bytes('1'), 0600, 1600000100);   // a copy, on the other file system
  PutAged(root + "/card/DCIM/IMG_1.xmp", "<x:xmpmeta/>", 0640, 1600000200);  // its sidecar goes with it
  PutAged(root + "/2023/05/IMG_2.jpg", Bytes('2'), 0604, 1600000300);
  PutAged(root + "/2023/06/IMG_2 (1).jpg", Bytes('2'), 0666, 1600000400);
  PutAged(other + "/DCIM/Camera/IMG_2.jpg", Bytes('2'), 0640, 1600000500);  // a copy in another root
  PutAged(other + "/DCIM/Camera/IMG_3.jpg", Bytes('3'), 0644, 1600000600);
  PutAged(lib + "/2019/IMG_3.jpg", Bytes('3'), 0444, 1500000000);  // the library's: the phone's goes
  PutAged(lib + "/2019/IMG_3 (1).jpg", Bytes('3'), 0444, 1500000000);
  const Snapshot before = Take(root), otherBefore = Take(other), libBefore = Take(lib);

  const std::vector<FileRec> t =
      Grouped(ListRoots(Env(), {{root}, {other}, {lib, true}}, true, nullptr, Keying::WhereNeeded));
  const ExtractResult r = MakeFoldaAndMove(Env(), t, root, TestJournals(), kWhen, false, {}, nullptr, nullptr,
                                           {root, other, lib});
  EXPECT_EQ(r.failed, 0);
  EXPECT_EQ(r.movedCount, 5);  // three copies and the sidecar, and the phone's IMG_3
  const std::string same = "/" + SameFolderName(kWhen);
  EXPECT_EQ(ReadWhole(root + same + "/IMG_1_same/card/DCIM/IMG_1.jpg"), Bytes('1'));
  EXPECT_EQ(ReadWhole(root + same + "/IMG_1_same/card/DCIM/IMG_1.xmp"), "<x:xmpmeta/>");
  EXPECT_EQ(ReadWhole(root + same + "/IMG_2_same/2023/06/IMG_2 (1).jpg"), Bytes('2'));
  EXPECT_EQ(ReadWhole(other + same + "/IMG_2_same/DCIM/Camera/IMG_2.jpg"), Bytes('2'));
  EXPECT_EQ(ReadWhole(other + same + "/IMG_3_same/DCIM/Camera/IMG_3.jpg"), Bytes('3'));
  EXPECT_EQ(r.samedir, root + same + "/");
  EXPECT_EQ(r.samedirs, (std::vector<std::string>{root + same + "/", other + same + "/"}));
  EXPECT_EQ(Take(lib), libBefore);
  // Listed again with subfolders, the extraction folders are passed over.
  EXPECT_EQ(Names(ListRoots(Env(), {{root}}, true, nullptr)),
            (std::set<std::string>{"IMG_1.jpg", "2023/05/IMG_2.jpg"}));

  JournalRun run;
  ASSERT_TRUE(LastUndoableRun(Env(), TestJournals(), root, run));
  EXPECT_EQ(run.kind, JournalRunKind::ExtractTree);
  EXPECT_EQ(run.roots.size(), 3u);
  const UndoReport undo = UndoRun(Env(), run, {}, nullptr);
  EXPECT_TRUE(undo.left.empty());
  EXPECT_EQ(undo.back, 5u);
  EXPECT_EQ(Take(root), before);
  EXPECT_EQ(Take(other), otherBefore);
  EXPECT_EQ(Take(lib), libBefore);
  if (mounted) ::umount((root + "/card").c_str());
  stdfs::remove_all(shm);
  if (!mounted) GTEST_SKIP() << "no bind mount here: the subfolder on another file system was not tried";
}

// The check before the trash follows a copy's path below its surplus folder:
// the folders on its way are the extraction's own, anything else is not.
TEST(DupesTree, TheDeletionCheckOfATreeExtractionLooksAlongEachCopysPath) {
  using Kind = DeleteProblem::Kind;
  const struct {
    const char* what;
    const char* added;  // below the extraction folder; "" for none
    std::vector<std::pair<Kind, std::string>> problems;
  } cases[] = {
      {"nothing", "", {}},
      {"a file beside a copy, deep", "a_same/2023/05/notes.txt", {{Kind::Foreign, "a_same/2023/05/notes.txt"}}},
      {"a folder of its own on the way", "a_same/2023/06/x", {{Kind::Foreign, "a_same/2023/06"}}},
  };
  for (const auto& c : cases) {
    TempDir d;
    Put(d.path() + "/a.jpg", Bytes('a'));
    Put(d.path() + "/2023/05/a (1).jpg", Bytes('a'));
    const std::vector<FileRec> t = Grouped(ListRoots(Env(), {{d.path()}}, true, nullptr));
    const ExtractResult r =
        MakeFoldaAndMove(Env(), t, d.path(), TestJournals(), kWhen, false, {}, nullptr, nullptr, {d.path()});
    ASSERT_EQ(r.movedCount, 1) << c.what;
    if (*c.added) Put(r.samedir + c.added, "x");
    std::vector<std::pair<Kind, std::string>> found;
    for (const DeleteProblem& p : CheckBeforeDelete(Env(), r.samedir, r.moved))
      found.emplace_back(p.kind, p.path.substr(r.samedir.size()));
    EXPECT_EQ(found, c.problems) << c.what;
  }
}

TEST(DupesTree, ATreeJournalNamingAnUnknownRootIsNeverActedOn) {
  // Built through the writer, so that the checksums are right.
  TempDir d;
  JournalWriter w(Env());
  ASSERT_EQ(w.Create(d.path() + "/j", JournalRunKind::ExtractTree, d.path(), {d.path() + "/b"}), 0);
  w.MoveBegin(1, "x/a.jpg", "same1/a_same/x/a.jpg", {}, 0644, 1);
  w.MoveBegin(2, "x/a.jpg", "same1/a_same/x/a.jpg", {}, 0644, 2);
  w.MoveBegin(3, "../a.jpg", "same1/a_same/a.jpg", {}, 0644, 0);
  w.Done(1, {});  // a journal of a run that did nothing is not kept
  ASSERT_EQ(w.Flush(), 0);
  const std::string path = w.path();
  ASSERT_EQ(w.Close(), 0);
  JournalRun run;
  ASSERT_TRUE(ReadJournal(Env(), path, run));
  ASSERT_EQ(run.entries.size(), 3u);
  EXPECT_EQ(run.roots, (std::vector<std::string>{run.folder, JournalFolderKey(Env(), d.path() + "/b")}));
  EXPECT_FALSE(run.entries[0].unsafe);
  EXPECT_EQ(run.entries[0].root, 1u);
  EXPECT_TRUE(run.entries[1].unsafe);
  EXPECT_TRUE(run.entries[2].unsafe);
}

TEST(DupesDecisions, ALeftOutGroupStaysHiddenByContentWhateverItsNames) {
  TempDir d, state;
  const std::string store = state.path() + "/twinscan/decisions";
  Put(d.path() + "/a.jpg", Bytes('a'));
  Put(d.path() + "/a (1).jpg", Bytes('a'));
  Put(d.path() + "/b.jpg", Bytes('b'));
  Put(d.path() + "/b (1).jpg", Bytes('b'));
  std::vector<FileRec> t = Grouped(SetListView(Env(), d.path(), nullptr));
  std::vector<TwinGroup> groups = GroupsOfTable(t);
  ASSERT_EQ(groups.size(), 2u);
  const std::size_t ofA = t[groups[0].members[0].row].filename.starts_with("a") ? 0 : 1;
  ASSERT_EQ(RememberGroupLeftOut(Env(), store, t, groups[ofA]), 0);
  EXPECT_EQ(CountDecisions(Env(), store), 1u);

  // Renamed and moved into a subfolder: still decided.
  stdfs::create_directories(d.path() + "/sub");
  stdfs::rename(d.path() + "/a (1).jpg", d.path() + "/sub/other name.jpg");
  t = Grouped(ListRoots(Env(), {{d.path()}}, true, nullptr));
  groups = GroupsOfTable(t);
  ASSERT_EQ(groups.size(), 2u);
  Decisions decisions;
  ASSERT_EQ(decisions.Load(Env(), store), 0);
  EXPECT_EQ(HideDecided(Env(), decisions, t, groups), (HiddenCount{1, 1}));
  ASSERT_EQ(groups.size(), 1u);
  EXPECT_TRUE(t[groups[0].members[0].row].filename.starts_with("b"));

  // A changed file is no longer the one decided on.
  Put(d.path() + "/a.jpg", Bytes('A'));
  Put(d.path() + "/sub/other name.jpg", Bytes('A'));
  t = Grouped(ListRoots(Env(), {{d.path()}}, true, nullptr));
  groups = GroupsOfTable(t);
  EXPECT_EQ(HideDecided(Env(), decisions, t, groups), (HiddenCount{}));
  EXPECT_EQ(groups.size(), 2u);

  ASSERT_EQ(ForgetDecisions(Env(), store), 0);
  EXPECT_EQ(CountDecisions(Env(), store), 0u);
  EXPECT_FALSE(stdfs::exists(store));
}

TEST(DupesDecisions, NotTheSameTakesOneFileOutOfItsGroup) {
  TempDir d, state;
  const std::string store = state.path() + "/decisions";
  Put(d.path() + "/a.jpg", Bytes('a'));
  Put(d.path() + "/b.jpg", Bytes('b'));
  Put(d.path() + "/c.jpg", Bytes('c'));
  std::vector<FileRec> t = Grouped(SetListView(Env(), d.path(), nullptr));
  const auto rowOf = [&](const std::string& name) {
    return static_cast<std::size_t>(std::find_if(t.begin(), t.end(), [&](const FileRec& r) { return r.filename == name; }) -
                                    t.begin());
  };
  // A group as the search for the same pictures makes it.
  Likeness similar;
  similar.identical = false;
  const TwinGroup group{{{rowOf("a.jpg"), {}}, {rowOf("b.jpg"), similar}, {rowOf("c.jpg"), similar}}, 0, {}};
  ASSERT_EQ(RememberNotSame(Env(), store, t, group, 2), 0);
  std::vector<TwinGroup> groups{group};
  Decisions decisions;
  ASSERT_EQ(decisions.Load(Env(), store), 0);
  EXPECT_EQ(HideDecided(Env(), decisions, t, groups), (HiddenCount{0, 1}));
  ASSERT_EQ(groups.size(), 1u);
  EXPECT_EQ(groups[0].members.size(), 2u);
  EXPECT_EQ(groups[0].members[groups[0].kept].row, rowOf("a.jpg"));
}

TEST(DupesDecisions, DamagedLinesArePassedOverAndTheStoreIsOnlyARegularFile) {
  TempDir state;
  const std::string store = state.path() + "/decisions";
  const std::string good = "N\t5\t" + std::string(64, 'a') + "\t6\t" + std::string(64, 'b') + "\n";
  Put(store, "twinscan-decisions\t1\n" + good + "N\t5\tzz\t6\tzz\n" + "garbage\n" + good + "N\t7\t" +
                 std::string(64, 'c') + "\t7\t" + std::string(10, 'c'));
  Decisions decisions;
  ASSERT_EQ(decisions.Load(Env(), store), 0);
  EXPECT_EQ(decisions.size(), 1u);
  EXPECT_EQ(decisions.damaged(), 3u);
  // Written back whole: the damaged lines are gone.
  ASSERT_EQ(decisions.Save(Env(), store), 0);
  EXPECT_EQ(ReadWhole(store), "twinscan-decisions\t1\n" + good);
  // A FIFO or a folder in its place is refused, never waited on.
  stdfs::remove(store);
  ASSERT_EQ(::mkfifo(store.c_str(), 0600), 0);
  EXPECT_NE(decisions.Load(Env(), store), 0);
  EXPECT_EQ(CountDecisions(Env(), store), 0u);
}

TEST(DupesTree, TheLibraryIsKeptInTwinscanIni) {
  TempDir d;
  const std::string ini = d.path() + "/Twinscan.ini";
  EXPECT_EQ(ReadTwinscanLibrary(Env(), ini), TwinscanLibrary{});
  const TwinscanLibrary library{{"/photos/new card", "/odd\tname\nwith\\breaks"}, {"/library"}, true};
  ASSERT_TRUE(WriteTwinscanLibrary(Env(), ini, library));
  EXPECT_EQ(ReadTwinscanLibrary(Env(), ini), library);
  ASSERT_TRUE(WriteTwinscanLibrary(Env(), ini, {}));
  EXPECT_EQ(ReadTwinscanLibrary(Env(), ini), TwinscanLibrary{});
}

}  // namespace
}  // namespace pictray::dupes
