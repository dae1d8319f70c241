// Small steps every analysis run takes the same way: the row's path, an
// information box, showing the row worked on.
#pragma once

#include <cstddef>
#include <string>

#include "engine/run/pictray_state.h"
#include "engine/run/run_host.h"

namespace pictray {

inline std::string RowPath(const std::string& folder, const std::string& name) { return folder + "/" + name; }

// A message box with the single answer "yes".
inline void Inform(RunHost& host, Said said) { host.MessageBox1Q(Message{said}, Button::Yes, Button::Yes); }

// Tells the view the row's texts changed and marks it as the run's place.
inline void ShowRow(RunHost& host, std::size_t i) {
  host.RowsChanged(i, i);
  host.ShowRunPlace(i);
}

// The end of `command`'s run: the automatic move follows a run that was not
// aborted and left the rows ready to move, while the move is on.
inline RunEnd EndOfRun(int command, const PictrayState& st, bool aborted = false, bool moveReady = true) {
  return {command, aborted, moveReady, moveReady && !aborted && st.MoveOn.load() == 1, false};
}

}  // namespace pictray
