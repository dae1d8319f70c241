// The controls of Pictray's main window by the system's names; the window
// finds its widgets by them. Runs never name one: they report what
// happened and the window decides.
#pragma once

namespace pictray {

enum class Control {
  BT01,  // move start
  BT02,  // list-up (check)
  BT03,  // clear list
  BT04,  // character classification
  BT05,  // fixed phrase
  BT06,  // extension
  BT07,  // Exif (check)
  BT08,  // Info (check)
  BT09,  // abort
  BT10,  // clear analyses
  BT11,  // Info + Exif header check (check)
  BT12,  // RGB analysis (check)
  BT13,  // size analysis (check)
  BT14,  // NG analysis (check)
  BT15,  // RGB ratio (check)
  BT16,  // RGB strength (check)
  BT17,  // sharpness (check)
  BT21,  // button of child window 2 shown after a move
  BT101, // pre-read application (check)
  LV01,  // file list
  LV02,  // move result list
  LV03,  // summary list
  PR01,  // first progress bar
  PR02,  // second progress bar
  CB01,  // search / pattern field
  ED01,  // source folder field
  GRST01,
  scrollV,
};

}  // namespace pictray
