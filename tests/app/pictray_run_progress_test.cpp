// What the window shows of each progress a run tells: the bar, its range
// and position, the status-bar part and its exact words. No window is made.
#include <QtTest>

#include <string>
#include <vector>

#include "app/pictray/run_progress_view.h"

using pictray::RunProgress;
using pictray::app::ProgressShown;
using pictray::app::RunBar;
using pictray::app::ShownOf;
namespace cmd = pictray::cmd;

namespace {

using Kind = RunProgress::Kind;
using What = ProgressShown::What;

ProgressShown Range(RunBar bar, int maximum) { return {What::Range, bar, maximum, {}}; }
ProgressShown At(RunBar bar, int position) { return {What::Position, bar, position, {}}; }
ProgressShown Status(int part, const char* text) { return {What::Status, RunBar::PR01, part, text}; }

const char kCaption[] = "比較率10(per) 2色　一致で検出";

struct Row {
  const char* name;
  RunProgress progress;
  std::vector<ProgressShown> shown;
};

const RunBar PR01 = RunBar::PR01, PR02 = RunBar::PR02;

const std::vector<Row> kRows = {
    {"loading", RunProgress::Stage(Kind::Loading), {Status(1, "Wait! Now Loading")}},
    {"reading", RunProgress::Stage(Kind::Reading), {Status(1, "Wait At Work"), Status(2, "")}},
    {"uncounted", RunProgress::Stage(Kind::Uncounted), {Status(1, "")}},
    {"move began", RunProgress::Began(cmd::MoveStart, 5), {Range(PR01, 100), At(PR01, 0), Status(1, "0/5")}},
    {"undo began", RunProgress::Began(cmd::MenuUndoMove, 0), {Range(PR01, 100), At(PR01, 0)}},
    {"list-up began", RunProgress::Began(cmd::ListUp, 7), {Range(PR01, 100), At(PR01, 0), Status(1, "0/7")}},
    {"list-up began, nothing expected", RunProgress::Began(cmd::ListUp, 0), {Range(PR01, 100), At(PR01, 0)}},
    {"classification began", RunProgress::Began(cmd::CharClass, 4), {Range(PR02, 100)}},
    {"Exif began", RunProgress::Began(cmd::Exif, 5), {Range(PR01, 5), At(PR01, 0)}},
    {"header check began", RunProgress::Began(cmd::HeaderCheck, 3), {Range(PR02, 3), At(PR02, 0)}},
    {"strength began", RunProgress::Began(cmd::RgbStrength, 3), {Range(PR01, 2), At(PR01, 0)}},
    {"sharpness began, no rows", RunProgress::Began(cmd::Sharpness, 0), {Range(PR01, 0), At(PR01, 0)}},
    {"RGB began", RunProgress::Began(cmd::RgbAnalysis, 9), {Range(PR01, 100), At(PR01, 0), Range(PR02, 99)}},
    {"all colour began", RunProgress::Began(cmd::AllColour, 9), {Range(PR01, 100), At(PR01, 0), Range(PR02, 100)}},
    {"part colour began",
     RunProgress::Began(cmd::PartColour, 9),
     {Range(PR01, 100), At(PR01, 0), Range(PR02, 99), Status(2, kCaption)}},
    {"move done", RunProgress::Done(cmd::MoveStart, 4, 5), {At(PR01, 80), Status(1, "4/5")}},
    {"list-up done", RunProgress::Done(cmd::ListUp, 1, 3), {At(PR01, 33), Status(1, "1/3")}},
    {"list-up done, nothing expected", RunProgress::Done(cmd::ListUp, 0, 0), {At(PR01, 0), Status(1, "0/-")}},
    {"classification at its first row", RunProgress::Done(cmd::PhraseClass, 1, 4), {At(PR02, 0), Status(1, "1/4")}},
    {"classification at its last row", RunProgress::Done(cmd::ExtClass, 4, 4), {At(PR02, 75), Status(1, "4/4")}},
    {"Info done", RunProgress::Done(cmd::Info, 2, 3), {At(PR02, 2), Status(1, "2/3")}},
    {"NG done", RunProgress::Done(cmd::NgAnalysis, 4, 4), {At(PR01, 4), Status(1, "4/4")}},
    {"size done", RunProgress::Done(cmd::SizeAnalysis, 2, 5), {At(PR01, 2)}},
    {"part colour done", RunProgress::Done(cmd::PartColour, 1, 4), {At(PR01, 25)}},
    {"found", RunProgress::Found(4, 4, 1), {Status(1, "4/4 (1)")}},
    {"file read from its start", RunProgress::File(0), {Range(PR02, 100), At(PR02, 0)}},
    {"file read on", RunProgress::File(40), {At(PR02, 40)}},
    {"cell read", RunProgress::Cell(19), {At(PR02, 19)}},
    {"list-up over", RunProgress::Over(cmd::ListUp), {At(PR01, 0), Status(2, "")}},
    {"Info over", RunProgress::Over(cmd::Info), {At(PR02, 0)}},
    {"RGB over", RunProgress::Over(cmd::RgbAnalysis), {At(PR01, 0), At(PR02, 0)}},
    {"part colour over", RunProgress::Over(cmd::PartColour), {Status(2, ""), At(PR01, 0), At(PR02, 0)}},
};

}  // namespace

class RunProgressTest : public QObject {
  Q_OBJECT
 private slots:
  void EachProgressShowsAsTheWindowAlwaysHas() {
    for (const Row& row : kRows) QVERIFY2(ShownOf(row.progress, kCaption) == row.shown, row.name);
  }
};

QTEST_APPLESS_MAIN(RunProgressTest)
#include "pictray_run_progress_test.moc"
