// What the two result panes ask of the main window: its commands, its
// message box, the folder the rows belong to, and the settings files.
#pragma once

#include <QIcon>

#include <atomic>
#include <functional>
#include <string>

#include "app/pictray/window_settings.h"
#include "engine/run/message.h"

namespace pictray::app {

struct PaneLinks {
  // A command of the main window, with its argument (1037 takes 1 from a pane).
  std::function<void(int id, int lparam)> command;
  // The program's message box: 6 for the first button, 7 otherwise.
  std::function<int(const std::string& text, Button c1, Button c2)> message;
  // The folder whose files the rows are (as list-up listed it).
  std::function<std::string()> listedFolder;
  // Puts a path into the folder field and presses the list-up button, so
  // that the next list-up (1002) lists it.
  std::function<void(const std::string& folder)> prepareListUp;
  // The program's start flag MoveOn, set by the pane's toggle.
  std::atomic<int>* MoveOn = nullptr;
  SettingsFiles files;
  std::string programDir;
  std::string ProName = "Pictray";
  QIcon ownIcon;  // the program's icon, shown for the program "open"
};

}  // namespace pictray::app
