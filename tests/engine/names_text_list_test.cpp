
#include <filesystem>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "engine/fs/read_file.h"
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

  // A line longer than a list's is not split into items: the list adds nothing.
  d.Write("long.txt", "000:000:000\n" + std::string(1500, 'x') + "\n");
  Items one{"kept"};
  LoadTextList(fs::DefaultEnv(), one, d.path() + "/long.txt");
  EXPECT_EQ(one, Items{"kept"});

  Items none;
  EXPECT_EQ(LoadTextList(fs::DefaultEnv(), none, d.path() + "/missing.txt"), d.path());
  EXPECT_TRUE(none.empty());
}

// A list names colours: a line per colour at most, each short. Past that it
// is refused with its reason, whatever it would cost to keep.
TEST(TextList, ListsLongerThanOneLinePerColourOrWithLongLinesAreRefused) {
  TempDir d;
  const std::string feeds(kTextListLinesMax, '\n');
  const struct {
    const char* what;
    std::string bytes;
    int err;
    std::size_t lines;
  } cases[] = {
      {"a line per colour", feeds, 0, kTextListLinesMax},
      {"one line more", feeds + "\n", kTooManyLines, 0},
      {"one more without a feed", feeds + "1:2:3", kTooManyLines, 0},
      {"past the limit by its CR", std::string(kTextListLineLimit, 'x') + "\r", kLineTooLong, 0},
      {"the longest line", std::string(kTextListLineLimit, 'x'), 0, 1},
      {"a long line after short ones", "1:2:3\n1:2:4\n" + std::string(4000, '1') + "\n", kLineTooLong, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string f = d.Write("RGB.txt", c.bytes);
    std::size_t lines = 0;
    const int err = ReadTextList(fs::DefaultEnv(), f, [&](std::string_view) { ++lines; });
    EXPECT_EQ(err, c.err);
    if (err == 0) {
      EXPECT_EQ(lines, c.lines);
    }
  }
  EXPECT_EQ(TextListRefusalText(kTooManyLines), "more than 16777216 lines");
  EXPECT_EQ(TextListRefusalText(kLineTooLong), "a line longer than 64 bytes");
  EXPECT_EQ(TextListRefusalText(kFileTooLarge), "larger than 268435456 bytes");
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
