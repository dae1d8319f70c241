#include <gtest/gtest.h>

#include "engine/runs/uniformity.h"
#include "engine/runs/name_sets.h"
#include "engine/runs/run_commands.h"
#include "engine/settings/profile.h"
#include "engine/settings/settings_store.h"
#include "tests/support/recording_host.h"
#include "tests/support/temp_dir.h"

namespace pictray {
namespace {

using testing::RecordingHost;
using testing::TempDir;

class NameSets : public ::testing::Test {
 protected:
  void SetUp() override {
    st.profile = dir.path() + "/work.ini";
    ASSERT_TRUE(WriteProfileString(pictray::fs::DefaultEnv(), kSection0, "disabledchar", kDefaultDisabledChars, st.profile));
  }
  void List(std::initializer_list<const char*> names) {
    std::vector<Row> rows;
    for (const char* n : names) rows.push_back(Row{n, "", "", ""});
    st.rows.append(std::move(rows));
  }
  std::vector<std::pair<std::string, std::string>> TargetsAndKinds() const {
    std::vector<std::pair<std::string, std::string>> out;
    st.rows.forEach([&](std::size_t, const Row& r) { out.push_back({r.target, r.kind}); });
    return out;
  }

  TempDir dir;
  PictrayState st;
  RecordingHost host;
};

using Pairs = std::vector<std::pair<std::string, std::string>>;

TEST_F(NameSets, CharacterClassificationWithSummaryAndEndMessage) {
  List({"IMG_1234.jpg", "IMG_1299.jpg", "IMG_5601.jpg", "DSC_0001.jpg"});
  SetList04(host, st, "IMG_%%##");
  EXPECT_EQ(TargetsAndKinds(), (Pairs{{"IIMMGG_12##", "C"}, {"IIMMGG_12##", "C"},
                                      {"IIMMGG_56##", "C"}, {"", ""}}));
  EXPECT_EQ(host.summary, (std::vector<SummaryLine>{{"IIMMGG_12##", 2}, {"IIMMGG_56##", 1}}));
  EXPECT_EQ(host.MessageTexts(), std::vector<std::string>{kCharSetEnd});
  EXPECT_EQ(host.messages[0].caption1, "yes");
  EXPECT_EQ(host.ends, std::vector<RunEnd>{(RunEnd{cmd::CharClass, false, true, false, false})});
  EXPECT_EQ(host.Last(RunProgress::Kind::RowsDone), RunProgress::Done(cmd::CharClass, 4, 4));
  EXPECT_EQ(host.progress.back(), RunProgress::Over(cmd::CharClass));
}

TEST_F(NameSets, DisabledCharactersAreReadFromTheWorkingSettings) {
  List({"ab.1.jpg", "xy.2.jpg"});
  SetList04(host, st, "???#");
  EXPECT_EQ(TargetsAndKinds(), (Pairs{{"ab_#", "C"}, {"xy_#", "C"}}));

  PictrayState other;
  other.profile = dir.path() + "/none.ini";  // missing file: no disabled characters
  other.rows.append({Row{"ab.1.jpg", "", "", ""}});
  SetList04(host, other, "???#");
  EXPECT_EQ(other.rows.target(0), "ab.#");
}

TEST_F(NameSets, RunsAccumulateAndASecondIdenticalRunChangesNothing) {
  List({"IMG_1.jpg", "xabcx.jpg", "abc.png", "ABC.png", "noext"});
  SetList04(host, st, "IMG_%");
  SetList04(host, st, "IMG_%");
  SetList05(host, st, "abc");
  SetList06(host, st);
  EXPECT_EQ(TargetsAndKinds(), (Pairs{{"IIMMGG_1", "C"}, {"abc", "T"}, {"abc", "T"},
                                      {"png", "e"}, {"", "e"}}));
  // The file without extension is counted under an empty name.
  EXPECT_EQ(host.summary, (std::vector<SummaryLine>{{"IIMMGG_1", 1}, {"abc", 2}, {"png", 1}, {"", 1}}));
  EXPECT_EQ(host.MessageTexts(), (std::vector<std::string>{kCharSetEnd, kCharSetEnd, kPhraseSetEnd,
                                                           kExtSetEnd}));
}

TEST_F(NameSets, PhraseGoesThroughTheSanitiserAndNeverMatchesEmpty) {
  List({"a.b-1.jpg", "c.jpg"});
  SetList05(host, st, ".b");
  EXPECT_EQ(TargetsAndKinds(), (Pairs{{"_b", "T"}, {"", ""}}));
  SetList05(host, st, "");
  EXPECT_EQ(st.rows.kind(1), "");
}

TEST_F(NameSets, ExtensionKeepsCaseAndIsNotRewritten) {
  List({"a.JPG", "b.jpg", "c.tar.gz", ".hidden", "d."});
  SetList06(host, st);
  EXPECT_EQ(TargetsAndKinds(),
            (Pairs{{"JPG", "e"}, {"jpg", "e"}, {"gz", "e"}, {"hidden", "e"}, {"", "e"}}));
  EXPECT_EQ(host.progress.front(), RunProgress::Stage(RunProgress::Kind::Uncounted));
}

TEST_F(NameSets, NothingMatchingStillEndsWithItsMessage) {
  List({"a.jpg", "b.jpg"});
  SetList04(host, st, "zz");
  EXPECT_EQ(TargetsAndKinds(), (Pairs{{"", ""}, {"", ""}}));
  EXPECT_EQ(host.MessageTexts(), std::vector<std::string>{kCharSetEnd});
  EXPECT_TRUE(host.summary.empty());
}

TEST_F(NameSets, UniformTargetsCanBeClearedAtOnce) {
  List({"abc1.jpg", "abc2.jpg"});
  host.Answer(6);  // "クリアする"
  SetList05(host, st, "abc");
  EXPECT_EQ(TargetsAndKinds(), (Pairs{{"", ""}, {"", ""}}));
  EXPECT_TRUE(host.summary.empty());
  EXPECT_EQ(host.MessageTexts(), (std::vector<std::string>{kAllSameQuestion, kPhraseSetEnd}));
}

// Each classification ends telling its own command; the move is due only
// while the automatic move is on.
TEST_F(NameSets, EachClassificationEndsWithItsCommand) {
  List({"a.jpg", "b.png"});
  const struct {
    int command, moveOn;
  } cases[] = {{cmd::CharClass, 0}, {cmd::CharClass, 1}, {cmd::PhraseClass, 0},
               {cmd::PhraseClass, 1}, {cmd::ExtClass, 0}, {cmd::ExtClass, 1}};
  for (const auto& c : cases) {
    RecordingHost h;
    st.rows.clearAnalyses();
    st.MoveOn = c.moveOn;
    if (c.command == cmd::CharClass) SetList04(h, st, "%");
    if (c.command == cmd::PhraseClass) SetList05(h, st, "a");
    if (c.command == cmd::ExtClass) SetList06(h, st);
    EXPECT_EQ(h.ends, std::vector<RunEnd>{(RunEnd{c.command, false, true, c.moveOn == 1, false})})
        << c.command << " " << c.moveOn;
    EXPECT_EQ(MoveThatFollows(h.LastEnd()) != nullptr, c.moveOn == 1) << c.command;
  }
}

TEST_F(NameSets, MoveOnStartsTheMoveInsteadOfTheMessage) {
  List({"a.jpg", "b.png"});
  st.MoveOn = 1;
  SetList06(host, st);
  EXPECT_TRUE(host.messages.empty());
  EXPECT_EQ(host.ends, std::vector<RunEnd>{(RunEnd{cmd::ExtClass, false, true, true, false})});
  EXPECT_EQ(MoveThatFollows(host.LastEnd()), FindRunCommand(cmd::MoveStart));
}

TEST_F(NameSets, EmptyListEndsQuietlyWithItsMessage) {
  SetList04(host, st, "a");
  EXPECT_EQ(host.MessageTexts(), std::vector<std::string>{kCharSetEnd});
}

}  // namespace
}  // namespace pictray
