// The only way a Twinscan run touches its window. The Qt host posts every
// call to the window's thread without waiting, except a message box, which
// waits for its answer; the end is the run's last call. twinscan-cli and
// the tests have hosts of their own.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "engine/list/twin_groups.h"
#include "engine/list/twin_table.h"
#include "engine/run/message.h"

namespace pictray {

// The work of a run whose share done is told in percent.
enum class TwinscanWork {
  Listing,  // the folders' entries listed
  Moving,   // the copies moved by the extraction, or back by its undo
};

// The steps of a run a front end may follow with counts (the command line
// on a terminal); the search for the same pictures follows its own phases.
enum class TwinscanStep {
  Listing,     // the folder's entries: done of total
  Keying,      // reading the keys that decide something; no count
  Grouping,    // sorting and comparing; no count
  Extracting,  // surplus copies taken up: done of total
};

// How a run ended: told once, as the run's last call.
struct TwinscanEnd {
  bool aborted = false;  // the stop control ended it between two files
  bool refused = false;  // another run was moving files of the folder: nothing was extracted
  bool quit = false;     // after the deletion the user chose to end the program
  std::string samedir;   // the extraction folder now ("" when there is none)
  // Every extraction folder of the last extraction, samedir first: in a
  // tree, each root's that received copies.
  std::vector<std::string> samedirs;
  std::vector<dupes::MovedFile> moved;  // the copies in it, as a deletion checks them
  // What the review's lasting decisions hid from the groups shown
  // (engine/dupes/decisions.h): groups not shown, files taken out.
  std::size_t hiddenGroups = 0, hiddenMembers = 0;
};

class TwinscanHost {
 public:
  virtual ~TwinscanHost() = default;

  // The message box of the window: 6 for the first button, 7 otherwise.
  virtual int MessageBox1Q(const Message& message, Button caption1, Button caption2) = 0;
  // How far `work` is, 0..100, told as it changes; 0 again once it rests.
  virtual void SetShare(TwinscanWork work, int percent) = 0;
  // ST01: the count text kenbuf ("N", after a deletion "N->M").
  virtual void SetCountText(const std::string& kenbuf) = 0;
  // LV01 shows a copy of these rows from now on.
  virtual void SetTable(const std::vector<dupes::FileRec>& lpData) = 0;
  // LV02: emptied, or line `index` added (index == current count) or replaced.
  virtual void ClearResultLines() = 0;
  virtual void SetResultLine(std::size_t index, const dupes::SameResultLine& line) = 0;
  // How far the search for the same pictures is: `done` of `total`.
  virtual void SetSearchProgress(SearchPhase phase, std::size_t done, std::size_t total) = 0;
  // The groups found in the table shown last, for the review.
  virtual void SetReview(const dupes::TwinReview& review) = 0;
  // Where the run is: its step and, when known (total > 0), how far. Told
  // as the counts move, often: a host that shows it keeps its own pace.
  virtual void SetStep(TwinscanStep step, std::size_t done, std::size_t total) {
    (void)step, (void)done, (void)total;
  }
  virtual void RunEnded(const TwinscanEnd& end) = 0;
};

}  // namespace pictray
