// Starting outside programs on a folder: never through a shell, the folder
// passed as the only argument. A program that cannot be started does nothing.
#pragma once

#include <QString>

class QWidget;

namespace pictray::app {

// Resolves the configured value: "open" stays "open", " " or empty gives an
// empty text (nothing to start), a relative path is taken beside the program.
QString ResolveProgram(const QString& application, const QString& programDir);

// shellOpenSubStalone: runs `application` on `folder` on the calling thread;
// with wait it returns when the program has ended (the window stays painted
// but takes no input meanwhile). For the companion program it first writes
// "Px"/"Py" (window left + 100, top + 300) into its settings file.
void shellOpenSubStalone(QWidget* window, const QString& application, const QString& folder,
                         bool wait, const QString& programDir);

// shellOpenSub: the same without blocking the window.
void shellOpenSub(QWidget* window, const QString& application, const QString& folder,
                  const QString& programDir);

}  // namespace pictray::app
