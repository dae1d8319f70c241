// The only way a run touches the window. A run reports what happened (it
// began, it ended so, the file searched for is listed); the window decides
// which of its controls change and whether the automatic move starts. The
// Qt host posts what a run shows to the window's thread without waiting;
// only a message box waits for its answer. Tests use a recording host.
#pragma once

#include <cstddef>
#include <cstdint>
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

// What a run tells of its progress as it goes; the front end chooses the
// bars, the status-bar parts and the words that show it.
struct RunProgress {
  enum class Kind {
    Loading,    // the move or the undo reads its journal and the folder
    Reading,    // list-up reads the folder before it lists
    Uncounted,  // no count stands: at a run's start, or once it is over
    RowsBegan,  // `command`'s `total` rows are to be worked
    RowsDone,   // `done` of `command`'s `total` rows are done (a classification counts the row it is on)
    RowsFound,  // `done` of `total` rows labelled, `found` of them by a colour
    FileRead,   // the file one worker reads: `done` percent of it
    CellRead,   // the picture cell one worker draws: its row `done`
    RowsOver,   // `command`'s rows are done with: its progress goes back to rest
  };
  Kind kind = Kind::Uncounted;
  int command = 0;
  std::size_t done = 0, total = 0, found = 0;
  bool operator==(const RunProgress&) const = default;

  static RunProgress Stage(Kind kind) { return {kind}; }
  static RunProgress Began(int command, std::size_t total) { return {Kind::RowsBegan, command, 0, total}; }
  static RunProgress Done(int command, std::size_t done, std::size_t total) {
    return {Kind::RowsDone, command, done, total};
  }
  static RunProgress Found(std::size_t done, std::size_t total, std::size_t found) {
    return {Kind::RowsFound, 0, done, total, found};
  }
  static RunProgress File(int percent) { return {Kind::FileRead, 0, static_cast<std::size_t>(percent)}; }
  static RunProgress Cell(std::uint32_t row) { return {Kind::CellRead, 0, row}; }
  static RunProgress Over(int command) { return {Kind::RowsOver, command}; }
};

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

  // How far the run is; told as it moves, at the pace the run keeps.
  virtual void Progressed(const RunProgress& progress) = 0;

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
