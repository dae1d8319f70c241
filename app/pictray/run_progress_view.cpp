#include "app/pictray/run_progress_view.h"

#include <utility>

namespace pictray::app {
namespace {

using Kind = RunProgress::Kind;

ProgressShown Range(RunBar bar, int maximum) { return {ProgressShown::What::Range, bar, maximum, {}}; }
ProgressShown Position(RunBar bar, int position) { return {ProgressShown::What::Position, bar, position, {}}; }
ProgressShown Status(int part, std::string text) {
  return {ProgressShown::What::Status, RunBar::PR01, part, std::move(text)};
}

bool NameSet(int command) {
  return command == cmd::CharClass || command == cmd::PhraseClass || command == cmd::ExtClass;
}

// The bar that follows a command's rows.
RunBar RowsBar(int command) {
  return NameSet(command) || command == cmd::Info || command == cmd::HeaderCheck ? RunBar::PR02 : RunBar::PR01;
}

// Runs whose rows bar goes 0..100; the others count rows.
bool InPercent(int command) {
  switch (command) {
    case cmd::MoveStart: case cmd::MenuUndoMove: case cmd::ListUp: case cmd::RgbAnalysis:
    case cmd::AllColour: case cmd::PartColour: case cmd::CharClass: case cmd::PhraseClass: case cmd::ExtClass:
      return true;
    default:
      return false;
  }
}

int RowsMaximum(int command, std::size_t total) {
  if (InPercent(command)) return 100;
  // The strength and sharpness bars end one short of their rows.
  if (command == cmd::RgbStrength || command == cmd::Sharpness) return total > 0 ? static_cast<int>(total - 1) : 0;
  return static_cast<int>(total);
}

int RowsPosition(int command, std::size_t done, std::size_t total) {
  if (!InPercent(command)) return static_cast<int>(done);
  if (total == 0) return 0;
  // A classification's bar stands at the rows before the one under way.
  const std::size_t before = NameSet(command) && done > 0 ? done - 1 : done;
  return static_cast<int>(before * 100 / total);
}

std::string Count(std::size_t done, std::size_t total) { return std::to_string(done) + "/" + std::to_string(total); }

// The runs that tell no "done/total" of their rows: the size run, and the
// colour runs, which tell what they found instead.
bool CountShown(int command) {
  return command != cmd::SizeAnalysis && command != cmd::AllColour && command != cmd::PartColour;
}

// The runs whose pictures move the second bar; it rests with their rows.
bool PicturesOnSecondBar(int command) {
  return command == cmd::RgbAnalysis || command == cmd::AllColour || command == cmd::PartColour;
}

std::vector<ProgressShown> RowsBegan(const RunProgress& p, const std::string& partCaption) {
  const RunBar bar = RowsBar(p.command);
  std::vector<ProgressShown> shown{Range(bar, RowsMaximum(p.command, p.total))};
  if (!NameSet(p.command)) shown.push_back(Position(bar, 0));
  if (p.command == cmd::MoveStart || (p.command == cmd::ListUp && p.total != 0))
    shown.push_back(Status(1, Count(0, p.total)));
  // A cell of the grid is 100 rows high.
  if (p.command == cmd::RgbAnalysis || p.command == cmd::PartColour) shown.push_back(Range(RunBar::PR02, 99));
  if (p.command == cmd::AllColour) shown.push_back(Range(RunBar::PR02, 100));
  if (p.command == cmd::PartColour) shown.push_back(Status(2, partCaption));
  return shown;
}

std::vector<ProgressShown> RowsDone(const RunProgress& p) {
  std::vector<ProgressShown> shown{Position(RowsBar(p.command), RowsPosition(p.command, p.done, p.total))};
  if (!CountShown(p.command)) return shown;
  // List-up may not know how many files there are.
  if (p.command == cmd::ListUp && p.total == 0)
    shown.push_back(Status(1, std::to_string(p.done) + "/-"));
  else
    shown.push_back(Status(1, Count(p.done, p.total)));
  return shown;
}

std::vector<ProgressShown> RowsOver(const RunProgress& p) {
  std::vector<ProgressShown> shown;
  if (p.command == cmd::PartColour) shown.push_back(Status(2, ""));
  shown.push_back(Position(RowsBar(p.command), 0));
  if (PicturesOnSecondBar(p.command)) shown.push_back(Position(RunBar::PR02, 0));
  if (p.command == cmd::ListUp) shown.push_back(Status(2, ""));
  return shown;
}

}  // namespace

std::vector<ProgressShown> ShownOf(const RunProgress& p, const std::string& partCaption) {
  switch (p.kind) {
    case Kind::Loading: return {Status(1, "Wait! Now Loading")};
    // The file count of the list before starts afresh.
    case Kind::Reading: return {Status(1, "Wait At Work"), Status(2, "")};
    case Kind::Uncounted: return {Status(1, "")};
    case Kind::RowsBegan: return RowsBegan(p, partCaption);
    case Kind::RowsDone: return RowsDone(p);
    case Kind::RowsFound: return {Status(1, Count(p.done, p.total) + " (" + std::to_string(p.found) + ")")};
    case Kind::FileRead: {
      const int percent = static_cast<int>(p.done);
      if (percent == 0) return {Range(RunBar::PR02, 100), Position(RunBar::PR02, 0)};
      return {Position(RunBar::PR02, percent)};
    }
    case Kind::CellRead: return {Position(RunBar::PR02, static_cast<int>(p.done))};
    case Kind::RowsOver: return RowsOver(p);
  }
  return {};
}

}  // namespace pictray::app
