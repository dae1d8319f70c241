#include "app/common/file_icons.h"

#include <QFileIconProvider>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QSettings>

namespace pictray::ui {
namespace {

// A link chain longer than this is a loop.
constexpr int kMostLinks = 8;

QIcon ThemeIcon(const QString& name) {
  return name.isEmpty() ? QIcon() : QIcon::fromTheme(name);
}

QIcon GenericFolderIcon() {
  const QIcon themed = ThemeIcon("folder");
  return themed.isNull() ? QFileIconProvider().icon(QFileIconProvider::Folder) : themed;
}

QIcon GenericProgramIcon() {
  const QIcon themed = ThemeIcon("application-x-executable");
  return themed.isNull() ? QFileIconProvider().icon(QFileIconProvider::File) : themed;
}

QIcon GenericFileIcon() {
  const QIcon themed = ThemeIcon("text-x-generic");
  return themed.isNull() ? QFileIconProvider().icon(QFileIconProvider::File) : themed;
}

// The type the file-type database names for the file (contents first, then
// the name), its icon, then its generic icon.
QIcon RegisteredTypeIcon(const QFileInfo& file) {
  const QMimeType type = QMimeDatabase().mimeTypeForFile(file);
  if (!type.isValid() || type.isDefault()) return {};
  const QIcon icon = ThemeIcon(type.iconName());
  return icon.isNull() ? ThemeIcon(type.genericIconName()) : icon;
}

// A desktop entry names its icon in the key Icon of its main group: a theme
// name or a path.
QIcon DesktopEntryIcon(const QString& path) {
  QSettings entry(path, QSettings::IniFormat);
  const QString icon = entry.value("Desktop Entry/Icon").toString();
  if (icon.isEmpty()) return {};
  if (QFileInfo(icon).isAbsolute()) return QFileInfo::exists(icon) ? QIcon(icon) : QIcon();
  return ThemeIcon(icon);
}

QIcon IconOf(const QString& path, int linksLeft);

// A program's icon by its own name, or by the desktop id our own programs
// install their icons under (Twinscan as org.pictray.Twinscan).
QIcon ProgramIconOf(const QFileInfo& file) {
  for (const QString& name : {file.completeBaseName(), "org.pictray." + file.completeBaseName()}) {
    const QIcon own = ThemeIcon(name);
    if (!own.isNull()) return own;
  }
  return GenericProgramIcon();
}

QIcon OtherFileIconOf(const QFileInfo& file) {
  const QIcon registered = RegisteredTypeIcon(file);
  if (!registered.isNull()) return registered;
  const QIcon provided = QFileIconProvider().icon(file);
  return provided.isNull() ? GenericFileIcon() : provided;
}

QIcon ShortcutIconOf(const QFileInfo& file, int linksLeft) {
  if (file.isSymLink()) return linksLeft > 0 ? IconOf(file.symLinkTarget(), linksLeft - 1) : QIcon();
  const QIcon entry = DesktopEntryIcon(file.filePath());
  return entry.isNull() ? GenericProgramIcon() : entry;
}

QIcon IconOf(const QString& path, int linksLeft) {
  const QFileInfo file(path);
  if (!file.exists() && !file.isSymLink()) return {};
  switch (RetFileCase(path)) {
    case FileCase::Folder: return GenericFolderIcon();
    case FileCase::Shortcut: return ShortcutIconOf(file, linksLeft);
    case FileCase::Program: return ProgramIconOf(file);
    case FileCase::Other: break;
  }
  return OtherFileIconOf(file);
}

}  // namespace

FileCase RetFileCase(const QString& path) {
  const QFileInfo file(path);
  if (file.isSymLink() || file.suffix() == "desktop") return FileCase::Shortcut;
  if (file.isDir()) return FileCase::Folder;
  // As on the original platform, a name without extension counts as a program.
  if (file.isExecutable() || file.suffix().isEmpty() || file.suffix().compare("exe", Qt::CaseInsensitive) == 0)
    return FileCase::Program;
  return FileCase::Other;
}

QIcon GetIconHandle(const QString& path) {
  if (path == "non") return {};
  return IconOf(path, kMostLinks);
}

}  // namespace pictray::ui
