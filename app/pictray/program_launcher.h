// Starting outside programs on a folder: never through a shell, the folder's
// bytes passed unchanged as the only argument. A program that cannot be
// started does nothing.
#pragma once

#include <functional>
#include <string>

class QWidget;

namespace pictray::app {

// Resolves the configured value: "open" stays "open", " " or empty gives ""
// (nothing to start), a relative path is taken beside the program; a program
// that is not an executable file gives "".
std::string ResolveProgram(const std::string& application, const std::string& programDir);

// shellOpenSubStalone: runs `application` on `folder` from the calling
// thread; with wait it returns when the program has ended (the window stays
// painted but takes no input meanwhile). For the companion program it first
// writes "Px"/"Py" (window left + 100, top + 300) into its settings file.
void shellOpenSubStalone(QWidget* window, const std::string& application, const std::string& folder,
                         bool wait, const std::string& programDir);

// shellOpenSub: the same without blocking the window; `ended` is called on
// the window's thread once the started program has ended.
void shellOpenSub(QWidget* window, const std::string& application, const std::string& folder,
                  const std::string& programDir, std::function<void()> ended = {});

}  // namespace pictray::app
