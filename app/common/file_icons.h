// Icons for the programs and files the user configures: the desktop's icon
// theme and file-type database, in a fixed order of preference.
#pragma once

#include <QIcon>
#include <QString>

namespace pictray::ui {

enum class FileCase { Other = 0, Program = 1, Folder = 2, Shortcut = 3 };

// What a path stands for: a folder; a link (or a desktop entry) that leads
// elsewhere; a program (executable, or a name without extension); else a file.
FileCase RetFileCase(const QString& path);

// GetIconHandle: the icon for `path`, or a null icon for "non" (no program)
// and for a path that exists nowhere. In order of preference: a program's
// own icon (theme icon of its name), a file's registered type icon, the
// generic icon of programs, files and folders; a link gives its target's.
QIcon GetIconHandle(const QString& path);

}  // namespace pictray::ui
