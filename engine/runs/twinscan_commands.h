// Twinscan's commands on the table and the extraction folder, one row each,
// for the window and twinscan-cli alike: the command id, twinscan-cli's
// word, and the run. Every row is refused while a run works, as each would
// change the table, its lists or the extraction folder that run works on.
// The window adds its buttons and their preferences, twinscan-cli how it
// prints what a run did; neither wires a run.
#pragma once

#include <string_view>

#include "engine/run/command_ids.h"
#include "engine/runs/twinscan_run.h"

namespace pictray {

struct TwinscanCommand {
  int id;                 // twinscan::cmd
  std::string_view word;  // twinscan-cli's option; empty for the finding every call does, and the window's own
  // On a worker thread (twinscan-cli calls it itself); null for the
  // window's own work on the table (clear, opening the extraction folder).
  TwinscanReport (*run)(TwinscanBlock& val, TwinscanHost& host);
};

const TwinscanCommand* FindTwinscanCommand(int id);
// The command of a twinscan-cli option ("--undo").
const TwinscanCommand* FindTwinscanWord(std::string_view word);
// True when the command `id` must wait, as a run works.
bool TwinscanRefused(int id, bool running);

}  // namespace pictray
