#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>
#include <filesystem>
#include <random>

#include "engine/dupes/dupes.h"
#include "engine/dupes/groups.h"
#include "engine/dupes/keep_rule.h"
#include "engine/fs/env.h"
#include "tests/support/temp_dir.h"

namespace pictray::dupes {
namespace {

using pictray::testing::TempDir;

std::string Hex(const std::string& bytes) {
  static const char d[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : bytes) {
    out.push_back(d[c >> 4]);
    out.push_back(d[c & 15]);
  }
  return out;
}

// Bytes 0, 1, 2, ... wrapping at 251 so that no two stretches look alike.
std::string Pattern(std::size_t n) {
  std::string s(n, '\0');
  for (std::size_t i = 0; i < n; ++i) s[i] = static_cast<char>(i % 251);
  return s;
}

std::vector<FileRec> ListKeyed(const std::string& folder) {
  std::vector<FileRec> t = SetListView(pictray::fs::DefaultEnv(), folder, nullptr);
  SetSizeWork(t);
  return t;
}

const FileRec* Find(const std::vector<FileRec>& t, const std::string& name) {
  for (const FileRec& r : t)
    if (r.filename == name) return &r;
  return nullptr;
}

TEST(DupesKey, SignatureIsWholeShortFileOrFirstAndLastHundredBytes) {
  TempDir dir;
  EXPECT_EQ(GetFileBuffer(pictray::fs::DefaultEnv(), dir.Write("abc", "abc")), "616263");
  EXPECT_EQ(GetFileBuffer(pictray::fs::DefaultEnv(), dir.Write("empty", "")), "");
  const std::string s99 = Pattern(99), s150 = Pattern(150), s1000 = Pattern(1000);
  EXPECT_EQ(GetFileBuffer(pictray::fs::DefaultEnv(), dir.Write("s99", s99)), Hex(s99));
  // 100 to 199 bytes: the two stretches overlap and both are taken whole.
  EXPECT_EQ(GetFileBuffer(pictray::fs::DefaultEnv(), dir.Write("s150", s150)), Hex(s150.substr(0, 100)) + Hex(s150.substr(50)));
  EXPECT_EQ(GetFileBuffer(pictray::fs::DefaultEnv(), dir.Write("s1000", s1000)),
            Hex(s1000.substr(0, 100)) + Hex(s1000.substr(900)));
  EXPECT_EQ(GetFileBuffer(pictray::fs::DefaultEnv(), dir.path() + "/missing"), "");
}

TEST(DupesKey, KeyIsSizeTextFollowedBySignature) {
  TempDir dir;
  dir.Write("abc.txt", "abc");
  dir.Write("zero1", "");
  dir.Write("zero2", "");
  std::vector<FileRec> t = ListKeyed(dir.path());
  ASSERT_EQ(t.size(), 3u);
  EXPECT_EQ(Find(t, "abc.txt")->samekey, "3616263");
  EXPECT_EQ(Find(t, "abc.txt")->file, "abc");
  EXPECT_EQ(Find(t, "abc.txt")->path, dir.path() + "/abc.txt");
  EXPECT_EQ(Find(t, "zero1")->samekey, "0");
  EXPECT_EQ(Find(t, "zero2")->samekey, "0");
}

TEST(DupesKey, SizesOfFourGibibytesAndMoreAreKeptWhole) {
  TempDir dir;
  const std::string p = dir.Write("sparse", "");
  ASSERT_EQ(::truncate(p.c_str(), (4LL << 30) + 7), 0);
  std::vector<FileRec> t = ListKeyed(dir.path());
  ASSERT_EQ(t.size(), 1u);
  EXPECT_EQ(t[0].size, "4294967303");
  EXPECT_EQ(t[0].samekey, "4294967303" + std::string(400, '0'));
}

TEST(DupesKey, ListingSkipsFoldersAndAnythingThatIsNoFolderListsNothing) {
  TempDir dir;
  dir.Write("a.jpg", "x");
  std::filesystem::create_directory(dir.path() + "/sub");
  std::filesystem::create_directory_symlink(dir.path() + "/sub", dir.path() + "/sublink");
  std::filesystem::create_symlink(dir.path() + "/a.jpg", dir.path() + "/alink");
  std::vector<std::size_t> told;
  std::vector<FileRec> t = SetListView(pictray::fs::DefaultEnv(), dir.path() + "/", [&](std::size_t i, std::size_t total) {
    told.push_back(i);
    EXPECT_EQ(total, 4u);
  });
  ASSERT_EQ(t.size(), 2u);
  EXPECT_EQ(told, (std::vector<std::size_t>{1, 2, 3, 4, 4}));
  EXPECT_EQ(Find(t, "a.jpg")->path, dir.path() + "/a.jpg");  // no doubled "/"
  EXPECT_TRUE(Find(t, "a.jpg")->groupable);
  ASSERT_NE(Find(t, "alink"), nullptr);
  EXPECT_FALSE(Find(t, "alink")->groupable);

  EXPECT_TRUE(SetListView(pictray::fs::DefaultEnv(), dir.path() + "/a.jpg", nullptr).empty());
  int openError = 0;
  EXPECT_TRUE(SetListView(pictray::fs::DefaultEnv(), dir.path() + "/none", nullptr, Keying::AllFiles, &openError).empty());
  EXPECT_EQ(openError, ENOENT);
}

// A killed move's hidden temporary file is no file of the folder.
TEST(DupesKey, TemporaryFilesOfAMoveAreNotListed) {
  TempDir dir;
  dir.Write("a.jpg", "abc");
  dir.Write(".pictray-move-4242-1-0000beef", "abc");
  for (Keying k : {Keying::AllFiles, Keying::WhereNeeded}) {
    const std::vector<FileRec> t = SetListView(pictray::fs::DefaultEnv(), dir.path(), nullptr, k);
    ASSERT_EQ(t.size(), 1u);
    EXPECT_EQ(t[0].filename, "a.jpg");
  }
}

// A file the listing cannot open is listed all the same, with the empty
// signature. Root reads anything, so the listing then runs as "nobody".
TEST(DupesKey, UnreadableFileIsListedWithTheEmptySignature) {
  TempDir dir;
  const std::string locked = dir.Write("locked.jpg", "abc");
  dir.Write("open.jpg", "abc");
  ASSERT_EQ(::chmod(locked.c_str(), 0), 0);
  ASSERT_EQ(::chmod(dir.path().c_str(), 0755), 0);
  auto listed = [&] {
    std::vector<FileRec> t = ListKeyed(dir.path());
    const FileRec* r = Find(t, "locked.jpg");
    return t.size() == 2 && r && r->samekey == "3" && r->groupable && Find(t, "open.jpg")->samekey == "3616263";
  };
  if (::geteuid() != 0) {
    EXPECT_TRUE(listed());
    return;
  }
  const pid_t pid = ::fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) _exit(::setgid(65534) == 0 && ::setuid(65534) == 0 && listed() ? 0 : 1);
  int status = 0;
  ASSERT_EQ(::waitpid(pid, &status, 0), pid);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

TEST(DupesKey, SortIsByKeyTextSoTenSortsBeforeNine) {
  TempDir dir;
  dir.Write("nine", std::string(9, 'a'));
  dir.Write("ten", std::string(10, 'a'));
  dir.Write("hundred", std::string(100, 'a'));
  std::vector<FileRec> t = ListKeyed(dir.path());
  SortFileTable(t, 0);
  ASSERT_EQ(t.size(), 3u);
  EXPECT_EQ(t[0].filename, "hundred");  // "100" + "61..." < "10" + "61..."
  EXPECT_EQ(t[1].filename, "ten");
  EXPECT_EQ(t[2].filename, "nine");
  SortFileTable(t, 1);
  EXPECT_EQ(t[0].filename, "nine");
  EXPECT_LT(compSizeBuffa(t[0], t[2], 1), 0);
  EXPECT_GT(compSizeBuffa(t[0], t[2], 0), 0);
}

// Keys that end within the first eight bytes or share them, and ties that
// the keep rule orders: the sort orders them as comparing whole keys does,
// in both directions.
TEST(DupesKey, SortOrdersAsComparingWholeKeysDoes) {
  std::mt19937 random(7);
  const char* const starts[] = {"", "1", "12", "1234567", "12345678", "123456789", "1234567A", "9"};
  std::vector<FileRec> t(300);
  for (FileRec& r : t) {
    r.samekey = std::string(starts[random() % 8]) + std::string(random() % 3, "0A"[random() % 2]);
    r.filename = "f" + std::to_string(random() % 40) + (random() % 4 == 0 ? " (1)" : "") + ".jpg";
    r.identity.size = random() % 3;
  }
  for (const int SortBit : {0, 1}) {
    std::vector<FileRec> sorted = t;
    SortFileTable(sorted, SortBit);
    for (std::size_t i = 1; i < sorted.size(); ++i) {
      const int c = compSizeBuffa(sorted[i - 1], sorted[i], SortBit);
      EXPECT_TRUE(c < 0 || (c == 0 && !KeptBefore(sorted[i], sorted[i - 1], DefaultKeepRule())))
          << SortBit << " at " << i << ": " << sorted[i - 1].samekey << " " << sorted[i].samekey;
    }
  }
}

// Counts the bytes read at explicit offsets.
class ReadCountingEnv : public fs::PosixEnv {
 public:
  ssize_t Pread(int fd, void* buf, std::size_t n, off_t offset) const override {
    const ssize_t got = fs::PosixEnv::Pread(fd, buf, n, offset);
    if (got > 0) read_ += static_cast<std::size_t>(got);
    return got;
  }
  std::size_t read() const { return read_; }

 private:
  mutable std::atomic<std::size_t> read_{0};
};

// Sizes in prefix relations ("10"/"100"/"1000"), shared sizes, and sizes
// alone: reading only the needed keys keeps order, keys and groups, and
// reads whole only the files of a shared size; past 4 KiB only those whose
// first 4 KiB another file of the size shares.
TEST(DupesKey, ReadingOnlyNeededKeysKeepsOrderAndGroups) {
  TempDir dir;
  const std::size_t sizes[] = {10, 100, 1000, 1000, 1001, 7, 250, 250, 3333, 33, 5, 26, 260, 27, 280};
  for (std::size_t i = 0; i < std::size(sizes); ++i) {
    std::string content = Pattern(sizes[i] + i);
    content.resize(sizes[i]);
    if (i == 3) content = Pattern(1000);  // a copy of file 2
    dir.Write("f" + std::to_string(i), content);
  }
  // 10,000 bytes: "a" and "b" alike, the others changed at one byte ("e"
  // and "g" share their first 100 bytes, not their first 4 KiB).
  for (const auto& [name, at] :
       {std::pair{"a", 0}, {"b", 0}, {"c", 8000}, {"d", 10}, {"e", 4095}, {"f", 4096}, {"g", 4000}}) {
    std::string content = Pattern(10000);
    content[at] ^= at == 0 ? 0 : 0x55;
    dir.Write(name, content);
  }
  // A link sorts by its target's key; read lazily it would sort first.
  dir.Write("p", std::string(300, 'a'));
  dir.Write("q", std::string(300, 'b'));
  std::filesystem::create_symlink(dir.path() + "/q", dir.path() + "/r");
  ReadCountingEnv env;
  auto grouped = [&](Keying k) {
    std::vector<FileRec> t = SetListView(env, dir.path(), nullptr, k);
    SetSizeWork(t);
    SortFileTable(t, 0);
    SetFolda(pictray::fs::DefaultEnv(), t);
    std::string out;
    // With the keys of the files read by their first bytes.
    for (const FileRec& r : t) out += r.filename + ":" + r.sameno + ":" + (r.size == "10000" ? r.samekey : "") + " ";
    return std::make_pair(out, t);
  };
  const auto [all, allTable] = grouped(Keying::AllFiles);
  const std::size_t readForAll = env.read();
  const auto [needed, neededTable] = grouped(Keying::WhereNeeded);
  EXPECT_EQ(needed, all);
  // Whole: the two files of 1000 bytes, of 250 and of 300 ("p", "q"), and
  // "a", "b", "c", "f". Only the first and last 100 bytes of those alone in
  // their size (10, 100, 1001, 3333, 33, 26, 260) and of the link, and the
  // first 4 KiB and last 100 bytes of "d", "e" and "g".
  EXPECT_EQ(env.read() - readForAll, 2 * 1000 + 2 * 250 + 2 * 300 + 10 + 200 + 200 + 200 + 33 + 26 + 200 + 200 +
                                         4 * 10000 + 3 * (4096 + 100));
  EXPECT_NE(needed.find("b:1:"), std::string::npos) << needed;
  std::size_t unread = 0;
  for (const FileRec& r : neededTable) unread += r.samekey == r.size;
  EXPECT_EQ(unread, 4u);  // only the files of 7, 5, 27 and 280 bytes need no key

  // Only the groups shown: a file alone in its size is not read at all, nor
  // the last bytes of one whose first bytes are its own ("d", "e", "g"), and
  // the groups and their order stay.
  const std::size_t readBefore = env.read();
  const auto [groupsOnly, groupsOnlyTable] = grouped(Keying::GroupsOnly);
  EXPECT_EQ(env.read() - readBefore, 2 * 1000 + 2 * 250 + 2 * 300 + 200 + 4 * 10000 + 3 * 4096);
  const auto names = [](const std::vector<FileRec>& t) {
    std::vector<std::vector<std::string>> out;
    for (const TwinGroup& g : GroupsOfTable(t)) {
      out.emplace_back();
      for (const TwinMember& m : g.members) out.back().push_back(t[m.row].filename);
    }
    return out;
  };
  EXPECT_EQ(names(groupsOnlyTable), names(allTable));
  EXPECT_EQ(names(allTable).size(), 3u);
}

// The caller's thread held up at its first entry, as on a busy machine,
// while the others list the rest.
class CallerHeldEnv : public fs::PosixEnv {
 public:
  int Fstatat(int dir, const char* path, struct stat& st, int flags) const override {
    if (std::this_thread::get_id() == caller_ && !held_.exchange(true))
      std::this_thread::sleep_for(std::chrono::milliseconds(300));
    return fs::PosixEnv::Fstatat(dir, path, st, flags);
  }

 private:
  std::thread::id caller_ = std::this_thread::get_id();
  mutable std::atomic<bool> held_{false};
};

// A folder large enough to be listed and keyed by several threads keeps
// the folder's order, leaves out its folders, and finds every copy among
// files that share their size and first and last bytes and differ only in
// the middle; its progress rises to the whole however the threads share it.
TEST(DupesKey, LargeFolderListsInFolderOrderAndFindsEveryCopy) {
  struct Case {
    std::size_t entries;
    Keying keying;
  } const cases[] = {{300, Keying::WhereNeeded}, {800, Keying::WhereNeeded}, {300, Keying::AllFiles}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.entries);
    TempDir dir;
    auto name = [](std::size_t i) { return "f" + std::to_string(10000 + i); };
    auto isFolder = [](std::size_t i) { return i % 9 == 8; };
    auto isCopy = [&](std::size_t i) { return i % 4 == 3 && !isFolder(i - 1); };
    std::vector<std::string> contents(c.entries);
    for (std::size_t i = 0; i < c.entries; ++i) {
      if (isFolder(i)) {
        std::filesystem::create_directory(dir.path() + "/" + name(i));
        continue;
      }
      contents[i] = isCopy(i) ? contents[i - 1] : std::string(200 + i % 97, 'x');
      if (!isCopy(i)) contents[i][contents[i].size() / 2] = static_cast<char>(i % 251);
      dir.Write(name(i), contents[i]);
    }
    std::vector<std::string> folderOrder;
    for (const auto& e : std::filesystem::directory_iterator(dir.path()))
      if (!e.is_directory()) folderOrder.push_back(e.path().filename().string());

    CallerHeldEnv env;
    std::vector<std::size_t> told;
    std::vector<FileRec> t = SetListView(env, dir.path(), [&](std::size_t i, std::size_t) { told.push_back(i); }, c.keying);
    EXPECT_TRUE(std::is_sorted(told.begin(), told.end()));
    EXPECT_EQ(told.back(), c.entries);
    std::vector<std::string> listed;
    for (const FileRec& r : t) listed.push_back(r.filename);
    EXPECT_EQ(listed, folderOrder);
    SetSizeWork(t);
    SortFileTable(t, 0);
    SetFolda(pictray::fs::DefaultEnv(), t);
    std::size_t copies = 0;
    for (const FileRec& r : t) {
      const std::size_t i = std::stoul(r.filename.substr(1)) - 10000;
      SCOPED_TRACE(r.filename);
      EXPECT_EQ(r.sameno != "0", isCopy(i));
      EXPECT_EQ(r.firstfile, isCopy(i) ? name(i - 1) : "");
      copies += isCopy(i);
    }
    EXPECT_GT(copies, c.entries / 6);
  }
}

// Which of a set of byte-identical files stays, whatever order the folder
// lists them in.
TEST(DupesKeep, TheCopyThatStaysFollowsTheRuleInEveryListingOrder) {
  struct File {
    const char* name;
    time_t mtime;
  };
  struct Case {
    std::vector<File> files;
    const char* rule;
    const char* kept;
  } const cases[] = {
      {{{"IMG_0005 (1).HEIC", 100}, {"IMG_0005.HEIC", 200}}, "original", "IMG_0005.HEIC"},
      {{{"a - Copy.jpg", 100}, {"a - Copy (2).jpg", 100}, {"a.jpg", 300}}, "original", "a.jpg"},
      {{{"a - \xE3\x82\xB3\xE3\x83\x94\xE3\x83\xBC.jpg", 100}, {"a.jpg", 200}}, "original", "a.jpg"},
      {{{"IMG 2.jpg", 100}, {"IMG.jpg", 200}}, "original", "IMG.jpg"},
      {{{"Copy of x.png", 100}, {"x_copy.png", 100}, {"x.png", 200}}, "original", "x.png"},
      {{{"Trip 2019 (1).jpg", 100}, {"Trip 2019.jpg", 200}}, "original", "Trip 2019.jpg"},
      {{{"d (copy).jpg", 100}, {"d (copy 2).jpg", 100}, {"d (another copy).jpg", 100}, {"d (3rd copy).jpg", 100},
        {"d.jpg", 200}},
       "original", "d.jpg"},
      {{{"new.jpg", 200}, {"old.jpg", 100}}, "original", "old.jpg"},
      {{{"abcd.jpg", 100}, {"ab.jpg", 100}, {"b.jpg", 100}}, "original", "b.jpg"},
      {{{"b.jpg", 100}, {"a.jpg", 100}}, "original", "a.jpg"},
      {{{"IMG_1.jpg", 200}, {"IMG_1 (1).jpg", 100}}, "oldest", "IMG_1 (1).jpg"},
      {{{"IMG_1.jpg", 200}, {"IMG_1 (1).jpg", 200}}, "oldest", "IMG_1.jpg"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.kept);
    TempDir dir;
    for (const File& f : c.files) {
      dir.Write(f.name, "the same bytes");
      const struct timespec times[2] = {{f.mtime, 0}, {f.mtime, 0}};
      ::utimensat(AT_FDCWD, (dir.path() + "/" + f.name).c_str(), times, 0);
    }
    std::vector<FileRec> listed = ListKeyed(dir.path());
    for (std::size_t turn = 0; turn < listed.size(); ++turn) {
      std::vector<FileRec> t = listed;
      std::rotate(t.begin(), t.begin() + static_cast<std::ptrdiff_t>(turn), t.end());
      SortFileTable(t, 0, *ParseKeepRule(c.rule).rule);
      SetFolda(pictray::fs::DefaultEnv(), t);
      EXPECT_EQ(t[0].filename, c.kept);
      EXPECT_EQ(t[0].sameno, "0");
      for (std::size_t i = 1; i < t.size(); ++i) EXPECT_EQ(t[i].firstfile, RemoveExtension(c.kept));
    }
  }
}

TEST(DupesKey, NameHelpers) {
  EXPECT_EQ(RemoveExtension("a.b.jpg"), "a.b");
  EXPECT_EQ(RemoveExtension("noext"), "noext");
  EXPECT_EQ(RemoveExtension(".hidden"), "");
}

}  // namespace
}  // namespace pictray::dupes
