
#include <filesystem>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "engine/names/text_list.h"
#include "tests/support/temp_dir.h"

namespace pictray {
namespace {

using testing::TempDir;
using Items = std::vector<std::string>;

TEST(TextList, SetListAppendsLinesAndGivesTheFolder) {
  TempDir d;
  const std::string f = d.Write("RGB.txt", "255:000:000\n\n000:128:255\nlast");
  Items items{"kept"};
  EXPECT_EQ(LoadTextList(fs::DefaultEnv(), items, f), d.path());
  EXPECT_EQ(items, (Items{"kept", "255:000:000", "", "000:128:255", "last"}));

  const std::string longLine(1500, 'x');  // longer lines are not split into items
  d.Write("long.txt", longLine + "\n");
  Items one;
  LoadTextList(fs::DefaultEnv(), one, d.path() + "/long.txt");
  EXPECT_EQ(one, Items{longLine});

  Items none;
  EXPECT_EQ(LoadTextList(fs::DefaultEnv(), none, d.path() + "/missing.txt"), d.path());
  EXPECT_TRUE(none.empty());
}

TEST(TextList, ListsaveWritesOneLinePerItemAndReplacesWhole) {
  TempDir d;
  const std::string f = d.path() + "/out.txt";
  ASSERT_TRUE(listsave(fs::DefaultEnv(), {"a", "", "b"}, f));
  EXPECT_EQ(testing::ReadWhole(f), "a\n\nb\n");
  ASSERT_TRUE(listsave(fs::DefaultEnv(), {"c"}, f));
  EXPECT_EQ(testing::ReadWhole(f), "c\n");
  Items back;
  LoadTextList(fs::DefaultEnv(), back, f);
  EXPECT_EQ(back, Items{"c"});
}

TEST(TextList, FailedListsaveLeavesNothingBehind) {
  TempDir d;
  // The name is taken by a folder: nothing replaces it, no temporary stays.
  std::filesystem::create_directory(d.path() + "/taken");
  EXPECT_FALSE(listsave(fs::DefaultEnv(), {"d"}, d.path() + "/taken"));
  EXPECT_TRUE(std::filesystem::is_directory(d.path() + "/taken"));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(d.path()),
                          std::filesystem::directory_iterator()),
            1);
  EXPECT_FALSE(listsave(fs::DefaultEnv(), {"d"}, d.path() + "/no/such/folder.txt"));
}

}  // namespace
}  // namespace pictray
