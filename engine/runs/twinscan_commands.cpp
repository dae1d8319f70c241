#include "engine/runs/twinscan_commands.h"

namespace pictray {
namespace {

namespace cmd = twinscan::cmd;

// twinscan-cli's --extract is the finding with MoveSoon, as BT01 held down
// before the run: the extraction row is the window's, on a table shown.
constexpr TwinscanCommand kCommands[] = {
    {cmd::FindCopies, "", ThreadTwinscanAutoRun},
    {cmd::Clear, "", nullptr},
    {cmd::Extract, "", ThreadTwinscanExtract},
    {cmd::ExtractChosen, "", ThreadTwinscanExtract},
    {cmd::OpenSame, "", nullptr},
    {cmd::Delete, "", ThreadTwinscanDelete},
    {cmd::UndoExtract, "--undo", ThreadTwinscanUndo},
};

}  // namespace

const TwinscanCommand* FindTwinscanCommand(int id) {
  for (const TwinscanCommand& c : kCommands)
    if (c.id == id) return &c;
  return nullptr;
}

const TwinscanCommand* FindTwinscanWord(std::string_view word) {
  if (word.empty()) return nullptr;  // the rows without a word are no option
  for (const TwinscanCommand& c : kCommands)
    if (c.word == word) return &c;
  return nullptr;
}

bool TwinscanRefused(int id, bool running) { return running && FindTwinscanCommand(id) != nullptr; }

}  // namespace pictray
