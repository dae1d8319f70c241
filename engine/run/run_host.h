// The only way a run touches the window. A run reports what happened (it
// began, it ended so, the file searched for is listed); the window decides
// which of its controls change and whether the automatic move starts. The
// Qt host posts what a run shows to the window's thread without waiting;
// only a message box waits for its answer. Tests use a recording host.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "engine/list/file_list.h"
#include "engine/run/command_ids.h"
#include "engine/run/message.h"

namespace pictray {

// One line of the move result list LV02.
struct MoveResultLine {
  std::string folder;     // target name
  int count = 0;          // files moved into it
  std::string firstFile;  // first file moved into it
  std::string path;       // source folder + "/" + target
  std::string mode;       // "new" or "add"
  bool operator==(const MoveResultLine&) const = default;
};

// The window's two progress bars: PR01 follows a run's rows, PR02 the
// ratio run's second worker.
enum class RunBar { PR01, PR02 };

// How a run ended, told as its last call.
struct RunEnd {
  int command = 0;           // the command id whose run this was
  bool aborted = false;      // the abort stopped it before its last row
  bool moveReady = false;    // the rows may be moved now
  bool moveDue = false;      // and the automatic move is on: it follows now
  bool moveResults = false;  // the move left result lines to open
  bool operator==(const RunEnd&) const = default;
};

class RunHost {
 public:
  virtual ~RunHost() = default;

  // The message box owned by the main window: 6 for the first button, 7 otherwise.
  virtual int MessageBox1Q(const Message& message, Button caption1, Button caption2) = 0;

  virtual void SetProgressRange(RunBar bar, int minimum, int maximum) = 0;
  virtual void SetProgress(RunBar bar, int position) = 0;
  // Status bar part 0, 1 or 2.
  virtual void SetStatusText(int part, const std::string& text) = 0;

  // The run of `command` began: the rows are its until it ends.
  virtual void RunBegan(int command) = 0;
  virtual void RunEnded(const RunEnd& end) = 0;
  // List-up found the file the program was started on, at `row`.
  virtual void SearchedFileListed(const std::string& name, long row) = 0;

  // File list view LV01: number of rows shown, rows whose texts changed,
  // the row a run is working on, selection.
  virtual void SetItemCount(std::size_t count) = 0;
  virtual void RowsChanged(std::size_t first, std::size_t last) = 0;
  virtual void ShowRunPlace(std::size_t row) = 0;
  virtual void DeselectAll() = 0;

  // Summary list LV03.
  virtual void SetSummary(const std::vector<SummaryLine>& lines) = 0;

  // Move result list LV02: line `index` is added (index == current count)
  // or replaced.
  virtual void ClearMoveResults() = 0;
  virtual void SetMoveResult(std::size_t index, const MoveResultLine& line) = 0;
};

}  // namespace pictray
