#include "engine/list/file_list.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "engine/runs/uniformity.h"
#include "tests/support/recording_host.h"

namespace pictray {
namespace {

// Fills a list in place (the list owns a lock and cannot be moved).
#define MAKE_LIST(var, ...)  \
  FileList var;              \
  var.append(std::vector<Row>{__VA_ARGS__})

TEST(FileList, CellsAnswerFromRows) {
  MAKE_LIST(l, {"a.jpg", "x", "T", "note"});
  EXPECT_EQ(l.cell(0, 0), "a.jpg");
  EXPECT_EQ(l.cell(0, 1), "x");
  EXPECT_EQ(l.cell(0, 2), "T");
  EXPECT_EQ(l.cell(0, 3), "note");
  EXPECT_EQ(l.cell(5, 0), "");
  // Clearing the analyses clears the notes with the target.
  l.clearAnalyses();
  EXPECT_EQ(l.cell(0, 3), "");
}

TEST(FileList, LongNamesAndTargetsAreKeptWhole) {
  std::string longName(255, 'n');
  std::string longTarget(180, 't');
  MAKE_LIST(l, {longName, "", "", ""});
  l.setTarget(0, longTarget, "C");
  EXPECT_EQ(l.name(0), longName);
  EXPECT_EQ(l.target(0), longTarget);
}

TEST(FileList, SummaryCountsClassifiedRowsInOrderOfFirstOccurrence) {
  MAKE_LIST(l, {"1", "b", "C", ""},
                     {"2", "a", "C", ""},
                     {"3", "b", "C", ""},
                     {"4", "a", "", ""},  // target without kind: not counted
                     {"5", "", "", ""});
  std::vector<SummaryLine> want{{"b", 2}, {"a", 1}};
  EXPECT_EQ(l.CountSetItem(), want);
  MAKE_LIST(blank, {"1", "", "", ""});
  EXPECT_TRUE(blank.CountSetItem().empty());
}

TEST(FileList, BlankAndMoveChecks) {
  FileList none;
  EXPECT_EQ(none.ListBlankCheck(), 1);
  EXPECT_EQ(none.MoveDataCheck(), 0);
  MAKE_LIST(l, {"1", "", "", ""}, {"2", "", "", ""});
  EXPECT_EQ(l.ListBlankCheck(), 1);
  EXPECT_EQ(l.MoveDataCheck(), 0);
  l.setTarget(1, "t", "C");
  EXPECT_EQ(l.ListBlankCheck(), 0);
  EXPECT_EQ(l.MoveDataCheck(), 1);
}

TEST(FileList, SelectListViewMatchesWholeNameByteForByte) {
  MAKE_LIST(l, {"abc", "", "", ""}, {"ABC", "", "", ""}, {"abc", "", "", ""});
  EXPECT_EQ(l.SelectListView("ABC"), 1);
  EXPECT_EQ(l.SelectListView("abc"), 0);
  EXPECT_EQ(l.SelectListView("ab"), -1);
  EXPECT_EQ(l.SelectListView(""), -1);
}

TEST(FileList, SortDirectionIsSharedByAllColumns) {
  MAKE_LIST(l, {"b", "2", "C", ""}, {"a", "3", "T", ""}, {"c", "1", "e", ""});
  int SortBit = 0;
  ASSERT_TRUE(l.Sort(0, SortBit));  // ascending by name
  EXPECT_EQ(l.name(0), "a");
  EXPECT_EQ(l.name(2), "c");
  EXPECT_EQ(SortBit, 1);
  ASSERT_TRUE(l.Sort(1, SortBit));  // another column: descending now
  EXPECT_EQ(l.target(0), "3");
  EXPECT_EQ(l.target(2), "1");
  EXPECT_EQ(SortBit, 0);
  ASSERT_TRUE(l.Sort(2, SortBit));  // byte order: upper case before lower
  EXPECT_EQ(l.kind(0), "C");
  EXPECT_EQ(l.kind(1), "T");
  EXPECT_FALSE(l.Sort(3, SortBit));  // the notes column sorts nothing and leaves the direction
  EXPECT_EQ(SortBit, 1);
  EXPECT_EQ(l.kind(0), "C");
  ASSERT_TRUE(l.Sort(0, SortBit));
  EXPECT_EQ(l.name(0), "c");
  FileList empty;
  EXPECT_FALSE(empty.Sort(0, SortBit));
  EXPECT_EQ(SortBit, 0);  // an empty list leaves the direction alone
}

// Every column sorts as strcmp orders its texts, both ways: names that share
// a long prefix, differ only after eight more bytes, are prefixes of each
// other or hold bytes above 0x7F; targets and kinds shared by many rows.
TEST(FileList, SortOrdersEveryColumnByItsBytes) {
  const std::vector<std::vector<std::string>> nameSets = {
      {"IMG_00000001.jpg", "IMG_00000001", "IMG_000000010.jpg", "IMG_00000001.JPG", "IMG_00000002.jpg"},
      {"same_prefix_abcdefgh_2", "same_prefix_abcdefgh_1", "same_prefix_abcdefgh", "same_prefix_"},
      {"\xe5\xa4\x8f.jpg", "z.jpg", "Z.jpg", "\x80", "a", "", "ab"},
      {"only"},
  };
  const std::vector<std::string> targets = {"2024_01_02", "", "NG", "2024_01_02", "1024X768", "NG", "b"};
  for (const std::vector<std::string>& names : nameSets) {
    std::vector<Row> rows;
    for (std::size_t i = 0; i < names.size(); ++i)
      rows.push_back({names[i], targets[i % targets.size()], i % 2 ? "E" : "Z", ""});
    for (int column : {0, 1, 2}) {
      for (int SortBit : {0, 1}) {
        FileList l;
        l.append(rows);
        int bit = SortBit;
        ASSERT_TRUE(l.Sort(column, bit));
        std::vector<std::string> got, want;
        for (std::size_t i = 0; i < l.ListMax(); ++i) got.push_back(l.cell(i, column));
        for (const Row& r : rows) want.push_back(column == 0 ? r.name : column == 1 ? r.target : r.kind);
        std::sort(want.begin(), want.end());
        if (SortBit == 1) std::reverse(want.begin(), want.end());
        EXPECT_EQ(got, want) << "column " << column << " SortBit " << SortBit;
        // Each row moved whole.
        for (std::size_t i = 0; i < l.ListMax(); ++i) {
          const Row r = l.row(i);
          const auto it = std::find_if(rows.begin(), rows.end(), [&](const Row& x) { return x.name == r.name; });
          ASSERT_NE(it, rows.end());
          EXPECT_EQ(r.target, it->target);
          EXPECT_EQ(r.kind, it->kind);
        }
      }
    }
  }
}

TEST(Uniformity, DifferentTargetsAskNothing) {
  testing::RecordingHost host;
  MAKE_LIST(l, {"1", "a", "C", ""}, {"2", "b", "C", ""});
  EXPECT_EQ(SetDataAllCheck(host, l), 0);
  EXPECT_TRUE(host.messages.empty());
}

TEST(Uniformity, OneRowOrBlankTargetsNeverAsk) {
  testing::RecordingHost host;
  MAKE_LIST(one, {"1", "a", "C", ""});
  EXPECT_EQ(SetDataAllCheck(host, one), 1);
  MAKE_LIST(blank, {"1", "", "", ""}, {"2", "", "", ""});
  EXPECT_EQ(SetDataAllCheck(host, blank), 1);
  EXPECT_TRUE(host.messages.empty());
}

TEST(Uniformity, AllSameAnsweredClearEmptiesRowsAndSummary) {
  testing::RecordingHost host;
  host.summary = {{"a", 2}};
  host.Answer(6);
  MAKE_LIST(l, {"1", "a", "C", ""}, {"2", "a", "C", ""});
  EXPECT_EQ(SetDataAllCheck(host, l), 1);
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].text, kAllSameQuestion);
  EXPECT_EQ(host.messages[0].caption1, "クリアする");
  EXPECT_EQ(host.messages[0].caption2, "しない");
  EXPECT_EQ(l.target(0), "");
  EXPECT_EQ(l.kind(1), "");
  EXPECT_TRUE(host.summary.empty());
}

TEST(Uniformity, AllSameAnsweredKeepChangesNothing) {
  testing::RecordingHost host;
  host.Answer(7);
  MAKE_LIST(l, {"1", "a", "C", ""}, {"2", "a", "C", ""});
  EXPECT_EQ(SetDataAllCheck(host, l), 1);
  EXPECT_EQ(l.target(1), "a");
  EXPECT_EQ(l.kind(1), "C");
}

}  // namespace
}  // namespace pictray
