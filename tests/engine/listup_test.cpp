#include "engine/runs/listup.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
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
    WriteProfileString("Section0", "WPath", settings.path(), st.profile);
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
  EXPECT_EQ(host.status[1], "0/-");
  // Part 1 "Wait At Work", part 2 cleared by the count, part 1 cleared, the
  // result, part 2 cleared at the end.
  EXPECT_EQ(host.statusLog, (std::vector<std::string>{"Wait At Work", "", "", "0/-", ""}));
  EXPECT_EQ(host.MessageTexts(), std::vector<std::string>{kListupEnd});
  EXPECT_EQ(host.commands, std::vector<int>{cmd::RunEnded});
  EXPECT_FALSE(host.checked[Control::BT02]);
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
  EXPECT_EQ(host.status[1], "2/2");
  EXPECT_EQ(host.progress[Control::PR01], 0);
  EXPECT_TRUE(host.enabled[Control::LV01]);
  // No row has a target: the move stays disabled.
  EXPECT_FALSE(host.enabled[Control::BT01]);
  EXPECT_TRUE(host.summary.empty());
}

TEST_F(ListupTest, JpegCheckListsOnlyFilesStartingWithJpegMarker) {
  folder.Write("real.png", std::string("\xFF\xD8\xFF\xE0", 4));
  folder.Write("fake.jpg", "GIF89a");
  folder.Write("short.jpg", std::string("\xFF", 1));
  folder.Write("empty.jpg", "");
  WriteProfileString("Section0", "JpegCheck", "1", st.profile);
  Listup();
  EXPECT_EQ(Names(), std::set<std::string>{"real.png"});
  EXPECT_EQ(host.status[1], "1/4");
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
  EXPECT_EQ(host.status[1], "2/2");
  EXPECT_EQ(st.listedFolder.get(), folder.path());
}

TEST_F(ListupTest, AbortStopsBeforeTheNextEntryAndEndStepsStillRun) {
  for (int i = 0; i < 20; ++i) folder.Write("f" + std::to_string(i), "");
  st.blocks.val3.Start(folder.path());
  st.blocks.AbortAll();
  ThreadSetListView(st.blocks.val3, st, host, RunRegistry::Guard(st.runs));
  EXPECT_EQ(st.rows.ListMax(), 0u);
  EXPECT_EQ(host.commands, std::vector<int>{cmd::RunEnded});
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
  EXPECT_EQ(host.texts[Control::CB01], "wanted.jpg");
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
  WriteProfileString("Section0", "ReadDay", "1", st.profile);
  Listup();
  EXPECT_EQ(st.flags.M_Exif, 1);
  EXPECT_EQ(st.ExifSel.get(), "13");
}

TEST(FolderListing, CountsFoldersAndFilesSeparately) {
  testing::TempDir d;
  d.Write("a", "");
  d.Write("b", "");
  std::filesystem::create_directory(d.path() + "/c");
  ::symlink((d.path() + "/c").c_str(), (d.path() + "/link-to-c").c_str());
  ::symlink((d.path() + "/a").c_str(), (d.path() + "/link-to-a").c_str());
  EXPECT_EQ(GetFileCount(d.path(), 0), "2/3");
  EXPECT_EQ(GetFileCount(d.path(), 1), "5");
  EXPECT_EQ(GetFileCount(d.path(), 2), "3");
  EXPECT_EQ(GetFileCount(d.path() + "/none", 2), "0");
}

}  // namespace
}  // namespace pictray
