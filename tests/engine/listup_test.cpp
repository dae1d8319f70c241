#include "engine/runs/listup.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <random>
#include <set>

#include "engine/list/folder_listing.h"
#include "engine/settings/profile.h"
#include "tests/support/recording_host.h"
#include "tests/support/temp_dir.h"

namespace pictray {
namespace {

class ListupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    st.profile = settings.path() + "/work.ini";
    WriteProfileString(pictray::fs::DefaultEnv(), "Section0", "WPath", settings.path(), st.profile);
  }
  void Listup() {
    st.blocks.val3.Start(folder.path());
    ThreadSetListView(st.blocks.val3, st, host, RunRegistry::Guard(st.runs));
  }
  std::set<std::string> Names() const {
    std::set<std::string> out;
    st.rows.forEach([&](std::size_t, const Row& r) { out.insert(r.name); });
    return out;
  }

  testing::TempDir folder, settings;
  PictrayState st;
  testing::RecordingHost host;
};

TEST_F(ListupTest, EmptyFolderShowsZeroSlashHyphenAndEndMessage) {
  Listup();
  EXPECT_EQ(st.rows.ListMax(), 0u);
  // Reading the folder, no count standing, no rows expected, none listed, at rest.
  EXPECT_EQ(host.progress,
            (std::vector<RunProgress>{RunProgress::Stage(RunProgress::Kind::Reading),
                                      RunProgress::Stage(RunProgress::Kind::Uncounted), RunProgress::Began(cmd::ListUp, 0),
                                      RunProgress::Done(cmd::ListUp, 0, 0), RunProgress::Over(cmd::ListUp)}));
  EXPECT_EQ(host.MessageTexts(), std::vector<std::string>{kListupEnd});
  EXPECT_EQ(host.ends, std::vector<RunEnd>{RunEnd{cmd::ListUp}});
  EXPECT_FALSE(st.runs.Active());
}

TEST_F(ListupTest, ListsFilesOnlyAndEndsWithProgressAndCommands) {
  folder.Write("a.jpg", "x");
  folder.Write("b.png", "y");
  std::filesystem::create_directory(folder.path() + "/sub");
  folder.Write("sub/inner.jpg", "z");
  Listup();
  EXPECT_EQ(Names(), (std::set<std::string>{"a.jpg", "b.png"}));
  EXPECT_EQ(host.itemCount, 2u);
  EXPECT_EQ(host.Last(RunProgress::Kind::RowsDone), RunProgress::Done(cmd::ListUp, 2, 2));
  EXPECT_EQ(host.progress.back(), RunProgress::Over(cmd::ListUp));
  EXPECT_EQ(host.began, std::vector<int>{cmd::ListUp});
  // No row has a target: nothing to move.
  EXPECT_EQ(host.ends, std::vector<RunEnd>{RunEnd{cmd::ListUp}});
  EXPECT_TRUE(host.summary.empty());
}

// A camera roll of 10^5 files as users have them: names that share long
// prefixes in either case, differ in their digits, case or a byte beyond
// ASCII. The rows come in the comparison's order, every one, each once.
TEST_F(ListupTest, AHundredThousandFilesAreListedInTheComparisonsOrder) {
  std::mt19937 random(48);
  std::set<std::string> names;
  static constexpr const char* kHeads[] = {"IMG_", "img_", "DSC0", "PXL_20230614_", "Screenshot 2023-", "\xe5\xa4\x8f"};
  while (names.size() < 100000) {
    std::string n = kHeads[random() % std::size(kHeads)] + std::to_string(random() % 200000);
    if (random() % 8 == 0) n += random() % 2 ? "_a" : "_A";
    names.insert(n + (random() % 3 ? ".jpg" : ".JPG"));
  }
  // Links of a few files (a file takes at most 65,000): a name costs the
  // folder what a file does, the test less than a file.
  std::size_t made = 0;
  for (const std::string& n : names) {
    const std::string one = settings.path() + "/one" + std::to_string(made++ % 4);
    if (made <= 4) settings.Write(one.substr(settings.path().size() + 1), "");
    ASSERT_EQ(::link(one.c_str(), (folder.path() + "/" + n).c_str()), 0) << n;
  }
  Listup();
  std::vector<std::string> expected(names.begin(), names.end());
  std::sort(expected.begin(), expected.end(),
            [](const std::string& a, const std::string& b) { return CompareListingNames(a, b) < 0; });
  std::vector<std::string> listed;
  st.rows.forEach([&](std::size_t, const Row& r) { listed.push_back(r.name); });
  EXPECT_TRUE(listed == expected);
  EXPECT_EQ(host.itemCount, 100000u);
  EXPECT_EQ(host.Last(RunProgress::Kind::RowsDone), RunProgress::Done(cmd::ListUp, 100000, 100000));
  for (const std::string& n : names) ::unlink((folder.path() + "/" + n).c_str());
}

TEST_F(ListupTest, JpegCheckListsOnlyFilesStartingWithJpegMarker) {
  folder.Write("real.png", std::string("\xFF\xD8\xFF\xE0", 4));
  folder.Write("fake.jpg", "GIF89a");
  folder.Write("short.jpg", std::string("\xFF", 1));
  folder.Write("empty.jpg", "");
  WriteProfileString(pictray::fs::DefaultEnv(), "Section0", "JpegCheck", "1", st.profile);
  Listup();
  EXPECT_EQ(Names(), std::set<std::string>{"real.png"});
  EXPECT_EQ(host.Last(RunProgress::Kind::RowsDone), RunProgress::Done(cmd::ListUp, 1, 4));
}

TEST_F(ListupTest, OddNamesAreKeptByteForByte) {
  const std::vector<std::string> names = {
      "with space.jpg", "quote'\"s.jpg", "new\nline.jpg", std::string("bad\xFF\xFEutf8.jpg"),
      std::string(255, 'L'), "日本語の名前.jpg"};
  for (const auto& n : names) folder.Write(n, "data");
  Listup();
  EXPECT_EQ(Names(), std::set<std::string>(names.begin(), names.end()));
}

TEST_F(ListupTest, MovesTemporaryCopiesAreNeitherListedNorCounted) {
  folder.Write("a.jpg", "a");
  folder.Write(".pictray-move-1234-0-0badf00d", "half a copy");
  folder.Write(".hidden.jpg", "an ordinary hidden file");
  Listup();
  EXPECT_EQ(Names(), (std::set<std::string>{"a.jpg", ".hidden.jpg"}));
  EXPECT_EQ(host.Last(RunProgress::Kind::RowsDone), RunProgress::Done(cmd::ListUp, 2, 2));
  EXPECT_EQ(st.listedFolder.get(), folder.path());
}

TEST_F(ListupTest, AbortStopsBeforeTheNextEntryAndEndStepsStillRun) {
  for (int i = 0; i < 20; ++i) folder.Write("f" + std::to_string(i), "");
  st.blocks.val3.Start(folder.path());
  st.blocks.AbortAll();
  ThreadSetListView(st.blocks.val3, st, host, RunRegistry::Guard(st.runs));
  EXPECT_EQ(st.rows.ListMax(), 0u);
  EXPECT_EQ(host.ends, std::vector<RunEnd>{RunEnd{cmd::ListUp}});
  EXPECT_EQ(host.MessageTexts(), std::vector<std::string>{kListupEnd});
  // A new run clears its own flag.
  st.rows.clear();
  Listup();
  EXPECT_EQ(st.rows.ListMax(), 20u);
}

TEST_F(ListupTest, FileNamedOnCommandLineIsSelectedAndShownInsteadOfEndMessage) {
  folder.Write("a.jpg", "");
  folder.Write("wanted.jpg", "");
  st.Firstset = 0;
  st.SarchFile.set("wanted.jpg");
  Listup();
  EXPECT_EQ(host.MessageTexts(), std::vector<std::string>{"wanted.jpg"});
  EXPECT_EQ(host.selected, st.rows.SelectListView("wanted.jpg"));
  EXPECT_EQ(host.searched, "wanted.jpg");
  EXPECT_EQ(st.Firstset, 1);
}

TEST_F(ListupTest, UnreadableFolderGivesMessageAndEmptyList) {
  st.blocks.val3.Start(folder.path() + "/missing");
  ThreadSetListView(st.blocks.val3, st, host, RunRegistry::Guard(st.runs));
  EXPECT_EQ(st.rows.ListMax(), 0u);
  ASSERT_GE(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].caption1, "err");
  EXPECT_NE(host.messages[0].text.find("missing"), std::string::npos);
}

TEST_F(ListupTest, ReadDayWithNoAnalysisSelectsExifDate) {
  WriteProfileString(pictray::fs::DefaultEnv(), "Section0", "ReadDay", "1", st.profile);
  Listup();
  EXPECT_EQ(st.flags.M_Exif, 1);
  EXPECT_EQ(st.ExifSel.get(), "13");
}

TEST(FolderListing, CompareListingNamesOrdersByUpperCaseKeyThenBytes) {
  struct Case {
    std::string a, b;
    int sign;  // of CompareListingNames(a, b)
  };
  const std::vector<Case> cases = {
      {"abc", "abc", 0},
      {"", "a", -1},
      {"a", "B", -1},           // letters ignore case
      {"A", "a", -1},           // equal keys: the bytes decide, 'A' < 'a'
      {"aB", "Ab", 1},          // the first differing byte breaks the tie
      {"ab", "ABC", -1},        // a shorter key first, whatever the case
      {"Z", "_", -1},           // '_' (0x5F) sorts after 'Z' (0x5A)...
      {"z", "_", -1},           // ...and after 'z' taken as 'Z'
      {"[", "a", 1},            // '[' (0x5B) after the letters, not before 'a'
      {"`", "A", 1},            // '`' (0x60) after the letters
      {"{", "Z", 1},            // '{' stays itself, after the letters
      {"@", "a", -1},           // '@' (0x40) before them
      {"a.b", "a_b", -1},
      {"9", "10", 1},           // digits are bytes, not numbers
      {"z", "\x7f", -1},
      {"\x7f", "\x80", -1},     // bytes compare unsigned
      {"\xe5\xa4\x8f", "zzz", 1},
      {"\xc3\xa9", "\xc3\x89", 1},  // non-ASCII is not case folded: 0xA9 > 0x89
      {std::string("a\0b", 3), std::string("a\0c", 3), -1},  // no stop at a zero byte
      {"IMG_0010.jpg", "img_0009.JPG", 1},
  };
  for (const Case& c : cases) {
    const int got = CompareListingNames(c.a, c.b);
    EXPECT_EQ((got > 0) - (got < 0), c.sign) << c.a << " vs " << c.b;
    const int back = CompareListingNames(c.b, c.a);
    EXPECT_EQ((back > 0) - (back < 0), -c.sign) << c.b << " vs " << c.a;
  }
}

// The order spelled out the slow way: upper-cased copies first, then the bytes.
int ReferenceOrder(const std::string& a, const std::string& b) {
  auto upper = [](std::string s) {
    for (char& c : s)
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return s;
  };
  const int byKey = upper(a).compare(upper(b));
  return byKey != 0 ? byKey : a.compare(b);
}

TEST(FolderListing, CompareListingNamesAgreesWithTheSlowWayOnLongAndOddNames) {
  // Few letters, their neighbours and bytes whose low seven bits are letters,
  // at lengths around the eight-byte steps, so that random pairs often share
  // prefixes and differ anywhere in a word, in case or in kind.
  const std::string alphabet = "aAzZ_@[`{.0\xe1\xc1\xfa\xda\x80";
  std::mt19937 rng(7);
  auto name = [&] {
    std::string s(rng() % 20, 'x');
    for (char& c : s) c = alphabet[rng() % (rng() % 4 == 0 ? alphabet.size() : 3)];
    return s;
  };
  // Pairs: unrelated, a prefix, or the same name with some letters' case turned.
  auto partner = [&](const std::string& a, int kind) {
    if (kind == 0) return name();
    if (kind == 1) return a.substr(0, rng() % (a.size() + 1));
    std::string b = a;
    for (char& c : b)
      if (std::isalpha(static_cast<unsigned char>(c)) && rng() % 3 == 0) c ^= 0x20;
    return b;
  };
  for (int k = 0; k < 300000; ++k) {
    const std::string a = name(), b = partner(a, k % 3);
    const int got = CompareListingNames(a, b), want = ReferenceOrder(a, b);
    ASSERT_EQ((got > 0) - (got < 0), (want > 0) - (want < 0)) << ::testing::PrintToString(a) << " vs "
                                                                << ::testing::PrintToString(b);
  }
}

// The names ReadFolder lists in `folder`, in its order.
std::vector<std::string> ListedNames(const std::string& folder, FolderEntries* entries) {
  std::string error;
  EXPECT_TRUE(ReadFolder(pictray::fs::DefaultEnv(), folder, entries, &error)) << error;
  std::vector<std::string> names;
  for (std::size_t i = 0; i < entries->size(); ++i) names.emplace_back(entries->name(i));
  return names;
}

TEST(FolderListing, ReadFolderListsInNameOrder) {
  const std::vector<std::string> expected = {"10", "9", "a.b", "AA", "Ab", "aB", "a_b",
                                             "Z", "z1", "_x", "\xe5\xa4\x8f"};
  testing::TempDir d;
  // Created in an order unlike the expected one.
  for (const char* n : {"_x", "aB", "\xe5\xa4\x8f", "Z", "a_b", "9", "AA", "z1", "Ab", "a.b"}) d.Write(n, "");
  std::filesystem::create_directory(d.path() + "/10");  // folders take their place too
  FolderEntries entries;
  EXPECT_EQ(ListedNames(d.path(), &entries), expected);
  ASSERT_EQ(entries.size(), expected.size());
  EXPECT_TRUE(entries.isFolder(0));
  EXPECT_FALSE(entries.isFolder(1));
}

// Names that agree over eight and sixteen bytes, end at those bounds, or
// differ only in case there: the listing sorts them as the comparison does.
TEST(FolderListing, ReadFolderOrdersLongSharedPrefixesAsTheComparison) {
  testing::TempDir d;
  std::vector<std::string> expected;
  for (const std::size_t len : {7, 8, 9, 15, 16, 17, 24}) {
    const std::string head = std::string("Photo 2024-05-17 at 10.jpg").substr(0, len), upper = "PHOTO" + head.substr(5);
    for (const std::string& n : {head, upper, head + "a", upper + "a", head + "_", head + "B", head + "\xc3\xa9"})
      expected.push_back(d.Write(n, "").substr(d.path().size() + 1));
  }
  std::sort(expected.begin(), expected.end(),
            [](const std::string& a, const std::string& b) { return CompareListingNames(a, b) < 0; });
  FolderEntries entries;
  EXPECT_EQ(ListedNames(d.path(), &entries), expected);
}

}  // namespace
}  // namespace pictray
