// Opening a program's help page in the desktop's browser.
#pragma once

#include <functional>
#include <string>

class QObject;

namespace pictray::ui {

// Starts the desktop's opener (xdg-open, else the system's browser) on the
// page `helpfile`, without a shell. `report` gets a message the user can act
// on when the page is missing or no browser can be started, also when the
// opener ends with a failure later; `owner` polls for that end.
// How a help page's file name ends in the window's language: "help.html"
// (Japanese) or "help_en.html" (English), after the program's name.
std::string HelpPageEnding();

void OpenHelpPage(QObject* owner, const std::string& helpfile,
                  const std::function<void(const std::string&)>& report);

}  // namespace pictray::ui
